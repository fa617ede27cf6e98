// Files: reads and writes the strip's own tests do not reach, and saves that fail without
// harm. The shortcut file's round trip is shown on the real strip; existence, Explorer opening
// and programs starting (and failing quietly) through the open flows and the navigator.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "ShellTool.h"
#include "WinTest.h"

namespace {

using wintest::WriteFileBytes;

// Names in the folder, for spotting temporary files left behind.
int CountEntries(const std::string& folder) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "*").c_str(), &data);
    int n = 0;
    for (BOOL more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileA(find, &data))
        n += strcmp(data.cFileName, ".") && strcmp(data.cFileName, "..");
    if (find != INVALID_HANDLE_VALUE) FindClose(find);
    return n;
}

// Held open for writing by an editor or a sync tool, a file is still read. A path one
// character short of the system's limit (folders take at most 247) is written too: the
// temporary file beside it must not be the longer one.
TEST(ShellTool, ReadsAHeldFileAndWritesNearThePathLimit) {
    const std::string dir = wintest::ScratchDir("saveload"), text = "HKCU\\a\x03name\r\n";
    ASSERT_TRUE(WriteFileBytes(dir + "held.ini", text));
    HANDLE held = CreateFileA((dir + "held.ini").c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    CShellTool tool;
    const char* block = tool.LoadFile((dir + "held.ini").c_str());
    EXPECT_EQ(block ? block : "<not read>", text);
    CloseHandle(held);
    ASSERT_LT(dir.size(), 200u);
    const std::string deep = dir + std::string(246 - dir.size(), 'd') + "\\";
    ASSERT_TRUE(CreateDirectoryA(deep.c_str(), nullptr));
    const std::string nearLimit = deep + std::string(259 - deep.size() - 4, 'q') + ".ini";
    EXPECT_TRUE(tool.SaveFile(nearLimit.c_str(), text.data(), text.size())) << GetLastError();
    EXPECT_EQ(CountEntries(deep), 1);
}

TEST(ShellTool, FailedSaveLeavesTheOldFile) {
    std::string dir = wintest::ScratchDir("savefail");
    CShellTool tool;
    const std::string old = "old content\r\n", next = "new content that must not land\r\n";
    // Data whose second page is not committed cannot all be written: the save fails half-way.
    SYSTEM_INFO si;
    GetSystemInfo(&si);
    char* pages = static_cast<char*>(VirtualAlloc(nullptr, 2 * si.dwPageSize, MEM_RESERVE, PAGE_NOACCESS));
    ASSERT_TRUE(pages && VirtualAlloc(pages, si.dwPageSize, MEM_COMMIT, PAGE_READWRITE));
    // Each failure leaves the system's error code for the message (0: any but 0).
    const struct {
        const char* name;
        const void* data;
        size_t size;
        DWORD error;
    } cases[] = {
        {"empty.ini", next.data(), 0, ERROR_INVALID_PARAMETER},  // nothing to write never truncates
        {"halfway.ini", pages, 2 * si.dwPageSize, 0},
        {"readonly.ini", next.data(), next.size(), ERROR_ACCESS_DENIED},
        {"held.ini", next.data(), next.size(), 0},  // held open by another program without sharing
    };
    for (const auto& c : cases) ASSERT_TRUE(WriteFileBytes(dir + c.name, old));
    SetFileAttributesA((dir + "readonly.ini").c_str(), FILE_ATTRIBUTE_READONLY);
    HANDLE held = CreateFileA((dir + "held.ini").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    for (const auto& c : cases) {
        SetLastError(0);
        EXPECT_FALSE(tool.SaveFile((dir + c.name).c_str(), c.data, c.size)) << c.name;
        const DWORD error = GetLastError();
        EXPECT_TRUE(c.error ? error == c.error : error != 0) << c.name << ": " << error;
    }
    CloseHandle(held);
    VirtualFree(pages, 0, MEM_RELEASE);
    SetFileAttributesA((dir + "readonly.ini").c_str(), FILE_ATTRIBUTE_NORMAL);
    for (const auto& c : cases) {
        std::string got;
        ASSERT_TRUE(wintest::ReadFileBytes(dir + c.name, got));
        EXPECT_EQ(got, old) << c.name;
    }

    // A folder in the file's place stays a folder.
    CreateDirectoryA((dir + "folder.ini").c_str(), nullptr);
    EXPECT_FALSE(tool.SaveFile((dir + "folder.ini").c_str(), next.data(), next.size()));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    EXPECT_TRUE(GetFileAttributesA((dir + "folder.ini").c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(CountEntries(dir), 5);  // the four files and the folder: no temporary file left
}

// The saved file stays the file it was: a hidden system file keeps both attributes, and a link
// named as the file stays a link and its target gets the content. (The permissions the
// system's replace keeps: on Windows only.)
TEST(ShellTool, ASaveKeepsTheFilesAttributesAndWritesThroughALink) {
    const std::string dir = wintest::ScratchDir("savekeep"), text = "new\r\n";
    ASSERT_TRUE(WriteFileBytes(dir + "hidden.ini", "old") && WriteFileBytes(dir + "target.ini", "old"));
    const DWORD hidden = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    SetFileAttributesA((dir + "hidden.ini").c_str(), hidden);
    // A link as the host makes it: Wine's CreateSymbolicLink makes none. A host program started
    // from Wine gives no handle to wait on: the link is waited for.
    wintest::RunAndWait("Z:\\bin\\ln -s target.ini link.ini", 0, dir.c_str());
    ASSERT_TRUE(
        wintest::WaitUntil([&] { return GetFileAttributesA((dir + "link.ini").c_str()) != INVALID_FILE_ATTRIBUTES; }));
    CShellTool tool;
    for (const char* name : {"hidden.ini", "link.ini"})
        EXPECT_TRUE(tool.SaveFile((dir + name).c_str(), text.data(), text.size())) << name;
    EXPECT_EQ(hidden, GetFileAttributesA((dir + "hidden.ini").c_str()) & hidden);
    for (const char* name : {"hidden.ini", "target.ini"}) {
        std::string got;
        EXPECT_TRUE(wintest::ReadFileBytes(dir + name, got) && got == text) << name << ": " << got;
    }
    EXPECT_EQ(CountEntries(dir), 3);  // no temporary or backup file left
}

}  // namespace
