// The manager over the real strip: what it shows comes from the strip's list, and what
// OK hands back becomes the strip's list, its picker and, at close, its file.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "StripHarness.h"
#include "WinTest.h"

using striptest::StripRun;
using wintest::A;

namespace {

std::string Line(const std::string& location, const std::string& name) {
    return location + '\x03' + name + "\r\n";
}

// The manager's list view in the other process, read and selected through a block of
// that process's memory (list-view messages carry pointers that are not carried across).
class RemoteList {
public:
    RemoteList(DWORD pid, HWND list) : m_list(list) {
        m_process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        if (m_process)
            m_block = static_cast<char*>(VirtualAllocEx(m_process, nullptr, 4096, MEM_COMMIT, PAGE_READWRITE));
    }
    ~RemoteList() {
        if (m_block) VirtualFreeEx(m_process, m_block, 0, MEM_RELEASE);
        if (m_process) CloseHandle(m_process);
    }
    RemoteList(const RemoteList&) = delete;
    RemoteList& operator=(const RemoteList&) = delete;

    // "name = location" per row.
    std::vector<std::string> Rows() {
        std::vector<std::string> rows;
        int count = static_cast<int>(SendMessageA(m_list, LVM_GETITEMCOUNT, 0, 0));
        for (int row = 0; row < count; ++row) rows.push_back(Text(row, 0) + " = " + Text(row, 1));
        return rows;
    }
    void Select(int row) {
        LVITEMA item = {};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = LVIS_SELECTED | LVIS_FOCUSED;
        WriteProcessMemory(m_process, m_block, &item, sizeof item, nullptr);
        SendMessageA(m_list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(m_block));
    }

private:
    std::string Text(int row, int column) {
        LVITEMA item = {};
        item.iSubItem = column;
        item.pszText = m_block + 512;
        item.cchTextMax = 1024;
        WriteProcessMemory(m_process, m_block, &item, sizeof item, nullptr);
        SendMessageA(m_list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(m_block));
        char text[1024] = {};
        ReadProcessMemory(m_process, m_block + 512, text, sizeof text - 1, nullptr);
        return text;
    }

    HWND m_list;
    HANDLE m_process = nullptr;
    char* m_block = nullptr;
};

void Press(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

bool WaitBoxes(wintest::MessageBoxWatcher& boxes, size_t n) {
    return wintest::WaitUntil([&] { return boxes.Seen().size() >= n; }, 5000);
}

TEST(ManagerOnTheStrip, OkReplacesTheListCancelAndEmptyListsLeaveIt) {
    wintest::ScratchKey a("Manager\\Alpha"), b("Manager\\Beta"), c("Manager\\Gamma"), d("Manager\\Delta");
    ASSERT_TRUE(a.Ok() && b.Ok() && c.Ok() && d.Ok());
    StripRun strip("manager_strip");
    const std::string original = Line(a.Path(), A("甲")) + Line(b.Path(), "Beta") + Line(c.Path(), A("丙 三"));
    ASSERT_TRUE(strip.WriteIni(original));
    ASSERT_TRUE(strip.Start());
    const std::vector<std::string> originalPicker = {A("甲"), "Beta", A("丙 三")};
    ASSERT_EQ(originalPicker, strip.PickerItems());
    wintest::MessageBoxWatcher boxes(IDYES, strip.Pid());
    const std::string caption = A("快捷方式管理器");

    // Opened filled from the strip's list; a deletion then Cancel changes nothing.
    strip.Press(1006);
    HWND dlg = strip.WaitDialog(caption);
    ASSERT_NE(nullptr, dlg);
    {
        RemoteList list(strip.Pid(), GetDlgItem(dlg, 1018));
        EXPECT_EQ((std::vector<std::string>{A("甲 = ") + a.Path(), "Beta = " + b.Path(), A("丙 三 = ") + c.Path()}),
                  list.Rows());
        list.Select(0);
        Press(dlg, 32772);
        ASSERT_TRUE(WaitBoxes(boxes, 1));
        EXPECT_TRUE(wintest::WaitUntil([&] { return list.Rows().size() == 2; }, 5000));
    }
    Press(dlg, IDCANCEL);
    ASSERT_TRUE(wintest::WaitUntil([&] { return !IsWindow(dlg); }, 5000));
    EXPECT_EQ(originalPicker, strip.PickerItems());

    // Add at the end, delete the second row, OK: the picker follows, in row order.
    strip.Press(1006);
    dlg = strip.WaitDialog(caption);
    ASSERT_NE(nullptr, dlg);
    {
        RemoteList list(strip.Pid(), GetDlgItem(dlg, 1018));
        EXPECT_EQ(3u, list.Rows().size());
        Press(dlg, 32771);
        HWND editor = strip.WaitDialog(A("添加快捷方式"));
        ASSERT_NE(nullptr, editor);
        striptest::FillShortcutDialog(editor, d.Path(), "Delta");
        ASSERT_TRUE(wintest::WaitUntil([&] { return list.Rows().size() == 4; }, 5000));
        list.Select(1);
        Press(dlg, 32772);
        ASSERT_TRUE(WaitBoxes(boxes, 2));
        EXPECT_TRUE(wintest::WaitUntil([&] { return list.Rows().size() == 3; }, 5000));
    }
    Press(dlg, IDOK);
    ASSERT_TRUE(wintest::WaitUntil([&] { return !IsWindow(dlg); }, 5000));
    const std::vector<std::string> editedPicker = {A("甲"), A("丙 三"), "Delta"};
    EXPECT_EQ(editedPicker, strip.PickerItems());

    // Every row deleted and OK: the message, and the list stays.
    strip.Press(1006);
    dlg = strip.WaitDialog(caption);
    ASSERT_NE(nullptr, dlg);
    {
        RemoteList list(strip.Pid(), GetDlgItem(dlg, 1018));
        for (size_t left = 3; left > 0; --left) {
            list.Select(0);
            Press(dlg, 32772);
            ASSERT_TRUE(wintest::WaitUntil([&] { return list.Rows().size() == left - 1; }, 5000));
        }
    }
    Press(dlg, IDOK);
    ASSERT_TRUE(WaitBoxes(boxes, 6));
    EXPECT_EQ(A("没有获取任何的快捷方式，数据将不会被更新"), boxes.Seen()[5].text);
    ASSERT_TRUE(wintest::WaitUntil([&] { return !IsWindow(dlg); }, 5000));
    EXPECT_EQ(editedPicker, strip.PickerItems());

    EXPECT_TRUE(strip.Close());
    EXPECT_EQ(Line(a.Path(), A("甲")) + Line(c.Path(), A("丙 三")) + Line(d.Path(), "Delta"), strip.ReadIni());
}

// The picture of the manager in the documentation. Wine leaves the frame to the window
// manager, which the rig's display does not have; a program started while the driver is
// told to draw its own frames shows the caption as a user sees it.
TEST(ManagerOnTheStrip, ShowsItsToolTipAndIsPicturedForTheDocumentation) {
    HKEY x11 = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Wine\\X11 Driver", &x11));
    RegSetValueExA(x11, "Decorated", 0, REG_SZ, reinterpret_cast<const BYTE*>("N"), 2);
    wintest::ScratchKey tools("Manager\\Tools"), view("Manager\\View");
    StripRun strip("manager_picture");
    ASSERT_TRUE(strip.WriteIni(Line("HKEY_CURRENT_USER\\Environment", A("环境变量")) +
                               Line("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run",
                                    A("开机启动项")) +
                               Line("HKEY_CURRENT_USER\\Control Panel\\Desktop", A("桌面设置")) +
                               Line(tools.Path(), A("我的工具")) + Line(view.Path(), "View")));
    bool started = strip.Start();
    RegDeleteValueA(x11, "Decorated");
    RegCloseKey(x11);
    ASSERT_TRUE(started);
    strip.Press(1006);
    HWND dlg = strip.WaitDialog(A("快捷方式管理器"));
    ASSERT_NE(nullptr, dlg);
    wintest::PumpFor(1000);
    EXPECT_TRUE(wintest::SaveScreenshot(dlg, wintest::ScratchDir("manager") + "manager_picture.bmp"));

    // Resting the mouse on the import button shows its tip.
    HWND bar = GetDlgItem(dlg, 0xE800);
    // The fourth of four equal buttons (sizes come back in the result: no pointers across).
    LRESULT size = SendMessageA(bar, TB_GETBUTTONSIZE, 0, 0);
    RECT rc;
    GetWindowRect(bar, &rc);
    int x = rc.left + 3 * LOWORD(size) + LOWORD(size) / 2, y = rc.top + HIWORD(size) / 2 + 2;
    striptest::MouseMoveTo(x, y);
    wintest::PumpFor(100);
    striptest::MouseMoveTo(x + 1, y + 1);
    std::string tip;
    EXPECT_TRUE(wintest::WaitUntil(
        [&] {
            HWND tips = reinterpret_cast<HWND>(SendMessageA(bar, TB_GETTOOLTIPS, 0, 0));
            tip = IsWindowVisible(tips) ? striptest::WindowText(tips) : std::string();
            return !tip.empty();
        },
        5000));
    EXPECT_EQ(A("导入注册表收藏夹"), tip);
    Press(dlg, IDCANCEL);
    EXPECT_TRUE(strip.Close());
}

}  // namespace
