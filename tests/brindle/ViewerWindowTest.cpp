// The viewer's windows under Wine, made by the program's own start-up: painting, keys and
// resizing, links, Find, the ways a text comes in, and the frame's menu, focus and Exit. The
// wheel, the hand, the click rule and the command line: the tour, with real input.
#include <windows.h>
#include <shlobj.h>  // DROPFILES

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "Driver.h"
#include "MainFrame.h"
#include "StandIn.h"
#include "ViewerApp.h"
#include "WinTest.h"
#include "resource.h"

using wintest::A;

extern CViewerApp theApp;

namespace {

// What some rows of a window hold: blue (link) and dark (plain) pixels, their extent and longest runs.
struct Band {
    int blue = 0, dark = 0, minX = 1 << 30, maxX = -1, longestBlueRun = 0, longestDarkRun = 0, selected = 0;
};

// From the screen, as the user sees it: the Find dialog and the pointer are kept off the view.
std::vector<Band> Capture(HWND hwnd, int rowsPerBand) {
    wintest::PumpFor(50);  // what was painted reaches the screen
    RECT rc;
    GetClientRect(hwnd, &rc);
    MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&rc), 2);
    const std::vector<DWORD> pixels = wintest::ScreenPixels(rc);
    const int w = rc.right - rc.left, h = rc.bottom - rc.top;
    const COLORREF sel = GetSysColor(COLOR_HIGHLIGHT);
    std::vector<Band> bands((h + rowsPerBand - 1) / rowsPerBand);
    for (int y = 0; y < h; ++y) {
        Band& b = bands[y / rowsPerBand];
        for (int x = 0, blueRun = 0, darkRun = 0; x < w; ++x) {
            const DWORD c = pixels[y * w + x];
            const int r = (c >> 16) & 255, g = (c >> 8) & 255, bl = c & 255;
            const bool blue = bl >= 160 && r < 110 && g < 110, dark = r < 110 && g < 110 && bl < 110;
            b.longestBlueRun = std::max(b.longestBlueRun, blueRun = blue ? blueRun + 1 : 0);
            b.longestDarkRun = std::max(b.longestDarkRun, darkRun = dark ? darkRun + 1 : 0);
            if (blue || dark) b.minX = std::min(b.minX, x), b.maxX = std::max(b.maxX, x);
            b.blue += blue;
            b.dark += dark;
            b.selected += r == GetRValue(sel) && g == GetGValue(sel) && bl == GetBValue(sel);
        }
    }
    return bands;
}

std::string Numbered(int count, const std::string& extra = "") {
    std::string text;
    for (int i = 0; i < count; ++i) text += "line " + std::to_string(i) + "\r\n";
    return text + extra;
}

class Viewer : public ::testing::Test {
protected:
    void SetUp() override {
        SetCursorPos(1020, 760);  // the real pointer stays out of the way
        ASSERT_TRUE(theApp.InitInstance());
        m_frame = static_cast<CMainFrame*>(theApp.m_pMainWnd);
        ASSERT_NE(m_frame, nullptr);
        SetWindowPos(m_frame->m_hWnd, nullptr, 0, 0, 800, 600, SWP_NOZORDER);
        m_view = m_frame->m_wndView.m_hWnd;
        EXPECT_NE(GetMenu(m_frame->m_hWnd), nullptr);
        SetFocus(m_frame->m_hWnd);
        EXPECT_EQ(GetFocus(), m_view) << "the frame hands the keyboard to its view";
        wintest::PumpFor(100);
    }
    // The menu's Exit, which the application handles: the frame goes and the loop is told to end.
    void TearDown() override {
        if (theApp.m_pMainWnd) Command(ID_APP_EXIT);
        EXPECT_EQ(theApp.m_pMainWnd, nullptr);
        MSG quit;
        EXPECT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    }

    CLinkView& View() { return m_frame->m_wndView; }
    // The program's own loop: accelerators, the Find dialog's keys and Esc go through the frame.
    bool AppWaitUntil(const std::function<bool()>& pred, DWORD ms) {
        for (const DWORD start = GetTickCount(); !pred(); Sleep(5)) {
            for (MSG msg; PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);)
                if (!theApp.PreTranslateMessage(&msg)) TranslateMessage(&msg), DispatchMessageA(&msg);
            if (GetTickCount() - start > ms) return pred();
        }
        return true;
    }
    // Find Next pressed in the dialog with this text and choices; true once the search has ended.
    bool FindInDialog(const std::string& text, bool matchCase) {
        const HWND dlg = View().GetFindDialog();
        if (!dlg) return false;
        SetDlgItemTextA(dlg, 0x480, text.c_str());
        CheckDlgButton(dlg, 0x411, matchCase ? BST_CHECKED : BST_UNCHECKED);
        SendMessageA(dlg, WM_COMMAND, IDOK, 0);
        return AppWaitUntil([&] { return !View().IsSearching(); }, 10000);
    }
    bool Find(UINT id) { Command(id); return AppWaitUntil([&] { return !View().IsSearching(); }, 10000); }
    std::string MatchAt() {
        const CLinkView::Match& m = View().GetMatch();
        return std::to_string(m.line) + ":" + std::to_string(m.start) + "+" + std::to_string(m.length);
    }
    void Command(UINT id) { SendMessageA(m_frame->m_hWnd, WM_COMMAND, id, 0); }
    void Paste(const std::string& ansi) { drive::PutClipboardText(ansi); Command(ID_EDIT_PASTETEXT); UpdateWindow(m_view); }
    SCROLLINFO Bar(int bar) { SCROLLINFO si{sizeof(si), SIF_ALL, 0, 0, 0, 0, 0}; GetScrollInfo(m_view, bar, &si); return si; }
    int Pos(int bar) { return Bar(bar).nPos; }
    int Page() { return static_cast<int>(Bar(SB_VERT).nPage); }
    void Key(UINT vk) { SendMessageA(m_view, WM_KEYDOWN, vk, 0); }
    // As the system sends them, with the real pointer moved along for leave tracking.
    void Mouse(UINT message, int x, int y, WPARAM keys = 0) {
        POINT pt{x, y};
        ClientToScreen(m_view, &pt);
        SetCursorPos(pt.x, pt.y);
        SendMessageA(m_view, message, keys, MAKELPARAM(x, y));
    }
    void Click(int x, int y) { Mouse(WM_MOUSEMOVE, x, y); Mouse(WM_LBUTTONDOWN, x, y, MK_LBUTTON); Mouse(WM_LBUTTONUP, x, y); }
    HCURSOR CursorNow() {
        SendMessageA(m_view, WM_SETCURSOR, reinterpret_cast<WPARAM>(m_view), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        return GetCursor();
    }
    std::string Line(int i) { return i < View().GetDoc().GetLineCount() ? std::string(View().GetDoc().LineText(i)) : "<none>"; }

    CMainFrame* m_frame = nullptr;
    HWND m_view = nullptr;
};

TEST_F(Viewer, LinksArePaintedBlueAndUnderlinedPlainLinesBlack) {
    const struct Row { const char* text; bool link; } rows[] = {
        {"Windows Registry Editor Version 5.00", false}, {"[HKEY_CURRENT_USER\\Software\\Demo]", true},
        {"\"Name\"=\"Value\"", false}, {"C:\\Windows\\notepad.exe", true},
        {"中文说明文字 plain", false}, {"hkcu\\software\\中文键", true},
    };
    std::string text;
    for (const auto& r : rows) text += A(r.text) + "\r\n";
    text += std::string(70000, 'a') + "\r\nHKLM\\Software\r\n";  // longer than one drawing call, then a link
    Paste(text);
    wintest::PumpFor(200);
    wintest::SaveScreenshot(m_view, wintest::RigDir() + "shots\\brindle_view.bmp");
    const int cy = View().GetLineHeight(), cx = View().GetCharWidth();
    ASSERT_GT(cy, 0);
    const std::vector<Band> bands = Capture(m_view, cy);
    for (int i = 0; i < 6; ++i) {
        const Band& b = bands[i];
        SCOPED_TRACE(rows[i].text);
        ASSERT_GE(b.maxX, 0) << "nothing painted";
        EXPECT_GE(b.minX, cx - 1) << "text starts after one average character of margin";
        const int span = b.maxX - b.minX + 1;
        EXPECT_EQ(rows[i].link ? b.dark : b.blue, 0);
        EXPECT_GT(rows[i].link ? b.blue : b.dark, 30);
        if (rows[i].link) EXPECT_GE(b.longestBlueRun, span * 9 / 10) << "underline";
        else EXPECT_LT(b.longestDarkRun, span / 2) << "no underline";
    }
    EXPECT_GT(bands[6].dark, 30);
    EXPECT_GT(bands[7].blue, 30);
    for (size_t i = 8; i < bands.size(); ++i) EXPECT_EQ(bands[i].blue + bands[i].dark, 0) << "row " << i;
    // Scrolled to its end, the long line shows its last characters, on the bar's grid.
    SCROLLINFO si{sizeof(si), SIF_POS, 0, 0, 0, 70000, 0};
    SetScrollInfo(m_view, SB_HORZ, &si, TRUE);
    InvalidateRect(m_view, nullptr, TRUE);
    UpdateWindow(m_view);
    const std::vector<Band> end = Capture(m_view, cy);
    EXPECT_NEAR(end[6].maxX, (70001 - Pos(SB_HORZ)) * cx, cx) << "the line ends where the bar says";
    EXPECT_EQ(end[7].blue + end[0].dark, 0);
}

// Keys move by line, page and character; a resize keeps the place; an empty clipboard keeps
// the text, a new text starts at the top and an empty one hides the bars.
TEST_F(Viewer, KeysAndResizingScrollANewTextResets) {
    Paste(Numbered(300, std::string(400, 'x') + "\r\n"));  // 301 lines
    const int page = Page(), end = 301 - page;
    ASSERT_GT(page, 5);
    const struct { UINT vk; int v, h; } steps[] = {
        {VK_NEXT, page, 0}, {VK_DOWN, page + 1, 0}, {VK_UP, page, 0}, {VK_PRIOR, 0, 0}, {VK_UP, 0, 0},
        {VK_END, end, 0},   {VK_DOWN, end, 0},      {VK_HOME, 0, 0},  {VK_RIGHT, 0, 1}, {VK_RIGHT, 0, 2},
        {VK_LEFT, 0, 1},    {VK_END, end, 1},       {'A', end, 1},    {VK_UP, end - 1, 1},
    };
    for (const auto& s : steps) {
        Key(s.vk);
        EXPECT_EQ(Pos(SB_VERT), s.v) << "after key " << s.vk;
        EXPECT_EQ(Pos(SB_HORZ), s.h) << "after key " << s.vk;
    }
    SetWindowPos(m_frame->m_hWnd, nullptr, 0, 0, 700, 400, SWP_NOZORDER | SWP_NOMOVE);
    EXPECT_LT(Page(), page);
    EXPECT_EQ(Pos(SB_VERT), end - 1);
    EXPECT_EQ(Pos(SB_HORZ), 1);
    ASSERT_TRUE(OpenClipboard(nullptr) && EmptyClipboard() && CloseClipboard());
    Command(ID_EDIT_PASTETEXT);
    EXPECT_EQ(View().GetDoc().GetLineCount(), 301) << "nothing to paste keeps the text";
    Paste(Numbered(50));
    EXPECT_EQ(Pos(SB_VERT), 0);
    EXPECT_EQ(Pos(SB_HORZ), 0);
    EXPECT_EQ(Bar(SB_HORZ).nMax, 7 + 2);  // "line 49"
    Paste("");
    EXPECT_EQ(View().GetDoc().GetLineCount(), 0);
    EXPECT_EQ(GetWindowLongA(m_view, GWL_STYLE) & WS_VSCROLL, 0);
}

// Run by the rig's scaling script at 96, 144 and 192 DPI (elsewhere at 96 only): rows and
// columns grow by the factor, a click placed by the factor alone opens the key on its line,
// and the hand shows up to the end of the drawn text, not beyond.
TEST_F(Viewer, GrowsWithTheDisplayScale) {
    wintest::MessageBoxWatcher boxes(IDOK);
    standin::Session editor("brindle_view_scale");
    wintest::ScratchKey key("S");
    ASSERT_TRUE(key.Ok());
    Paste(Numbered(6) + "HKCU\\Software\\QbTests\\S\r\n" + Numbered(3));  // short enough to end in view
    const std::vector<int> at96 = wintest::FiguresAt96("brindle", {View().GetLineHeight(), View().GetCharWidth()});
    ASSERT_EQ(at96.size(), 2u) << "the run at 96 DPI comes first";
    const double factor = wintest::ScreenDpi() / 96.0;
    EXPECT_NEAR(View().GetLineHeight(), at96[0] * factor, 1.0);
    EXPECT_NEAR(View().GetCharWidth(), at96[1] * factor, 1.0);
    const Band line = Capture(m_view, View().GetLineHeight())[6];
    ASSERT_GT(line.blue, 30);
    const int y = static_cast<int>(at96[0] * factor * 6.5);
    const HCURSOR hand = LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDC_LINKHAND));
    Mouse(WM_MOUSEMOVE, line.maxX - 1, y);
    EXPECT_EQ(CursorNow(), hand) << "at the text's last pixel";
    Mouse(WM_MOUSEMOVE, line.maxX + 2, y);
    EXPECT_NE(CursorNow(), hand) << "past the text";
    Click((line.minX + line.maxX) / 2, y);
    EXPECT_EQ(editor.WaitAt(key.Path()), key.Path());
}

// A file line opens Explorer at its folder. An editor that has stopped answering holds the
// viewer for one message's limit at most, and the failure is told.
TEST_F(Viewer, LinksOpenTheirTargetAHungEditorIsTold) {
    const std::string file = drive::DriveFolder("brindleview") + "target.txt";
    ASSERT_TRUE(wintest::WriteFileBytes(file, "x"));
    Paste(file + "\r\n");
    const std::set<HWND> before = drive::ForeignWindows();
    Click(View().GetCharWidth() + 4, View().GetLineHeight() / 2);
    EXPECT_EQ(drive::WaitForNewExplorerWindow(before, 15000), "brindleview");

    wintest::MessageBoxWatcher boxes(IDOK);
    standin::Session editor("brindle_view_hung");
    wintest::ScratchKey key("BrindleView\\Hung");
    standin::ScopedEnv hang("QB_STANDIN_HANG", "300");
    ASSERT_TRUE(standin::WaitHung(editor.Start()));
    Paste(key.Path() + "\r\n");
    double start = standin::NowMs();
    Click(View().GetCharWidth() + 4, View().GetLineHeight() / 2);
    EXPECT_LT(standin::NowMs() - start, 7000.0);
    ASSERT_EQ(boxes.Seen().size(), 1u);
    EXPECT_EQ(wintest::U(boxes.Seen()[0].text), "打开注册表编辑器失败！");
}

// Open, a drop (its first file only) and a file that cannot be read (the view left visibly empty).
TEST_F(Viewer, OpenDropAndAnUnreadableFile) {
    const std::string dir = wintest::ScratchDir("brindle_files"), chosen = dir + "chosen.txt", first = dir + "first.reg";
    ASSERT_TRUE(wintest::WriteFileBytes(chosen, "HKCU\\Chosen\r\n"));
    ASSERT_TRUE(wintest::WriteFileBytes(first, A("HKEY_CURRENT_USER\\First\r\n中文\r\n")));  // ANSI: bytes kept
    char type[256] = "";
    drive::Run([&] { Command(ID_FILE_OPENTEXT); return 0; }, [&] {
        const HWND dlg = drive::WaitDialog("", 10000);
        Sleep(300);  // let it finish filling its lists
        SendDlgItemMessageA(dlg, 0x470, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(type));
        // The name box is a combo box in the Explorer-style dialog, an edit box in the old one.
        if (!SetDlgItemTextA(dlg, 0x47C, chosen.c_str())) SetDlgItemTextA(dlg, 0x480, chosen.c_str());
        PostMessageA(dlg, WM_COMMAND, IDOK, 0);
        drive::WaitGone(dlg, 5000);
    });
    EXPECT_STREQ(type, A("注册表文件(*.reg;*.txt)").c_str());
    EXPECT_EQ(Line(0), "HKCU\\Chosen");
    // A drop as Explorer makes it: DROPFILES, then the names, each ended by a zero, and one more.
    const std::string names = first + '\0' + chosen + '\0' + '\0';
    HGLOBAL block = GlobalAlloc(GHND, sizeof(DROPFILES) + names.size());
    auto* drop = static_cast<DROPFILES*>(GlobalLock(block));
    drop->pFiles = sizeof(DROPFILES);
    memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), names.data(), names.size());
    GlobalUnlock(block);
    PostMessageA(m_frame->m_hWnd, WM_DROPFILES, reinterpret_cast<WPARAM>(block), 0);
    wintest::PumpFor(300);
    EXPECT_EQ(Line(0), "HKEY_CURRENT_USER\\First");
    EXPECT_EQ(Line(1), A("中文"));
    EXPECT_EQ(View().GetDoc().GetLineCount(), 2);

    HANDLE lock = CreateFileA(first.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(View().LoadTextFile(first.c_str()));
    CloseHandle(lock);
    UpdateWindow(m_view);
    EXPECT_EQ(View().GetDoc().GetLineCount(), 0);
    const Band all = Capture(m_view, 1 << 20)[0];
    EXPECT_EQ(all.blue + all.dark, 0) << "the old lines are not left on screen";
}

// Find, as a user drives it: F3 with nothing searched yet opens the system's dialog, a match
// far down (past the first 65,536 lines, a block of the document's index) is shown selected
// and in view, F3 and Shift+F3 step on, nothing more found leaves all as it was; Ctrl+F
// brings the dialog back with the last text.
TEST_F(Viewer, FindShowsTheMatchInViewAndStepsOnWithF3) {
    std::string text = Numbered(70000, "line 70000 Target\r\nHKCU\\Software\\Demo\r\nline 70002 target\r\n");
    text += "line 70003 " + std::string(300, 'x') + "Target\r\n" + Numbered(2000);
    Paste(text);
    auto closeDialog = [&] {
        SendMessageA(View().GetFindDialog(), WM_COMMAND, IDCANCEL, 0);
        return AppWaitUntil([&] { return !View().GetFindDialog(); }, 5000);
    };
    auto dialogShown = [&] { return View().GetFindDialog() && IsWindowVisible(View().GetFindDialog()); };
    Find(ID_EDIT_FINDNEXTMATCH);
    ASSERT_TRUE(AppWaitUntil(dialogShown, 5000));
    SetWindowPos(View().GetFindDialog(), nullptr, 300, 610, 0, 0, SWP_NOSIZE | SWP_NOZORDER);  // off the view

    ASSERT_TRUE(FindInDialog("TARGET", false));
    EXPECT_EQ(MatchAt(), "70000:11+6");
    const int top = Pos(SB_VERT);
    EXPECT_EQ(top, 70000 - (Page() - 1) / 2) << "centred";
    const std::vector<Band> bands = Capture(m_view, View().GetLineHeight());
    EXPECT_GT(bands[70000 - top].selected, 30) << "the match in the selection colours";
    EXPECT_EQ(bands[70001 - top].selected, 0);
    EXPECT_GT(bands[70001 - top].blue, 30) << "a link line, its kind from the index's second block";
    ASSERT_TRUE(closeDialog());
    {
        wintest::MessageBoxWatcher boxes(IDOK);
        const struct { UINT command; const char* match; size_t boxes; } steps[] = {
            {ID_EDIT_FINDNEXTMATCH, "70002:11+6", 0}, {ID_EDIT_FINDNEXTMATCH, "70003:311+6", 0},
            {ID_EDIT_FINDNEXTMATCH, "70003:311+6", 1}, {ID_EDIT_FINDPREVMATCH, "70002:11+6", 1},
        };
        for (const auto& step : steps) {
            const int v = Pos(SB_VERT), h = Pos(SB_HORZ);
            const size_t seen = boxes.Seen().size();
            ASSERT_TRUE(Find(step.command));
            EXPECT_EQ(MatchAt(), step.match);
            ASSERT_EQ(boxes.Seen().size(), step.boxes);
            if (step.boxes > seen) {
                EXPECT_EQ(boxes.Seen()[0].text, A("找不到“TARGET”。"));
                EXPECT_EQ(boxes.Seen()[0].caption, "Brindle");
                EXPECT_EQ(Pos(SB_VERT), v) << "nothing found: the view stays";
                EXPECT_EQ(Pos(SB_HORZ), h);
            } else if (std::string(step.match) == "70003:311+6") {
                const int x = (311 + 1 - Pos(SB_HORZ)) * View().GetCharWidth();
                EXPECT_TRUE(x >= 0 && x + 6 * View().GetCharWidth() < 800) << "moved sideways to the match: " << x;
            }
        }
    }
    // Ctrl+F, as typed: the dialog holds the last text; match case passes the lower-case line over.
    SetForegroundWindow(m_frame->m_hWnd);
    SetFocus(m_view);
    for (DWORD up : {0ul, static_cast<DWORD>(KEYEVENTF_KEYUP)})
        keybd_event(up ? 'F' : VK_CONTROL, 0, up, 0), keybd_event(up ? VK_CONTROL : 'F', 0, up, 0);
    ASSERT_TRUE(AppWaitUntil(dialogShown, 5000));
    EXPECT_EQ(drive::Text(GetDlgItem(View().GetFindDialog(), 0x480)), "TARGET");
    ASSERT_TRUE(FindInDialog("Target", true));
    EXPECT_EQ(MatchAt(), "70003:311+6");
    ASSERT_TRUE(closeDialog());
    ASSERT_TRUE(Find(ID_EDIT_FINDPREVMATCH));
    EXPECT_EQ(MatchAt(), "70000:11+6");
    Paste(Numbered(10));
    EXPECT_EQ(MatchAt(), "-1:0+0") << "a new text has no match";
}

}  // namespace
