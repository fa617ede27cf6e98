#include "ScriptDlg.h"

#include <cstdio>

BEGIN_MESSAGE_MAP(CScriptDlg, CDialog)
    ON_MESSAGE(WM_RUN_SCRIPT, OnRunScript)
END_MESSAGE_MAP()

LRESULT CScriptDlg::OnRunScript(WPARAM step, LPARAM hops) {
    // A few trips through the queue let messages sent or posted by what the last step
    // posted (a key's WM_COMMAND, WM_CLOSE's IDCANCEL) be handled first.
    if (hops < 3) {
        PostMessage(WM_RUN_SCRIPT, step, hops + 1);
        return 0;
    }
    if (step < m_steps.size()) {
        m_steps[step](*this);
        if (step + 1 < m_steps.size() && m_hWnd) PostMessage(WM_RUN_SCRIPT, step + 1, 0);
    }
    return 0;
}

Watchdog::Watchdog(DWORD ms) : m_done(CreateEventA(nullptr, TRUE, FALSE, nullptr)), m_ms(ms) {
    m_thread = CreateThread(
        nullptr, 0,
        [](void* self) -> DWORD {
            auto* w = static_cast<Watchdog*>(self);
            if (WaitForSingleObject(w->m_done, w->m_ms) == WAIT_TIMEOUT) {
                std::fprintf(stderr, "watchdog: a message loop did not end\n");
                std::fflush(stderr);
                ExitProcess(99);
            }
            return 0;
        },
        this, 0, nullptr);
}

Watchdog::~Watchdog() {
    SetEvent(m_done);
    WaitForSingleObject(m_thread, INFINITE);
    CloseHandle(m_thread);
    CloseHandle(m_done);
}

void PostKey(HWND hwnd, UINT vk) {
    UINT scan = MapVirtualKeyA(vk, 0);
    PostMessageA(hwnd, WM_KEYDOWN, vk, 1 | (scan << 16));
    PostMessageA(hwnd, WM_KEYUP, vk, 1 | (scan << 16) | 0xC0000000u);
}
