// Tooltip control. Tools are windows (TTF_IDISHWND); messages reach it through RelayEvent,
// which the owner calls from its PreTranslateMessage.
#pragma once
#include <string>

#include "Wnd.h"

class CToolTipCtrl : public CWnd {
public:
    // A popup tooltip owned by `owner`, with TTS_* styles (e.g. TTS_ALWAYSTIP).
    bool Create(CWnd* owner, DWORD style = 0);
    bool Create(HWND owner, DWORD style = 0);
    bool AddTool(HWND tool, const std::string& text);
    bool AddTool(HWND tool, UINT idText);  // the string resource, loaded by the control
    void UpdateTipText(const std::string& text, HWND tool);
    void RelayEvent(MSG* msg);  // TTM_RELAYEVENT
    void Update();              // TTM_UPDATE: a shown tip takes its new text now

private:
    bool FillInfo(TTTOOLINFOA& ti, HWND tool) const;
    HWND m_hwndOwner = nullptr;
};
