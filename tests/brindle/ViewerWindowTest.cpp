// The viewer's windows under Wine: the frame made by the program's own start-up, its view
// painting, scrolling, hovering and clicking, and the four ways a text comes in.
#include <windows.h>
#include <shlobj.h>  // DROPFILES

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "AboutDlg.h"
#include "MainFrame.h"
#include "../common/Probes.h"
#include "StandIn.h"
#include "ViewerApp.h"
#include "WinTest.h"
#include "resource.h"

using wintest::A;

extern CViewerApp theApp;

namespace {

// ---- pixels -------------------------------------------------------------------------

struct Pixels {
    int width = 0, height = 0;
    std::vector<COLORREF> px;
    COLORREF At(int x, int y) const { return px[static_cast<size_t>(y) * width + x]; }
};

// Copies a rectangle of a device context (a window's client area, or the screen).
Pixels CaptureDC(HDC src, int x0, int y0, int width, int height) {
    Pixels p;
    p.width = width;
    p.height = height;
    HDC mem = CreateCompatibleDC(src);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(src, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, width, height, src, x0, y0, SRCCOPY);
    GdiFlush();
    const DWORD* d = static_cast<const DWORD*>(bits);
    for (int i = 0; i < width * height; ++i) p.px.push_back(RGB((d[i] >> 16) & 255, (d[i] >> 8) & 255, d[i] & 255));
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    return p;
}

Pixels CaptureClient(HWND hwnd) {
    RECT rc;
    GetClientRect(hwnd, &rc);
    HDC dc = GetDC(hwnd);
    Pixels p = CaptureDC(dc, 0, 0, rc.right, rc.bottom);
    ReleaseDC(hwnd, dc);
    return p;
}

bool IsBlue(COLORREF c) { return GetBValue(c) >= 160 && GetRValue(c) < 110 && GetGValue(c) < 110; }
bool IsDark(COLORREF c) { return GetRValue(c) < 110 && GetGValue(c) < 110 && GetBValue(c) < 110; }

// What one screen line (rows top..top+height) holds.
struct Band {
    int blue = 0, dark = 0;
    int minX = 1 << 30, maxX = -1;
    int longestBlueRun = 0, longestDarkRun = 0;
};

Band Analyse(const Pixels& p, int top, int height) {
    Band b;
    for (int y = top; y < top + height && y < p.height; ++y) {
        int blueRun = 0, darkRun = 0;
        for (int x = 0; x < p.width; ++x) {
            const COLORREF c = p.At(x, y);
            const bool blue = IsBlue(c), dark = IsDark(c);
            blueRun = blue ? blueRun + 1 : 0;
            darkRun = dark ? darkRun + 1 : 0;
            b.longestBlueRun = std::max(b.longestBlueRun, blueRun);
            b.longestDarkRun = std::max(b.longestDarkRun, darkRun);
            if (blue || dark) {
                b.minX = std::min(b.minX, x);
                b.maxX = std::max(b.maxX, x);
            }
            b.blue += blue;
            b.dark += dark;
        }
    }
    return b;
}

// ---- the clipboard, files, drops ----------------------------------------------------

void PutOnClipboard(UINT format, const void* data, size_t bytes) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    if (data) {
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
        memcpy(GlobalLock(block), data, bytes);
        GlobalUnlock(block);
        SetClipboardData(format, block);
    }
    CloseClipboard();
}

void PutText(const std::string& ansi) { PutOnClipboard(CF_TEXT, ansi.c_str(), ansi.size() + 1); }

// A drop as Explorer makes it: DROPFILES, then the names, each ended by a zero, and one
// more zero at the end.
HGLOBAL MakeDrop(const std::vector<std::string>& paths) {
    std::string names;
    for (const std::string& p : paths) names += p + '\0';
    names += '\0';
    HGLOBAL block = GlobalAlloc(GHND, sizeof(DROPFILES) + names.size());
    auto* drop = static_cast<DROPFILES*>(GlobalLock(block));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = FALSE;
    memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), names.data(), names.size());
    GlobalUnlock(block);
    return block;
}

std::string WindowsPath(const char* unixPath) {
    std::string p = "Z:";
    for (const char* c = unixPath; *c; ++c) p += (*c == '/') ? '\\' : *c;
    return p;
}

// ---- the fixture: the program's own start-up, at a known size -----------------------

class Viewer : public ::testing::Test {
protected:
    void SetUp() override {
        // The view reads the wheel setting once, when it is created.
        SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &m_savedWheel, 0);
        SystemParametersInfoA(SPI_SETWHEELSCROLLLINES, 3, nullptr, 0);
        SetCursorPos(1020, 760);  // the real pointer stays out of the way
        ASSERT_TRUE(theApp.InitInstance());
        m_frame = static_cast<CMainFrame*>(theApp.m_pMainWnd);
        ASSERT_NE(m_frame, nullptr);
        SetWindowPos(m_frame->m_hWnd, nullptr, 0, 0, 800, 600, SWP_NOZORDER);
        m_view = m_frame->m_wndView.m_hWnd;
        ASSERT_EQ(GetDlgItem(m_frame->m_hWnd, AFX_IDW_PANE_FIRST), m_view);
        wintest::PumpFor(100);
    }
    void TearDown() override {
        if (theApp.m_pMainWnd) DestroyWindow(theApp.m_pMainWnd->m_hWnd);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
        SystemParametersInfoA(SPI_SETWHEELSCROLLLINES, m_savedWheel, nullptr, 0);
    }

    CLinkView& View() { return m_frame->m_wndView; }
    void Paste(const std::string& ansi) {
        PutText(ansi);
        SendMessageA(m_frame->m_hWnd, WM_COMMAND, ID_EDIT_PASTETEXT, 0);
        UpdateWindow(m_view);
    }
    SCROLLINFO Bar(int bar) {
        SCROLLINFO si{};
        si.cbSize = sizeof(si);
        si.fMask = SIF_ALL;
        GetScrollInfo(m_view, bar, &si);
        return si;
    }
    int Pos(int bar) { return Bar(bar).nPos; }
    bool VerticalBarShown() { return (GetWindowLongA(m_view, GWL_STYLE) & WS_VSCROLL) != 0; }
    int Page() { return static_cast<int>(Bar(SB_VERT).nPage); }
    void Key(UINT vk) { SendMessageA(m_view, WM_KEYDOWN, vk, 0); }
    // Mouse messages as the system would send them, with the real pointer moved along so
    // that leave tracking sees the same place.
    void Mouse(UINT message, int x, int y, WPARAM keys = 0) {
        POINT pt{x, y};
        ClientToScreen(m_view, &pt);
        SetCursorPos(pt.x, pt.y);
        SendMessageA(m_view, message, keys, MAKELPARAM(x, y));
    }
    HCURSOR CursorNow() {
        SendMessageA(m_view, WM_SETCURSOR, reinterpret_cast<WPARAM>(m_view), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        return GetCursor();
    }
    int LineY(int line) { return View().GetLineHeight() * line + View().GetLineHeight() / 2; }
    std::string Line(int i) {
        LineItem item;
        return View().GetDoc().GetLine(i, item) ? item.text : std::string("<none>");
    }

    CMainFrame* m_frame = nullptr;
    HWND m_view = nullptr;
    UINT m_savedWheel = 3;
};

std::string Numbered(int count, const std::string& extra = "") {
    std::string text;
    char buf[32];
    for (int i = 0; i < count; ++i) {
        snprintf(buf, sizeof(buf), "line %d\r\n", i);
        text += buf;
    }
    return text + extra;
}

// ---- start-up, menu, About, Exit --------------------------------------------------

TEST_F(Viewer, StartsWithTitleMenuAndAnEmptyView) {
    char title[64] = "";
    GetWindowTextA(m_frame->m_hWnd, title, sizeof(title));
    EXPECT_STREQ(title, "BrindleV1.0");
    EXPECT_EQ(GetWindowLongA(m_view, GWL_EXSTYLE) & WS_EX_CLIENTEDGE, WS_EX_CLIENTEDGE);
    EXPECT_EQ(GetWindowLongA(m_view, GWL_STYLE) & WS_BORDER, 0);
    EXPECT_EQ(GetWindowLongA(m_frame->m_hWnd, GWL_EXSTYLE) & WS_EX_ACCEPTFILES, WS_EX_ACCEPTFILES);
    EXPECT_EQ(View().GetDoc().GetLineCount(), 0);
    EXPECT_FALSE(VerticalBarShown()) << "an empty range";

    ASSERT_NE(GetMenu(m_frame->m_hWnd), nullptr);
}

// What a second thread saw of the About box before it pressed OK.
struct AboutSeen {
    std::string caption;
    bool icon = false;
    bool owned = false;
    std::vector<std::string> texts;
};

AboutSeen WatchAboutBox(HWND owner) {
    AboutSeen seen;
    HWND dlg = nullptr;
    for (int i = 0; i < 500 && !dlg; ++i) {
        HWND w = FindWindowA("#32770", nullptr);
        DWORD pid = 0;
        if (w) GetWindowThreadProcessId(w, &pid);
        if (w && pid == GetCurrentProcessId() && IsWindowVisible(w)) dlg = w;
        else Sleep(20);
    }
    if (!dlg) return seen;
    char text[256] = "";
    GetWindowTextA(dlg, text, sizeof(text));
    seen.caption = text;
    seen.owned = GetWindow(dlg, GW_OWNER) == owner && !IsWindowEnabled(owner);
    for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if ((GetWindowLongA(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
            seen.icon = seen.icon || SendMessageA(c, STM_GETICON, 0, 0) != 0;
        text[0] = 0;
        GetWindowTextA(c, text, sizeof(text));
        seen.texts.push_back(text);
    }
    wintest::SaveScreenshot(dlg, wintest::RigDir() + "shots\\brindle_about.bmp");
    PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, IDOK)));
    return seen;
}

TEST_F(Viewer, AboutThroughTheMenuCommandAndExitClosesTheFrame) {
    AboutSeen seen;
    HWND frame = m_frame->m_hWnd;
    std::thread watcher([&] { seen = WatchAboutBox(frame); });
    SendMessageA(frame, WM_COMMAND, ID_APP_ABOUT, 0);  // the view, the frame, then the application
    watcher.join();
    EXPECT_EQ(seen.caption, A("关于BrindleV1.0"));
    EXPECT_TRUE(seen.owned) << "modal over the frame";
    EXPECT_TRUE(seen.icon) << "the program's icon in the box";
    ASSERT_EQ(seen.texts.size(), 4u);
    EXPECT_EQ(seen.texts[1], A("感谢您使用本软件！如果您对本软件有什么建议或想法欢迎给作者来信，谢谢！"));
    EXPECT_EQ(seen.texts[3], A("确定"));
    EXPECT_TRUE(IsWindowEnabled(frame));

    SendMessageA(frame, WM_COMMAND, ID_APP_EXIT, 0);
    EXPECT_FALSE(IsWindow(frame));
    EXPECT_EQ(theApp.m_pMainWnd, nullptr);
}

// ---- painting -----------------------------------------------------------------------

TEST_F(Viewer, LinksArePaintedBlueAndUnderlinedPlainLinesBlack) {
    struct Row {
        const char* text;
        bool link;
    } rows[] = {
        {"Windows Registry Editor Version 5.00", false},
        {"[HKEY_CURRENT_USER\\Software\\Demo]", true},
        {"\"Name\"=\"Value\"", false},
        {"C:\\Windows\\notepad.exe", true},
        {"中文说明文字 plain", false},
        {"hkcu\\software\\中文键", true},
    };
    std::string text;
    for (const Row& r : rows) text += A(r.text) + "\r\n";
    // A line longer than one drawing call takes, then one more link below it.
    text += std::string(70000, 'a') + "\r\nHKLM\\Software\r\n";
    Paste(text);
    wintest::PumpFor(200);
    Pixels shot = CaptureClient(m_view);
    wintest::SaveScreenshot(m_view, wintest::RigDir() + "shots\\brindle_view.bmp");

    const int cy = View().GetLineHeight(), cx = View().GetCharWidth();
    ASSERT_GT(cy, 0);
    for (int i = 0; i < 6; ++i) {
        Band b = Analyse(shot, i * cy, cy);
        SCOPED_TRACE(rows[i].text);
        ASSERT_GE(b.maxX, 0) << "nothing painted";
        EXPECT_GE(b.minX, cx - 1) << "text starts after one average character of margin";
        const int span = b.maxX - b.minX + 1;
        if (rows[i].link) {
            EXPECT_GT(b.blue, 30);
            EXPECT_EQ(b.dark, 0);
            EXPECT_GE(b.longestBlueRun, span * 9 / 10) << "underline";
        } else {
            EXPECT_GT(b.dark, 30);
            EXPECT_EQ(b.blue, 0);
            EXPECT_LT(b.longestDarkRun, span / 2) << "no underline";
        }
    }
    Band longLine = Analyse(shot, 6 * cy, cy), below = Analyse(shot, 7 * cy, cy);
    EXPECT_GT(longLine.dark, 30);
    EXPECT_GT(below.blue, 30);
    EXPECT_EQ(Bar(SB_HORZ).nMax, 70000 + 2);
    Band empty = Analyse(shot, 8 * cy, shot.height - 8 * cy);
    EXPECT_EQ(empty.blue + empty.dark, 0);
}

// ---- scrolling ------------------------------------------------------------------------

TEST_F(Viewer, EightKeysScrollByLinePageAndCharacter) {
    Paste(Numbered(300, std::string(200, 'x') + "\r\n"));  // 301 lines
    const int page = Page();
    ASSERT_GT(page, 5);
    struct Step {
        UINT vk;
        int v, h;
    } steps[] = {
        {VK_NEXT, page, 0},     {VK_DOWN, page + 1, 0}, {VK_UP, page, 0},  {VK_PRIOR, 0, 0},
        {VK_UP, 0, 0},          {VK_END, 301 - page, 0}, {VK_DOWN, 301 - page, 0}, {VK_HOME, 0, 0},
        {VK_RIGHT, 0, 1},       {VK_RIGHT, 0, 2},       {VK_LEFT, 0, 1},   {VK_END, 301 - page, 1},
        {'A', 301 - page, 1},
    };
    for (const Step& s : steps) {
        Key(s.vk);
        EXPECT_EQ(Pos(SB_VERT), s.v) << "after key " << s.vk;
        EXPECT_EQ(Pos(SB_HORZ), s.h) << "after key " << s.vk;
    }
}

TEST_F(Viewer, WheelScrollsThreeLinesPerNotchAndDropsRemainders) {
    Paste(Numbered(300));
    struct Turn {
        short delta;
        int v;
    } turns[] = {{-120, 3}, {-120, 6}, {120, 3}, {-30, 3}, {-30, 3}, {-30, 3}, {-30, 3},
                 {30, 3},   {-240, 9}, {-80, 11}, {200, 6}};
    for (const Turn& t : turns) {
        SendMessageA(m_view, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(t.delta)), MAKELPARAM(100, 100));
        EXPECT_EQ(Pos(SB_VERT), t.v) << "delta " << t.delta;
    }
}

TEST_F(Viewer, ResizingKeepsPositionsANewTextResetsThem) {
    Paste(Numbered(300, std::string(400, 'x') + "\r\n"));
    for (int i = 0; i < 10; ++i) Key(VK_DOWN);
    for (int i = 0; i < 5; ++i) Key(VK_RIGHT);
    const int pageBefore = Page();
    SetWindowPos(m_frame->m_hWnd, nullptr, 0, 0, 700, 400, SWP_NOZORDER | SWP_NOMOVE);
    EXPECT_LT(Page(), pageBefore);
    EXPECT_EQ(Pos(SB_VERT), 10);
    EXPECT_EQ(Pos(SB_HORZ), 5);

    Key(VK_END);
    EXPECT_EQ(Pos(SB_VERT), 301 - Page());
    SetWindowPos(m_frame->m_hWnd, nullptr, 0, 0, 800, 700, SWP_NOZORDER | SWP_NOMOVE);
    EXPECT_EQ(Pos(SB_VERT), 301 - Page()) << "clamped into the larger page";

    Paste(Numbered(50));
    EXPECT_EQ(Pos(SB_VERT), 0);
    EXPECT_EQ(Pos(SB_HORZ), 0);
    EXPECT_EQ(Bar(SB_VERT).nMax, 49);
    EXPECT_EQ(Bar(SB_HORZ).nMax, 7 + 2);  // "line 49"
}

TEST_F(Viewer, ThumbDragReachesLinesBeyond65535) {
    std::string text;
    for (int i = 0; i < 100000; ++i) text += "k\r\n";
    Paste(text);
    SetForegroundWindow(m_frame->m_hWnd);
    SCROLLBARINFO bar{};
    bar.cbSize = sizeof(bar);
    ASSERT_TRUE(GetScrollBarInfo(m_view, OBJID_VSCROLL, &bar));
    const int x = (bar.rcScrollBar.left + bar.rcScrollBar.right) / 2;
    const int y0 = bar.rcScrollBar.top + (bar.xyThumbTop + bar.xyThumbBottom) / 2;
    const int y1 = bar.rcScrollBar.top + (bar.rcScrollBar.bottom - bar.rcScrollBar.top) * 9 / 10;
    auto input = [](int px, int py, DWORD flags) {
        INPUT in{};
        in.type = INPUT_MOUSE;
        in.mi.dx = MulDiv(px, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
        in.mi.dy = MulDiv(py, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
        in.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE | flags;
        SendInput(1, &in, sizeof(in));
    };
    input(x, y0, 0);
    input(x, y0, MOUSEEVENTF_LEFTDOWN);
    for (int i = 1; i <= 8; ++i) input(x, y0 + (y1 - y0) * i / 8, 0);
    input(x, y1, MOUSEEVENTF_LEFTUP);
    wintest::WaitUntil([&] { return Pos(SB_VERT) > 65535; }, 3000);
    EXPECT_GT(Pos(SB_VERT), 65535);
}

// ---- hover and click ------------------------------------------------------------------

TEST_F(Viewer, HandOnlyOverTheMeasuredTextOfALink) {
    const std::string key = "HKEY_CURRENT_USER\\Software", tabbed = "\t\tHKLM\\Software";
    // The long last line lets the view scroll sideways.
    Paste("plain words\r\n" + key + "\r\n" + tabbed + "\r\n" + std::string(300, 'w') + "\r\n");
    const HCURSOR hand = LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDC_LINKHAND));
    const HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    ASSERT_NE(hand, nullptr);
    const int cx = View().GetCharWidth();

    // The hit area is what DrawTextA measures of the whole line in the link font.
    HDC dc = GetDC(m_view);
    HFONT font = CreateFontA(-20, 0, 0, 0, FW_NORMAL, 0, 1, 0, GB2312_CHARSET, OUT_STROKE_PRECIS, CLIP_STROKE_PRECIS,
                             DRAFT_QUALITY, VARIABLE_PITCH, A("宋体").c_str());
    HGDIOBJ old = SelectObject(dc, font);
    auto width = [&](const std::string& s) {
        RECT rc{0, 0, 0, 0};
        DrawTextA(dc, s.c_str(), static_cast<int>(s.size()), &rc, DT_CALCRECT);
        return static_cast<int>(rc.right);
    };
    const int keyRight = cx + width(key), tabbedRight = cx + width(tabbed);
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(m_view, dc);

    Pixels before = CaptureClient(m_view);
    struct Spot {
        int x, line;
        bool hand;
        const char* where;
    } spots[] = {
        {cx + 2, 1, true, "start of the key line"},
        {keyRight - 1, 1, true, "its last pixel"},
        {keyRight, 1, false, "just right of the text"},
        {cx - 1, 1, false, "the left margin"},
        {cx + 2, 0, false, "a plain line"},
        {tabbedRight - 1, 2, true, "an indented link, tabs measured too"},
        {cx + 2, 6, false, "below the text"},
    };
    for (const Spot& s : spots) {
        Mouse(WM_MOUSEMOVE, s.x, LineY(s.line));
        EXPECT_EQ(CursorNow(), s.hand ? hand : arrow) << s.where;
    }
    // Scrolled one character to the right, the same document point is one character left.
    Key(VK_RIGHT);
    ASSERT_EQ(Pos(SB_HORZ), 1);
    Mouse(WM_MOUSEMOVE, keyRight - cx - 1, LineY(1));
    EXPECT_EQ(CursorNow(), hand);
    Mouse(WM_MOUSEMOVE, keyRight - cx, LineY(1));
    EXPECT_EQ(CursorNow(), arrow);
    Key(VK_LEFT);

    Mouse(WM_MOUSEMOVE, cx + 2, LineY(1));
    EXPECT_EQ(CursorNow(), hand);
    wintest::PumpFor(100);
    Pixels hovering = CaptureClient(m_view);
    EXPECT_TRUE(before.px == hovering.px) << "hovering changes nothing but the cursor";
    SendMessageA(m_view, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(CursorNow(), arrow);
}

TEST_F(Viewer, PressAndReleaseOpensTheEditorAtTheKeyAMoveWhileHeldCancels) {
    wintest::MessageBoxWatcher boxes(IDOK);
    standin::Session editor("brindle_view_click");
    wintest::ScratchKey key("BrindleView\\Click");
    ASSERT_TRUE(key.Ok());
    Paste("plain words\r\n" + key.Path() + "\r\n");
    const int x = View().GetCharWidth() + 4;

    // Press and release on plain text; press on the link, move a pixel held, release.
    Mouse(WM_MOUSEMOVE, x, LineY(0));
    Mouse(WM_LBUTTONDOWN, x, LineY(0), MK_LBUTTON);
    Mouse(WM_LBUTTONUP, x, LineY(0));
    Mouse(WM_MOUSEMOVE, x, LineY(1));
    Mouse(WM_LBUTTONDOWN, x, LineY(1), MK_LBUTTON);
    Mouse(WM_MOUSEMOVE, x + 1, LineY(1), MK_LBUTTON);
    Mouse(WM_LBUTTONUP, x + 1, LineY(1));
    wintest::PumpFor(1500);
    EXPECT_EQ(standin::CountEditorProcesses(), 0);
    EXPECT_TRUE(editor.Keys().empty());

    // Moved onto the link without the button, then a click: the editor opens at the key.
    Mouse(WM_MOUSEMOVE, x, LineY(1));
    Mouse(WM_LBUTTONDOWN, x, LineY(1), MK_LBUTTON);
    Mouse(WM_LBUTTONUP, x, LineY(1));
    EXPECT_TRUE(wintest::WaitUntil([&] { return standin::FinalPath(editor.Keys()) == key.Path(); }, 20000))
        << standin::Describe(editor.Keys());
    EXPECT_TRUE(boxes.Seen().empty());
}

TEST_F(Viewer, AClickOnAFileLineOpensExplorerAtItsFolder) {
    const std::string folder = probes::DriveFolder("brindleview");
    const std::string file = folder + "target.txt";
    ASSERT_TRUE(wintest::WriteFileBytes(file, "x"));
    Paste(file + "\r\n");
    const std::set<HWND> before = probes::ForeignWindows();
    const int x = View().GetCharWidth() + 4;
    Mouse(WM_MOUSEMOVE, x, LineY(0));
    Mouse(WM_LBUTTONDOWN, x, LineY(0), MK_LBUTTON);
    Mouse(WM_LBUTTONUP, x, LineY(0));
    EXPECT_EQ(probes::WaitForNewExplorerWindow(before, 15000), "brindleview");
}

// ---- texts coming in ------------------------------------------------------------------

TEST_F(Viewer, PasteReplacesTheTextOnlyWhenTheClipboardHasText) {
    Paste("HKCU\\One\r\nplain\r\n");
    ASSERT_EQ(View().GetDoc().GetLineCount(), 2);

    PutOnClipboard(CF_TEXT, nullptr, 0);  // emptied: no text at all
    SendMessageA(m_frame->m_hWnd, WM_COMMAND, ID_EDIT_PASTETEXT, 0);
    EXPECT_EQ(View().GetDoc().GetLineCount(), 2) << "nothing to paste keeps the text";

    const std::wstring wide = L"HKCU\\\u8F6F\u4EF6";  // only Unicode on the clipboard
    PutOnClipboard(CF_UNICODETEXT, wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
    SendMessageA(m_frame->m_hWnd, WM_COMMAND, ID_EDIT_PASTETEXT, 0);
    EXPECT_EQ(Line(0), A("HKCU\\软件"));
    EXPECT_EQ(View().GetDoc().LineKind(0), LINE_KEY);

    Paste(Numbered(300));
    ASSERT_TRUE(VerticalBarShown());
    Paste("");
    EXPECT_EQ(View().GetDoc().GetLineCount(), 0) << "an empty text empties the view";
    EXPECT_FALSE(VerticalBarShown());

    char title[64] = "";
    GetWindowTextA(m_frame->m_hWnd, title, sizeof(title));
    EXPECT_STREQ(title, "BrindleV1.0");
}

TEST_F(Viewer, ADropLoadsTheFirstFileOnly) {
    const std::string dir = wintest::ScratchDir("brindle_drop");
    const std::string first = dir + "first.reg", second = dir + "second.REG", third = dir + "third.txt";
    ASSERT_TRUE(wintest::WriteFileBytes(first, "HKEY_CURRENT_USER\\First\r\nplain\r\n"));
    ASSERT_TRUE(wintest::WriteFileBytes(second, "HKEY_CURRENT_USER\\Second\r\n"));
    ASSERT_TRUE(wintest::WriteFileBytes(third, "C:\\third.txt\r\n"));
    ASSERT_TRUE(wintest::WriteFileBytes(dir + "notes.doc", "HKCU\\Doc\r\n"));

    struct Drop {
        std::vector<std::string> files;
        const char* firstLine;
    } drops[] = {
        {{first, second, third}, "HKEY_CURRENT_USER\\First"},
        {{third, first}, "C:\\third.txt"},
        {{dir + "notes.doc", first}, "C:\\third.txt"},      // name test fails: text kept
        {{dir + "missing.reg"}, "C:\\third.txt"},           // existence test fails: kept
        {{dir.substr(0, dir.size() - 1)}, "C:\\third.txt"},  // a folder: kept
        {{second, first, third}, "HKEY_CURRENT_USER\\Second"},
    };
    for (const Drop& d : drops) {
        PostMessageA(m_frame->m_hWnd, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(d.files)), 0);
        wintest::PumpFor(300);
        EXPECT_EQ(Line(0), d.firstLine) << "dropping " << d.files[0];
    }
    EXPECT_EQ(View().GetDoc().GetLineCount(), 1);
}

// Answers the file-open dialog from a second thread: types `path` and confirms, or
// cancels when it is empty. Returns the first entry of its file-type list.
std::string AnswerOpenDialog(const std::string& path) {
    HWND dlg = nullptr;
    for (int i = 0; i < 500 && !dlg; ++i) {
        HWND w = FindWindowA("#32770", nullptr);
        DWORD pid = 0;
        if (w) GetWindowThreadProcessId(w, &pid);
        if (w && pid == GetCurrentProcessId() && IsWindowVisible(w)) dlg = w;
        else Sleep(20);
    }
    if (!dlg) return "<no dialog>";
    Sleep(300);  // let it finish filling its lists
    char type[256] = "";
    SendDlgItemMessageA(dlg, 0x470, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(type));  // file types
    if (path.empty()) {
        PostMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
    } else {
        // The name box: a combo box in the Explorer-style dialog, an edit box in the old one.
        if (!SetDlgItemTextA(dlg, 0x47C, path.c_str())) SetDlgItemTextA(dlg, 0x480, path.c_str());
        PostMessageA(dlg, WM_COMMAND, IDOK, 0);
    }
    return type;
}

TEST_F(Viewer, OpenLoadsTheChosenFileCancelKeepsTheText) {
    const std::string dir = wintest::ScratchDir("brindle_open");
    const std::string file = dir + "chosen.txt";
    ASSERT_TRUE(wintest::WriteFileBytes(file, "HKCU\\Chosen\r\nplain\r\n"));
    Paste("kept\r\n");
    struct Case {
        std::string answer;
        const char* firstLine;
    } cases[] = {{"", "kept"}, {file, "HKCU\\Chosen"}, {dir + "absent.reg", "HKCU\\Chosen"}};
    for (const Case& c : cases) {
        std::string types;
        std::thread answer([&] { types = AnswerOpenDialog(c.answer); });
        SendMessageA(m_frame->m_hWnd, WM_COMMAND, ID_FILE_OPENTEXT, 0);
        answer.join();
        EXPECT_EQ(types, A("注册表文件(*.reg;*.txt)"));
        EXPECT_EQ(Line(0), c.firstLine) << "answered " << c.answer;
    }
}

TEST_F(Viewer, AFileThatCannotBeOpenedLeavesTheViewVisiblyEmpty) {
    const std::string dir = wintest::ScratchDir("brindle_locked");
    const std::string file = dir + "locked.reg";
    ASSERT_TRUE(wintest::WriteFileBytes(file, "HKCU\\Locked\r\n"));
    Paste("HKEY_CURRENT_USER\\Shown\r\nplain\r\n");
    HANDLE lock = CreateFileA(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(View().LoadTextFile(file.c_str()));
    CloseHandle(lock);
    UpdateWindow(m_view);
    EXPECT_EQ(View().GetDoc().GetLineCount(), 0);
    Pixels shot = CaptureClient(m_view);
    Band all = Analyse(shot, 0, shot.height);
    EXPECT_EQ(all.blue + all.dark, 0) << "the old lines are not left on screen";
}

// The program started by the shell for a file: "<program>" "<file>".
struct Started {
    PROCESS_INFORMATION pi{};
    HWND frame = nullptr;
    explicit Started(const std::string& commandLine) {
        STARTUPINFOA si{};
        si.cb = sizeof(si);
        std::string line = commandLine;
        if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return;
        wintest::WaitUntil(
            [&] {
                frame = FindWindowA(nullptr, "BrindleV1.0");
                return frame != nullptr && IsWindowVisible(frame);
            },
            15000);
        wintest::PumpFor(700);
    }
    ~Started() {
        if (frame) PostMessageA(frame, WM_CLOSE, 0, 0);
        if (pi.hProcess) {
            if (WaitForSingleObject(pi.hProcess, 5000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
            CloseHandle(pi.hProcess);
            CloseHandle(pi.hThread);
        }
    }
    // What the child's view shows, read from the screen.
    Band ViewPixels() {
        HWND view = GetDlgItem(frame, AFX_IDW_PANE_FIRST);
        RECT rc;
        GetClientRect(view, &rc);
        POINT origin{0, 0};
        ClientToScreen(view, &origin);
        HDC screen = GetDC(nullptr);
        Pixels p = CaptureDC(screen, origin.x, origin.y, rc.right, rc.bottom);
        ReleaseDC(nullptr, screen);
        return Analyse(p, 0, p.height);
    }
};

TEST(ViewerCommandLine, AQuotedPathWithBlanksOpensTwoBlanksOpenNothing) {
    const char* build = getenv("QB_WIN_BUILD_DIR");
    ASSERT_NE(build, nullptr);
    const std::string program = "\"" + WindowsPath(build) + "\\brindle\\Brindle.exe\"";
    const std::string dir = probes::DriveFolder("brindle cmd");
    const std::string file = dir + "my export.reg";
    ASSERT_TRUE(wintest::WriteFileBytes(file, "[HKEY_CURRENT_USER\\Software]\r\nHKLM\\Software\r\n"));
    ASSERT_TRUE(wintest::WriteFileBytes(dir + "my notes.doc", "HKLM\\Software\r\n"));

    struct Case {
        std::string arguments;
        bool opens;
    } cases[] = {
        {" \"" + file + "\"", true},
        {"  \"" + file + "\"", false},
        {" \"" + dir + "my notes.doc\"", false},
        {"", false},
    };
    for (const Case& c : cases) {
        Started brindle(program + c.arguments);
        ASSERT_NE(brindle.frame, nullptr) << c.arguments;
        Band b = brindle.ViewPixels();
        if (c.opens)
            EXPECT_GT(b.blue, 100) << c.arguments;
        else
            EXPECT_EQ(b.blue + b.dark, 0) << c.arguments;
    }
}

}  // namespace
