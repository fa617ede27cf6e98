// The environment every other Windows test relies on.
#include <gtest/gtest.h>
#include <windows.h>

#include "WinTest.h"

TEST(Rig, AnsiCodePageIs936) {
    // The programs are written for code page 936; every text test assumes it.
    EXPECT_EQ(GetACP(), 936u);
    EXPECT_EQ(wintest::A("中").size(), 2u);
    EXPECT_EQ(wintest::U(wintest::A("注册表")), "注册表");
}

TEST(Rig, WindowsCanBeCreated) {
    // Without an X display Wine cannot create windows at all.
    HWND hwnd = CreateWindowExA(0, "STATIC", "probe", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(hwnd, nullptr);
    DestroyWindow(hwnd);
}

TEST(Rig, StandInEditorInstalled) {
    char windir[MAX_PATH];
    GetWindowsDirectoryA(windir, MAX_PATH);
    std::string image;
    ASSERT_TRUE(wintest::ReadFileBytes(std::string(windir) + "\\regedit.exe", image));
    // Ours is a real PE of a few hundred kilobytes with our marker string in it;
    // Wine's placeholder is a small stub.
    EXPECT_NE(image.find("QbStandInRegEdit"), std::string::npos);
}

TEST(Rig, MessageBoxWatcherAnswers) {
    wintest::MessageBoxWatcher watcher(IDNO);
    int r = MessageBoxA(nullptr, wintest::A("测试文本").c_str(), wintest::A("标题").c_str(), MB_YESNO);
    EXPECT_EQ(r, IDNO);
    auto seen = watcher.Seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(wintest::U(seen[0].caption), "标题");
    EXPECT_EQ(wintest::U(seen[0].text), "测试文本");
}
