#include "TestViewer.h"

#include <cstring>

TestViewer::TestViewer() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = WndProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "QbTestViewer";
    RegisterClassA(&wc);  // a second registration fails harmlessly
    // A real top-level window (hidden): message-only windows cannot be viewers.
    m_hwnd = CreateWindowExA(0, "QbTestViewer", "viewer", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                             wc.hInstance, nullptr);
    SetWindowLongPtrA(m_hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TestViewer::~TestViewer() {
    Leave();
    if (m_hwnd) DestroyWindow(m_hwnd);
}

void TestViewer::Join() {
    if (m_joined) return;
    m_joined = true;
    m_next = SetClipboardViewer(m_hwnd);
}

void TestViewer::Leave() {
    if (!m_joined) return;
    ChangeClipboardChain(m_hwnd, m_next);
    m_joined = false;
    m_next = nullptr;
}

LRESULT CALLBACK TestViewer::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<TestViewer*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self && msg == WM_DRAWCLIPBOARD) {
        ++self->m_draws;
        if (self->m_next) SendMessageA(self->m_next, msg, wParam, lParam);
        return 0;
    }
    if (self && msg == WM_CHANGECBCHAIN) {
        if (reinterpret_cast<HWND>(wParam) == self->m_next)
            self->m_next = reinterpret_cast<HWND>(lParam);
        else if (self->m_next)
            SendMessageA(self->m_next, msg, wParam, lParam);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

bool PutClipboardText(const char* ansi) {
    static HWND owner = CreateWindowExA(0, "STATIC", "clipboard owner", 0, 0, 0, 0, 0,
                                        HWND_MESSAGE, nullptr, nullptr, nullptr);
    if (!OpenClipboard(owner)) return false;
    EmptyClipboard();
    size_t size = strlen(ansi) + 1;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    bool ok = false;
    if (block) {
        memcpy(GlobalLock(block), ansi, size);
        GlobalUnlock(block);
        ok = SetClipboardData(CF_TEXT, block) != nullptr;
        if (!ok) GlobalFree(block);
    }
    CloseClipboard();
    return ok;
}
