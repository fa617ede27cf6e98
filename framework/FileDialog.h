// The system's file-open / save-as dialog with a filter in the form
// "desc|patterns|desc|patterns||" (patterns separated by ';').
#pragma once
#include <windows.h>
#include <commdlg.h>

#include <string>

class CWnd;

class CFileDialog {
public:
    explicit CFileDialog(bool openFileDialog, const char* defExt = nullptr, const char* fileName = nullptr,
                         DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, const char* filter = nullptr,
                         CWnd* parent = nullptr);
    int DoModal();  // IDOK or IDCANCEL
    std::string GetPathName() const { return m_path; }
    OPENFILENAMEA m_ofn{};

private:
    bool m_open;
    std::string m_filter;  // with '\0' in place of '|'
    std::string m_defExt;
    std::string m_path;
    CWnd* m_parent;
};
