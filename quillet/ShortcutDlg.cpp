#include "ShortcutDlg.h"

#include <vector>

#include "RegKeyTool.h"
#include "WinApp.h"
#include "resource.h"

CShortcutDlg::CShortcutDlg(Mode mode, const Shortcut* initial, CWnd* parent)
    : CDialog(IDD_SHORTCUT, parent), m_mode(mode) {
    if (initial) {
        m_initialLocation = initial->location;
        m_initialName = initial->name;
    }
}

bool CShortcutDlg::GetResult(Shortcut& out) const {
    if (m_resultLocation.empty() || m_resultName.empty()) return false;
    out.location = m_resultLocation;
    out.name = m_resultName;
    return true;
}

bool CShortcutDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SetWindowText(AfxLoadString(m_mode == Mode::Add ? IDS_SHORTCUT_ADD_TITLE : IDS_SHORTCUT_EDIT_TITLE));
    SetDlgItemTextA(m_hWnd, IDC_LOCATION, m_initialLocation.c_str());
    SetDlgItemTextA(m_hWnd, IDC_NAME, m_initialName.c_str());
    // The location is what gets corrected most often: select all of it, ready to be typed over.
    HWND location = GetDlgItem(IDC_LOCATION);
    ::SendMessageA(location, EM_SETSEL, 0, 0xFFFF);
    ::SendMessageA(location, EM_SCROLLCARET, 0, 0);
    ::SetFocus(location);
    return false;  // the focus has been set here
}

std::string CShortcutDlg::ItemText(int id) const {
    HWND item = GetDlgItem(id);
    int length = ::GetWindowTextLengthA(item);
    if (length <= 0) return std::string();
    std::vector<char> buffer(static_cast<size_t>(length) + 1);
    int got = ::GetWindowTextA(item, buffer.data(), length + 1);
    return std::string(buffer.data(), got > 0 ? static_cast<size_t>(got) : 0);
}

void CShortcutDlg::Warn(UINT textId, UINT captionId, UINT type) {
    MessageBox(AfxLoadString(textId), AfxLoadString(captionId), type);
}

void CShortcutDlg::OnOK() {
    // Both fields are taken as typed, untrimmed: what the user wrote is what is stored.
    const std::string location = ItemText(IDC_LOCATION);
    if (location.empty()) {
        Warn(IDS_LOCATION_EMPTY, IDS_CAPTION_NOTE, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    // An existing key, or a value of one named by the last part (its name is then the default name).
    CRegKeyTool regKeyTool;
    if (!regKeyTool.LocationExists(location.c_str())) {
        Warn(IDS_LOCATION_INVALID, IDS_CAPTION_ERROR, MB_OK | MB_ICONHAND);
        return;
    }
    std::string name = ItemText(IDC_NAME);
    if (name.empty()) {
        Shortcut derived;
        if (!regKeyTool.KeyPathToShortcut(location.c_str(), derived) || derived.name.empty()) {
            Warn(IDS_NAME_UNDERIVABLE, IDS_CAPTION_NOTE, MB_OK | MB_ICONEXCLAMATION);
            return;
        }
        name = derived.name;  // the derived location is not used: the location stays as typed
    }
    if (name[0] == ' ' || name[0] == '\t') {
        Warn(IDS_NAME_LEADING_BLANK, IDS_CAPTION_NOTE, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    m_resultLocation = location;
    m_resultName = name;
    EndDialog(IDOK);
}
