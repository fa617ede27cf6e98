#include "ToolTipCtrl.h"

#include "WinApp.h"

bool CToolTipCtrl::Create(CWnd* owner, DWORD style) { return Create(owner ? owner->m_hWnd : nullptr, style); }

bool CToolTipCtrl::Create(HWND owner, DWORD style) {
    m_hwndOwner = owner;
    return CreateEx(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | style, CW_USEDEFAULT, CW_USEDEFAULT,
                    CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr);
}

bool CToolTipCtrl::FillInfo(TTTOOLINFOA& ti, HWND tool) const {
    // The size without lpReserved: accepted by every version of the control.
    ti = TTTOOLINFOA{};
    ti.cbSize = TTTOOLINFOA_V2_SIZE;
    ti.uFlags = TTF_IDISHWND;
    ti.hwnd = m_hwndOwner ? m_hwndOwner : ::GetParent(tool);
    ti.uId = reinterpret_cast<UINT_PTR>(tool);
    return tool != nullptr;
}

bool CToolTipCtrl::AddTool(HWND tool, const std::string& text) {
    TTTOOLINFOA ti;
    if (!FillInfo(ti, tool)) return false;
    ti.lpszText = const_cast<char*>(text.c_str());
    return SendMessage(TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti)) != 0;
}

bool CToolTipCtrl::AddTool(HWND tool, UINT idText) {
    TTTOOLINFOA ti;
    if (!FillInfo(ti, tool)) return false;
    ti.hinst = AfxGetInstanceHandle();
    ti.lpszText = MAKEINTRESOURCEA(idText);
    return SendMessage(TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti)) != 0;
}

void CToolTipCtrl::UpdateTipText(const std::string& text, HWND tool) {
    TTTOOLINFOA ti;
    if (!FillInfo(ti, tool)) return;
    ti.lpszText = const_cast<char*>(text.c_str());
    SendMessage(TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&ti));
}

void CToolTipCtrl::RelayEvent(MSG* msg) { SendMessage(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg)); }
void CToolTipCtrl::Update() { SendMessage(TTM_UPDATE); }
