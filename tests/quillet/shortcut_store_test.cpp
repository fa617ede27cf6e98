// The store's registry-dependent operations and its shortcut file, on a real registry and
// real files. (The file's rules at close, an unreadable file among them: the strip's tests.)
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "ShortcutStore.h"
#include "WinTest.h"

using wintest::A;
using wintest::U;

namespace {

std::string Dump(CShortcutStore& store) {
    std::string out;
    store.ForEach([&](const ShortcutEntry& e) { out += std::to_string(e.id) + ":" + e.text + "|"; });
    return out;
}

std::string Line(const std::string& location, const std::string& name) { return location + "\x03" + name; }

const std::string kMissing = "HKEY_CURRENT_USER\\Software\\QbTests\\ShortcutStore\\Missing";

}  // namespace

// (What Add and Update refuse, and ids that are not there, no caller hands the store: the
// editor and the picker turn them away first.)
TEST(ShortcutStore, LoadWantsOnlySyntaxAndIdsStayWithTheirShortcuts) {
    wintest::ScratchKey keyA{"ShortcutStore\\A"}, keyB{"ShortcutStore\\B"};
    ASSERT_TRUE(keyA.Ok() && keyB.Ok());
    CShortcutStore store;
    const std::string file = Line(keyA.Path(), "a") + "\r\n" + Line(kMissing, "gone") + "\r\n" +
                             Line("hkcu\\software", "b") + "\r\nC:\\file.txt\x03no key\r\n";
    ASSERT_TRUE(store.Load(file.c_str(), true));

    // The missing key survives, the file path does not; the fourth shortcut gets id 3; an
    // update keeps position and id.
    EXPECT_EQ(store.Add({A("新的"), keyB.Path()}), 3);
    EXPECT_TRUE(store.Update(1, {"renamed", keyB.Path()}));
    EXPECT_EQ(Dump(store), "0:" + Line(keyA.Path(), "a") + "|1:" + Line(keyB.Path(), "renamed") +
                               "|2:" + Line("hkcu\\software", "b") + "|3:" + Line(keyB.Path(), A("新的")) + "|");

    // A removed id is gone for good while the others keep theirs. (That adding, editing and
    // deleting mark the list changed: the strip's file at close.)
    Shortcut got;
    EXPECT_TRUE(store.Remove(1));
    EXPECT_FALSE(store.Get(1, got));
    ASSERT_TRUE(store.Get(2, got));
    EXPECT_EQ(got.name, "b");
    EXPECT_EQ(store.Add({"again", keyA.Path()}), 4);

    // A replacement restarts the ids. (An empty text: no caller hands one over.)
    ASSERT_TRUE(store.Load((Line(keyB.Path(), "x") + "\r\n").c_str(), true));
    EXPECT_EQ(store.Add({"y", keyA.Path()}), 1);
    EXPECT_EQ(Dump(store), "0:" + Line(keyB.Path(), "x") + "|1:" + Line(keyA.Path(), "y") + "|");
}

// The file is read as raw bytes up to the first zero; Cancel at a failed save gives the
// changes up. (The report naming the file and Retry keeping the changes: the real program.)
TEST(ShortcutStore, LoadReadsUpToTheFirstZeroAndCancelAtAFailedSaveGivesTheChangesUp) {
    const std::string dir = wintest::ScratchDir("store_file");
    CShortcutStore store;
    // No file, an empty file: an empty list, and not "unreadable" (that would block the save).
    ASSERT_TRUE(wintest::WriteFileBytes(dir + "empty.ini", ""));
    for (const std::string& path : {dir + "none.ini", dir + "empty.ini"}) {
        EXPECT_FALSE(store.LoadFromFile(path)) << path;
        EXPECT_FALSE(store.FileWasUnreadable()) << path;
    }
    std::string bytes = Line("HKCU\\A", A("甲")) + "\r\n" + Line("HKCU\\B", "b") + "\r\n";
    bytes += std::string("\0", 1) + Line("HKCU\\C", "after zero") + "\r\n";
    ASSERT_TRUE(wintest::WriteFileBytes(dir + "list.ini", bytes));
    ASSERT_TRUE(store.LoadFromFile(dir + "list.ini"));
    EXPECT_EQ(Dump(store), "0:" + Line("HKCU\\A", A("甲")) + "|1:" + Line("HKCU\\B", "b") + "|");

    wintest::ScratchKey key{"ShortcutStore\\A"};
    ASSERT_NE(store.Add({"kept", key.Path()}), -1);
    wintest::MessageBoxWatcher boxes(IDCANCEL);
    EXPECT_EQ(store.SaveAtClose(nullptr, dir + "missing folder\\list.ini"), ShortcutSave::Failed);
    ASSERT_EQ(boxes.Seen().size(), 1u);
    EXPECT_NE(U(boxes.Seen()[0].text).find("是否重试"), std::string::npos) << U(boxes.Seen()[0].text);
    EXPECT_EQ(store.Count(), 0);
}
