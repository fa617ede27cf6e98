// The shortcut editor through its real dialog, driven from a second thread while the test
// thread runs the modal loop; OK is a real Enter. (Tab and Esc: the manager's keyboard test.)
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "Driver.h"
#include "ShortcutDlg.h"
#include "WinTest.h"
#include "resource.h"

using wintest::A;
using wintest::U;

// A refusal: one message, the dialog open with the fields as typed, no result. Accepted:
// the location exactly as typed and the name as typed or taken from the last key name.
TEST(ShortcutDlg, RefusesWithOneMessageOrReturnsWhatWasTyped) {
    wintest::ScratchKey exists{"ShortcutDlg\\Exists"}, blankLeaf{"ShortcutDlg\\ Leading"};
    ASSERT_TRUE(exists.Ok() && blankLeaf.Ok());
    const std::string invalid = A("无效的键值位置，请检查该键值是否存在"),
                      blank = A("键名的第一个字母不能为空格或制表符");
    const std::string error = A("错误"), note = A("注意"), sub = "Software\\QbTests\\ShortcutDlg\\Exists";
    // The checks in their order: location empty, no existing key, no name to derive, a blank first.
    struct Case {
        std::string location, name, caption, text;  // no caption: accepted, `text` the name
    } cases[] = {
        {"", " name", note, A("键值位置不能为空")},
        {"HKCU\\", " name", error, invalid},
        {exists.Path() + "\\Missing", "name", error, invalid},
        {"   ", "name", error, invalid},
        {exists.Path() + "\\", "", note, A("软件不能获取有效的键名，请用户填写键名")},
        {exists.Path(), "\tname", note, blank},
        {blankLeaf.Path(), "", note, blank},  // the name taken from the key's own
        {"hkcu\\software\\qbtests\\shortcutdlg\\exists", "Mine  ", "", "Mine  "},
        {exists.Path(), "", "", "Exists"},
        {"[HKEY_CURRENT_USER\\" + sub + "]", "", "", "Exists"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.location + "|" + c.name);
        wintest::MessageBoxWatcher boxes(IDOK);
        CShortcutDlg dlg(CShortcutDlg::Mode::Add, nullptr);
        std::string location, name;  // the fields after OK; empty once the dialog has gone
        const int result = drive::Run([&] { return static_cast<int>(dlg.DoModal()); },
                                      [&] {
                                          HWND hwnd = drive::WaitDialog(A("添加快捷方式"));
                                          drive::FillEditor(hwnd, c.location, c.name);
                                          wintest::WaitUntil([&] { return !boxes.Seen().empty() || !IsWindow(hwnd); });
                                          location = drive::Text(GetDlgItem(hwnd, IDC_LOCATION));
                                          name = drive::Text(GetDlgItem(hwnd, IDC_NAME));
                                          // Ends once OK's handling is over: a second box it showed is seen by then.
                                          drive::Press(hwnd, IDCANCEL);
                                      });
        Shortcut got{"untouched", "untouched"};
        const bool hasResult = dlg.GetResult(got) != FALSE;
        if (c.caption.empty()) {
            EXPECT_EQ(result, IDOK);
            EXPECT_TRUE(boxes.Seen().empty());
            ASSERT_TRUE(hasResult);
            EXPECT_EQ(got.location, c.location);
            EXPECT_EQ(U(got.name), U(c.text));
            continue;
        }
        ASSERT_EQ(boxes.Seen().size(), 1u);
        EXPECT_EQ(U(boxes.Seen()[0].text), U(c.text));
        EXPECT_EQ(U(boxes.Seen()[0].caption), U(c.caption));
        EXPECT_EQ(location + "|" + name, c.location + "|" + c.name) << "still open, as typed";
        EXPECT_FALSE(hasResult);
    }
}
