#include "FileDialog.h"

#include <vector>

#include "WinApp.h"

CFileDialog::CFileDialog(bool openFileDialog, const char* defExt, const char* fileName, DWORD flags, const char* filter,
                         CWnd* parent)
    : m_open(openFileDialog), m_parent(parent) {
    if (defExt) m_defExt = defExt;
    if (fileName) m_path = fileName;
    if (filter) {
        // "desc|patterns||" -> "desc\0patterns\0\0": the system wants NUL-separated pairs.
        m_filter = filter;
        for (char& c : m_filter)
            if (c == '|') c = '\0';
        m_filter.push_back('\0');
    }
    m_ofn.lStructSize = sizeof(m_ofn);
    // Explorer style whatever the caller asks for; the caller's flags decide the rest.
    m_ofn.Flags = flags | OFN_EXPLORER;
}

int CFileDialog::DoModal() {
    // Generous room: paths longer than MAX_PATH exist, and a truncated name is a wrong name.
    std::vector<char> buffer(32768, '\0');
    m_path.copy(buffer.data(), buffer.size() - 1);
    m_ofn.hwndOwner = AfxGetSafeOwner(m_parent);
    m_ofn.hInstance = AfxGetInstanceHandle();
    m_ofn.lpstrFilter = m_filter.empty() ? nullptr : m_filter.c_str();
    m_ofn.lpstrDefExt = m_defExt.empty() ? nullptr : m_defExt.c_str();
    m_ofn.lpstrFile = buffer.data();
    m_ofn.nMaxFile = static_cast<DWORD>(buffer.size());
    BOOL ok = m_open ? ::GetOpenFileNameA(&m_ofn) : ::GetSaveFileNameA(&m_ofn);
    m_ofn.lpstrFile = nullptr;
    if (!ok) return IDCANCEL;
    m_path = buffer.data();
    return IDOK;
}
