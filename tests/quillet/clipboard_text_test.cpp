// CClipboardText against the real clipboard of the Wine desktop.
#include <gtest/gtest.h>

#include "ClipboardText.h"
#include "Driver.h"
#include "WinTest.h"

using wintest::A;

// Only CR LF ends the first line; a lone CR or LF stays in it, and nothing is trimmed.
TEST(ClipboardText, ReadsTextAndItsFirstLine) {
    const struct {
        const char* copied;
        const char* line;  // null: FirstLine fails
    } cases[] = {
        {"\r\nHKLM\\Software", nullptr},
        {"  padded  \r\nsecond", "  padded  "},
        {"lone\nlinefeed\rand cr", "lone\nlinefeed\rand cr"},
        {"", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.copied);
        ASSERT_TRUE(drive::PutClipboardText(A(c.copied)));
        CClipboardText clip;
        std::string text, line;
        EXPECT_EQ(*c.copied != 0, clip.ReadText(text));
        EXPECT_EQ(c.line != nullptr, clip.FirstLine(line));
        EXPECT_EQ(A(c.copied), text);
        EXPECT_EQ(A(c.line ? c.line : ""), line);
    }
}

// Put as a program does under an English keyboard layout (CF_LOCALE 0x0409): the system
// makes the other text format with that layout's code page, 1252. Whichever format the
// copier put there, Unicode or ANSI, the text comes as copied.
TEST(ClipboardText, TakesTheFormatTheCopierPutThereWhateverItsKeyboardLayout) {
    const std::string ansi = A("注册表\\键值");
    std::wstring wide(ansi.size() + 1, L'\0');
    wide.resize(MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, &wide[0], static_cast<int>(wide.size())) - 1);
    const LCID english = 0x0409;
    for (UINT format : {CF_UNICODETEXT, CF_TEXT}) {
        const drive::ClipboardData copied = format == CF_TEXT
                                                ? drive::ClipboardData{format, ansi.c_str(), ansi.size() + 1}
                                                : drive::ClipboardData{format, wide.c_str(), (wide.size() + 1) * 2};
        ASSERT_TRUE(drive::PutClipboard({copied, {CF_LOCALE, &english, sizeof english}}));
        std::string text;
        EXPECT_TRUE(CClipboardText().ReadText(text)) << format;
        EXPECT_EQ(ansi, text) << format;
    }
    // A character the code page lacks ('?' once converted, a wildcard to the file tests): the
    // first line names no path.
    ASSERT_TRUE(drive::PutClipboardText(L"C:\\a\uD55Cb.txt"));
    std::string line;
    EXPECT_FALSE(CClipboardText().FirstLine(line));
}

namespace {

// The clipboard's calls as Windows makes them and Wine does not: reading a copy rendered late
// raises the clipboard's number, and a copy can follow the read at once.
DWORD g_number = 0;
bool g_rendered = false, g_followed = false;
HANDLE WINAPI RenderedGetData(UINT format) {
    HANDLE data = GetClipboardData(format);
    g_number += g_rendered;
    return data;
}
DWORD WINAPI Number() { return g_number; }
BOOL WINAPI FollowedClose() {
    BOOL closed = CloseClipboard();
    g_number += g_followed;
    return closed;
}

}  // namespace

// Auto-open knows a copy it took by the number read with its data: a copy rendered by that very
// read is the same copy when announced again; one made right after the read is a new copy.
TEST(ClipboardText, ACopyIsKnownByTheNumberItWasReadWith) {
    ASSERT_TRUE(drive::PutClipboardText("HKCU\\Software"));
    ClipboardCalls calls;
    calls.getData = RenderedGetData;
    calls.sequence = Number;
    calls.close = FollowedClose;
    const struct {
        bool rendered, followed;
        CopyLine again;
    } cases[] = {
        {true, false, CopyLine::Handled},
        {false, true, CopyLine::Line},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rendered ? "rendered by the read" : "followed by a copy");
        g_number = 100, g_rendered = c.rendered, g_followed = c.followed;
        DWORD handled = 0;
        std::string line;
        EXPECT_EQ(CopyLine::Line, CClipboardText(nullptr, calls).NewCopyLine(line, handled));
        EXPECT_EQ("HKCU\\Software", line);
        g_rendered = g_followed = false;
        EXPECT_EQ(c.again, CClipboardText(nullptr, calls).NewCopyLine(line, handled));
    }
}

namespace {

// A momentary holder lets go as the read's first try is refused, before that try returns: the
// read's next try finds the clipboard free, however slow the machine.
drive::ClipboardHolder* g_momentary = nullptr;
BOOL WINAPI OpenLettingGo(HWND owner) {
    const BOOL open = OpenClipboard(owner);
    if (!open && g_momentary) g_momentary->LetGo();
    return open;
}

}  // namespace

// Another window holds the clipboard open: for a moment (as clipboard history does right
// after a change) the read waits for it; for longer every operation fails quietly.
TEST(ClipboardText, WaitsForAMomentaryHolderAndFailsQuietlyWhileOneKeepsItOpen) {
    ASSERT_TRUE(drive::PutClipboardText("HKLM\\Software"));
    ClipboardCalls momentary;
    momentary.open = OpenLettingGo;
    std::string text;
    drive::ClipboardHolder holder;
    g_momentary = &holder;
    EXPECT_TRUE(CClipboardText(nullptr, momentary).ReadText(text));
    drive::ClipboardHolder keeper;
    CClipboardText clip;
    EXPECT_FALSE(clip.ReadText(text));  // (the first line: the same read)
    EXPECT_FALSE(clip.Empty());
}
