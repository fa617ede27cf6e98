// A modal dialog that runs test code from inside its own modal loop, in steps: each step is
// posted after initialisation or after the previous step, and waits behind whatever that
// step posted (keys, WM_CLOSE), so it sees their effects.
#pragma once
#include <Dialog.h>

#include <functional>
#include <vector>

#include "resource.h"

const UINT WM_RUN_SCRIPT = WM_APP + 1;

class CScriptDlg : public CDialog {
public:
    using Script = std::function<void(CScriptDlg&)>;
    CScriptDlg(UINT idTemplate, Script script, CWnd* parent = nullptr)
        : CDialog(idTemplate, parent), m_steps{std::move(script)} {}
    CScriptDlg(UINT idTemplate, std::vector<Script> steps, CWnd* parent = nullptr)
        : CDialog(idTemplate, parent), m_steps(std::move(steps)) {}

protected:
    bool OnInitDialog() override {
        CDialog::OnInitDialog();
        PostMessage(WM_RUN_SCRIPT);
        return true;
    }
    LRESULT OnRunScript(WPARAM step, LPARAM hops);
    DECLARE_MESSAGE_MAP()

private:
    std::vector<Script> m_steps;
};

// Ends the process if a test hangs in a message loop that never ends, so the failure is
// reported at once rather than after the runner's timeout.
class Watchdog {
public:
    explicit Watchdog(DWORD ms);
    ~Watchdog();
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

private:
    HANDLE m_done;
    HANDLE m_thread;
    DWORD m_ms;
};

// Sends a key press to a window through the queue, as the keyboard would.
void PostKey(HWND hwnd, UINT vk);
