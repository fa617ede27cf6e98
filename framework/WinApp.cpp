#include "WinApp.h"

#include <vector>

namespace {
CWinApp* g_app = nullptr;
}

CWinApp::CWinApp() {
    if (!g_app) g_app = this;
}

CWinApp::~CWinApp() {
    if (g_app == this) g_app = nullptr;
}

CWinApp* AfxGetApp() { return g_app; }

CWnd* AfxGetMainWnd() { return g_app ? g_app->m_pMainWnd : nullptr; }

HINSTANCE AfxGetInstanceHandle() {
    if (g_app && g_app->m_hInstance) return g_app->m_hInstance;
    return ::GetModuleHandleA(nullptr);
}

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
    ON_COMMAND(ID_APP_EXIT, OnAppExit)
END_MESSAGE_MAP()

bool CWinApp::PreTranslateMessage(MSG* msg) { return AfxWalkPreTranslate(nullptr, msg); }

int CWinApp::Run() {
    if (!m_pMainWnd || !::IsWindow(m_pMainWnd->m_hWnd)) return ExitInstance();
    MSG msg;
    for (;;) {
        BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) {
            m_exitCode = static_cast<int>(msg.wParam);
            break;
        }
        if (got == -1) {
            m_exitCode = -1;
            break;
        }
        if (!PreTranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
    return ExitInstance();
}

int CWinApp::ExitInstance() { return m_exitCode; }

void CWinApp::OnAppExit() {
    if (m_pMainWnd && m_pMainWnd->m_hWnd) m_pMainWnd->SendMessage(WM_CLOSE);
}

bool AfxLoadString(UINT id, std::string& out) {
    // LoadStringA cannot say how long a string is: grow until it fits with room to spare.
    std::vector<char> buf(256);
    for (;;) {
        int got = ::LoadStringA(AfxGetInstanceHandle(), id, buf.data(), static_cast<int>(buf.size()));
        if (got <= 0) {
            out.clear();
            return false;
        }
        if (static_cast<size_t>(got) < buf.size() - 2 || buf.size() >= 65536 * 2) {
            out.assign(buf.data(), static_cast<size_t>(got));
            return true;
        }
        buf.resize(buf.size() * 4);
    }
}

std::string AfxLoadString(UINT id) {
    std::string s;
    AfxLoadString(id, s);
    return s;
}

HWND AfxGetSafeOwner(CWnd* parent) {
    if (parent && ::IsWindow(parent->m_hWnd)) return parent->m_hWnd;
    CWnd* main = AfxGetMainWnd();
    if (main && ::IsWindow(main->m_hWnd)) {
        HWND top = main->m_hWnd;
        while (::GetWindowLongA(top, GWL_STYLE) & WS_CHILD) top = ::GetParent(top);
        return ::GetLastActivePopup(top);
    }
    return ::GetActiveWindow();
}

std::string AfxGetModulePath() {
    // Grown until the path surely fits. A path in double-byte characters can be longer than
    // MAX_PATH bytes, and the ANSI call leaves out a character that does not fit whole, so a
    // cut path can also end one byte before the buffer's last place.
    for (DWORD size = MAX_PATH + 1; size < 0x20000; size *= 4) {
        std::vector<char> buffer(size);
        const DWORD length = ::GetModuleFileNameA(nullptr, buffer.data(), size);
        if (length == 0) return std::string();
        if (length + 2 < size) return std::string(buffer.data(), length);
    }
    return std::string();
}

static std::string AppTitle() {
    std::string title;
    if (g_app && !g_app->m_strAppName.empty()) return g_app->m_strAppName;
    if (AfxLoadString(AFX_IDS_APP_TITLE, title)) return title;
    title = AfxGetModulePath();
    size_t slash = title.find_last_of("\\/");
    if (slash != std::string::npos) title.erase(0, slash + 1);
    size_t dot = title.rfind('.');
    if (dot != std::string::npos) title.erase(dot);
    return title;
}

int AfxMessageBox(const std::string& text, UINT type) {
    return ::MessageBoxA(AfxGetSafeOwner(nullptr), text.c_str(), AppTitle().c_str(), type);
}

std::string AfxSystemErrorText(DWORD error) {
    char* buffer = nullptr;
    const DWORD length =
        ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, error, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text;
    if (length != 0 && buffer) text.assign(buffer, length);
    if (buffer) ::LocalFree(buffer);
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ' || text.back() == '.'))
        text.pop_back();
    return text;
}

void AfxReportFileError(const std::string& path, bool writing, DWORD error) {
    std::string text;
    if (AfxLoadString(writing ? AFX_IDP_FILE_WRITE_ERROR : AFX_IDP_FILE_READ_ERROR, text)) {
        text = AfxFillIn(text, path);
    } else {
        text = path;
        const std::string reason = AfxSystemErrorText(error);
        if (!reason.empty()) text += "\r\n" + reason;
    }
    AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION);
}

void AfxReportFileError(UINT messageId, const std::string& path, DWORD error) {
    std::string text = AfxFillIn(AfxLoadString(messageId), path);
    const size_t reasonAt = text.find("%2");
    if (reasonAt != std::string::npos) text.replace(reasonAt, 2, error ? AfxSystemErrorText(error) : std::string());
    AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION);
}

int AfxWinMain(HINSTANCE instance, HINSTANCE, LPSTR cmdLine, int cmdShow) {
    CWinApp* app = AfxGetApp();
    if (!app) return -1;
    app->m_hInstance = instance;
    app->m_lpCmdLine = cmdLine ? cmdLine : "";
    app->m_nCmdShow = cmdShow;
    if (app->m_strAppName.empty()) app->m_strAppName = AppTitle();
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&icc);
    if (!app->InitInstance()) return app->ExitInstance();
    return app->Run();
}
