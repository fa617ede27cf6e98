// The shortcut manager on real windows: opened over a stand-in for the strip that answers
// the list query and records the replacement, driven from a second thread as a user would.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "ManagerDriver.h"
#include "RegKeyTool.h"
#include "ShortcutManagerDlg.h"
#include "ShortcutMessages.h"
#include "WinApp.h"
#include "WinTest.h"

using wintest::A;

const EditorVariant g_editorVariant = EditorVariant::Quillet;

namespace {

CWinApp g_app;

const char kFavoritesSub[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Regedit\\Favorites";

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
    int m_queries = 0;

protected:
    LRESULT OnQuery(WPARAM wParam, LPARAM lParam) {
        ++m_queries;
        if (static_cast<int>(wParam) != -1) return -1;
        for (const Shortcut& s : m_list)
            ::SendMessageA(reinterpret_cast<HWND>(lParam), WM_SHORTCUT_ITEM, 0, reinterpret_cast<LPARAM>(&s));
        return 0;
    }
    LRESULT OnReplace(WPARAM, LPARAM lParam) {
        m_replacements.push_back(reinterpret_cast<const char*>(lParam));
        return 0;
    }
    DECLARE_MESSAGE_MAP()

private:
    std::vector<Shortcut> m_list;
};

BEGIN_MESSAGE_MAP(FakeStrip, CWnd)
    ON_MESSAGE(WM_SHORTCUT_QUERY, OnQuery)
    ON_MESSAGE(WM_SHORTCUT_REPLACE, OnReplace)
END_MESSAGE_MAP()

// Keys that exist in every prefix, so the editor's check at OK passes.
const char kSoftware[] = "HKEY_CURRENT_USER\\Software";
const char kEnvironment[] = "HKEY_CURRENT_USER\\Environment";
const char kHklmSoftware[] = "HKEY_LOCAL_MACHINE\\SOFTWARE";

std::vector<Shortcut> ThreeShortcuts() {
    return {{A("软件"), kSoftware}, {"Environment", kEnvironment}, {A("本机 软件"), kHklmSoftware}};
}

std::string Lines(const std::vector<Shortcut>& list) {
    std::string text;
    for (const Shortcut& s : list) text += s.location + '\x03' + s.name + "\r\n";
    return text;
}

std::vector<std::string> Describe(const std::vector<Shortcut>& list) {
    std::vector<std::string> out;
    for (const Shortcut& s : list) out.push_back(wintest::U(s.name) + " = " + wintest::U(s.location));
    return out;
}

const std::string& ManagerCaption() {
    static const std::string caption = A("快捷方式管理器");
    return caption;
}

HWND ListOf(HWND manager) { return GetDlgItem(manager, 1018); }

int RunManager() {
    CShortcutManagerDlg dlg;
    return dlg.DoModal();
}

struct Opening {
    std::vector<Shortcut> rows;
    RECT window{};
    std::string column0, column1;
    int width0 = 0, listWidth = 0;
    DWORD exStyle = 0, style = 0;
    std::vector<int> buttons;
    RECT bar{}, list{};
};

TEST(ShortcutManager, OpensFilledFromTheStripAndFittedToTheScreen) {
    FakeStrip strip(ThreeShortcuts());
    Opening seen;
    drive::Driver driver([&] {
        HWND dlg = drive::WaitDialog(ManagerCaption());
        if (!dlg) return;
        HWND list = ListOf(dlg);
        seen.rows = drive::Rows(list);
        GetWindowRect(dlg, &seen.window);
        seen.exStyle = static_cast<DWORD>(SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
        seen.style = static_cast<DWORD>(GetWindowLongA(list, GWL_STYLE));
        char text[64] = {};
        LVCOLUMNA col = {};
        col.mask = LVCF_TEXT;
        col.pszText = text;
        col.cchTextMax = sizeof text;
        SendMessageA(list, LVM_GETCOLUMNA, 0, reinterpret_cast<LPARAM>(&col));
        seen.column0 = text;
        SendMessageA(list, LVM_GETCOLUMNA, 1, reinterpret_cast<LPARAM>(&col));
        seen.column1 = text;
        seen.width0 = static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, 0, 0));
        HWND bar = GetDlgItem(dlg, 0xE800);
        int count = static_cast<int>(SendMessageA(bar, TB_BUTTONCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            TBBUTTON button = {};
            SendMessageA(bar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
            seen.buttons.push_back(button.idCommand);
        }
        GetWindowRect(bar, &seen.bar);
        GetWindowRect(list, &seen.list);
        drive::Press(dlg, IDCANCEL);
    });
    int result = RunManager();
    driver.Join();

    EXPECT_EQ(IDCANCEL, result);
    EXPECT_EQ(1, strip.m_queries);
    EXPECT_EQ(Describe(ThreeShortcuts()), Describe(seen.rows));
    // 20 pixels left, top and right, 60 below, on the rig's 1024x768 screen.
    EXPECT_EQ(20, seen.window.left);
    EXPECT_EQ(20, seen.window.top);
    EXPECT_EQ(984, seen.window.right - seen.window.left);
    EXPECT_EQ(688, seen.window.bottom - seen.window.top);
    EXPECT_EQ(static_cast<DWORD>(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT), seen.exStyle);
    EXPECT_EQ(static_cast<DWORD>(LVS_REPORT | LVS_SINGLESEL),
              seen.style & (LVS_TYPEMASK | LVS_SINGLESEL));
    EXPECT_EQ(A("键名"), seen.column0);
    EXPECT_EQ(A("键值位置"), seen.column1);
    EXPECT_GT(seen.width0, 0);
    EXPECT_EQ((std::vector<int>{32771, 32772, 32773, 32774}), seen.buttons);
    // The bar sits above the list, not over it, and the list grew with the dialog.
    EXPECT_GT(seen.bar.bottom, seen.bar.top);
    EXPECT_LE(seen.bar.bottom, seen.list.top);
    EXPECT_GT(seen.list.right - seen.list.left, 900);
    EXPECT_TRUE(strip.m_replacements.empty());
}

TEST(ShortcutManager, ToolTipsNameTheToolBarButtons) {
    FakeStrip strip(ThreeShortcuts());
    struct Ask {
        UINT_PTR id;
        bool byWindow;
        bool handled;
        std::string text;
    };
    std::vector<Ask> asks = {{32771, false, false, ""}, {32772, false, false, ""},
                             {32773, false, false, ""}, {32774, false, false, ""},
                             {1, false, false, ""},     {1018, true, false, ""}};
    drive::Driver driver([&] {
        HWND dlg = drive::WaitDialog(ManagerCaption());
        if (!dlg) return;
        HWND tips = reinterpret_cast<HWND>(SendMessageA(GetDlgItem(dlg, 0xE800), TB_GETTOOLTIPS, 0, 0));
        for (Ask& ask : asks) {
            NMTTDISPINFOA info = {};
            info.hdr.hwndFrom = tips;
            info.hdr.code = TTN_NEEDTEXTA;
            info.hdr.idFrom = ask.byWindow ? reinterpret_cast<UINT_PTR>(GetDlgItem(dlg, static_cast<int>(ask.id)))
                                           : ask.id;
            info.uFlags = ask.byWindow ? TTF_IDISHWND : 0;
            SendMessageA(dlg, WM_NOTIFY, info.hdr.idFrom, reinterpret_cast<LPARAM>(&info));
            ask.handled = info.lpszText == info.szText;
            ask.text = info.szText;
        }
        drive::Press(dlg, IDCANCEL);
    });
    RunManager();
    driver.Join();

    const char* expected[] = {"添加快捷方式", "删除所选择的快捷方式", "编辑所选择的快捷方式", "导入注册表收藏夹"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(asks[i].handled) << asks[i].id;
        EXPECT_EQ(A(expected[i]), asks[i].text);
    }
    EXPECT_FALSE(asks[4].handled);  // not a button of the bar
    EXPECT_FALSE(asks[5].handled);  // the list, named by its window
}

// Add, edit and delete through the toolbar; OK hands back every row in row order.
TEST(ShortcutManager, ToolBarAddsEditsAndDeletesAndOkHandsTheRowsBack) {
    FakeStrip strip(ThreeShortcuts());
    wintest::MessageBoxWatcher boxes(IDNO);
    std::string addLocation = "x", editLocation, editName;
    bool noEditorWithoutSelection = false;
    std::vector<Shortcut> afterNo, afterYes;
    drive::Driver driver([&] {
        HWND dlg = drive::WaitDialog(ManagerCaption());
        if (!dlg) return;
        HWND list = ListOf(dlg);

        drive::Press(dlg, 32771);
        HWND editor = drive::WaitDialog(A("添加快捷方式"));
        if (!editor) return;
        addLocation = drive::FieldText(editor, 1016);
        drive::FillEditor(editor, "hkcu\\Environment", A("环境  "));
        drive::WaitGone(editor);

        drive::SelectRow(list, -1);
        drive::Press(dlg, 32773);
        drive::Press(dlg, 32772);
        noEditorWithoutSelection = drive::NoDialog(A("编辑快捷方式")) && boxes.Seen().empty();

        drive::SelectRow(list, 1);
        drive::Press(dlg, 32773);
        editor = drive::WaitDialog(A("编辑快捷方式"));
        if (!editor) return;
        editLocation = drive::FieldText(editor, 1016);
        editName = drive::FieldText(editor, 1017);
        drive::FillEditor(editor, kHklmSoftware, "Machine");
        drive::WaitGone(editor);

        drive::SelectRow(list, 0);
        drive::Press(dlg, 32772);
        wintest::WaitUntil([&] { return boxes.Seen().size() == 1; }, 5000);
        Sleep(200);
        afterNo = drive::Rows(list);
        boxes.SetAnswer(IDYES);
        drive::Press(dlg, 32772);
        wintest::WaitUntil([&] { return boxes.Seen().size() == 2; }, 5000);
        Sleep(200);
        afterYes = drive::Rows(list);
        drive::Press(dlg, IDOK);
    });
    int result = RunManager();
    driver.Join();

    EXPECT_EQ(IDOK, result);
    EXPECT_EQ("", addLocation);
    EXPECT_TRUE(noEditorWithoutSelection);
    EXPECT_EQ(kEnvironment, editLocation);
    EXPECT_EQ("Environment", editName);
    std::vector<Shortcut> edited = {{A("软件"), kSoftware},
                                    {"Machine", kHklmSoftware},
                                    {A("本机 软件"), kHklmSoftware},
                                    {A("环境  "), "hkcu\\Environment"}};
    EXPECT_EQ(Describe(edited), Describe(afterNo));
    edited.erase(edited.begin());
    EXPECT_EQ(Describe(edited), Describe(afterYes));
    ASSERT_EQ(2u, boxes.Seen().size());
    EXPECT_EQ(A("删除快捷方式"), boxes.Seen()[0].caption);
    EXPECT_EQ(A("确定要删除所选择的快捷方式吗？"), boxes.Seen()[0].text);
    // The row as typed, trailing spaces and short root name included: the strip trims.
    ASSERT_EQ(1u, strip.m_replacements.size());
    EXPECT_EQ(Lines(edited), strip.m_replacements[0]);
}

TEST(ShortcutManager, DoubleClickAddsOnEmptySpaceAndEditsOnARow) {
    FakeStrip strip(ThreeShortcuts());
    std::string addLocation = "x", editName, editLocation;
    drive::Driver driver([&] {
        HWND dlg = drive::WaitDialog(ManagerCaption());
        if (!dlg) return;
        HWND list = ListOf(dlg);
        POINT empty = drive::RowPoint(list, -1);
        PostMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(empty.x, empty.y));
        HWND editor = drive::WaitDialog(A("添加快捷方式"));
        if (!editor) return;
        addLocation = drive::FieldText(editor, 1016);
        drive::Press(editor, IDCANCEL);
        drive::WaitGone(editor);

        POINT row = drive::RowPoint(list, 2);
        PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(row.x, row.y));
        PostMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(row.x, row.y));
        PostMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(row.x, row.y));
        PostMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(row.x, row.y));
        editor = drive::WaitDialog(A("编辑快捷方式"));
        if (!editor) return;
        editName = drive::FieldText(editor, 1017);
        editLocation = drive::FieldText(editor, 1016);
        drive::Press(editor, IDCANCEL);
        drive::WaitGone(editor);
        drive::Press(dlg, IDCANCEL);
    });
    RunManager();
    driver.Join();
    EXPECT_EQ("", addLocation);
    EXPECT_EQ(A("本机 软件"), editName);
    EXPECT_EQ(kHklmSoftware, editLocation);
    EXPECT_TRUE(strip.m_replacements.empty());
}

TEST(ShortcutManager, ContextMenusOfferAddOnEmptySpaceAndEditDeleteOnARow) {
    FakeStrip strip(ThreeShortcuts());
    wintest::MessageBoxWatcher boxes(IDYES);
    std::vector<std::string> emptyMenu, rowMenu;
    std::string addCaptionSeen;
    std::vector<Shortcut> afterDelete;
    drive::Driver driver([&] {
        HWND dlg = drive::WaitDialog(ManagerCaption());
        if (!dlg) return;
        HWND list = ListOf(dlg);

        POINT empty = drive::RowPoint(list, -1);
        ClientToScreen(list, &empty);
        PostMessageA(list, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), MAKELPARAM(empty.x, empty.y));
        HWND menu = drive::WaitMenu();
        if (!menu) return;
        emptyMenu = drive::MenuItems(menu);
        PostMessageA(menu, WM_CHAR, 'a', 0);  // the item's access key
        HWND editor = drive::WaitDialog(A("添加快捷方式"));
        if (editor) {
            addCaptionSeen = "yes";
            drive::Press(editor, IDCANCEL);
            drive::WaitGone(editor);
        }

        drive::SelectRow(list, 1);
        POINT row = drive::RowPoint(list, 1);
        ClientToScreen(list, &row);
        PostMessageA(list, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), MAKELPARAM(row.x, row.y));
        menu = drive::WaitMenu();
        if (!menu) return;
        rowMenu = drive::MenuItems(menu);
        PostMessageA(menu, WM_CHAR, 'd', 0);
        wintest::WaitUntil([&] { return boxes.Seen().size() == 1; }, 5000);
        Sleep(200);
        afterDelete = drive::Rows(list);
        drive::Press(dlg, IDCANCEL);
    });
    RunManager();
    driver.Join();

    EXPECT_EQ((std::vector<std::string>{A("添加(&A)...")}), emptyMenu);
    EXPECT_EQ((std::vector<std::string>{A("编辑(&E)..."), A("删除(&D)")}), rowMenu);
    EXPECT_EQ("yes", addCaptionSeen);
    std::vector<Shortcut> expected = ThreeShortcuts();
    expected.erase(expected.begin() + 1);
    EXPECT_EQ(Describe(expected), Describe(afterDelete));
    EXPECT_TRUE(strip.m_replacements.empty());  // cancelled
}

TEST(ShortcutManager, KeysInTheListEditDeleteAndNeverClose) {
    FakeStrip strip(ThreeShortcuts());
    wintest::MessageBoxWatcher boxes(IDYES);
    bool openAfterEsc = false, nothingWithoutSelection = false, openAfterEnter = false;
    std::string enterName;
    std::vector<Shortcut> afterDelete;
    drive::Driver driver([&] {
        HWND dlg = drive::WaitDialog(ManagerCaption());
        if (!dlg) return;
        HWND list = ListOf(dlg);
        SetFocus(list);  // no effect across threads; the keys are posted to the list itself

        drive::PostKey(list, VK_ESCAPE);
        openAfterEsc = !drive::WaitGone(dlg, 600);

        drive::SelectRow(list, -1);
        drive::PostKey(list, VK_RETURN);
        drive::PostKey(list, VK_DELETE);
        nothingWithoutSelection = drive::NoDialog(A("编辑快捷方式")) && boxes.Seen().empty() &&
                                  IsWindowVisible(dlg);

        drive::SelectRow(list, 0);
        drive::PostKey(list, VK_RETURN);
        HWND editor = drive::WaitDialog(A("编辑快捷方式"));
        if (!editor) return;
        enterName = drive::FieldText(editor, 1017);
        drive::Press(editor, IDCANCEL);
        drive::WaitGone(editor);
        openAfterEnter = IsWindowVisible(dlg) != FALSE;

        drive::SelectRow(list, 2);
        drive::PostKey(list, VK_DELETE);
        wintest::WaitUntil([&] { return boxes.Seen().size() == 1; }, 5000);
        Sleep(200);
        afterDelete = drive::Rows(list);
        drive::Press(dlg, IDOK);
    });
    int result = RunManager();
    driver.Join();

    EXPECT_TRUE(openAfterEsc);
    EXPECT_TRUE(nothingWithoutSelection);
    EXPECT_EQ(A("软件"), enterName);
    EXPECT_TRUE(openAfterEnter);
    std::vector<Shortcut> expected = ThreeShortcuts();
    expected.pop_back();
    EXPECT_EQ(Describe(expected), Describe(afterDelete));
    EXPECT_EQ(IDOK, result);
    ASSERT_EQ(1u, strip.m_replacements.size());
    EXPECT_EQ(Lines(expected), strip.m_replacements[0]);
}

TEST(ShortcutManager, OkWithNoRowsWarnsAndSendsNothing) {
    FakeStrip strip(std::vector<Shortcut>{{"Environment", kEnvironment}});
    wintest::MessageBoxWatcher boxes(IDYES);
    drive::Driver driver([&] {
        HWND dlg = drive::WaitDialog(ManagerCaption());
        if (!dlg) return;
        drive::SelectRow(ListOf(dlg), 0);
        drive::Press(dlg, 32772);
        wintest::WaitUntil([&] { return boxes.Seen().size() == 1; }, 5000);
        Sleep(200);
        drive::Press(dlg, IDOK);
        wintest::WaitUntil([&] { return boxes.Seen().size() == 2; }, 5000);
    });
    int result = RunManager();
    driver.Join();

    EXPECT_EQ(IDOK, result);
    EXPECT_TRUE(strip.m_replacements.empty());
    ASSERT_EQ(2u, boxes.Seen().size());
    EXPECT_EQ(A("快捷方式管理器"), boxes.Seen()[1].caption);
    EXPECT_EQ(A("没有获取任何的快捷方式，数据将不会被更新"), boxes.Seen()[1].text);
}

TEST(ShortcutManager, CancelAfterChangesSendsNothing) {
    FakeStrip strip(ThreeShortcuts());
    wintest::MessageBoxWatcher boxes(IDYES);
    size_t rowsBeforeCancel = 0;
    drive::Driver driver([&] {
        HWND dlg = drive::WaitDialog(ManagerCaption());
        if (!dlg) return;
        HWND list = ListOf(dlg);
        drive::Press(dlg, 32771);
        HWND editor = drive::WaitDialog(A("添加快捷方式"));
        if (!editor) return;
        drive::FillEditor(editor, kEnvironment, "");  // the name comes from the last node
        drive::WaitGone(editor);
        drive::SelectRow(list, 0);
        drive::Press(dlg, 32772);
        wintest::WaitUntil([&] { return boxes.Seen().size() == 1; }, 5000);
        Sleep(200);
        rowsBeforeCancel = drive::Rows(list).size();
        drive::Press(dlg, IDCANCEL);
    });
    int result = RunManager();
    driver.Join();
    EXPECT_EQ(IDCANCEL, result);
    EXPECT_EQ(3u, rowsBeforeCancel);
    EXPECT_TRUE(strip.m_replacements.empty());
}

// The Favorites button appends every favourite, again on every press; with no Favorites
// key nothing changes.
TEST(ShortcutManager, ImportAppendsTheFavoritesOnEveryPress) {
    RegDeleteTreeA(HKEY_CURRENT_USER, kFavoritesSub);
    FakeStrip strip(std::vector<Shortcut>{{"Environment", kEnvironment}});
    std::vector<Shortcut> withoutKey, once, twice;
    drive::Driver driver([&] {
        HWND dlg = drive::WaitDialog(ManagerCaption());
        if (!dlg) return;
        HWND list = ListOf(dlg);
        drive::Press(dlg, 32774);
        Sleep(300);
        withoutKey = drive::Rows(list);

        HKEY key = nullptr;
        RegCreateKeyA(HKEY_CURRENT_USER, kFavoritesSub, &key);
        std::string data = A("计算机\\HKEY_LOCAL_MACHINE\\SOFTWARE");
        RegSetValueExA(key, A("本机").c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                       static_cast<DWORD>(data.size() + 1));
        // The default value names nothing: the manager takes no row without a name.
        data = A("计算机\\HKEY_CURRENT_USER\\Software");
        RegSetValueExA(key, "", 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                       static_cast<DWORD>(data.size() + 1));
        RegCloseKey(key);

        drive::Press(dlg, 32774);
        Sleep(300);
        once = drive::Rows(list);
        drive::Press(dlg, 32774);
        Sleep(300);
        twice = drive::Rows(list);
        drive::Press(dlg, IDOK);
    });
    RunManager();
    driver.Join();
    RegDeleteTreeA(HKEY_CURRENT_USER, kFavoritesSub);

    std::vector<Shortcut> expected = {{"Environment", kEnvironment}};
    EXPECT_EQ(Describe(expected), Describe(withoutKey));
    expected.push_back({A("本机"), kHklmSoftware});
    EXPECT_EQ(Describe(expected), Describe(once));
    expected.push_back({A("本机"), kHklmSoftware});
    EXPECT_EQ(Describe(expected), Describe(twice));
    ASSERT_EQ(1u, strip.m_replacements.size());
    EXPECT_EQ(Lines(expected), strip.m_replacements[0]);
}

}  // namespace
