// Files and programs: existence, whole-file reads and writes, failures. Explorer opening and
// programs starting are shown through the open flows and the navigator.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "RegKeyTool.h"
#include "ShellTool.h"
#include "WinTest.h"

const EditorVariant g_editorVariant = EditorVariant::Quillet;

namespace {

using wintest::A;
using wintest::ReadFileBytes;
using wintest::WriteFileBytes;

// Names in the folder, for spotting temporary files left behind.
int CountEntries(const std::string& folder) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return 0;
    int n = 0;
    do n += strcmp(data.cFileName, ".") && strcmp(data.cFileName, "..");
    while (FindNextFileA(find, &data));
    FindClose(find);
    return n;
}

TEST(ShellTool, FileExists) {
    std::string dir = wintest::ScratchDir("exists");
    std::string dbcsDir = dir + A("表") + "\x95\x5C";  // second byte 0x5C inside a folder name
    CreateDirectoryA(dbcsDir.c_str(), nullptr);
    ASSERT_TRUE(WriteFileBytes(dir + "a.txt", "x") && WriteFileBytes(dbcsDir + "\\b.reg", "y"));
    const struct { std::string path; bool exists; } cases[] = {
        {dir + "A.TXT", true},
        {dir.substr(0, dir.size() - 1), true},  // a folder
        {dbcsDir + "\\b.reg", true},
        {dir + "?.txt", true},  // a wildcard counts when anything matches
        {dir + "*.none", false},
        {dir + "missing\\a.txt", false},
        {"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(CShellTool::FileExists(c.path.c_str()), c.exists) << wintest::U(c.path);
    EXPECT_FALSE(CShellTool::FileExists(nullptr));
}

TEST(ShellTool, LoadFile) {
    std::string dir = wintest::ScratchDir("load");
    const std::string content = std::string("HKCU\\a\x03") + A("名称") + "\r\n" + std::string("\0\x95\x5C", 3) + "end";
    ASSERT_TRUE(WriteFileBytes(dir + "full.ini", content) && WriteFileBytes(dir + "empty.ini", ""));

    CShellTool tool;
    char* block = tool.LoadFile((dir + "full.ini").c_str());
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(std::string(block, content.size()), content);  // unconverted, embedded zero kept
    EXPECT_EQ(block[content.size()], '\0');

    for (const char* name : {"empty.ini", "missing.ini", ""})  // "": the folder itself
        EXPECT_EQ(tool.LoadFile((dir + name).c_str()), nullptr) << name;
}

TEST(ShellTool, SaveFileWritesWholeNewContent) {
    std::string dir = wintest::ScratchDir("save");
    std::string dbcsDir = dir + A("表") + "\x95\x5C" + "\\";
    CreateDirectoryA(dbcsDir.c_str(), nullptr);
    CShellTool tool;
    std::string got;
    const std::string first = "first content, rather long\r\n", shorter("x\0y", 3);
    ASSERT_TRUE(tool.SaveFile((dir + "a.ini").c_str(), first.data(), first.size()));
    ASSERT_TRUE(tool.SaveFile((dir + "a.ini").c_str(), shorter.data(), shorter.size()));
    ASSERT_TRUE(ReadFileBytes(dir + "a.ini", got));
    EXPECT_EQ(got, shorter);  // nothing of the longer old content remains

    ASSERT_TRUE(tool.SaveFile((dbcsDir + A("快捷.ini")).c_str(), first.data(), first.size()));
    ASSERT_TRUE(ReadFileBytes(dbcsDir + A("快捷.ini"), got));
    EXPECT_EQ(got, first);
    EXPECT_EQ(CountEntries(dir), 2);  // a.ini and the folder: no temporary file left
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
    const struct { const char* name; const void* data; size_t size; bool readOnly, held; } cases[] = {
        {"empty.ini", next.data(), 0, false, false},  // nothing to write never truncates
        {"halfway.ini", pages, 2 * si.dwPageSize, false, false},
        {"readonly.ini", next.data(), next.size(), true, false},
        {"held.ini", next.data(), next.size(), false, true},  // held open by another without sharing
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir + c.name;
        ASSERT_TRUE(WriteFileBytes(path, old));
        if (c.readOnly) SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
        HANDLE held = c.held ? CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)
                             : INVALID_HANDLE_VALUE;
        ASSERT_EQ(held != INVALID_HANDLE_VALUE, c.held);
        EXPECT_FALSE(tool.SaveFile(path.c_str(), c.data, c.size));
        if (c.held) CloseHandle(held);
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        std::string got;
        ASSERT_TRUE(ReadFileBytes(path, got));
        EXPECT_EQ(got, old);
    }
    VirtualFree(pages, 0, MEM_RELEASE);

    // A folder in the file's place stays a folder.
    CreateDirectoryA((dir + "folder.ini").c_str(), nullptr);
    EXPECT_FALSE(tool.SaveFile((dir + "folder.ini").c_str(), next.data(), next.size()));
    EXPECT_TRUE(GetFileAttributesA((dir + "folder.ini").c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(CountEntries(dir), 5);  // the four files and the folder: no temporary file left
}

TEST(ShellTool, RunProgramAndExplorerFailQuietly) {
    CShellTool tool;
    // The callers tell the user themselves, or stay silent: no shell error box.
    wintest::MessageBoxWatcher shellBox(IDOK);
    EXPECT_EQ(tool.RunProgram("", SW_SHOWNORMAL), nullptr);
    EXPECT_EQ(tool.RunProgram("qb-no-such-program.exe", SW_SHOWNORMAL), nullptr);
    EXPECT_FALSE(tool.SelectInExplorer(nullptr));
    EXPECT_FALSE(tool.SelectInExplorer((wintest::ScratchDir("select") + "missing.txt").c_str()));
    wintest::PumpFor(300);
    EXPECT_TRUE(shellBox.Seen().empty());
}

}  // namespace
