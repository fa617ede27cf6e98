// Files and programs: existence, whole-file reads and writes, starting programs, Explorer.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "Probes.h"
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
    do {
        if (strcmp(data.cFileName, ".") && strcmp(data.cFileName, "..")) ++n;
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return n;
}

TEST(ShellTool, FileExists) {
    std::string dir = wintest::ScratchDir("exists");
    std::string dbcsDir = dir + A("表") + "\x95\x5C";  // second byte 0x5C inside a folder name
    CreateDirectoryA(dbcsDir.c_str(), nullptr);
    ASSERT_TRUE(WriteFileBytes(dir + "a.txt", "x"));
    ASSERT_TRUE(WriteFileBytes(dbcsDir + "\\b.reg", "y"));
    struct Case {
        std::string path;
        bool exists;
    } cases[] = {
        {dir + "a.txt", true},
        {dir + "A.TXT", true},
        {dir + "exists", false},
        {dir.substr(0, dir.size() - 1), true},  // a folder
        {dbcsDir, true},
        {dbcsDir + "\\b.reg", true},
        {dir + "*.txt", true},  // a wildcard counts when anything matches
        {dir + "?.txt", true},
        {dir + "*.none", false},
        {dir + "missing.txt", false},
        {dir + "missing\\a.txt", false},
        {"", false},
    };
    for (const Case& c : cases) EXPECT_EQ(CShellTool::FileExists(c.path.c_str()), c.exists) << wintest::U(c.path);
    EXPECT_FALSE(CShellTool::FileExists(nullptr));
}

TEST(ShellTool, LoadFile) {
    std::string dir = wintest::ScratchDir("load");
    const std::string content = std::string("HKCU\\a\x03") + A("名称") + "\r\n" + std::string("\0\x95\x5C", 3) + "end";
    ASSERT_TRUE(WriteFileBytes(dir + "full.ini", content));
    ASSERT_TRUE(WriteFileBytes(dir + "empty.ini", ""));

    CShellTool tool;
    char* block = tool.LoadFile((dir + "full.ini").c_str());
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(std::string(block, content.size()), content);  // unconverted, embedded zero kept
    EXPECT_EQ(block[content.size()], '\0');
    EXPECT_GE(GlobalSize(GlobalHandle(block)), content.size() + 1);

    EXPECT_EQ(tool.LoadFile((dir + "empty.ini").c_str()), nullptr);
    EXPECT_EQ(tool.LoadFile((dir + "missing.ini").c_str()), nullptr);
    EXPECT_EQ(tool.LoadFile(dir.c_str()), nullptr);  // a folder exists but is no file
    EXPECT_EQ(tool.LoadFile(""), nullptr);

    // A file someone else holds without sharing cannot be opened.
    HANDLE held = CreateFileA((dir + "full.ini").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(tool.LoadFile((dir + "full.ini").c_str()), nullptr);
    CloseHandle(held);

    block = tool.LoadFile((dir + "full.ini").c_str());
    ASSERT_NE(block, nullptr);
    tool.FreeBuffer();
    tool.FreeBuffer();  // twice is harmless
}

TEST(ShellTool, SaveFileWritesWholeNewContent) {
    std::string dir = wintest::ScratchDir("save");
    std::string dbcsDir = dir + A("表") + "\x95\x5C" + "\\";
    CreateDirectoryA(dbcsDir.c_str(), nullptr);
    CShellTool tool;
    std::string got;

    const std::string first = "first content, rather long\r\n";
    ASSERT_TRUE(tool.SaveFile((dir + "a.ini").c_str(), first.data(), first.size()));
    ASSERT_TRUE(ReadFileBytes(dir + "a.ini", got));
    EXPECT_EQ(got, first);

    const std::string shorter("x\0y", 3);
    ASSERT_TRUE(tool.SaveFile((dir + "a.ini").c_str(), shorter.data(), shorter.size()));
    ASSERT_TRUE(ReadFileBytes(dir + "a.ini", got));
    EXPECT_EQ(got, shorter);  // nothing of the longer old content remains

    ASSERT_TRUE(tool.SaveFile((dbcsDir + A("快捷.ini")).c_str(), first.data(), first.size()));
    char* block = tool.LoadFile((dbcsDir + A("快捷.ini")).c_str());
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(std::string(block), first);

    EXPECT_EQ(CountEntries(dir), 2);  // a.ini and the folder: no temporary file left
}

TEST(ShellTool, FailedSaveLeavesTheOldFile) {
    std::string dir = wintest::ScratchDir("savefail");
    CShellTool tool;
    const std::string old = "old content\r\n";
    const std::string next = "new content that must not land\r\n";
    std::string got;

    // Nothing to write never truncates.
    ASSERT_TRUE(WriteFileBytes(dir + "keep.ini", old));
    EXPECT_FALSE(tool.SaveFile((dir + "keep.ini").c_str(), next.data(), 0));
    EXPECT_FALSE(tool.SaveFile((dir + "keep.ini").c_str(), nullptr, 5));
    ASSERT_TRUE(ReadFileBytes(dir + "keep.ini", got));
    EXPECT_EQ(got, old);

    // Data that cannot all be read (its second page is not committed) cannot all be written:
    // the old content must survive a write that fails half-way.
    {
        SYSTEM_INFO si;
        GetSystemInfo(&si);
        char* pages = static_cast<char*>(VirtualAlloc(nullptr, 2 * si.dwPageSize, MEM_RESERVE, PAGE_NOACCESS));
        ASSERT_NE(pages, nullptr);
        ASSERT_NE(VirtualAlloc(pages, si.dwPageSize, MEM_COMMIT, PAGE_READWRITE), nullptr);
        memset(pages, 'n', si.dwPageSize);
        EXPECT_FALSE(tool.SaveFile((dir + "keep.ini").c_str(), pages, 2 * si.dwPageSize));
        VirtualFree(pages, 0, MEM_RELEASE);
        ASSERT_TRUE(ReadFileBytes(dir + "keep.ini", got));
        EXPECT_EQ(got, old);
    }

    // A read-only file is not replaced.
    ASSERT_TRUE(WriteFileBytes(dir + "readonly.ini", old));
    ASSERT_TRUE(SetFileAttributesA((dir + "readonly.ini").c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(tool.SaveFile((dir + "readonly.ini").c_str(), next.data(), next.size()));
    ASSERT_TRUE(ReadFileBytes(dir + "readonly.ini", got));
    EXPECT_EQ(got, old);
    SetFileAttributesA((dir + "readonly.ini").c_str(), FILE_ATTRIBUTE_NORMAL);

    // A file another program holds open without sharing is not replaced.
    ASSERT_TRUE(WriteFileBytes(dir + "held.ini", old));
    HANDLE held = CreateFileA((dir + "held.ini").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(tool.SaveFile((dir + "held.ini").c_str(), next.data(), next.size()));
    CloseHandle(held);
    ASSERT_TRUE(ReadFileBytes(dir + "held.ini", got));
    EXPECT_EQ(got, old);

    // A folder in the file's place stays a folder.
    CreateDirectoryA((dir + "folder.ini").c_str(), nullptr);
    EXPECT_FALSE(tool.SaveFile((dir + "folder.ini").c_str(), next.data(), next.size()));
    DWORD attributes = GetFileAttributesA((dir + "folder.ini").c_str());
    EXPECT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);

    EXPECT_FALSE(tool.SaveFile((dir + "missing\\x.ini").c_str(), next.data(), next.size()));
    EXPECT_FALSE(tool.SaveFile("", next.data(), next.size()));

    // keep.ini, readonly.ini, held.ini, folder.ini: no temporary file left by the failures.
    EXPECT_EQ(CountEntries(dir), 4);
}

TEST(ShellTool, RunProgram) {
    CShellTool tool;
    EXPECT_EQ(tool.RunProgram(nullptr, SW_SHOWNORMAL), nullptr);
    EXPECT_EQ(tool.RunProgram("", SW_SHOWNORMAL), nullptr);
    {
        // A program that cannot be found fails without the shell's own error box: the
        // callers tell the user themselves, or stay silent.
        wintest::MessageBoxWatcher shellBox(IDOK);
        EXPECT_EQ(tool.RunProgram("qb-no-such-program.exe", SW_SHOWNORMAL), nullptr);
        wintest::PumpFor(300);
        EXPECT_TRUE(shellBox.Seen().empty());
    }

    HANDLE process = tool.RunProgram("notepad.exe", SW_SHOWMINNOACTIVE);
    ASSERT_NE(process, nullptr);
    EXPECT_NE(GetProcessId(process), 0u);
    EXPECT_EQ(WaitForSingleObject(process, 0), static_cast<DWORD>(WAIT_TIMEOUT));  // running
    TerminateProcess(process, 0);
    CloseHandle(process);
}

TEST(ShellTool, SelectInExplorer) {
    std::string folder = probes::DriveFolder("select");
    std::string inner = folder + "inner";
    CreateDirectoryA(inner.c_str(), nullptr);
    ASSERT_TRUE(WriteFileBytes(inner + "\\file.txt", "x"));
    CShellTool tool;

    std::set<HWND> before = probes::ForeignWindows();
    EXPECT_FALSE(tool.SelectInExplorer(""));
    EXPECT_FALSE(tool.SelectInExplorer(nullptr));
    EXPECT_FALSE(tool.SelectInExplorer((inner + "\\missing.txt").c_str()));
    EXPECT_EQ(probes::WaitForNewExplorerWindow(before, 1500), "");  // nothing opened

    // Explorer opens on the item's folder: the file's folder, or a folder's parent.
    EXPECT_TRUE(tool.SelectInExplorer((inner + "\\file.txt").c_str()));
    EXPECT_EQ(probes::WaitForNewExplorerWindow(before, 15000), "inner");

    before = probes::ForeignWindows();
    EXPECT_TRUE(tool.SelectInExplorer(inner.c_str()));
    EXPECT_EQ(probes::WaitForNewExplorerWindow(before, 15000), "select");
}

}  // namespace
