// The application object: start-up, the message loop, the standard commands, resources.
//
//   class CViewerApp : public CWinApp {
//   public:
//       bool InitInstance() override;   // false ends the program at once (dialog-based programs)
//   protected:
//       void OnAppAbout();
//       DECLARE_MESSAGE_MAP()
//   };
//   BEGIN_MESSAGE_MAP(CViewerApp, CWinApp)
//       ON_COMMAND(ID_APP_ABOUT, OnAppAbout)
//   END_MESSAGE_MAP()
//   CViewerApp theApp;   // the one global instance; the framework's WinMain drives it
#pragma once
#include <string>

#include "Wnd.h"

class CWinApp : public CCmdTarget {
public:
    CWinApp();
    ~CWinApp() override;

    HINSTANCE m_hInstance = nullptr;
    const char* m_lpCmdLine = "";
    int m_nCmdShow = SW_SHOWNORMAL;
    CWnd* m_pMainWnd = nullptr;
    std::string m_strAppName;  // string AFX_IDS_APP_TITLE, else the module's base name

    virtual bool InitInstance() { return true; }
    // The message loop: GetMessage -> PreTranslateMessage -> dispatch, until WM_QUIT.
    // Returns ExitInstance()'s value. Returns at once when there is no main window.
    virtual int Run();
    virtual int ExitInstance();  // the WM_QUIT code (0 when the loop did not run)
    // Walks from the message's window up its parents (AfxWalkPreTranslate).
    virtual bool PreTranslateMessage(MSG* msg);

    // Kept for the familiar start-up sequence; today's controls are always 3-D.
    bool Enable3dControls() { return true; }

protected:
    void OnAppExit();  // ID_APP_EXIT: WM_CLOSE to the main window
    DECLARE_MESSAGE_MAP()

private:
    int m_exitCode = 0;
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
// The module whose resources are loaded (the application's, or this executable's).
HINSTANCE AfxGetInstanceHandle();
// This executable's full path, whatever its length; empty when it cannot be read whole.
std::string AfxGetModulePath();

// String resources as ANSI bytes. The bool form tells a missing string from an empty one.
bool AfxLoadString(UINT id, std::string& out);
std::string AfxLoadString(UINT id);

// A text with its first "%1" replaced by `value` (ANSI or UTF-16 alike).
template <class Text>
Text AfxFillIn(Text text, const Text& value) {
    static const typename Text::value_type kMark[] = {'%', '1', 0};
    const size_t at = text.find(kMark);
    if (at != Text::npos) text.replace(at, 2, value);
    return text;
}
// The system's words for an error code, on one line (line breaks and a final stop dropped);
// empty when the system has none.
std::string AfxSystemErrorText(DWORD error);

// A message box owned by the application's active window, captioned with its title
// (AFX_IDS_APP_TITLE).
int AfxMessageBox(const std::string& text, UINT type = MB_OK | MB_ICONEXCLAMATION);
// The general error report for a file that failed after it was opened: the string
// AFX_IDP_FILE_READ_ERROR or AFX_IDP_FILE_WRITE_ERROR with %1 replaced by the path (the
// system's own text for `error` when the program has no such string).
void AfxReportFileError(const std::string& path, bool writing, DWORD error);
// A file's failure in the program's own words: string `messageId` with %1 replaced by the
// path and %2 by the system's text for `error`, in an exclamation box.
void AfxReportFileError(UINT messageId, const std::string& path, DWORD error);

// The window a new modal dialog or message box should belong to when no parent is given:
// the last active popup of the main window, else the active window of this thread.
HWND AfxGetSafeOwner(CWnd* parent);

int AfxWinMain(HINSTANCE instance, HINSTANCE, LPSTR cmdLine, int cmdShow);
