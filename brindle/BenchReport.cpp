#include "BenchReport.h"

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace benchreport {

namespace {

struct State {
    bool checked = false;
    bool enabled = false;
    std::string path;
    LARGE_INTEGER freq = {}, loadStart = {}, fileRead = {}, paintEnd = {};
    bool loading = false;
    bool reported = false;
    HWND view = nullptr;
    double moveFirstUs = 0, moveRepeatUs = 0;
    int moves = 0;
    SCROLLINFO before = {};
};
State g;

double Micros(LARGE_INTEGER from, LARGE_INTEGER to) {
    return double(to.QuadPart - from.QuadPart) * 1e6 / double(g.freq.QuadPart);
}

// Mouse moves over the visible lines, twice: the first pass measures each link line's hit
// area once (its mean shows that cost spread over the moves), the second is what every
// later move costs (its median, so that a moment when the machine was busy elsewhere does
// not count).
double MovePass(int& count, bool median) {
    RECT rc;
    GetClientRect(g.view, &rc);
    std::vector<double> times;
    for (int y = 1; y < rc.bottom; y += 5) {
        for (int x = 24; x < rc.right && x < 400; x += 60) {
            LARGE_INTEGER t0, t1;
            QueryPerformanceCounter(&t0);
            SendMessageA(g.view, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
            QueryPerformanceCounter(&t1);
            times.push_back(Micros(t0, t1));
        }
    }
    count = static_cast<int>(times.size());
    if (times.empty()) return 0;
    if (!median) {
        double sum = 0;
        for (double t : times) sum += t;
        return sum / times.size();
    }
    std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
    return times[times.size() / 2];
}

void MouseTo(int x, int y, DWORD flags) {
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dx = MulDiv(x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    in.mi.dy = MulDiv(y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    in.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE | flags;
    SendInput(1, &in, sizeof(in));
}

void CALLBACK Finish(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    SCROLLINFO after = {};
    after.cbSize = sizeof(after);
    after.fMask = SIF_ALL;
    GetScrollInfo(g.view, SB_VERT, &after);
    PROCESS_MEMORY_COUNTERS mem = {};
    mem.cb = sizeof(mem);
    GetProcessMemoryInfo(GetCurrentProcess(), &mem, sizeof(mem));

    if (FILE* f = std::fopen(g.path.c_str(), "w")) {
        std::fprintf(f, "load_to_paint_ms=%.1f\n", Micros(g.loadStart, g.paintEnd) / 1000.0);
        std::fprintf(f, "file_read_ms=%.1f\n", Micros(g.loadStart, g.fileRead) / 1000.0);
        std::fprintf(f, "peak_working_set=%llu\n", static_cast<unsigned long long>(mem.PeakWorkingSetSize));
        std::fprintf(f, "mouse_moves=%d\n", g.moves);
        std::fprintf(f, "mouse_move_first_us=%.2f\n", g.moveFirstUs);
        std::fprintf(f, "mouse_move_repeat_us=%.2f\n", g.moveRepeatUs);
        std::fprintf(f, "lines=%d\n", g.before.nMax + 1);
        std::fprintf(f, "thumb_before=%d\n", g.before.nPos);
        std::fprintf(f, "thumb_after=%d\n", after.nPos);
        std::fprintf(f, "thumb_max=%d\n", after.nMax - static_cast<int>(after.nPage) + 1);
        std::fclose(f);
    }
    ExitProcess(0);
}

// Drags the vertical thumb from where it is to three quarters down the bar, with real
// input events: the bar's own tracking loop then sends SB_THUMBTRACK with the position.
void CALLBACK Measure(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    // The moves are sent, but the pointer should be where they say, as for a real move
    // (an earlier run's drag may have left it over the scroll bar).
    RECT rc;
    GetClientRect(g.view, &rc);
    POINT centre = {rc.right / 2, rc.bottom / 2};
    ClientToScreen(g.view, &centre);
    SetCursorPos(centre.x, centre.y);
    int count = 0;
    g.moveFirstUs = MovePass(count, false);
    g.moveRepeatUs = MovePass(count, true);
    g.moves = count;

    g.before.cbSize = sizeof(g.before);
    g.before.fMask = SIF_ALL;
    GetScrollInfo(g.view, SB_VERT, &g.before);
    SCROLLBARINFO bar = {};
    bar.cbSize = sizeof(bar);
    if (GetScrollBarInfo(g.view, OBJID_VSCROLL, &bar)) {
        const int x = (bar.rcScrollBar.left + bar.rcScrollBar.right) / 2;
        const int y0 = bar.rcScrollBar.top + (bar.xyThumbTop + bar.xyThumbBottom) / 2;
        const int y1 = bar.rcScrollBar.top + (bar.rcScrollBar.bottom - bar.rcScrollBar.top) * 3 / 4;
        MouseTo(x, y0, 0);
        MouseTo(x, y0, MOUSEEVENTF_LEFTDOWN);
        for (int i = 1; i <= 8; ++i) MouseTo(x, y0 + (y1 - y0) * i / 8, 0);
        MouseTo(x, y1, MOUSEEVENTF_LEFTUP);
    }
    SetTimer(nullptr, 0, 1500, Finish);
}

}  // namespace

bool Enabled() {
    if (!g.checked) {
        g.checked = true;
        char buf[MAX_PATH];
        const DWORD n = GetEnvironmentVariableA("QB_BENCH_REPORT", buf, sizeof(buf));
        g.enabled = n > 0 && n < sizeof(buf);
        if (g.enabled) {
            g.path.assign(buf, n);
            QueryPerformanceFrequency(&g.freq);
        }
    }
    return g.enabled;
}

void LoadStarted() {
    if (!Enabled() || g.reported) return;
    QueryPerformanceCounter(&g.loadStart);
    g.loading = true;
}

void FileRead() {
    if (!Enabled() || !g.loading || g.reported) return;
    QueryPerformanceCounter(&g.fileRead);
}

void PaintEnded(HWND view) {
    if (!Enabled() || !g.loading || g.reported) return;
    QueryPerformanceCounter(&g.paintEnd);
    g.reported = true;
    g.view = view;
    SetTimer(nullptr, 0, 100, Measure);
}

}  // namespace benchreport
