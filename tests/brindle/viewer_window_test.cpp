// The viewer's windows under Wine, made by the program's own start-up: painting, keys and
// resizing, links, Find, the ways a text comes in, and the frame's menu, focus and Exit. The
// wheel, the hand, the click rule and the command line: the tour, with real input.
#include <windows.h>
#include <dlgs.h>    // the ids of the system's Open and Find dialogs
#include <shlobj.h>  // DROPFILES

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
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

// A template's id -1 as the dialog's controls carry it: the id of a label nothing refers to.
constexpr int kLabelWithoutId = 0xFFFF;

// What some rows of a window hold: blue (link) and dark (plain) pixels, their extent and longest runs.
struct Band {
    int blue = 0, dark = 0, minX = 1 << 30, maxX = -1, longestBlueRun = 0, longestDarkRun = 0, selected = 0;
};

// A window's client area from the screen, as the user sees it (the pointer is kept off the
// view), and where on the screen that is.
std::vector<DWORD> Picture(HWND hwnd, RECT& rc) {
    wintest::PumpFor(50);  // what was painted reaches the screen
    GetClientRect(hwnd, &rc);
    MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&rc), 2);
    return wintest::ScreenPixels(rc);
}

// What a dialog over the view hides of it (the Find dialog) does not count.
std::vector<Band> Capture(HWND hwnd, int rowsPerBand) {
    RECT rc, over{};
    const std::vector<DWORD> pixels = Picture(hwnd, rc);
    if (const HWND dialog = drive::WaitWindow("#32770", "", 0)) GetWindowRect(dialog, &over);
    const int w = rc.right - rc.left, h = rc.bottom - rc.top;
    const COLORREF sel = GetSysColor(COLOR_HIGHLIGHT);
    std::vector<Band> bands((h + rowsPerBand - 1) / rowsPerBand);
    for (int y = 0; y < h; ++y) {
        Band& b = bands[y / rowsPerBand];
        for (int x = 0, blueRun = 0, darkRun = 0; x < w; ++x) {
            if (PtInRect(&over, POINT{rc.left + x, rc.top + y})) continue;
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
    // A test driven through the program's loop has ended that way.
    void TearDown() override {
        if (theApp.m_pMainWnd) Command(ID_APP_EXIT);
        EXPECT_EQ(theApp.m_pMainWnd, nullptr);
        MSG quit;
        EXPECT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) || m_driven);
    }

    CLinkView& View() { return m_frame->m_wndView; }
    HWND FindDialog() { return drive::WaitWindow("#32770", "", 5000, GetCurrentProcessId(), m_frame->m_hWnd); }
    // The line shown selected on the screen, -1 for none; and a wait for a line to be.
    int Highlighted() {
        const std::vector<Band> bands = Capture(m_view, m_cy);
        for (size_t i = 0; i < bands.size(); ++i)
            if (bands[i].selected > 30) return Pos(SB_VERT) + static_cast<int>(i);
        return -1;
    }
    bool Shows(int line) {
        return wintest::WaitUntil([&] { return Highlighted() == line; }, 10000);
    }
    void Command(UINT id) { SendMessageA(m_frame->m_hWnd, WM_COMMAND, id, 0); }
    void Paste(const std::string& ansi) {
        drive::PutClipboardText(ansi);
        Command(ID_EDIT_PASTETEXT);
        UpdateWindow(m_view);
    }
    SCROLLINFO Bar(int bar) {
        SCROLLINFO si{sizeof(si), SIF_ALL, 0, 0, 0, 0, 0};
        GetScrollInfo(m_view, bar, &si);
        return si;
    }
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
    void Click(int x, int y) {
        Mouse(WM_MOUSEMOVE, x, y);
        Mouse(WM_LBUTTONDOWN, x, y, MK_LBUTTON);
        Mouse(WM_LBUTTONUP, x, y);
    }
    HCURSOR CursorNow() {
        SendMessageA(m_view, WM_SETCURSOR, reinterpret_cast<WPARAM>(m_view), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        return GetCursor();
    }
    // The line height and the column width as the screen shows them, on a text of their own:
    // the pitch of two painted lines, and how far one press of Right moves the text.
    void MeasureGrid() {
        Paste("line\r\nline\r\n" + std::string(300, 'x') + "\r\n");
        const std::vector<Band> rows = Capture(m_view, 1);
        size_t y = 0;
        while (y < rows.size() && !rows[y].dark) ++y;
        const size_t top = y;
        while (y < rows.size() && rows[y].dark) ++y;
        while (y < rows.size() && !rows[y].dark) ++y;
        m_cy = static_cast<int>(y - top);
        const int left = Capture(m_view, 1 << 20)[0].minX;
        Key(VK_RIGHT);
        m_cx = left - Capture(m_view, 1 << 20)[0].minX;
    }
    // Whether the view shows what it shows after a paste of `text`, pixel for pixel.
    bool ShowsAsPasted(const std::string& text) {
        RECT rc;
        const std::vector<DWORD> shown = Picture(m_view, rc);
        Paste(text);
        return Picture(m_view, rc) == shown;
    }

    CMainFrame* m_frame = nullptr;
    HWND m_view = nullptr;
    bool m_driven = false;
    int m_cy = 0, m_cx = 0;  // MeasureGrid's
};

// Keys move by line, page and character; a resize keeps the place; an empty clipboard keeps
// the text, a new text starts at the top and an empty one hides the bars.
TEST_F(Viewer, KeysAndResizingScrollANewTextResets) {
    Paste(Numbered(300, std::string(400, 'x') + "\r\n"));  // 301 lines
    const int page = Page(), end = 301 - page;
    ASSERT_GT(page, 5);
    const struct {
        UINT vk;
        int v, h;
    } steps[] = {
        {VK_NEXT, page, 0}, {VK_DOWN, page + 1, 0}, {VK_UP, page, 0}, {VK_PRIOR, 0, 0},    {VK_UP, 0, 0},
        {VK_END, end, 0},   {VK_DOWN, end, 0},      {VK_HOME, 0, 0},  {VK_RIGHT, 0, 1},    {VK_RIGHT, 0, 2},
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
    EXPECT_EQ(Bar(SB_VERT).nMax, 300) << "nothing to paste keeps the text";
    Paste(Numbered(50));
    EXPECT_EQ(Pos(SB_VERT), 0);
    EXPECT_EQ(Pos(SB_HORZ), 0);
    EXPECT_EQ(Bar(SB_HORZ).nMax, 7 + 2);  // "line 49"
    Paste("");
    EXPECT_EQ(GetWindowLongA(m_view, GWL_STYLE) & WS_VSCROLL, 0);
}

// Run by the rig's scaling script at 96, 144 and 192 DPI (elsewhere at 96 only): links are
// painted blue and underlined, plain lines dark, after a margin of one average character; rows
// and columns grow by the factor, a click placed by the factor alone opens the key on its line,
// and the hand shows up to the end of the drawn text, not beyond.
TEST_F(Viewer, PaintsLinksAndGrowsWithTheDisplayScale) {
    wintest::MessageBoxWatcher boxes(IDOK);
    standin::Session editor("brindle_view_scale");
    wintest::ScratchKey key("S");
    ASSERT_TRUE(key.Ok());
    const struct Row {
        const char* text;
        bool link;
    } rows[] = {
        {"Windows Registry Editor Version 5.00", false},
        {"C:\\Windows\\notepad.exe", true},
        {"中文说明文字 plain", false},
        {"hkcu\\software\\中文键", true},
    };
    std::string text;
    for (const auto& r : rows) text += A(r.text) + "\r\n";
    // Longer than one drawing call, then the key the click opens.
    text += std::string(70000, 'a') + "\r\nHKCU\\Software\\QbTests\\S\r\n";
    MeasureGrid();
    Paste(text);
    wintest::PumpFor(200);
    wintest::SaveScreenshot(m_view, wintest::RigDir() + "shots\\brindle_view.bmp");
    ASSERT_GT(m_cy, 0);
    const std::vector<int> at96 = wintest::FiguresAt96("brindle", {m_cy, m_cx});
    ASSERT_EQ(at96.size(), 2u) << "the run at 96 DPI comes first";
    const double factor = wintest::ScreenDpi() / 96.0;
    EXPECT_NEAR(m_cy, at96[0] * factor, 1.0);
    EXPECT_NEAR(m_cx, at96[1] * factor, 1.0);
    const std::vector<Band> bands = Capture(m_view, m_cy);
    for (int i = 0; i < 4; ++i) {
        const Band& b = bands[i];
        SCOPED_TRACE(rows[i].text);
        ASSERT_GE(b.maxX, 0) << "nothing painted";
        EXPECT_GE(b.minX, m_cx - 1) << "text starts after one average character of margin";
        const int span = b.maxX - b.minX + 1;
        EXPECT_EQ(rows[i].link ? b.dark : b.blue, 0);
        EXPECT_GT(rows[i].link ? b.blue : b.dark, 30);
        if (rows[i].link) EXPECT_GE(b.longestBlueRun, span * 9 / 10) << "underline";
        else EXPECT_LT(b.longestDarkRun, span / 2) << "no underline";
    }
    EXPECT_GT(bands[4].dark, 30);
    const Band line = bands[5];
    ASSERT_GT(line.blue, 30);
    for (size_t i = 6; i < bands.size(); ++i) EXPECT_EQ(bands[i].blue + bands[i].dark, 0) << "row " << i;
    const int y = static_cast<int>(at96[0] * factor * 5.5);
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
    MeasureGrid();
    Paste(file + "\r\n");
    const std::set<HWND> before = drive::ForeignWindows();
    Click(m_cx + 4, m_cy / 2);
    EXPECT_EQ(drive::WaitForNewExplorerWindow(before, 2 * wintest::kWaitMs), "brindleview");

    wintest::MessageBoxWatcher boxes(IDOK);
    standin::Session editor("brindle_view_hung");
    wintest::ScratchKey key("BrindleView\\Hung");
    standin::ScopedEnv hang("QB_STANDIN_HANG", "300");
    ASSERT_TRUE(standin::WaitHung(editor.Start()));
    Paste(key.Path() + "\r\n");
    double start = standin::NowMs();
    Click(m_cx + 4, m_cy / 2);
    EXPECT_LT(standin::NowMs() - start, 7000.0);
    ASSERT_EQ(boxes.Seen().size(), 1u);
    EXPECT_EQ(wintest::U(boxes.Seen()[0].text), "打开注册表编辑器失败！");
}

// Open, a drop (its first file only) and a file that cannot be read (the view left visibly empty).
TEST_F(Viewer, OpenDropAndAnUnreadableFile) {
    const std::string dir = wintest::ScratchDir("brindle_files"), chosen = dir + "chosen.txt",
                      first = dir + "first.reg";
    ASSERT_TRUE(wintest::WriteFileBytes(chosen, "HKCU\\Chosen\r\n"));
    ASSERT_TRUE(wintest::WriteFileBytes(first, A("HKEY_CURRENT_USER\\First\r\n中文\r\n")));  // ANSI: bytes kept
    char type[256] = "";
    drive::Run(
        [&] {
            Command(ID_FILE_OPENTEXT);
            return 0;
        },
        [&] {
            const HWND dlg = drive::WaitDialog("");
            wintest::WaitUntil([&] { return SendDlgItemMessageA(dlg, cmb1, CB_GETCOUNT, 0, 0) > 0; });
            SendDlgItemMessageA(dlg, cmb1, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(type));  // the file types
            EXPECT_TRUE(drive::TypeIntoNameBox(dlg, chosen));
            drive::WaitGone(dlg);
        });
    EXPECT_STREQ(type, A("注册表文件(*.reg;*.txt)").c_str());
    EXPECT_TRUE(ShowsAsPasted("HKCU\\Chosen\r\n")) << "the file chosen";
    // A drop as Explorer makes it: DROPFILES, then the names, each ended by a zero, and one more.
    DROPFILES drop{};
    drop.pFiles = sizeof drop;
    const std::string bytes =
        std::string(reinterpret_cast<char*>(&drop), sizeof drop) + first + '\0' + chosen + '\0' + '\0';
    PostMessageA(m_frame->m_hWnd, WM_DROPFILES, reinterpret_cast<WPARAM>(drive::GlobalCopy(bytes.data(), bytes.size())),
                 0);
    wintest::PumpFor(0);  // what this thread has queued, the drop and the view's own post of it, handled
    EXPECT_TRUE(ShowsAsPasted(A("HKEY_CURRENT_USER\\First\r\n中文\r\n"))) << "the first file dropped";

    HANDLE lock = CreateFileA(first.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(View().LoadTextFile(first.c_str()));
    CloseHandle(lock);
    UpdateWindow(m_view);
    const Band all = Capture(m_view, 1 << 20)[0];
    EXPECT_EQ(all.blue + all.dark, 0) << "the old lines are not left on screen";
}

// The line menu by real input, on an export: a right-click opens it, its items greyed where
// they do not apply (a key line; a wrapped value from its later line; a value under [-KEY]);
// its copy gives the key's path and the value's name as Unicode text too. A click on a value
// line opens nothing; Shift+F10 then opens the menu beside that line, the menu key too, and
// 打开此值 picked by its key lands in the editor on the value.
TEST_F(Viewer, LineMenuByMouseAndKeys) {
    wintest::MessageBoxWatcher boxes(IDOK);
    standin::Session editor("brindle_line_menu");
    wintest::ScratchKey key(A("Menu\\值键"));
    const std::string name = A("名 \"q\\");
    ASSERT_TRUE(key.Ok() && key.SetValue(name));
    MeasureGrid();
    Paste("Windows Registry Editor Version 5.00\r\n\r\n[" + key.Path() + "]\r\n\"" + A("名 \\\"q\\\\") +
          "\"=hex:01,\\\r\n  02\r\n[-HKEY_CURRENT_USER\\Software\\QbTests\\Gone]\r\n\"x\"=\"y\"\r\n");
    const auto lineAt = [&](int line) {
        POINT pt{m_cx * 3, line * m_cy + m_cy / 2};
        ClientToScreen(m_view, &pt);
        return pt;
    };
    std::vector<std::string> greyed;  // per menu: the items that apply (1) or not (0)
    std::string copied;
    RECT menuAt{};
    POINT below{};  // the line after the one clicked: the menu opens on its top, at its text's start
    const HWND frame = m_frame->m_hWnd;
    const auto menu = [&] {
        const HWND shown = drive::WaitWindow("#32768");
        const HMENU items = reinterpret_cast<HMENU>(SendMessageA(shown, MN_GETHMENU, 0, 0));
        std::string states;
        for (UINT id : {ID_LINE_OPENKEY, ID_LINE_OPENVALUE, ID_LINE_COPYPATH})
            states += GetMenuState(items, id, MF_BYCOMMAND) & MF_GRAYED ? '0' : '1';
        greyed.push_back(states);
        GetWindowRect(shown, &menuAt);
        return shown;
    };
    const auto steps = [&] {
        ASSERT_TRUE(drive::ToFront(frame));
        for (int line : {2, 6, 4}) {
            const POINT pt = lineAt(line);
            drive::MouseClick(pt.x, pt.y, true);
            const HWND shown = menu();
            if (line == 4) {
                drive::Key(VK_END);  // the items carry no access keys: the last is 复制路径
                drive::Key(VK_RETURN);
            } else {
                drive::Key(VK_ESCAPE);
            }
            drive::WaitGone(shown);
        }
        wintest::WaitUntil([&] {
            if (!OpenClipboard(nullptr)) return false;
            const HANDLE data = GetClipboardData(CF_UNICODETEXT);
            if (const wchar_t* text = data ? static_cast<const wchar_t*>(GlobalLock(data)) : nullptr) {
                copied = wintest::Ansi(text);
                GlobalUnlock(data);
            }
            CloseClipboard();
            return !copied.empty();
        });
        const POINT pt = lineAt(3);
        drive::MouseClick(pt.x, pt.y);
        drive::Key(VK_APPS);
        const HWND shown = menu();
        drive::Key(VK_ESCAPE);
        drive::WaitGone(shown);
        below = lineAt(4);
        drive::Chord({VK_SHIFT}, VK_F10);
        menu();
        for (UINT vk : {VK_END, VK_UP, VK_RETURN}) drive::Key(vk);  // 打开此值, above the last
    };
    m_driven = true;
    drive::RunToExit([] { return theApp.Run(); }, frame, ID_APP_EXIT, steps);
    EXPECT_EQ(greyed, (std::vector<std::string>{"101", "000", "011", "011", "011"}));
    EXPECT_EQ(wintest::U(copied), wintest::U(key.Path() + "\\" + name));
    EXPECT_TRUE(std::abs(menuAt.top - (below.y - m_cy / 2)) <= 2 &&
                std::abs(menuAt.left - (below.x - 2 * m_cx)) <= m_cx / 2)
        << menuAt.left << "," << menuAt.top;
    const std::vector<standin::Event> events = editor.WaitListed(key.Path());
    EXPECT_EQ(wintest::U(standin::Session::LastValue(events).text), wintest::U(name));
    EXPECT_EQ(standin::Walks(events), 1u) << "the click on the value line opened nothing";
}

std::atomic<bool> g_loseNotice{false}, g_loseTicks{false};
// As a post that failed: the next message of the program's own range (WM_APP up), the notice
// that a search has ended, never arrives. Or no timer ticks: a search's end is told by its
// notice alone.
LRESULT CALLBACK LoseNotice(int code, WPARAM removed, LPARAM lParam) {
    MSG* msg = reinterpret_cast<MSG*>(lParam);
    if (code == HC_ACTION && removed == PM_REMOVE && g_loseNotice && msg->message >= WM_APP && msg->message < 0xC000) {
        msg->message = WM_NULL;
        g_loseNotice = false;
    }
    if (code == HC_ACTION && removed == PM_REMOVE && g_loseTicks && msg->message == WM_TIMER) msg->message = WM_NULL;
    return CallNextHookEx(nullptr, code, removed, lParam);
}

// A page of the document's text made a wall: the search that reaches it waits at the gate
// until the test opens it, then the page is readable again and the search goes on.
class HeldPage {
public:
    HeldPage(const char* inside, wintest::Gate& gate) : m_gate(gate) {
        SYSTEM_INFO system;
        GetSystemInfo(&system);
        m_size = system.dwPageSize;
        m_page = reinterpret_cast<char*>(reinterpret_cast<uintptr_t>(inside) & ~uintptr_t(m_size - 1));
        s_held = this;
        m_handler = AddVectoredExceptionHandler(1, OnFault);
        DWORD was = 0;
        VirtualProtect(m_page, m_size, PAGE_NOACCESS, &was);
    }
    ~HeldPage() {
        DWORD was = 0;
        VirtualProtect(m_page, m_size, PAGE_READWRITE, &was);
        RemoveVectoredExceptionHandler(m_handler);
        s_held = nullptr;
    }

private:
    static LONG CALLBACK OnFault(EXCEPTION_POINTERS* fault) {
        HeldPage* held = s_held;
        const EXCEPTION_RECORD& record = *fault->ExceptionRecord;
        if (!held || record.ExceptionCode != EXCEPTION_ACCESS_VIOLATION || record.NumberParameters < 2)
            return EXCEPTION_CONTINUE_SEARCH;
        char* const at = reinterpret_cast<char*>(record.ExceptionInformation[1]);
        char* const page = held->m_page;
        const DWORD size = held->m_size;
        if (at < page || at >= page + size) return EXCEPTION_CONTINUE_SEARCH;
        held->m_gate.Pass();
        DWORD was = 0;
        VirtualProtect(page, size, PAGE_READWRITE, &was);
        return EXCEPTION_CONTINUE_EXECUTION;
    }
    static inline std::atomic<HeldPage*> s_held{nullptr};
    wintest::Gate& m_gate;
    char* m_page = nullptr;
    DWORD m_size = 0;
    PVOID m_handler = nullptr;
};

// Find by the keyboard alone, as a person uses it: Ctrl+F, a word typed, Enter; F3 and
// Shift+F3 while the dialog keeps the keyboard; Alt+C for match case; the box's mnemonic;
// Chinese pasted into the box; Esc closing the dialog, Ctrl+F bringing it back
// with the last text. What is found is read from the screen: a match the dialog would cover
// comes out beside it; one past the index's first block of 65,536 lines, with the link line
// after it blue; one at the end of a line too long for one drawing call, scrolled to
// sideways; found nothing, the view stays.
// Then over 16 MB, each search held at a page of the text until the test lets it through: Esc
// ends a running search, the dialog stays; a text corrected and Enter pressed while a search
// runs searches the new text; a search whose end notice was lost has ended all the same.
TEST_F(Viewer, FindByTheKeyboardAlone) {
    const std::string path = wintest::ScratchDir("brindle_find") + "large.txt";
    {
        std::string text = Numbered(70000, "line 70000 Target\r\nHKCU\\Software\\Demo\r\nline 70002 target\r\n");
        text += "line 70003 " + std::string(70000, 'x') + "Target\r\n" + A("中文 目标\r\n") + Numbered(2000);
        const std::string line = std::string(998, 'a') + "\r\n";
        for (text.reserve(size_t(17) << 20); text.size() < (size_t(16) << 20);) text += line;
        ASSERT_TRUE(wintest::WriteFileBytes(path, text + "a-a"));
    }
    MeasureGrid();
    ASSERT_TRUE(View().LoadTextFile(path.c_str()));
    const int last = Bar(SB_VERT).nMax;
    const HHOOK hook = SetWindowsHookExA(WH_GETMESSAGE, LoseNotice, nullptr, GetCurrentThreadId());
    const HWND frame = m_frame->m_hWnd;
    const auto steps = [&] {
        ASSERT_TRUE(drive::ToFront(frame));
        drive::Chord({VK_CONTROL}, 'F');
        HWND dlg = FindDialog(), box = GetDlgItem(dlg, edt1);
        const auto focus = [&] { return drive::Focus(m_view); };
        ASSERT_TRUE(wintest::WaitUntil([&] { return focus() == box; }, 3000)) << "Ctrl+F: the keyboard in the box";
        RECT view;
        GetWindowRect(m_view, &view);  // the dialog moved over the middle of the view, where a found line goes
        SetWindowPos(dlg, nullptr, view.left + 50, view.top + 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        drive::Type("target");
        drive::Key(VK_RETURN);
        ASSERT_TRUE(Shows(70000)) << "beside the dialog, which would cover it in the middle";
        EXPECT_GT(Capture(m_view, m_cy)[70001 - Pos(SB_VERT)].blue, 30) << "a link line";
        EXPECT_EQ(focus(), box) << "Enter keeps the keyboard in the dialog";
        const struct {
            UINT shift;
            int line;
            const char* box;
        } keys[] = {{0, 70002, ""}, {0, 70003, ""}, {0, 70003, "找不到“target”。"}, {VK_SHIFT, 70002, ""}};
        for (const auto& key : keys) {
            const int top = Pos(SB_VERT), left = Pos(SB_HORZ);
            key.shift ? drive::Chord({key.shift}, VK_F3) : drive::Key(VK_F3);
            if (*key.box) {
                EXPECT_EQ(drive::AnswerBox("Brindle"), A(key.box));
                EXPECT_TRUE(Pos(SB_VERT) == top && Pos(SB_HORZ) == left) << "nothing found: the view stays";
            }
            EXPECT_TRUE(Shows(key.line)) << key.line;
        }
        drive::Chord({VK_MENU}, drive::Mnemonic(GetDlgItem(dlg, chx2)));  // match case: "Target" on 70003 passed over
        drive::Key(VK_RETURN);
        EXPECT_EQ(drive::AnswerBox("Brindle"), A("找不到“target”。"));
        const UINT label = drive::Mnemonic(GetDlgItem(dlg, kLabelWithoutId));  // the box's
        drive::Chord({VK_MENU}, label);
        EXPECT_EQ(focus(), box) << "the label's mnemonic puts the keyboard in the box";
        ASSERT_TRUE(drive::PutClipboardText(A("目标")));
        drive::Chord({VK_CONTROL}, 'V');  // over the text, which the mnemonic selected
        EXPECT_EQ(drive::Text(box), A("目标"));
        g_loseTicks = true;  // the search's end told as it comes, not at the worker's next tick
        drive::Key(VK_RETURN);
        EXPECT_TRUE(Shows(70004)) << "with no timer ticks";
        g_loseTicks = false;
        drive::Key(VK_ESCAPE);
        EXPECT_TRUE(drive::WaitGone(dlg, 3000)) << "Esc closes the dialog when no search runs";
        drive::Chord({VK_CONTROL}, 'F');
        box = GetDlgItem(dlg = FindDialog(), edt1);
        EXPECT_EQ(drive::Text(box), A("目标"));

        // The searches below are held at a page far below the match shown, so that each
        // runs still when the next key comes, whatever the machine's speed.
        const char* const wall = View().Doc().Text().data() + (size_t(8) << 20);
        const auto searching = [&] {
            bool running = true;
            drive::OnWindowThread(frame, [&] { running = View().IsSearching(); });
            return running;
        };
        {
            wintest::Gate gate;
            const HeldPage held(wall, gate);
            drive::Chord({VK_MENU}, label);
            drive::Type("a-a");
            drive::Key(VK_RETURN);
            ASSERT_TRUE(gate.Reached(1)) << "a search runs";
            drive::Key(VK_ESCAPE);
            EXPECT_TRUE(wintest::WaitUntil([&] { return !searching(); }, wintest::kWaitMs)) << "Esc ends the search";
            EXPECT_TRUE(IsWindowVisible(dlg)) << "not the dialog";
            gate.Open();
            EXPECT_TRUE(gate.Left() && drive::OnWindowThread(frame));
            EXPECT_EQ(Highlighted(), 70004) << "let through, the ended search shows nothing";
        }
        {
            wintest::Gate gate;
            const HeldPage held(wall, gate);
            drive::Key(VK_RETURN);
            ASSERT_TRUE(gate.Reached(1));
            drive::Chord({VK_MENU}, label);
            drive::Type("zq");
            drive::Key(VK_RETURN);
            EXPECT_TRUE(gate.Reached(2)) << "the corrected text searched while the first search runs";
            gate.Open();
            EXPECT_EQ(drive::AnswerBox("Brindle", wintest::kWaitMs), A("找不到“zq”。"));
            EXPECT_TRUE(gate.Left() && drive::OnWindowThread(frame));
            EXPECT_EQ(Highlighted(), 70004) << "the search of the old text was ended";
        }
        g_loseNotice = true;
        drive::Chord({VK_MENU}, label);
        drive::Type("a-a");
        drive::Key(VK_RETURN);
        EXPECT_TRUE(wintest::WaitUntil([&] { return !g_loseNotice; }, wintest::kWaitMs));
        EXPECT_TRUE(Shows(last)) << "the search ended, told or not: its match is shown";
        drive::Key(VK_ESCAPE);
        EXPECT_TRUE(drive::WaitGone(dlg, wintest::kWaitMs)) << "and Esc closes the dialog";
        drive::Chord({VK_MENU}, 'F');  // 文件 → 退出(&X)
        drive::Key('X');
        EXPECT_TRUE(drive::WaitGone(frame, 5000)) << "Exit by the menu ends the program";
    };
    m_driven = true;  // the program's own loop; Exit posted too, should the steps fail before theirs
    drive::RunToExit([] { return theApp.Run(); }, frame, ID_APP_EXIT, steps);
    UnhookWindowsHookEx(hook);
}

}  // namespace
