// The shortcut manager on real windows: opened over a stand-in for the strip that answers
// the list query and records the replacement, driven from a second thread as a user would.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "Driver.h"
#include "ShortcutManagerDlg.h"
#include "ShortcutMessages.h"
#include "WinApp.h"
#include "WinTest.h"
#include "resource.h"

using wintest::A;

namespace {

CWinApp g_app;

// What the strip does for the manager: answers the list query with its shortcuts, in
// order, and keeps every replacement text it is handed.
class FakeStrip : public CWnd {
public:
    explicit FakeStrip(std::vector<Shortcut> list) : m_list(std::move(list)) {
        CreateEx(0, nullptr, "strip", WS_POPUP | WS_VISIBLE, 0, 0, 300, 20, nullptr, nullptr);
        g_app.m_pMainWnd = this;
    }
    ~FakeStrip() override { g_app.m_pMainWnd = nullptr; }
    std::vector<std::string> m_replacements;
    // From the steps: once a message posted behind them is handled, so is what was posted to the
    // manager's thread (this window's) before: a command, what a box's answer did.
    void Settle() {
        ::PostMessageA(m_hWnd, WM_APP, ++m_posted, 0);
        wintest::WaitUntil([&] { return m_settled == m_posted; });
    }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_APP) m_settled = static_cast<long>(wParam);
        if (msg == WM_SHORTCUT_REPLACE) m_replacements.push_back(reinterpret_cast<const char*>(lParam));
        if (msg == WM_SHORTCUT_QUERY && static_cast<int>(wParam) == -1) {
            for (const Shortcut& s : m_list)
                ::SendMessageA(reinterpret_cast<HWND>(lParam), WM_SHORTCUT_ITEM, 0, reinterpret_cast<LPARAM>(&s));
            return 0;
        }
        return msg == WM_SHORTCUT_REPLACE || msg == WM_APP ? 0 : CWnd::WindowProc(msg, wParam, lParam);
    }
    std::vector<Shortcut> m_list;
    std::atomic<long> m_posted{0}, m_settled{0};
};

// Keys that exist in every prefix, so the editor's check at OK passes.
const char kSoftware[] = "HKEY_CURRENT_USER\\Software";
const char kEnvironment[] = "HKEY_CURRENT_USER\\Environment";
const char kHklmSoftware[] = "HKEY_LOCAL_MACHINE\\SOFTWARE";

std::vector<Shortcut> ThreeShortcuts() {
    return {{A("软件"), kSoftware}, {"Environment", kEnvironment}, {A("本机 软件"), kHklmSoftware}};
}

std::vector<std::string> Describe(const std::vector<Shortcut>& list) {
    std::vector<std::string> out;
    for (const Shortcut& s : list) out.push_back(s.name + " = " + s.location);
    return out;
}

// Runs the manager modally; `steps` get its window and its list once it shows.
int RunManager(const std::function<void(HWND, HWND)>& steps) {
    return drive::Run([] { return static_cast<int>(CShortcutManagerDlg().DoModal()); },
                      [&] {
                          if (HWND dlg = drive::WaitDialog(A("快捷方式管理器")))
                              steps(dlg, GetDlgItem(dlg, IDC_SHORTCUT_LIST));
                      });
}

// Deletes the selected row with `how` and waits for the question and the answer.
void DeleteAnswered(wintest::MessageBoxWatcher& boxes, const std::function<void()>& how) {
    const size_t seen = boxes.Seen().size();
    how();
    boxes.WaitAnswered(seen + 1);
}

// The editor a command opened, as "caption: name = location" as it opened, then filled
// with `fill` and OK'd, or cancelled; "-" when none shows within the time.
std::string Editor(DWORD timeoutMs = wintest::kWaitMs, const Shortcut* fill = nullptr) {
    HWND editor = nullptr;
    wintest::WaitUntil(
        [&] {
            return (editor = drive::WaitDialog(A("添加快捷方式"), 0)) ||
                   (editor = drive::WaitDialog(A("编辑快捷方式"), 0));
        },
        timeoutMs);
    if (!editor) return "-";
    std::string seen = wintest::U(drive::Text(editor)) + ": " + wintest::U(drive::Text(GetDlgItem(editor, IDC_NAME))) +
                       " = " + drive::Text(GetDlgItem(editor, IDC_LOCATION));
    if (fill) drive::FillEditor(editor, fill->location, fill->name);
    else drive::Press(editor, IDCANCEL);
    drive::WaitGone(editor);
    return seen;
}

// Add and edit from the toolbar, by double-click and from the list's menus: edit acts on the
// selected row and does nothing without one; add appends. (Delete, the keys and a row's menu
// items: the keyboard's test; the toolbar's delete: the manager over the strip; OK handing the
// rows back: the import's test.)
TEST(ShortcutManager, ToolBarDoubleClickAndMenusActOnTheSelectedRowOrAdd) {
    FakeStrip strip(ThreeShortcuts());
    std::vector<std::string> opened, emptyMenu, rows;
    const Shortcut added{A("环境  "), "hkcu\\Environment"}, machine{"Machine", kHklmSoftware};
    auto menuAt = [](HWND list, int row) {
        POINT pt = drive::RowPoint(list, row);
        ClientToScreen(list, &pt);
        PostMessageA(list, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), MAKELPARAM(pt.x, pt.y));
        return drive::WaitWindow("#32768");
    };
    RunManager([&](HWND dlg, HWND list) {
        // No row selected: an editor it opened would show before the command's handling ends.
        drive::SelectRow(list, -1);
        drive::Press(dlg, ID_MANAGER_EDIT);
        strip.Settle();
        opened.push_back(Editor(0));

        // Add: the toolbar's (filled in), a double-click on empty space, its menu.
        drive::Press(dlg, ID_MANAGER_ADD);
        opened.push_back(Editor(wintest::kWaitMs, &added));
        POINT empty = drive::RowPoint(list, -1);
        PostMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(empty.x, empty.y));
        opened.push_back(Editor());
        HWND menu = menuAt(list, -1);
        emptyMenu = drive::MenuItems(menu);
        PostMessageA(menu, WM_CHAR, 'a', 0);  // the item's access key
        opened.push_back(Editor());

        // Edit: the toolbar's on row 1 (filled in), a double-click on row 2, row 0's menu.
        drive::SelectRow(list, 1);
        drive::Press(dlg, ID_MANAGER_EDIT);
        opened.push_back(Editor(wintest::kWaitMs, &machine));
        POINT row = drive::RowPoint(list, 2);
        for (UINT msg : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
            PostMessageA(list, msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(row.x, row.y));
        opened.push_back(Editor());
        drive::SelectRow(list, 0);
        PostMessageA(menuAt(list, 0), WM_CHAR, 'e', 0);
        opened.push_back(Editor());
        rows = drive::Rows(list);
    });
    const std::string add = "添加快捷方式:  = ", edit = "编辑快捷方式: ";
    EXPECT_EQ(opened, (std::vector<std::string>{"-", add, add, add, edit + "Environment = " + kEnvironment,
                                                edit + "本机 软件 = " + kHklmSoftware, edit + "软件 = " + kSoftware}));
    EXPECT_EQ((std::vector<std::string>{A("添加(&A)...")}), emptyMenu);
    EXPECT_EQ(Describe({{A("软件"), kSoftware}, machine, {A("本机 软件"), kHklmSoftware}, added}), rows);
}

// The manager and its editor by keyboard alone, as their templates have them. The manager
// opens fitted to the screen with the keyboard on OK; Tab goes on to Cancel, the list and back.
// In the list Enter and Delete do nothing without a selected row; the arrows select; Enter
// edits the selected row and Esc does nothing, the manager staying; Delete asks first;
// Shift+F10 opens the row's menu at the row. The editor opens with the keyboard in the
// location; Tab goes on to the name, OK, Cancel and back; Esc cancels, dropping what was typed,
// Enter is OK. Enter on OK with no row left says so and hands nothing back.
TEST(ShortcutManager, OpensFittedToTheScreenAndGoesByKeyboardAlone) {
    FakeStrip strip(ThreeShortcuts());
    wintest::MessageBoxWatcher boxes(IDNO);
    std::vector<int> tabs;  // where the keyboard was before each Tab: the manager, then the editor
    std::vector<std::string> opened, menuItems;
    std::vector<std::vector<std::string>> rows;
    RECT selectedRow = {LVIR_LABEL, 0, 0, 0}, menuAt = {}, window = {}, bar = {}, listAt = {};
    auto tabRound = [&](HWND dlg, int controls) {  // each Tab waited for: the next place read is its own
        for (int i = 0; i < controls; ++i) {
            tabs.push_back(GetDlgCtrlID(drive::Focus(dlg)));
            drive::Tab(dlg);
        }
    };
    auto editor = [&] {  // the edit dialog, as it opened
        HWND e = drive::WaitDialog(A("编辑快捷方式"));
        opened.push_back(wintest::U(drive::Text(GetDlgItem(e, IDC_NAME))) + " = " +
                         drive::Text(GetDlgItem(e, IDC_LOCATION)));
        return e;
    };
    RunManager([&](HWND dlg, HWND list) {
        GetWindowRect(dlg, &window);
        GetWindowRect(GetDlgItem(dlg, AFX_IDW_TOOLBAR), &bar);
        GetWindowRect(list, &listAt);
        ASSERT_TRUE(drive::ToFront(dlg));
        tabRound(dlg, 3);
        drive::Chord({VK_SHIFT}, VK_TAB);
        ASSERT_TRUE(wintest::WaitUntil([&] { return drive::Focus(dlg) == list; }));
        drive::Key(VK_RETURN);
        drive::Key(VK_DELETE);
        drive::Key(VK_DOWN);  // row 0 selected: Enter and Delete are over, and asked no box (it would take the key)
        ASSERT_TRUE(wintest::WaitUntil([&] { return SendMessageA(list, LVM_GETITEMSTATE, 0, LVIS_SELECTED) != 0; }));
        for (UINT vk : {VK_DOWN, VK_ESCAPE, VK_RETURN}) drive::Key(vk);  // row 1
        HWND edit = editor();
        ASSERT_TRUE(edit && drive::PutClipboardText(A(" 二")));
        drive::Tab(edit);
        drive::Key(VK_END);
        drive::Chord({VK_CONTROL}, 'V');  // dropped by the Esc below
        tabRound(edit, 4);
        drive::Key(VK_ESCAPE);
        ASSERT_TRUE(drive::WaitGone(edit));
        drive::Key(VK_RETURN);
        edit = editor();
        ASSERT_TRUE(edit && drive::Tab(edit));
        drive::Key(VK_END);
        drive::Chord({VK_CONTROL}, 'V');
        drive::Key(VK_RETURN);
        ASSERT_TRUE(drive::WaitGone(edit));
        DeleteAnswered(boxes, [] { drive::Key(VK_DELETE); });  // answered No
        strip.Settle();
        rows.push_back(drive::Rows(list));

        boxes.SetAnswer(IDYES);
        SendMessageA(list, LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&selectedRow));
        MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&selectedRow), 2);
        drive::Chord({VK_SHIFT}, VK_F10);
        HWND menu = drive::WaitWindow("#32768");
        menuItems = drive::MenuItems(menu);
        GetWindowRect(menu, &menuAt);
        DeleteAnswered(boxes, [] { drive::Key('D'); });
        strip.Settle();
        rows.push_back(drive::Rows(list));
        for (int left = 2; left > 0; --left) {
            drive::Key(VK_HOME);
            drive::Key(VK_SPACE);  // Home alone leaves a row the keyboard is already on unselected
            DeleteAnswered(boxes, [] { drive::Key(VK_DELETE); });
        }
        drive::Key(VK_TAB);
        DeleteAnswered(boxes, [] { drive::Key(VK_RETURN); });  // on OK, nothing left to hand back
    });
    // 20 pixels left, top and right, 60 below, on the rig's 1024x768 screen; the bar above the
    // list, not over it, and the list grown with the dialog.
    EXPECT_EQ((std::vector<LONG>{20, 20, 984, 688}),
              (std::vector<LONG>{window.left, window.top, window.right - window.left, window.bottom - window.top}));
    EXPECT_GT(bar.bottom, bar.top);
    EXPECT_LE(bar.bottom, listAt.top);
    EXPECT_GT(listAt.right - listAt.left, 900);
    EXPECT_EQ(tabs, (std::vector<int>{IDOK, IDCANCEL, IDC_SHORTCUT_LIST, IDC_NAME, IDOK, IDCANCEL, IDC_LOCATION}));
    EXPECT_EQ(opened, std::vector<std::string>(2, "Environment = " + std::string(kEnvironment)));
    std::vector<Shortcut> list = ThreeShortcuts();
    list[1].name += A(" 二");
    EXPECT_EQ(rows, (std::vector<std::vector<std::string>>{Describe(list), Describe({list[0], list[2]})}));
    EXPECT_EQ((std::vector<std::string>{A("编辑(&E)..."), A("删除(&D)")}), menuItems);
    EXPECT_TRUE(menuAt.left >= selectedRow.left && menuAt.left < selectedRow.right && menuAt.top >= selectedRow.top &&
                menuAt.top <= selectedRow.bottom)
        << menuAt.left << "," << menuAt.top;
    ASSERT_EQ(5u, boxes.Seen().size());
    EXPECT_EQ(A("删除快捷方式"), boxes.Seen()[0].caption);
    EXPECT_EQ(A("确定要删除所选择的快捷方式吗？"), boxes.Seen()[0].text);
    EXPECT_EQ(A("没有获取任何的快捷方式，数据将不会被更新"), boxes.Seen().back().text);
    EXPECT_TRUE(strip.m_replacements.empty());
}

// Windows' list view leaves out a double-byte character that does not fit whole into the
// caller's buffer, so the text ends one byte before the buffer's last place, and counts what it
// copied in characters (Wine's does neither): the manager's list answers that way for the
// import's test.
WNDPROC g_listProc = nullptr;
LRESULT CALLBACK CutTextsAsWindowsDoes(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != LVM_GETITEMTEXTA) return CallWindowProcA(g_listProc, hwnd, msg, wParam, lParam);
    auto* asked = reinterpret_cast<LVITEMA*>(lParam);
    std::vector<char> whole(1 << 16);
    LVITEMA item = *asked;
    item.pszText = whole.data();
    item.cchTextMax = static_cast<int>(whole.size());
    CallWindowProcA(g_listProc, hwnd, msg, wParam, reinterpret_cast<LPARAM>(&item));
    int n = 0, characters = 0;
    for (int len; whole[n] && n + (len = IsDBCSLeadByte(whole[n]) ? 2 : 1) < asked->cchTextMax; n += len) ++characters;
    memcpy(asked->pszText, whole.data(), n);
    asked->pszText[n] = 0;
    return characters;
}

// The Favorites button appends, on every press, each string favourite that holds a key path
// under its own name, the location from the root name on. Left out: other types, texts without
// a root or with a root alone, and the default value (no name). A Chinese name takes two bytes
// a character: the longest name must not be lost. CR, LF and 0x03 in a value name become
// blanks: each row stays one line of the strip's text. OK hands every row back whole, the
// strip's own too, whose texts are longer than the list's first read (256 bytes) with a
// double-byte character across its end.
TEST(ShortcutManager, ImportAppendsTheFavoritesOnEveryPressAndOkHandsBackEveryRowWhole) {
    std::string name, location = "HKEY_CURRENT_USER\\Software\\Long\\";  // 32 bytes: characters at even places
    while (name.size() < 300) name += A("长键名");                       // a character at bytes 254 and 255
    while (location.size() < 300) location += A("长键名");
    const Shortcut own{name, location};
    const char kFavoritesSub[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Regedit\\Favorites";
    HKEY key = nullptr;
    RegCreateKeyA(HKEY_CURRENT_USER, kFavoritesSub, &key);
    const struct {
        const char* name;
        DWORD type;
        const char* data;
    } values[] = {
        {"注册表编辑器的收藏夹", REG_SZ, "计算机\\HKEY_LOCAL_MACHINE\\SOFTWARE"},
        {"Console", REG_SZ, "My Computer\\HKEY_CURRENT_USER\\Console"},
        {"Short root", REG_SZ, "计算机\\HKCU\\Software\\Wine"},
        {"Root only", REG_SZ, "计算机\\HKEY_CURRENT_USER"},
        {"No root", REG_SZ, "计算机\\Software\\Microsoft"},
        {"Expandable", REG_EXPAND_SZ, "计算机\\HKEY_CURRENT_USER\\Environment"},
        {"换\r\n行\x03名", REG_SZ, "计算机\\HKEY_LOCAL_MACHINE\\SOFTWARE"},
        {"", REG_SZ, "计算机\\HKEY_CURRENT_USER\\Software"},
    };
    for (const auto& v : values) {
        std::string data = A(v.data);
        RegSetValueExA(key, A(v.name).c_str(), 0, v.type, reinterpret_cast<const BYTE*>(data.c_str()),
                       static_cast<DWORD>(data.size() + 1));
    }
    RegCloseKey(key);
    FakeStrip strip({own});
    std::vector<std::string> once, twice;
    RunManager([&](HWND dlg, HWND list) {
        g_listProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CutTextsAsWindowsDoes)));
        drive::Press(dlg, ID_MANAGER_IMPORT);
        strip.Settle();
        once = drive::Rows(list);
        drive::Press(dlg, ID_MANAGER_IMPORT);
        strip.Settle();
        twice = drive::Rows(list);
        ASSERT_TRUE(drive::ToFront(dlg));
        drive::Key(VK_RETURN);  // the keyboard on OK
    });
    RegDeleteTreeA(HKEY_CURRENT_USER, kFavoritesSub);
    const std::vector<Shortcut> imported = {{"Console", "HKEY_CURRENT_USER\\Console"},  // the registry's order
                                            {"Short root", "HKCU\\Software\\Wine"},
                                            {A("换  行 名"), kHklmSoftware},
                                            {A("注册表编辑器的收藏夹"), kHklmSoftware}};
    std::vector<Shortcut> expected = {own};
    expected.insert(expected.end(), imported.begin(), imported.end());
    EXPECT_EQ(Describe(expected), once);
    expected.insert(expected.end(), imported.begin(), imported.end());
    EXPECT_EQ(Describe(expected), twice);
    std::string lines;
    for (const Shortcut& s : expected) lines += drive::IniLine(s.location, s.name);
    ASSERT_EQ(1u, strip.m_replacements.size());
    EXPECT_EQ(lines, strip.m_replacements[0]);
}

}  // namespace
