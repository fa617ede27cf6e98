// The store's registry-dependent operations and its shortcut file, on a real registry and
// real files.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <thread>
#include <vector>

#include "ShortcutMessages.h"
#include "ShortcutStore.h"
#include "WinTest.h"

const EditorVariant g_editorVariant = EditorVariant::Quillet;

using wintest::A;
using wintest::U;

namespace {

// A hidden window that records WM_SHORTCUT_ITEM with its id.
class ItemRecorder {
public:
    struct Item {
        int id;
        std::string location, name;
        bool operator==(const Item& o) const { return id == o.id && location == o.location && name == o.name; }
    };

    ItemRecorder() {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "QbStoreItemRecorder";
        RegisterClassA(&wc);
        m_hwnd = CreateWindowA(wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
        SetWindowLongPtrA(m_hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~ItemRecorder() { DestroyWindow(m_hwnd); }
    HWND Handle() const { return m_hwnd; }
    std::vector<Item> items;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == WM_SHORTCUT_ITEM) {
            auto* self = reinterpret_cast<ItemRecorder*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
            auto* s = reinterpret_cast<const Shortcut*>(lp);
            if (self && s) self->items.push_back({static_cast<int>(wp), s->location, s->name});
            return 0;
        }
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
    HWND m_hwnd = nullptr;
};

void PrintTo(const ItemRecorder::Item& i, std::ostream* os) {
    *os << "{" << i.id << ", " << U(i.location) << ", " << U(i.name) << "}";
}

std::string Dump(CShortcutStore& store) {
    std::string out;
    store.ForEach([&](const ShortcutEntry& e) { out += std::to_string(e.id) + ":" + e.text + "|"; });
    return out;
}

FILETIME WriteTime(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA info = {};
    GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &info);
    return info.ftLastWriteTime;
}

bool SameTime(FILETIME a, FILETIME b) { return CompareFileTime(&a, &b) == 0; }

class ShortcutStoreTest : public ::testing::Test {
protected:
    wintest::ScratchKey keyA{"ShortcutStore\\A"};
    wintest::ScratchKey keyB{"ShortcutStore\\B"};
    const std::string missing = "HKEY_CURRENT_USER\\Software\\QbTests\\ShortcutStore\\Missing";
    std::string Line(const std::string& location, const std::string& name) { return location + "\x03" + name; }
};

}  // namespace

TEST_F(ShortcutStoreTest, AddAndUpdateWantAnExistingKeyWhileLoadWantsOnlySyntax) {
    ASSERT_TRUE(keyA.Ok() && keyB.Ok());
    CShortcutStore store;
    const std::string file = Line(keyA.Path(), "a") + "\r\n" + Line(missing, "gone") + "\r\n" +
                             Line("hkcu\\software", "b") + "\r\n" + "C:\\file.txt\x03" "no key\r\n";
    ASSERT_TRUE(store.Load(file.c_str(), true));
    EXPECT_FALSE(store.IsModified());  // Load leaves the flag to its callers
    EXPECT_EQ(store.Count(), 3);        // the missing key survives; the file path does not

    // Refusals change nothing, not even the flag.
    struct Refused {
        const char* what;
        Shortcut s;
    } refused[] = {
        {"missing key", {"n", missing}},
        {"empty name", {"", keyA.Path()}},
        {"empty location", {"n", ""}},
        {"file path", {"n", "C:\\windows"}},
        {"root only", {"n", "HKCU\\"}},
    };
    const std::string before = Dump(store);
    for (const Refused& r : refused) {
        SCOPED_TRACE(r.what);
        EXPECT_EQ(store.Add(r.s), -1);
        EXPECT_FALSE(store.Update(0, r.s));
        EXPECT_EQ(Dump(store), before);
        EXPECT_FALSE(store.IsModified());
    }

    // The fourth shortcut gets id 3; an update keeps position and id.
    EXPECT_EQ(store.Add({A("新的"), keyB.Path()}), 3);
    EXPECT_TRUE(store.IsModified());
    store.SetModified(false);
    EXPECT_TRUE(store.Update(1, {"renamed", keyB.Path()}));
    EXPECT_TRUE(store.IsModified());
    EXPECT_EQ(Dump(store), "0:" + Line(keyA.Path(), "a") + "|1:" + Line(keyB.Path(), "renamed") + "|2:" +
                               Line("hkcu\\software", "b") + "|3:" + Line(keyB.Path(), A("新的")) + "|");

    Shortcut got;
    ASSERT_TRUE(store.Get(3, got));
    EXPECT_EQ(got.location, keyB.Path());
    EXPECT_EQ(got.name, A("新的"));

    // Ids that are not there.
    store.SetModified(false);
    for (int id : {-1, 4, 99}) {
        EXPECT_FALSE(store.Remove(id)) << id;
        EXPECT_FALSE(store.Update(id, {"n", keyA.Path()})) << id;
        EXPECT_FALSE(store.Get(id, got)) << id;
        EXPECT_FALSE(store.Open(id)) << id;
    }
    EXPECT_FALSE(store.IsModified());

    // Remove, then the id is gone for good while the others keep theirs.
    EXPECT_TRUE(store.Remove(1));
    EXPECT_TRUE(store.IsModified());
    EXPECT_FALSE(store.Get(1, got));
    ASSERT_TRUE(store.Get(2, got));
    EXPECT_EQ(got.name, "b");
    EXPECT_EQ(store.Add({"again", keyA.Path()}), 4);

    // A replacement restarts the ids.
    ASSERT_TRUE(store.Load((Line(keyB.Path(), "x") + "\r\n").c_str(), true));
    EXPECT_EQ(Dump(store), "0:" + Line(keyB.Path(), "x") + "|");
    EXPECT_EQ(store.Add({"y", keyA.Path()}), 1);
    EXPECT_FALSE(store.Load("", true));
    EXPECT_FALSE(store.Load(nullptr, true));
    EXPECT_EQ(store.Count(), 2);
}

TEST_F(ShortcutStoreTest, SendAllDeliversWellFormedEntriesInOrderWithTheirIds) {
    CShortcutStore store;
    ASSERT_TRUE(store.Load((Line("HKCU\\A", "a") + "\r\n" + Line("HKCU\\B", "b\x03" "c") + "\r\n").c_str(), true));
    // Entries that bypassed the checks (the list's own Append) are skipped, not sent broken.
    ASSERT_TRUE(store.Append("no separator", 7));
    ASSERT_TRUE(store.Append(Line("HKCU\\C", "c"), 8));

    ItemRecorder recorder;
    ASSERT_TRUE(store.SendAll(recorder.Handle()));
    EXPECT_EQ(recorder.items, (std::vector<ItemRecorder::Item>{
                                  {0, "HKCU\\A", "a"}, {1, "HKCU\\B", "b\x03" "c"}, {8, "HKCU\\C", "c"}}));
    EXPECT_FALSE(store.SendAll(nullptr));
    HWND gone = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    DestroyWindow(gone);
    EXPECT_FALSE(store.SendAll(gone));
}

TEST_F(ShortcutStoreTest, TheFileIsNamedAfterTheProgram) {
    char module[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, module, MAX_PATH);
    std::string expected = module;
    expected = expected.substr(0, expected.rfind('.')) + ".ini";
    EXPECT_EQ(CShortcutStore::DefaultFilePath(), expected);
}

TEST_F(ShortcutStoreTest, StartUpLoadReadsRawBytesUpToTheFirstZero) {
    const std::string dir = wintest::ScratchDir("store_load");
    CShortcutStore store;

    // No file, an empty file: an empty list, and not "unreadable".
    EXPECT_FALSE(store.LoadFromFile(dir + "none.ini"));
    EXPECT_FALSE(store.FileWasUnreadable());
    ASSERT_TRUE(wintest::WriteFileBytes(dir + "empty.ini", ""));
    EXPECT_FALSE(store.LoadFromFile(dir + "empty.ini"));
    EXPECT_FALSE(store.FileWasUnreadable());
    EXPECT_FALSE(store.LoadFromFile(""));

    std::string bytes = Line("HKCU\\A", A("甲")) + "\r\n" + Line("HKCU\\B", "b") + "\r\n";
    bytes += std::string("\0", 1) + Line("HKCU\\C", "after zero") + "\r\n";
    ASSERT_TRUE(wintest::WriteFileBytes(dir + "list.ini", bytes));
    store.SetModified(true);
    ASSERT_TRUE(store.LoadFromFile(dir + "list.ini"));
    EXPECT_FALSE(store.IsModified());
    EXPECT_EQ(Dump(store), "0:" + Line("HKCU\\A", A("甲")) + "|1:" + Line("HKCU\\B", "b") + "|");
}

TEST_F(ShortcutStoreTest, SaveWritesOnlyAChangedNonEmptyList) {
    ASSERT_TRUE(keyA.Ok() && keyB.Ok());
    const std::string dir = wintest::ScratchDir("store_save");
    const std::string path = dir + "list.ini";
    const std::string original = Line(keyA.Path(), "a") + "\r\n" + Line(keyB.Path(), "b") + "\r\n";
    ASSERT_TRUE(wintest::WriteFileBytes(path, original));
    const FILETIME stamp = WriteTime(path);
    Sleep(50);

    {   // No change: the file is not touched.
        CShortcutStore store;
        ASSERT_TRUE(store.LoadFromFile(path));
        EXPECT_EQ(store.SaveToFile(path).result, ShortcutSave::Nothing);
        EXPECT_TRUE(SameTime(WriteTime(path), stamp));
    }
    {   // Everything deleted: an empty list is never written.
        CShortcutStore store;
        ASSERT_TRUE(store.LoadFromFile(path));
        ASSERT_TRUE(store.Remove(0));
        ASSERT_TRUE(store.Remove(1));
        EXPECT_EQ(store.SaveToFile(path).result, ShortcutSave::Nothing);
        EXPECT_TRUE(SameTime(WriteTime(path), stamp));
        std::string now;
        ASSERT_TRUE(wintest::ReadFileBytes(path, now));
        EXPECT_EQ(now, original);
    }
    {   // Changes: rewritten in list order, raw ANSI bytes, CR LF after every line; the list
        // is empty afterwards.
        CShortcutStore store;
        ASSERT_TRUE(store.LoadFromFile(path));
        ASSERT_TRUE(store.Remove(0));
        ASSERT_NE(store.Add({A("中文"), keyA.Path()}), -1);
        ShortcutSaveReport report = store.SaveToFile(path);
        EXPECT_EQ(report.result, ShortcutSave::Saved);
        EXPECT_TRUE(report.message.empty());
        EXPECT_EQ(store.Count(), 0);
        std::string now;
        ASSERT_TRUE(wintest::ReadFileBytes(path, now));
        EXPECT_EQ(now, Line(keyB.Path(), "b") + "\r\n" + Line(keyA.Path(), A("中文")) + "\r\n");
    }
}

TEST_F(ShortcutStoreTest, AFileThatCouldNotBeReadIsNotWrittenOver) {
    ASSERT_TRUE(keyA.Ok());
    const std::string dir = wintest::ScratchDir("store_locked");
    const std::string path = dir + "list.ini";
    const std::string original = Line(keyA.Path(), "precious") + "\r\n";
    ASSERT_TRUE(wintest::WriteFileBytes(path, original));

    // Another program holds the file open without sharing it.
    HANDLE lock = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    CShortcutStore store;
    EXPECT_FALSE(store.LoadFromFile(path));
    EXPECT_TRUE(store.FileWasUnreadable());
    CloseHandle(lock);

    // Nothing changed in this run: nothing to say.
    EXPECT_EQ(store.SaveToFile(path).result, ShortcutSave::Nothing);

    ASSERT_NE(store.Add({"new", keyA.Path()}), -1);
    {
        wintest::MessageBoxWatcher boxes(IDOK);
        EXPECT_EQ(store.SaveAtClose(nullptr, path), ShortcutSave::NotSaved);
        ASSERT_EQ(boxes.Seen().size(), 1u);
        EXPECT_EQ(U(boxes.Seen()[0].caption), "保存快捷方式");
        EXPECT_NE(boxes.Seen()[0].text.find(path), std::string::npos) << U(boxes.Seen()[0].text);
        EXPECT_NE(U(boxes.Seen()[0].text).find("没有保存"), std::string::npos) << U(boxes.Seen()[0].text);
    }
    std::string now;
    ASSERT_TRUE(wintest::ReadFileBytes(path, now));
    EXPECT_EQ(now, original);
}

TEST_F(ShortcutStoreTest, AFailedSaveIsReportedAndCanBeRetried) {
    ASSERT_TRUE(keyA.Ok());
    const std::string dir = wintest::ScratchDir("store_fail");
    const std::string folder = dir + "later";
    const std::string path = folder + "\\list.ini";  // its folder does not exist yet
    RemoveDirectoryA(folder.c_str());
    const std::string expected = Line(keyA.Path(), "kept") + "\r\n";

    {   // The report names the file; the list survives for another attempt.
        CShortcutStore store;
        ASSERT_NE(store.Add({"kept", keyA.Path()}), -1);
        ShortcutSaveReport report = store.SaveToFile(path);
        EXPECT_EQ(report.result, ShortcutSave::Failed);
        EXPECT_EQ(report.boxType, static_cast<UINT>(MB_RETRYCANCEL | MB_ICONHAND));
        EXPECT_NE(report.message.find(path), std::string::npos) << U(report.message);
        EXPECT_EQ(store.Count(), 1);

        // Cancel at the question: one box, the changes are given up.
        wintest::MessageBoxWatcher boxes(IDCANCEL);
        EXPECT_EQ(store.SaveAtClose(nullptr, path), ShortcutSave::Failed);
        ASSERT_EQ(boxes.Seen().size(), 1u);
        EXPECT_NE(U(boxes.Seen()[0].text).find("是否重试"), std::string::npos) << U(boxes.Seen()[0].text);
        EXPECT_EQ(store.Count(), 0);
    }
    {   // Retry: the user makes room (the folder appears) and the next attempt succeeds.
        CShortcutStore store;
        ASSERT_NE(store.Add({"kept", keyA.Path()}), -1);
        wintest::MessageBoxWatcher boxes(IDRETRY);
        std::thread fixer([&] {
            for (int i = 0; i < 500 && boxes.Seen().empty(); ++i) Sleep(10);
            CreateDirectoryA(folder.c_str(), nullptr);
        });
        EXPECT_EQ(store.SaveAtClose(nullptr, path), ShortcutSave::Saved);
        fixer.join();
        EXPECT_GE(boxes.Seen().size(), 1u);
        std::string now;
        ASSERT_TRUE(wintest::ReadFileBytes(path, now));
        EXPECT_EQ(now, expected);
    }
}
