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

// Wine's own registry editor, kept by the rig under a name of its own: the stand-in has its name.
bool Regedit(const std::string& arguments) { return wintest::RunAndWait("wineregedit.exe " + arguments, 60000); }

bool Import(const std::string& path, const std::u16string& text = {}) {
    return (text.empty() || wintest::WriteFileBytes(path, Utf16File(kHeader + text))) && Regedit("/s \"" + path + "\"");
}

// Whether two exports mean the same, as the comparison reads them: it lists no key.
bool SameExports(const std::string& a, const std::string& b) {
    std::string older, newer;
    std::u16string result;
    return wintest::ReadFileBytes(a, older) && wintest::ReadFileBytes(b, newer) && CompareFiles(older, newer, result) &&
           result.find(u"\r\n[") == result.npos;
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
    return drive::WaitWindowWhere(
        pid, [](HWND w) { return IsWindowVisible(w) && GetMenu(w); }, 20000);
}

// A file's name typed into an Open or Save dialog once it has the keyboard in its name field,
// and Enter pressed once the field holds it all: keys sent sooner go elsewhere or are lost.
HWND TypeInto(HWND dialog, const std::string& path) {
    const auto inNameField = [&] {
        char cls[16] = {};
        const HWND focus = drive::Focus(dialog);
        return drive::ToFront(dialog) && IsChild(dialog, focus) && GetClassNameA(focus, cls, sizeof cls) &&
               !lstrcmpiA(cls, "Edit");
    };
    if (!dialog || !wintest::WaitUntil(inNameField, 30000)) {
        ADD_FAILURE() << "no dialog took " << path;
        return dialog;
    }
    drive::Type(path);
    EXPECT_TRUE(wintest::WaitUntil([&] { return drive::Text(drive::Focus(dialog)) == path; }, 30000));
    drive::Key(VK_RETURN);
    return dialog;
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

    PROCESS_INFORMATION missing =
        drive::Launch(wintest::BuildFile("brindle\\Brindle.exe"), "/compare \"" + dir + "none.reg\" " + newer);
    const HWND box = drive::WaitDialog("Brindle", 20000, missing.dwProcessId);
    EXPECT_NE(drive::Text(GetDlgItem(box, 0xFFFF)).find(dir + "none.reg"), std::string::npos);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EndBrindle(missing, FrameOf(missing.dwProcessId));

    PROCESS_INFORMATION run =
        drive::Launch(wintest::BuildFile("brindle\\Brindle.exe"), "/COMPARE \"" + older + "\" " + newer);
    const HWND frame = FrameOf(run.dwProcessId);
    ASSERT_NE(frame, nullptr);
    // Ctrl+S saves nothing until the comparison is shown: pressed again while no dialog comes.
    // The progress window is a dialog too, and under load it may show first.
    const std::string progress = A("正在比较...");
    const auto dialog = [&](HWND w) {
        char cls[16] = {};
        return GetClassNameA(w, cls, sizeof cls) && !lstrcmpA(cls, "#32770") && drive::Text(w) != progress;
    };
    HWND save = nullptr;
    for (int attempt = 0; attempt < 12 && !save; ++attempt) {
        if (attempt == 0 || !drive::WaitWindowWhere(run.dwProcessId, dialog, 0)) {  // none made yet, shown or not
            ASSERT_TRUE(drive::ToFront(frame));
            drive::Chord({VK_CONTROL}, 'S');
        }
        save = drive::WaitWindowWhere(
            run.dwProcessId, [&](HWND w) { return IsWindowVisible(w) && dialog(w); }, 5000);
    }
    ASSERT_NE(save, nullptr);
    TypeInto(save, saved);
    EXPECT_TRUE(wintest::WaitUntil([&] { return GetFileAttributesA(saved.c_str()) != INVALID_FILE_ATTRIBUTES; }, 60000))
        << "the saved file never appeared";
    EndBrindle(run, frame);

    ASSERT_TRUE(Import(saved));
    ASSERT_TRUE(Regedit("/e \"" + dir + "result.reg\" " + kKey));
    EXPECT_TRUE(SameExports(newer, dir + "result.reg"));
}

// Brindle's windows in this process, driven through the program's own loop with real input.
class CompareWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(theApp.InitInstance());
        m_frame = static_cast<CMainFrame*>(theApp.m_pMainWnd);
        SetWindowPos(m_frame->m_hWnd, nullptr, 0, 0, 800, 600, SWP_NOZORDER);
    }
    CCompareController& Comparer() { return m_frame->m_wndView.Comparer(); }
    // The result once the comparison has ended and been shown (or refused).
    std::u16string Settled() {
        wintest::WaitUntil([&] { return !Comparer().IsRunning(); }, 30000);
        Sleep(300);
        return Comparer().Result();
    }
    // 文件 → 比较 by its mnemonics, the two files typed into the two dialogs, each asked by its title.
    void CompareByMenu(const std::string& older, const std::string& newer) {
        ASSERT_TRUE(drive::ToFront(m_frame->m_hWnd));
        drive::Chord({VK_MENU}, 'F');
        drive::Key('C');
        drive::WaitGone(TypeInto(drive::WaitDialog(A("比较：选择较旧的导出文件"), 10000), older), 5000);
        drive::WaitGone(TypeInto(drive::WaitDialog(A("比较：选择较新的导出文件"), 10000), newer), 5000);
    }
    CMainFrame* m_frame = nullptr;
};

// Big exports that differ in one value: comparing them takes seconds.
std::string BigExport(char16_t change) {
    std::u16string text = kHeader;
    for (int key = 0; key < 900000; ++key) {
        const std::string number = std::to_string(key);
        text +=
            u"[HKEY_CURRENT_USER\\Software\\Big\\K" + std::u16string(number.begin(), number.end()) + u"]\r\n\"v\"=\"";
        text += std::u16string(60, key == 450000 ? change : u'x') + u"\"\r\n\r\n";
    }
    return Utf16File(text);
}

// The menu and swap; one file as both exports (opened twice); a file that is no export, told by
// name; a save that cannot replace a file another program holds open, told by name (what such a
// save leaves: the shell tool's test); Esc and Cancel while the progress window shows (the text
// shown stays each time); a comparison of exports that share no key saved only after a question;
// an opened file saved as its own bytes.
TEST_F(CompareWindow, MenuSwapBadInputAFailedSaveAndEsc) {
    const std::string dir = wintest::ScratchDir("compare_menu"), older = dir + "older.reg", newer = dir + "newer.reg",
                      other = dir + "other.reg", locked = dir + "locked.reg", big1 = dir + "big1.reg",
                      big2 = dir + "big2.reg", hklm = dir + "hklm.reg", deletes = dir + "deletes.reg";
    ASSERT_TRUE(
        wintest::WriteFileBytes(older, Utf16File(kHeader + kOlder)) &&
        wintest::WriteFileBytes(newer, Utf16File(kHeader + u"[HKEY_CURRENT_USER\\Software\\QbTests\\Cmp]\r\n")) &&
        wintest::WriteFileBytes(other, "[HKEY_CURRENT_USER\\Software]\r\n") && wintest::WriteFileBytes(locked, "old") &&
        wintest::WriteFileBytes(big1, BigExport(u'x')) && wintest::WriteFileBytes(big2, BigExport(u'y')) &&
        wintest::WriteFileBytes(hklm, Utf16File(kHeader + u"[HKEY_LOCAL_MACHINE\\Software\\QbTests]\r\n")));
    const std::u16string branch = u"HKEY_CURRENT_USER\\Software\\QbTests\\Cmp\\Branch";
    const auto steps = [&] {
        CompareByMenu(older, newer);
        EXPECT_NE(Settled().find(u"\r\n[-" + branch + u"\\Below]\r\n"), std::u16string::npos);
        drive::Chord({VK_MENU}, 'F');
        drive::Key('W');
        EXPECT_NE(Settled().find(u"\r\n[" + branch + u"\\Below]\r\n"), std::u16string::npos) << "swapped";

        CompareByMenu(older, older);
        EXPECT_EQ(drive::AnswerBox("Brindle", 1000), "<no box>") << "one file named twice";
        const std::u16string same = Settled();
        EXPECT_EQ(same.find(u"\r\n["), std::u16string::npos) << "no key";
        CompareByMenu(other, newer);
        EXPECT_NE(drive::AnswerBox("Brindle").find(other), std::string::npos);
        EXPECT_EQ(Settled(), same);

        HANDLE held = CreateFileA(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        drive::Chord({VK_CONTROL}, 'S');
        const HWND save = TypeInto(drive::WaitDialog("", 10000), locked);  // then Yes to writing over it
        wintest::WaitUntil(
            [&] {
                const HWND ask = drive::WaitDialog("", 0);
                return ask && ask != save;
            },
            5000);
        drive::Key(VK_RETURN);
        EXPECT_NE(drive::AnswerBox("Brindle").find(locked), std::string::npos);
        CloseHandle(held);

        CompareByMenu(big1, big2);  // Esc at once, the keyboard in the view after a click into the text
        RECT view;
        GetWindowRect(m_frame->m_wndView.m_hWnd, &view);
        drive::MouseClick(view.right - 60, view.bottom - 40);
        drive::Key(VK_ESCAPE);
        EXPECT_EQ(Settled(), same);
        EXPECT_EQ(drive::WaitWindow("#32770", A("正在比较..."), 0), nullptr);
        CompareByMenu(big2, big1);  // and its Cancel button clicked
        const HWND again = drive::WaitWindow("#32770", A("正在比较..."), 20000);
        ASSERT_NE(again, nullptr);
        RECT button;
        GetWindowRect(GetDlgItem(again, IDCANCEL), &button);
        drive::MouseClick((button.left + button.right) / 2, (button.top + button.bottom) / 2);
        EXPECT_TRUE(drive::WaitGone(again, 3000));
        EXPECT_EQ(Settled(), same);

        CompareByMenu(older, hklm);  // no key shared: saving it would delete all the older's keys
        Settled();
        drive::Chord({VK_CONTROL}, 'S');
        TypeInto(drive::WaitDialog("", 10000), deletes);
        EXPECT_NE(drive::WaitDialog("Brindle", 5000), nullptr) << "asked first";
        drive::Key('N');
        Sleep(500);
        EXPECT_EQ(GetFileAttributesA(deletes.c_str()), INVALID_FILE_ATTRIBUTES) << "No: nothing saved";
        drive::Chord({VK_MENU}, 'F');  // an opened file: saved as its own bytes
        drive::Key('O');
        TypeInto(drive::WaitDialog("", 10000), older);
        Sleep(500);
        drive::Chord({VK_CONTROL}, 'S');
        TypeInto(drive::WaitDialog("", 10000), deletes);
        std::string copy;
        EXPECT_TRUE(wintest::WaitUntil([&] { return wintest::ReadFileBytes(deletes, copy); }, 5000) &&
                    copy == Utf16File(kHeader + kOlder));
    };
    drive::RunToExit([] { return theApp.Run(); }, m_frame->m_hWnd, ID_APP_EXIT, steps);
}

}  // namespace
