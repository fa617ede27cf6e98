// A well-behaved clipboard viewer of the tests' own: joins the chain, counts the change
// notifications it receives, passes both chain messages on, and can leave again.
#pragma once
#include <windows.h>

class TestViewer {
public:
    TestViewer();
    ~TestViewer();
    TestViewer(const TestViewer&) = delete;
    TestViewer& operator=(const TestViewer&) = delete;

    void Join();
    void Leave();
    bool InChain() const { return m_joined; }
    HWND Handle() const { return m_hwnd; }
    HWND Next() const { return m_next; }
    int Draws() const { return m_draws; }

private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    HWND m_hwnd = nullptr;
    HWND m_next = nullptr;
    bool m_joined = false;
    int m_draws = 0;
};

// Puts text on the clipboard as CF_TEXT (ANSI bytes), owned by a window of this thread.
bool PutClipboardText(const char* ansi);
