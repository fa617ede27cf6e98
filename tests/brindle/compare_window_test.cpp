// Comparing two exports in the viewer, under Wine. Brindle.exe started with /compare, its
// comparison saved with Ctrl+S, and Wine's own registry editor importing the older export and
// then the saved file ends with the newer; the comparison's menu, swap, bad input, a save
// that fails and Esc during a long comparison in the program's own windows, with real input.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "Driver.h"
#include "ExportTexts.h"
#include "MainFrame.h"
#include "ViewerApp.h"
#include "WinTest.h"

using wintest::A;

extern CViewerApp theApp;

namespace {

const char kKey[] = "HKEY_CURRENT_USER\\Software\\QbTests\\Cmp";
const std::u16string kHeader = u"Windows Registry Editor Version 5.00\r\n\r\n";

PROCESS_INFORMATION Launch(std::string command) {
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
    return pi;
}

bool RunAndWait(const std::string& command) {
    PROCESS_INFORMATION pi = Launch(command);
    if (!pi.hProcess) return false;
    const bool ended = WaitForSingleObject(pi.hProcess, 60000) == WAIT_OBJECT_0;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return ended;
}

// Wine's own registry editor, kept by the rig under a name of its own: the stand-in has its name.
bool Regedit(const std::string& arguments) { return RunAndWait("wineregedit.exe " + arguments); }

bool Import(const std::string& path, const std::u16string& text = {}) {
    return (text.empty() || wintest::WriteFileBytes(path, Utf16File(kHeader + text))) && Regedit("/s \"" + path + "\"");
}

// Whether two exports mean the same, as the comparison reads them.
bool SameExports(const std::string& a, const std::string& b) {
    std::string older, newer;
    if (!wintest::ReadFileBytes(a, older) || !wintest::ReadFileBytes(b, newer)) return false;
    CTextSource olderSource(older), newerSource(newer);
    CExportCompare compare(DecodeAnsi, nullptr);
    std::u16string result;
    const CompareCounts& c = compare.Counts();
    return compare.Run(olderSource, newerSource, CompareNotes(), result) &&
           c.keysAdded + c.keysRemoved + c.keysChanged + c.valuesAdded + c.valuesRemoved + c.valuesChanged == 0;
}

// The older registry and the changes that make the newer: strings, dwords, binary, hex(2) and
// hex(7) (whole UTF-16 characters), the default value, a branch deleted, a key whose name the
// code page lacks (Thai), a key left as it was.
const std::u16string kOlder =
    u"[HKEY_CURRENT_USER\\Software\\QbTests\\Cmp]\r\n@=\"默认\"\r\n\"Changes\"=dword:00000001\r\n"
    u"\"Removed\"=\"gone\"\r\n\"Expand\"=hex(2):25,00,50,00,41,00,54,00,48,00,25,00,00,00\r\n"
    u"\"Multi\"=hex(7):61,00,00,00,62,00,00,00,00,00\r\n\r\n"
    u"[HKEY_CURRENT_USER\\Software\\QbTests\\Cmp\\Branch\\Below]\r\n\"y\"=hex:01,02\r\n\r\n"
    u"[HKEY_CURRENT_USER\\Software\\QbTests\\Cmp\\Same]\r\n\"v\"=\"unchanged\"\r\n\r\n";
const std::u16string kChanges =
    u"[-HKEY_CURRENT_USER\\Software\\QbTests\\Cmp\\Branch]\r\n\r\n"
    u"[HKEY_CURRENT_USER\\Software\\QbTests\\Cmp]\r\n@=-\r\n\"Changes\"=dword:00000002\r\n\"Removed\"=-\r\n"
    u"\"Expand\"=hex(2):25,00,54,00,45,00,4d,00,50,00,25,00,00,00\r\n"
    u"\"Multi\"=hex(7):61,00,00,00,63,00,00,00,00,00\r\n\"Added\"=\"新的\"\r\n\r\n"
    u"[HKEY_CURRENT_USER\\Software\\QbTests\\Cmp\\New\\\u0e01]\r\n\"thai\"=\"\u0e01\"\r\n\r\n";

// The older and the newer export of kKey, made by Wine's registry editor; the registry left as the older.
bool MakeExports(const std::string& dir, const std::string& older, const std::string& newer) {
    const bool made = Import(dir + "older-src.reg", kOlder) && Regedit("/e \"" + older + "\" " + kKey) &&
                      Import(dir + "changes.reg", kChanges) && Regedit("/e \"" + newer + "\" " + kKey);
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\QbTests\\Cmp");
    return made && Import(older);
}

// The frame of a Brindle process: its top-level window with a menu.
HWND FrameOf(DWORD pid) {
    HWND found = nullptr;
    wintest::WaitUntil([&] {
        for (found = GetTopWindow(nullptr); found; found = GetWindow(found, GW_HWNDNEXT)) {
            DWORD of = 0;
            GetWindowThreadProcessId(found, &of);
            if (of == pid && IsWindowVisible(found) && GetMenu(found)) return true;
        }
        return false;
    }, 20000);
    return found;
}

// Brindle.exe with these arguments; its process, ended by the caller.
PROCESS_INFORMATION StartBrindle(const std::string& arguments) {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string exe = self;
    for (int up = 0; up < 3; ++up) exe.erase(exe.find_last_of('\\'));  // <build>\tests\brindle\x.exe
    return Launch("\"" + exe + "\\brindle\\Brindle.exe\" " + arguments);
}

void EndBrindle(PROCESS_INFORMATION& pi, HWND frame) {
    if (frame) PostMessageA(frame, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}

// The command line, as a shortcut gives it: the switch in any case, one path quoted (it holds a
// blank), one not. A missing file is told by name; the pair's comparison saved with Ctrl+S
// into the Save dialog; Wine's registry editor imports it over the older and ends with the newer.
TEST(Compare, SavedFromTheCommandLineImportsOverTheOlderAsTheNewer) {
    const std::string dir = wintest::ScratchDir("compare_e2e"), quoted = dir + "older exports\\";
    CreateDirectoryA(quoted.c_str(), nullptr);
    const std::string older = quoted + "older.reg", newer = dir + "newer.reg", saved = dir + "saved.reg";
    DeleteFileA(saved.c_str());
    ASSERT_TRUE(MakeExports(dir, older, newer));

    PROCESS_INFORMATION missing = StartBrindle("/compare \"" + dir + "none.reg\" " + newer);
    const HWND box = drive::WaitDialog("Brindle", 20000, missing.dwProcessId);
    EXPECT_NE(drive::Text(GetDlgItem(box, 0xFFFF)).find(dir + "none.reg"), std::string::npos);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EndBrindle(missing, FrameOf(missing.dwProcessId));

    PROCESS_INFORMATION run = StartBrindle("/COMPARE \"" + older + "\" " + newer);
    const HWND frame = FrameOf(run.dwProcessId);
    ASSERT_NE(frame, nullptr);
    HWND save = nullptr;
    for (int attempt = 0; attempt < 20 && !save; ++attempt) {  // Ctrl+S saves nothing until it is shown
        ASSERT_TRUE(drive::ToFront(frame));
        drive::Chord({VK_CONTROL}, 'S');
        save = drive::WaitDialog("", 1000, run.dwProcessId);
    }
    ASSERT_NE(save, nullptr);
    drive::Type(saved);
    drive::Key(VK_RETURN);
    EXPECT_TRUE(wintest::WaitUntil([&] { return GetFileAttributesA(saved.c_str()) != INVALID_FILE_ATTRIBUTES; }, 10000));
    EndBrindle(run, frame);

    std::string bytes;
    ASSERT_TRUE(wintest::ReadFileBytes(saved, bytes));
    EXPECT_EQ(bytes.substr(0, 2 + 2 * 38), Utf16File(u"Windows Registry Editor Version 5.00\r\n"));
    EXPECT_EQ(bytes.find(Utf16File(u"\\Same]").substr(2)), std::string::npos) << "a key that did not change";
    ASSERT_TRUE(Import(saved));
    ASSERT_TRUE(Regedit("/e \"" + dir + "result.reg\" " + kKey));
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\QbTests\\Cmp");
    EXPECT_TRUE(SameExports(newer, dir + "result.reg"));
}

}  // namespace
