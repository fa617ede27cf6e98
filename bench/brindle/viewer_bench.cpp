// The viewer's measuring program for bench/brindle/run.sh. It links the viewer's own library
// and start-up (brindle_ui, ViewerApp.cpp and the resources), makes the same windows in this
// process and drives them, so that everything is timed without a line of measuring code in
// Brindle.exe. Keep it that way: the shipped program reads no benchmark switch and moves no
// pointer; whatever a benchmark needs is done here.
//
//   viewer_bench load FILE   load to the first complete paint, hover cost, thumb drag, memory
//   viewer_bench line FILE   paint time of a one-line file at its start and scrolled to its end
//   viewer_bench compare OLD NEW
//   viewer_bench live FILE
//                            the comparison of two exports, as the command line starts it, to
//                            the result painted; memory
//   viewer_bench find FILE TEXT blind|case|cancel
//                            Find Next from the top to the match painted (or to the message
//                            that nothing was found), peak memory before and after; cancel:
//                            a repaint while the search runs, and Esc to its end
//
// Figures go to standard output as name=value lines.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "MainFrame.h"
#include "ViewerApp.h"

extern CViewerApp theApp;

namespace {

LARGE_INTEGER g_freq;

double Now() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return double(t.QuadPart) * 1000.0 / double(g_freq.QuadPart);  // ms
}

void Pump(DWORD ms) {
    const DWORD end = GetTickCount() + ms;
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (!theApp.PreTranslateMessage(&msg)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
        }
        Sleep(5);
    } while (static_cast<LONG>(end - GetTickCount()) > 0);
}

double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
    return v[v.size() / 2];
}

// A full repaint of the view, drawn now (the time of one WM_PAINT of the whole client area).
double PaintMs(HWND view) {
    InvalidateRect(view, nullptr, TRUE);
    const double t0 = Now();
    UpdateWindow(view);
    GdiFlush();
    return Now() - t0;
}

// Mouse moves over the visible lines, twice: the first pass measures each link line's hit
// area once (its mean shows that cost spread over the moves), the second is what every
// later move costs (its median, so that a moment when the machine was busy elsewhere does
// not count).
double MovePass(HWND view, int& count, bool median) {
    RECT rc;
    GetClientRect(view, &rc);
    std::vector<double> times;
    for (int y = 1; y < rc.bottom; y += 5) {
        for (int x = 24; x < rc.right && x < 400; x += 60) {
            const double t0 = Now();
            SendMessageA(view, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
            times.push_back((Now() - t0) * 1000.0);
        }
    }
    count = static_cast<int>(times.size());
    if (times.empty() || median) return Median(times);
    double sum = 0;
    for (double t : times) sum += t;
    return sum / times.size();
}

void MouseTo(int x, int y, DWORD flags) {
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dx = MulDiv(x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    in.mi.dy = MulDiv(y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    in.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE | flags;
    SendInput(1, &in, sizeof(in));
}

// Drags the vertical thumb from where it is to three quarters down the bar with real input
// events: the bar's own tracking loop then sends SB_THUMBTRACK with the position.
void DragThumb(HWND view) {
    SCROLLBARINFO bar = {};
    bar.cbSize = sizeof(bar);
    if (!GetScrollBarInfo(view, OBJID_VSCROLL, &bar)) return;
    const int x = (bar.rcScrollBar.left + bar.rcScrollBar.right) / 2;
    const int y0 = bar.rcScrollBar.top + (bar.xyThumbTop + bar.xyThumbBottom) / 2;
    const int y1 = bar.rcScrollBar.top + (bar.rcScrollBar.bottom - bar.rcScrollBar.top) * 3 / 4;
    MouseTo(x, y0, 0);
    MouseTo(x, y0, MOUSEEVENTF_LEFTDOWN);
    for (int i = 1; i <= 8; ++i) MouseTo(x, y0 + (y1 - y0) * i / 8, 0);
    MouseTo(x, y1, MOUSEEVENTF_LEFTUP);
    Pump(1500);
}

SCROLLINFO Bar(HWND view, int which) {
    SCROLLINFO si = {};
    si.cbSize = sizeof(si);
    si.fMask = SIF_ALL;
    GetScrollInfo(view, which, &si);
    return si;
}

SIZE_T PeakWorkingSet() {
    PROCESS_MEMORY_COUNTERS mem = {};
    mem.cb = sizeof(mem);
    GetProcessMemoryInfo(GetCurrentProcess(), &mem, sizeof(mem));
    return mem.PeakWorkingSetSize;
}

// Loads the file as Open or a drop does; the time runs until the view has painted it.
double Load(CLinkView& view, const char* path) {
    const double t0 = Now();
    if (!view.LoadTextFile(path)) return -1;
    UpdateWindow(view.m_hWnd);
    GdiFlush();
    return Now() - t0;
}

int MeasureLoad(CLinkView& view, const char* path) {
    const double loadMs = Load(view, path);
    if (loadMs < 0) return 1;
    const SIZE_T peak = PeakWorkingSet();
    Pump(100);
    // The moves are sent, but the pointer should be where they say, as for a real move.
    RECT rc;
    GetClientRect(view.m_hWnd, &rc);
    POINT centre = {rc.right / 2, rc.bottom / 2};
    ClientToScreen(view.m_hWnd, &centre);
    SetCursorPos(centre.x, centre.y);
    int moves = 0;
    const double first = MovePass(view.m_hWnd, moves, false);
    const double repeat = MovePass(view.m_hWnd, moves, true);
    const SCROLLINFO before = Bar(view.m_hWnd, SB_VERT);
    DragThumb(view.m_hWnd);
    const SCROLLINFO after = Bar(view.m_hWnd, SB_VERT);
    std::printf("load_to_paint_ms=%.1f\npeak_working_set=%llu\nmouse_moves=%d\n", loadMs,
                static_cast<unsigned long long>(peak), moves);
    std::printf("mouse_move_first_us=%.2f\nmouse_move_repeat_us=%.2f\n", first, repeat);
    std::printf("lines=%d\nthumb_before=%d\nthumb_after=%d\n", before.nMax + 1, before.nPos, after.nPos);
    return 0;
}

std::wstring Wide(const char* ansi) {
    std::wstring out(std::strlen(ansi), L'\0');
    out.resize(MultiByteToWideChar(CP_ACP, 0, ansi, -1, &out[0], static_cast<int>(out.size() + 1)) - 1);
    return out;
}

// Compares as `Brindle.exe /compare OLD NEW` does (with no NEW: OLD against the registry, as
// `Brindle.exe /compare FILE`); the time runs until the view has painted the result.
int MeasureCompare(CLinkView& view, const char* older, const char* newer) {
    CCompareController& compare = view.Comparer();
    const double t0 = Now();
    if (!(newer ? compare.Start(Wide(older), Wide(newer)) : compare.StartLive(Wide(older), nullptr, false))) return 1;
    while (compare.IsRunning()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (!theApp.PreTranslateMessage(&msg)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
        }
    }
    const ShownComparison* shown = view.Shown().Comparison();
    if (!shown) return 1;
    UpdateWindow(view.m_hWnd);
    GdiFlush();
    const double ms = Now() - t0;
    std::printf("compare_to_paint_ms=%.1f\npeak_working_set=%llu\nresult_units=%llu\n", ms,
                static_cast<unsigned long long>(PeakWorkingSet()), static_cast<unsigned long long>(shown->text.size()));
    return 0;
}

// A one-line file: full repaints at the start of the line and with the view scrolled to its
// end (median of several, the first one not counted).
int MeasureLine(CLinkView& view, const char* path) {
    const double loadMs = Load(view, path);
    if (loadMs < 0) return 1;
    auto paints = [&] {
        std::vector<double> t;
        PaintMs(view.m_hWnd);
        for (int i = 0; i < 7; ++i) t.push_back(PaintMs(view.m_hWnd));
        return Median(t);
    };
    const double atStart = paints();
    SCROLLINFO si = Bar(view.m_hWnd, SB_HORZ);
    si.fMask = SIF_POS;
    si.nPos = si.nMax;
    SetScrollInfo(view.m_hWnd, SB_HORZ, &si, TRUE);
    const double atEnd = paints();
    // The horizontal range runs two columns past the longest line.
    std::printf("line_bytes=%d\nhpos_end=%d\npaint_start_ms=%.2f\npaint_end_ms=%.2f\n", si.nMax - 2,
                Bar(view.m_hWnd, SB_HORZ).nPos, atStart, atEnd);
    return 0;
}

// Answers the message box that says nothing was found, noting when it came up.
struct BoxWatch {
    volatile bool stop = false;
    volatile double seenAt = 0;
    HANDLE thread = nullptr;
    static DWORD WINAPI Run(void* p) {
        BoxWatch& w = *static_cast<BoxWatch*>(p);
        while (!w.stop) {
            HWND box = FindWindowA("#32770", nullptr);
            DWORD pid = 0;
            if (box && GetWindowThreadProcessId(box, &pid) && pid == GetCurrentProcessId() && IsWindowVisible(box)) {
                if (!w.seenAt) w.seenAt = Now();
                PostMessageA(box, WM_COMMAND, IDOK, 0);
            }
            Sleep(1);
        }
        return 0;
    }
    BoxWatch() { thread = CreateThread(nullptr, 0, Run, this, 0, nullptr); }
    ~BoxWatch() {
        stop = true;
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
    }
};

// Find Next as the Find dialog asks for it (to the view's Find, as the frame hands it on), from
// the top of the text.
int MeasureFind(CMainFrame& frame, const char* path, const char* text, const char* how) {
    CLinkView& view = frame.m_wndView;
    CFindController& find = view.Finder();
    if (Load(view, path) < 0) return 1;
    Pump(100);
    const SIZE_T loaded = PeakWorkingSet();
    BoxWatch box;
    const double t0 = Now();
    find.Find(text, !std::strcmp(how, "case"), true);
    if (!std::strcmp(how, "cancel")) {
        Pump(50);
        const double paintMs = PaintMs(view.m_hWnd);
        const bool running = find.IsSearching();
        PostMessageA(view.m_hWnd, WM_KEYDOWN, VK_ESCAPE, 0);
        const double t1 = Now();
        while (find.IsSearching()) Pump(1);
        std::printf("searching_at_paint=%d\npaint_while_searching_ms=%.2f\nesc_to_end_ms=%.1f\n", running ? 1 : 0,
                    paintMs, Now() - t1);
        return 0;
    }
    double t1 = 0;
    while (find.IsSearching()) {
        MSG msg;
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (!theApp.PreTranslateMessage(&msg)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
        } else {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
        }
    }
    t1 = Now();  // the match is painted before the view's handler returns
    const double ms = box.seenAt ? box.seenAt - t0 : t1 - t0;
    std::printf("find_ms=%.1f\nmatch_line=%d\nlines=%d\nfound=%d\n", ms, view.Match().line,
                Bar(view.m_hWnd, SB_VERT).nMax + 1, view.Match().line >= 0 ? 1 : 0);
    std::printf("peak_loaded=%llu\npeak_searched=%llu\n", static_cast<unsigned long long>(loaded),
                static_cast<unsigned long long>(PeakWorkingSet()));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QueryPerformanceFrequency(&g_freq);
    if (argc < 3) {
        std::fprintf(
            stderr,
            "usage: viewer_bench load|line FILE | find FILE TEXT blind|case|cancel | compare OLD NEW | live FILE\n");
        return 2;
    }
    // The command line's first argument is the mode, which the view's own start-up refuses
    // as a file name: the window comes up empty and the file is loaded here, timed.
    if (!theApp.InitInstance()) return 1;
    CMainFrame* frame = static_cast<CMainFrame*>(theApp.m_pMainWnd);
    Pump(200);
    int rc = 2;
    if (!std::strcmp(argv[1], "load")) rc = MeasureLoad(frame->m_wndView, argv[2]);
    else if (!std::strcmp(argv[1], "line")) rc = MeasureLine(frame->m_wndView, argv[2]);
    else if (!std::strcmp(argv[1], "find") && argc >= 5) rc = MeasureFind(*frame, argv[2], argv[3], argv[4]);
    else if (!std::strcmp(argv[1], "compare") && argc >= 4) rc = MeasureCompare(frame->m_wndView, argv[2], argv[3]);
    else if (!std::strcmp(argv[1], "live")) rc = MeasureCompare(frame->m_wndView, argv[2], nullptr);
    std::fflush(stdout);
    if (rc == 1) std::fprintf(stderr, "could not load %s\n", argv[2]);
    DestroyWindow(frame->m_hWnd);
    return rc;
}
