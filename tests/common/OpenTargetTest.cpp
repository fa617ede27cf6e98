// The toolbar's two open flows: a file or folder goes to Explorer, a key path to the
// registry editor (the stand-in, tests/fixtures), and the strict flow warns about the rest.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>

#include "OpenTarget.h"
#include "Probes.h"
#include "RegKeyTool.h"
#include "StandIn.h"
#include "WinTest.h"

const EditorVariant g_editorVariant = EditorVariant::Quillet;

namespace {

using wintest::A;

const char kWarning[] = "无效的快捷方式/文件路径，请检查快捷方式/文件路径是否正确";
const char kCaption[] = "手动打开快捷方式";

// The key the editor ends on once the keystrokes have been handled.
std::string SelectedKey(const standin::Session& session) {
    std::string path;
    wintest::WaitUntil([&] { return !(path = standin::FinalPath(session.Keys())).empty() && path == standin::StatusPath(standin::FindEditor()); }, 5000);
    return path;
}

TEST(OpenTarget, NeitherFileNorKeyIsWarnedAbout) {
    standin::Session session("open_warn");
    wintest::ScratchKey key("Open\\Warn");
    const std::string missingFile = probes::DriveFolder("open") + "missing.txt";
    const std::string cases[] = {
        missingFile,
        "HKCU\\Software\\QbTests\\Open\\Missing",
        "Key: " + key.Path(),  // a label before the key is for the lenient flow only
        "HKCU\\",
        "just words",
    };
    for (const std::string& text : cases) {
        SCOPED_TRACE(wintest::U(text));
        wintest::MessageBoxWatcher watcher(IDOK);
        HWND owner = CreateWindowA("STATIC", "owner", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        EXPECT_FALSE(OpenTarget(text.c_str(), owner));
        auto seen = watcher.Seen();
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].caption, A(kCaption));
        EXPECT_EQ(seen[0].text, A(kWarning));
        DestroyWindow(owner);
    }
    EXPECT_EQ(standin::CountEditorProcesses(), 0);

    wintest::MessageBoxWatcher watcher(IDOK);
    EXPECT_FALSE(OpenTarget("", nullptr));
    EXPECT_FALSE(OpenTarget(nullptr, nullptr));
    EXPECT_TRUE(watcher.Seen().empty());
}

TEST(OpenTarget, ExistingKeyInShortFormOpensTheEditor) {
    standin::Session session("open_key");
    wintest::ScratchKey key(A("Open\\表\\Deep"));
    ASSERT_TRUE(key.Ok());
    wintest::MessageBoxWatcher watcher(IDOK);
    EXPECT_TRUE(OpenTarget(A("hkcu\\software\\qbtests\\open\\表\\deep").c_str(), nullptr));
    EXPECT_TRUE(watcher.Seen().empty());
    EXPECT_EQ(wintest::U(SelectedKey(session)), wintest::U(key.Path()));
}

TEST(OpenTarget, LenientOpensAKeyAfterALabel) {
    standin::Session session("open_lenient");
    wintest::ScratchKey key(A("Open\\剪贴板"));
    ASSERT_TRUE(key.Ok());
    wintest::MessageBoxWatcher watcher(IDOK);
    OpenTargetLenient((A("复制的键：") + key.Path()).c_str());
    EXPECT_EQ(wintest::U(SelectedKey(session)), wintest::U(key.Path()));

    // Missing keys, root names alone and plain words open nothing and say nothing.
    standin::EndEditors();
    for (const char* text : {"HKCU\\Software\\QbTests\\Open\\Missing", "HKCU\\", "HKCU\\Software\\", "words", ""}) {
        OpenTargetLenient(text);
    }
    OpenTargetLenient(nullptr);
    EXPECT_EQ(standin::CountEditorProcesses(), 0);
    EXPECT_TRUE(watcher.Seen().empty());
}

TEST(OpenTarget, FilesAndFoldersGoToExplorer) {
    standin::Session session("open_files");
    std::string folder = probes::DriveFolder("openfiles");
    ASSERT_TRUE(wintest::WriteFileBytes(folder + "shortcuts.txt", "x"));
    wintest::MessageBoxWatcher watcher(IDOK);

    std::set<HWND> before = probes::ForeignWindows();
    EXPECT_TRUE(OpenTarget((folder + "shortcuts.txt").c_str(), nullptr));
    EXPECT_EQ(probes::WaitForNewExplorerWindow(before, 15000), "openfiles");

    // Another folder each time: Explorer may reuse a window already showing a folder.
    CreateDirectoryA((folder + "lenient").c_str(), nullptr);
    ASSERT_TRUE(wintest::WriteFileBytes(folder + "lenient\\a.reg", "x"));
    before = probes::ForeignWindows();
    OpenTargetLenient((folder + "lenient\\a.reg").c_str());
    EXPECT_EQ(probes::WaitForNewExplorerWindow(before, 15000), "lenient");

    before = probes::ForeignWindows();
    OpenTargetLenient(folder.substr(0, folder.size() - 1).c_str());  // a folder: its parent opens
    EXPECT_EQ(probes::WaitForNewExplorerWindow(before, 15000), "qbtests");

    EXPECT_TRUE(watcher.Seen().empty());
    EXPECT_EQ(standin::CountEditorProcesses(), 0);
}

}  // namespace
