#include "FindReplaceDialog.h"

#include <algorithm>
#include <cstring>

#include "Dialog.h"

bool CFindReplaceDialog::Create(const std::string& findWhat, DWORD flags, HWND owner) {
    if (m_hWnd || !owner) return false;
    const size_t n = std::min(findWhat.size(), sizeof(m_findWhat) - 1);
    std::memcpy(m_findWhat, findWhat.data(), n);
    m_findWhat[n] = '\0';
    m_fr = FINDREPLACEA{};
    m_fr.lStructSize = sizeof(m_fr);
    m_fr.hwndOwner = owner;
    m_fr.Flags = flags;
    m_fr.lpstrFindWhat = m_findWhat;
    m_fr.wFindWhatLen = sizeof(m_findWhat);
    m_fr.lCustData = reinterpret_cast<LPARAM>(this);
    const HWND hwnd = ::FindTextA(&m_fr);
    if (!hwnd) return false;
    if (!SubclassWindow(hwnd)) {
        ::DestroyWindow(hwnd);
        return false;
    }
    return true;
}

UINT CFindReplaceDialog::GetFindReplaceMsg() {
    static const UINT message = ::RegisterWindowMessageA(FINDMSGSTRINGA);
    return message;
}

CFindReplaceDialog* CFindReplaceDialog::GetNotifier(LPARAM lParam) {
    const auto* fr = reinterpret_cast<const FINDREPLACEA*>(lParam);
    return fr ? reinterpret_cast<CFindReplaceDialog*>(fr->lCustData) : nullptr;
}

bool CFindReplaceDialog::PreTranslateMessage(MSG* msg) {
    if (CWnd* owner = FromHandlePermanent(::GetWindow(m_hWnd, GW_OWNER)))
        if (owner->PreTranslateMessage(msg)) return true;
    return AfxPreTranslateDialogInput(m_hWnd, msg);
}
