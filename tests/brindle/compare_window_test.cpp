// Comparing two exports in the viewer, under Wine, and an export with the registry. Brindle.exe started with /compare,
// its comparison saved with Ctrl+S, and Wine's own registry editor importing the older export and then the saved file
// ends with the newer; the comparison's menu, swap, bad input, a save that fails and Esc during a long comparison in
// the program's own windows, with real input.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "Driver.h"
#include "ExportReader.h"
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
// hex(7) (whole UTF-16 characters; a string holding CR LF and a value line with a comment after
// it, which the comment line under it must not let out), the default value, a branch deleted, a key whose name the code
// page lacks (Thai), a key left as it was.
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
    u"\"Multi\"=hex(7):61,00,0d,00,0a,00,22,00,49,00,22,00,3d,00,22,00,31,00,22,00,3b,00,00,00,63,00,00,00,00,00\r\n"
    u"\"Added\"=\"新的\"\r\n\r\n"
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
    if (!dialog || !wintest::WaitUntil(inNameField, wintest::kWaitMs)) {
        ADD_FAILURE() << "no dialog took " << path;
        return dialog;
    }
    drive::Type(path);
    EXPECT_TRUE(wintest::WaitUntil([&] { return drive::Text(drive::Focus(dialog)) == path; }, wintest::kWaitMs));
    drive::Key(VK_RETURN);
    return dialog;
}

// Ctrl+S saves nothing until the comparison is shown: pressed again while no dialog comes.
// The progress window is a dialog too, and under load it may show first.
HWND SaveDialogOnceShown(const PROCESS_INFORMATION& run, HWND frame) {
    const std::string progress = A("正在比较...");
    const auto dialog = [&](HWND w) {
        char cls[16] = {};
        return GetClassNameA(w, cls, sizeof cls) && !lstrcmpA(cls, "#32770") && drive::Text(w) != progress;
    };
    HWND save = nullptr;
    for (int attempt = 0; attempt < 12 && !save && frame; ++attempt) {
        if (attempt == 0 || !drive::WaitWindowWhere(run.dwProcessId, dialog, 0)) {  // none made yet, shown or not
            if (!drive::ToFront(frame)) return nullptr;
            drive::Chord({VK_CONTROL}, 'S');
        }
        save = drive::WaitWindowWhere(
            run.dwProcessId, [&](HWND w) { return IsWindowVisible(w) && dialog(w); }, 5000);
    }
    return save;
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
    const HWND save = SaveDialogOnceShown(run, frame);
    ASSERT_NE(save, nullptr);
    TypeInto(save, saved);
    EXPECT_TRUE(wintest::WaitUntil([&] { return GetFileAttributesA(saved.c_str()) != INVALID_FILE_ATTRIBUTES; }, 60000))
        << "the saved file never appeared";
    EndBrindle(run, frame);

    ASSERT_TRUE(Import(saved));
    ASSERT_TRUE(Regedit("/e \"" + dir + "result.reg\" " + kKey));
    EXPECT_TRUE(SameExports(newer, dir + "result.reg"));
}

const char kLive[] = "HKEY_CURRENT_USER\\Software\\QbTests\\Live";
const std::u16string kLiveSource =
    u"[HKEY_CURRENT_USER\\Software\\QbTests\\Live]\r\n\"s\"=\"text\"\r\n\"e\"=hex(2):25,00,50,00,00,00\r\n\r\n"
    u"[HKEY_CURRENT_USER\\Software\\QbTests\\Live\\Gone\\Below]\r\n\"b\"=hex:01\r\n\r\n"
    u"[HKEY_CURRENT_USER\\Software\\QbTests\\Live\\Kept]\r\n@=\"k\"\r\n\r\n";

bool Reg(const std::string& arguments) { return wintest::RunAndWait("reg.exe " + arguments, 60000); }

// The registry as it is since an export of a branch: a patch is told, not compared, and its
// import preview offered; the comparison of the export (Wine's editor made it) with the
// registry changed since by Wine's reg.exe is shown, and a patch's preview; run again by
// live_trace.sh under WINEDEBUG=+reg, whose trace shows that each of the three only reads.
TEST(Compare, TheRegistrySinceAnExportAndAPatchToldFromTheCommandLine) {
    const std::string dir = wintest::ScratchDir("compare_live_trace"), file = dir + "file.reg",
                      patch = dir + "patch.reg";
    ASSERT_TRUE(Import(dir + "src.reg", kLiveSource) && Regedit("/e \"" + file + "\" " + kLive));
    ASSERT_TRUE(Reg("add HKCU\\Software\\QbTests\\Live\\Added /v x /d y /f"));
    ASSERT_TRUE(
        wintest::WriteFileBytes(patch, Utf16File(kHeader + u"[-HKEY_CURRENT_USER\\Software\\QbTests\\Live]\r\n")));
    // Shown, and ended: the reading is over. For the trace's reader (live_trace.sh): which
    // process is Brindle, as Wine names it.
    const auto shownAndEnded = [](PROCESS_INFORMATION& run) {
        std::printf("brindle pid %04lx\n", run.dwProcessId);
        std::fflush(stdout);
        const HWND frame = FrameOf(run.dwProcessId), save = SaveDialogOnceShown(run, frame);
        EXPECT_NE(save, nullptr);
        EXPECT_TRUE(drive::ToFront(save));
        drive::Key(VK_ESCAPE);  // the Save dialog left as a user leaves it
        EXPECT_TRUE(drive::WaitGone(save, wintest::kWaitMs));
        EndBrindle(run, frame);
    };
    PROCESS_INFORMATION told = drive::Launch(wintest::BuildFile("brindle\\Brindle.exe"), "/compare \"" + patch + "\"");
    const HWND box = drive::WaitDialog("Brindle", wintest::kWaitMs, told.dwProcessId);
    const std::string text = drive::Text(GetDlgItem(box, 0xFFFF));
    EXPECT_NE(text.find(patch), std::string::npos);
    EXPECT_NE(text.find(A("补丁")), std::string::npos);
    ASSERT_TRUE(drive::ToFront(box));
    drive::Key(VK_RETURN);  // Yes: its import preview instead
    shownAndEnded(told);

    PROCESS_INFORMATION run = drive::Launch(wintest::BuildFile("brindle\\Brindle.exe"), "/compare \"" + file + "\"");
    shownAndEnded(run);
    ASSERT_TRUE(wintest::WriteFileBytes(
        patch, Utf16File(kHeader + u"[HKEY_CURRENT_USER\\Software\\QbTests\\Live\\Kept\\New]\r\n\"v\"=\"x\"\r\n")));
    PROCESS_INFORMATION preview =
        drive::Launch(wintest::BuildFile("brindle\\Brindle.exe"), "/preview \"" + patch + "\"");
    shownAndEnded(preview);
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\QbTests\\Live");
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
    // The result once the comparison has ended and been shown (or refused), read on the
    // window's thread once the command that started it has returned.
    std::u16string Settled() {
        bool running = true;
        std::u16string result;
        EXPECT_TRUE(wintest::WaitUntil(
            [&] {
                drive::OnWindowThread(m_frame->m_hWnd, [&] {
                    running = Comparer().IsRunning();
                    const ShownComparison* shown = m_frame->m_wndView.Shown().Comparison();
                    result = shown ? shown->text : std::u16string();
                });
                return !running;
            },
            60000));
        return result;
    }
    // 文件 → 比较 by its mnemonics, the two files typed into the two dialogs, each asked by its title.
    void CompareByMenu(const std::string& older, const std::string& newer) {
        ASSERT_TRUE(drive::ToFront(m_frame->m_hWnd));
        drive::Chord({VK_MENU}, 'F');
        drive::Key('C');
        drive::WaitGone(TypeInto(drive::WaitDialog(A("比较：选择较旧的导出文件"), wintest::kWaitMs), older),
                        wintest::kWaitMs);
        drive::WaitGone(TypeInto(drive::WaitDialog(A("比较：选择较新的导出文件"), wintest::kWaitMs), newer),
                        wintest::kWaitMs);
    }
    CMainFrame* m_frame = nullptr;
};

// An export read from memory whose first read waits at a gate: a comparison of it runs until
// the test opens the gate, however fast the machine. `alive` counts the sources not yet let go
// of: none once the comparison has ended and been dealt with.
class CHeldSource : public CExportSource {
public:
    CHeldSource(std::string bytes, wintest::Gate& gate, std::shared_ptr<std::atomic<int>> alive)
        : m_bytes(std::move(bytes)), m_gate(gate), m_alive(std::move(alive)) {
        ++*m_alive;
    }
    ~CHeldSource() override { --*m_alive; }
    uint64_t Size() const override { return m_bytes.size(); }
    bool Read(uint64_t offset, void* buffer, size_t n, size_t& got) override {
        if (!m_passed) m_gate.Pass();
        m_passed = true;
        got = offset < m_bytes.size() ? std::min<size_t>(n, m_bytes.size() - offset) : 0;
        if (got) memcpy(buffer, m_bytes.data() + offset, got);
        return true;
    }

private:
    const std::string m_bytes;
    wintest::Gate& m_gate;
    const std::shared_ptr<std::atomic<int>> m_alive;
    bool m_passed = false;  // only one thread reads a source at a time
};

// The menu and swap; one file as both exports (opened twice); a file that is no export and an
// empty one, told by name; a save that cannot replace a file another program holds open, told by name (what such a
// save leaves: the shell tool's test); Esc and Cancel while the progress window shows, each with
// a comparison held at a gate so that it still runs (the text shown stays, and what it would
// have shown when let through never comes); a comparison with an export cut short that shares
// no key saved only after a question about each; an opened file saved as its own bytes.
TEST_F(CompareWindow, MenuSwapBadInputAFailedSaveAndEsc) {
    const std::string dir = wintest::ScratchDir("compare_menu"), older = dir + "older.reg", newer = dir + "newer.reg",
                      other = dir + "other.reg", locked = dir + "locked.reg", hklm = dir + "hklm.reg",
                      deletes = dir + "deletes.reg", empty = dir + "empty.reg";
    ASSERT_TRUE(
        wintest::WriteFileBytes(older, Utf16File(kHeader + kOlder)) &&
        wintest::WriteFileBytes(newer, Utf16File(kHeader + u"[HKEY_CURRENT_USER\\Software\\QbTests\\Cmp]\r\n")) &&
        wintest::WriteFileBytes(other, "[HKEY_CURRENT_USER\\Software]\r\n") && wintest::WriteFileBytes(locked, "old") &&
        wintest::WriteFileBytes(empty, "") &&
        wintest::WriteFileBytes(hklm, Utf16File(kHeader + u"[HKEY_LOCAL_MACHINE\\Software\\QbTests]\r\n\"v\"=\"cu")));
    const std::u16string branch = u"HKEY_CURRENT_USER\\Software\\QbTests\\Cmp\\Branch";
    const auto steps = [&] {
        CompareByMenu(older, newer);
        EXPECT_NE(Settled().find(u"\r\n[-" + branch + u"\\Below]\r\n"), std::u16string::npos);
        drive::Chord({VK_MENU}, 'F');
        drive::Key('W');
        EXPECT_NE(Settled().find(u"\r\n[" + branch + u"\\Below]\r\n"), std::u16string::npos) << "swapped";

        CompareByMenu(older, older);
        const std::u16string same = Settled();
        EXPECT_EQ(drive::WaitDialog("Brindle", 0), nullptr) << "one file named twice";
        EXPECT_EQ(same.find(u"\r\n["), std::u16string::npos) << "no key";
        CompareByMenu(other, newer);
        EXPECT_NE(drive::AnswerBox("Brindle").find(other), std::string::npos);
        EXPECT_EQ(Settled(), same);
        CompareByMenu(older, empty);
        EXPECT_NE(drive::AnswerBox("Brindle").find(A("“") + empty + A("”是空文件")), std::string::npos);

        HANDLE held = CreateFileA(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        drive::Chord({VK_CONTROL}, 'S');
        const HWND save = TypeInto(drive::WaitDialog("", wintest::kWaitMs), locked);  // then Yes to writing over it
        EXPECT_TRUE(wintest::WaitUntil(
            [&] {
                const HWND ask = drive::WaitDialog("", 0);
                return ask && ask != save;
            },
            wintest::kWaitMs));
        drive::Key(VK_RETURN);
        EXPECT_NE(drive::AnswerBox("Brindle", wintest::kWaitMs).find(locked), std::string::npos);
        CloseHandle(held);

        const auto holdAndEnd = [&](bool byEsc) {
            wintest::Gate gate;
            const auto alive = std::make_shared<std::atomic<int>>(0);
            drive::OnWindowThread(m_frame->m_hWnd, [&] {
                Comparer().Start(std::make_unique<CHeldSource>(Utf16File(kHeader + kOlder), gate, alive),
                                 std::make_unique<CHeldSource>(Utf16File(kHeader + kChanges), gate, alive),
                                 L"held-older.reg", L"held-newer.reg");
            });
            ASSERT_TRUE(gate.Reached(1));
            const HWND progress = drive::WaitWindow("#32770", A("正在比较..."), wintest::kWaitMs);
            ASSERT_NE(progress, nullptr);
            if (byEsc) {  // the keyboard in the view after a click into the text
                RECT view;
                GetWindowRect(m_frame->m_wndView.m_hWnd, &view);
                drive::MouseClick(view.right - 60, view.bottom - 40);
                drive::Key(VK_ESCAPE);
            } else {
                RECT button;
                GetWindowRect(GetDlgItem(progress, IDCANCEL), &button);
                drive::MouseClick((button.left + button.right) / 2, (button.top + button.bottom) / 2);
            }
            EXPECT_TRUE(drive::WaitGone(progress, wintest::kWaitMs));
            EXPECT_EQ(Settled(), same);
            gate.Open();
            EXPECT_TRUE(wintest::WaitUntil([&] { return *alive == 0; }, wintest::kWaitMs))
                << "the comparison never ended";
            EXPECT_EQ(Settled(), same) << "let through, the ended comparison shows nothing";
        };
        holdAndEnd(true);
        holdAndEnd(false);  // and its Cancel button clicked

        // The registry since an export of a branch, changed by reg.exe: 文件 → 与当前注册表比较 with
        // the export typed into its one dialog; swapped (the same reading: a value set after it
        // does not show) and saved with Ctrl+S, the undo that Wine's editor imports: the branch
        // is the export again.
        const std::string live = dir + "live.reg", undo = dir + "undo.reg", again = dir + "again.reg";
        const std::u16string liveKey = u"HKEY_CURRENT_USER\\Software\\QbTests\\Live";
        ASSERT_TRUE(Import(dir + "live-src.reg", kLiveSource));
        ASSERT_TRUE(Regedit("/e \"" + live + "\" " + kLive));
        for (const char* change :
             {"add HKCU\\Software\\QbTests\\Live /v s /d changed /f",
              "add HKCU\\Software\\QbTests\\Live\\Added\\Deep /v n /t REG_DWORD /d 7 /f",
              "delete HKCU\\Software\\QbTests\\Live\\Gone /f", "delete HKCU\\Software\\QbTests\\Live /v e /f"})
            ASSERT_TRUE(Reg(change)) << change;
        drive::Chord({VK_MENU}, 'F');
        drive::Key('R');
        drive::WaitGone(TypeInto(drive::WaitDialog(A("与当前注册表比较：选择较旧的导出文件"), wintest::kWaitMs), live),
                        wintest::kWaitMs);
        const std::u16string since = Settled();
        EXPECT_NE(since.find(u"\r\n[" + liveKey + u"\\Added\\Deep]\r\n\"n\"=dword:00000007\r\n"), std::u16string::npos);
        EXPECT_NE(since.find(u"\r\n[-" + liveKey + u"\\Gone]\r\n"), std::u16string::npos);
        EXPECT_EQ(since.find(u"\\Kept]"), std::u16string::npos) << "nothing unchanged";
        ASSERT_TRUE(Reg("add HKCU\\Software\\QbTests\\Live /v later /d x /f"));
        drive::Chord({VK_MENU}, 'F');
        drive::Key('W');
        std::u16string swapped;
        EXPECT_TRUE(wintest::WaitUntil(
            [&] {
                bool done = false;
                drive::OnWindowThread(m_frame->m_hWnd, [&] {
                    const ShownComparison* shown = m_frame->m_wndView.Shown().Comparison();
                    done = !Comparer().IsRunning() && shown && shown->liveSwapped;
                    if (done) swapped = shown->text;
                });
                return done;
            },
            60000));
        EXPECT_NE(swapped.find(u"导入本文件将删除 2 个键"), std::u16string::npos) << "Added and Added\\Deep";
        EXPECT_EQ(swapped.find(u"later"), std::u16string::npos) << "read once";
        drive::Chord({VK_CONTROL}, 'S');
        TypeInto(drive::WaitDialog("", wintest::kWaitMs), undo);
        EXPECT_TRUE(wintest::WaitUntil([&] { return GetFileAttributesA(undo.c_str()) != INVALID_FILE_ATTRIBUTES; },
                                       wintest::kWaitMs));
        EXPECT_TRUE(Reg("delete HKCU\\Software\\QbTests\\Live /v later /f") && Import(undo) &&
                    Regedit("/e \"" + again + "\" " + kLive) && SameExports(live, again));
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\QbTests\\Live");

        CompareByMenu(older, hklm);  // cut, no key shared: saving it would delete all the older's keys
        Settled();
        drive::Chord({VK_CONTROL}, 'S');
        TypeInto(drive::WaitDialog("", wintest::kWaitMs), deletes);
        const HWND cut = drive::WaitDialog("Brindle", wintest::kWaitMs);
        EXPECT_NE(drive::Text(GetDlgItem(cut, 0xFFFF)).find(A("不完整")), std::string::npos) << "asked about the cut";
        drive::Key('Y');
        EXPECT_TRUE(drive::WaitGone(cut, wintest::kWaitMs));
        const HWND ask = drive::WaitDialog("Brindle", wintest::kWaitMs);
        EXPECT_NE(ask, nullptr) << "asked about the keys too";
        drive::Key('N');
        // The box gone and the save's command returned: whatever it would write is written.
        EXPECT_TRUE(drive::WaitGone(ask, wintest::kWaitMs) && drive::OnWindowThread(m_frame->m_hWnd));
        EXPECT_EQ(GetFileAttributesA(deletes.c_str()), INVALID_FILE_ATTRIBUTES) << "No: nothing saved";
        drive::Chord({VK_MENU}, 'F');  // an opened file: saved as its own bytes
        drive::Key('O');
        drive::WaitGone(TypeInto(drive::WaitDialog("", wintest::kWaitMs), older), wintest::kWaitMs);
        drive::OnWindowThread(m_frame->m_hWnd);  // the file loaded by the command
        drive::Chord({VK_CONTROL}, 'S');
        TypeInto(drive::WaitDialog("", wintest::kWaitMs), deletes);
        std::string copy;
        EXPECT_TRUE(wintest::WaitUntil([&] { return wintest::ReadFileBytes(deletes, copy); }, wintest::kWaitMs) &&
                    copy == Utf16File(kHeader + kOlder));
    };
    drive::RunToExit([] { return theApp.Run(); }, m_frame->m_hWnd, ID_APP_EXIT, steps);
}

// 文件 → 导入预览 with the patch typed into its one dialog: only what importing it changes, each
// changed value's current data under it, and its lines that change nothing or go nowhere
// counted; swapped, the backup, saved with Ctrl+S. Wine's editor imports the patch, then the
// backup: the branch is as it was.
TEST_F(CompareWindow, TheImportPreviewAndItsBackupPutTheBranchBack) {
    const std::string dir = wintest::ScratchDir("compare_preview"), before = dir + "before.reg",
                      patch = dir + "patch.reg", backup = dir + "backup.reg", again = dir + "again.reg",
                      nothing = dir + "nothing.reg";
    const std::u16string liveKey = u"HKEY_CURRENT_USER\\Software\\QbTests\\Live";
    ASSERT_TRUE(Import(dir + "src.reg", kLiveSource) && Regedit("/e \"" + before + "\" " + kLive));
    ASSERT_TRUE(wintest::WriteFileBytes(
        patch, Utf16File(kHeader + u"[" + liveKey +
                         u"]\r\n\"s\"=\"changed\"\r\n\"e\"=-\r\n\"n\"=dword:00000005\r\n"
                         u"stray\r\n[-" +
                         liveKey + u"\\Gone]\r\n[" + liveKey + u"\\Made\\Deeper]\r\n@=\"x\"\r\n[" + liveKey +
                         u"\\Kept]\r\n@=\"k\"\r\n")));
    const auto steps = [&] {
        ASSERT_TRUE(drive::ToFront(m_frame->m_hWnd));
        drive::Chord({VK_MENU}, 'F');
        drive::Key('I');
        drive::WaitGone(TypeInto(drive::WaitDialog(A("导入预览：选择要导入的注册表文件"), wintest::kWaitMs), patch),
                        wintest::kWaitMs);
        const std::u16string preview = Settled();
        EXPECT_NE(preview.find(u"\"s\"=\"changed\"\r\n; 原值：\"text\"\r\n"), std::u16string::npos) << "its data now";
        EXPECT_NE(preview.find(u"\r\n[-" + liveKey + u"\\Gone]\r\n"), std::u16string::npos);
        EXPECT_NE(preview.find(u"\r\n[" + liveKey + u"\\Made]\r\n\r\n[" + liveKey + u"\\Made\\Deeper]\r\n"),
                  std::u16string::npos);
        EXPECT_EQ(preview.find(u"\\Kept]"), std::u16string::npos) << "nothing unchanged";
        EXPECT_NE(preview.find(u"中有 1 行不会改动任何内容"), std::u16string::npos);
        EXPECT_NE(preview.find(u"\r\n; 1 行导入时会被忽略"), std::u16string::npos);
        ASSERT_TRUE(Reg("add HKCU\\Software\\QbTests\\Live /v s /d later /f"));  // since the preview's reading
        drive::Chord({VK_MENU}, 'F');
        drive::Key('W');
        const std::u16string swapped = Settled();
        EXPECT_NE(swapped.find(u"; 这是备份"), std::u16string::npos);
        EXPECT_NE(swapped.find(u"\"s\"=\"text\"\r\n"), std::u16string::npos) << "read once";
        drive::Chord({VK_CONTROL}, 'S');
        TypeInto(drive::WaitDialog("", wintest::kWaitMs), backup);
        EXPECT_TRUE(wintest::WaitUntil([&] { return GetFileAttributesA(backup.c_str()) != INVALID_FILE_ATTRIBUTES; },
                                       wintest::kWaitMs));
        ASSERT_TRUE(wintest::WriteFileBytes(nothing, Utf16File(kHeader + u"[" + liveKey + u"\\Kept]\r\n@=\"k\"\r\n")));
        drive::Chord({VK_MENU}, 'F');
        drive::Key('I');
        drive::WaitGone(TypeInto(drive::WaitDialog(A("导入预览：选择要导入的注册表文件"), wintest::kWaitMs), nothing),
                        wintest::kWaitMs);
        EXPECT_NE(Settled().find(u"不会改动现在的注册表"), std::u16string::npos);
    };
    drive::RunToExit([] { return theApp.Run(); }, m_frame->m_hWnd, ID_APP_EXIT, steps);
    EXPECT_TRUE(Reg("add HKCU\\Software\\QbTests\\Live /v s /d text /f") && Import(patch) && Import(backup) &&
                Regedit("/e \"" + again + "\" " + kLive) && SameExports(before, again));
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\QbTests\\Live");
}

}  // namespace
