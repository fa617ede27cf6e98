// A modal dialog that runs test code from inside its own modal loop, a few trips through the
// queue after initialisation (so the dialog has finished showing itself).
#pragma once
#include <Dialog.h>

#include <functional>

#include "resource.h"

class CScriptDlg : public CDialog {
public:
    using Script = std::function<void(CScriptDlg&)>;
    CScriptDlg(UINT idTemplate, Script script, CWnd* parent = nullptr)
        : CDialog(idTemplate, parent), m_script(std::move(script)) {}

protected:
    bool OnInitDialog() override;
    LRESULT OnRunScript(WPARAM hops, LPARAM);
    DECLARE_MESSAGE_MAP()

private:
    Script m_script;
};

// A key press through the queue, as the keyboard sends it.
inline void PostKey(HWND hwnd, UINT vk) {
    PostMessageA(hwnd, WM_KEYDOWN, vk, 1);
    PostMessageA(hwnd, WM_KEYUP, vk, 0xC0000001);
}
