#include "PathBox.h"

#include "Mbcs.h"
#include "OpenTarget.h"

CPathBox::~CPathBox() = default;

// Enter arrives at the box's edit field, whose WM_KEYDOWN passes here on its way up to the
// strip. With the list dropped, Enter belongs to the list (it takes the highlighted item).
// The message always goes on, so the strip's dialog handling sees it too (and ignores it).
bool CPathBox::PreTranslateMessage(MSG* msg) {
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN && !GetDroppedState()) OpenTyped();
    return CComboBox::PreTranslateMessage(msg);
}

void CPathBox::OpenTyped() {
    std::string text;
    if (!GetEditTextExact(text)) {  // a pasted character the code page lacks names nothing
        WarnNoTarget(m_hWnd);
        return;
    }
    if (text.empty()) return;
    // Only what really opened (an existing file, folder or key) is worth keeping.
    if (OpenTarget(text.c_str(), m_hWnd) && FindInHistory(text) == -1) AddString(text);
}

// Paths differ in nothing but the letter case of ASCII letters are the same place: the
// history keeps one entry for them. Double-byte characters are compared as they are.
int CPathBox::FindInHistory(const std::string& text) const {
    const std::string wanted = mbcs::UpperAscii(text);
    std::string item;
    for (int i = 0, n = GetCount(); i < n; ++i) {
        if (GetLBText(i, item) && mbcs::UpperAscii(item) == wanted) return i;
    }
    return -1;
}

void CPathBox::OnChoose(int position) {
    std::string text;
    if (GetLBText(position, text)) OpenTarget(text.c_str(), m_hWnd);
}
