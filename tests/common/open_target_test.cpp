// The toolbar's strict open flow: a file or folder goes to Explorer, a key path to the registry
// editor (the stand-in), and the rest is warned about. The lenient flow (a label before the key,
// nothing said): the strip's clipboard commands.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>

#include "Driver.h"
#include "OpenTarget.h"
#include "StandIn.h"
#include "WinTest.h"

namespace {

using wintest::A;

TEST(OpenTarget, AFolderOpensInExplorerNeitherFileNorKeyIsWarnedAbout) {
    standin::Session session("open_target");
    wintest::ScratchKey key("Open\\Warn");
    ASSERT_TRUE(key.Ok());
    const std::string folder = drive::DriveFolder("openfolder");
    const std::string cases[] = {
        folder + "missing.txt",                    // neither a file nor a key path
        "HKCU\\Software\\QbTests\\Open\\Missing",  // a key path, but no such key
        "Key: " + key.Path(),                      // a label before the key is for the lenient flow only
    };
    for (const std::string& text : cases) {
        SCOPED_TRACE(wintest::U(text));
        wintest::MessageBoxWatcher watcher(IDOK);
        EXPECT_FALSE(OpenTarget(text.c_str(), nullptr));
        auto seen = watcher.Seen();
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(wintest::U(seen[0].caption), "手动打开快捷方式");
        EXPECT_EQ(wintest::U(seen[0].text), "无效的快捷方式/文件路径，请检查快捷方式/文件路径是否正确");
    }
    EXPECT_EQ(standin::CountEditorProcesses(), 0);

    wintest::MessageBoxWatcher watcher(IDOK);  // nothing to open: nothing said; a folder: its parent shown
    EXPECT_FALSE(OpenTarget("", nullptr));
    EXPECT_FALSE(OpenTarget(nullptr, nullptr));
    std::set<HWND> before = drive::ForeignWindows();
    EXPECT_TRUE(OpenTarget(folder.substr(0, folder.size() - 1).c_str(), nullptr));
    EXPECT_EQ(drive::WaitForNewExplorerWindow(before, 2 * wintest::kWaitMs), "qbtests");
    EXPECT_TRUE(watcher.Seen().empty());
}

}  // namespace
