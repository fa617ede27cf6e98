// CClipboardText against the real clipboard of the Wine desktop.
#include <gtest/gtest.h>

#include <cstring>

#include "ClipboardText.h"
#include "WinTest.h"

using wintest::A;

namespace {

// Puts raw bytes on the clipboard as CF_TEXT, exactly as given (no terminator added).
bool PutRawText(const void* bytes, size_t length) {
    if (!OpenClipboard(nullptr)) return false;
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, length ? length : 1);
    bool ok = false;
    if (block) {
        void* p = GlobalLock(block);
        if (length) memcpy(p, bytes, length);
        else *static_cast<char*>(p) = 0;
        GlobalUnlock(block);
        ok = SetClipboardData(CF_TEXT, block) != nullptr;
        if (!ok) GlobalFree(block);
    }
    CloseClipboard();
    return ok;
}

bool PutText(const std::string& text) { return PutRawText(text.c_str(), text.size() + 1); }

struct TextCase {
    const char* utf8;          // what is copied
    bool readOk;               // ReadText's result
    bool lineOk;               // FirstLine's result
    const char* lineUtf8;      // FirstLine's text when it succeeds
};

// Only CR LF ends the first line; a lone CR or LF stays in it, and nothing is trimmed.
const TextCase kTextCases[] = {
    {"HKLM\\Software", true, true, "HKLM\\Software"},
    {"words before HKCU\\Console\r\nsecond line", true, true, "words before HKCU\\Console"},
    {"just words\r\nHKLM\\Software", true, true, "just words"},
    {"\r\nHKLM\\Software", true, false, ""},
    {"  padded  \r\n", true, true, "  padded  "},
    {"lone\nlinefeed\rand cr", true, true, "lone\nlinefeed\rand cr"},
    {"注册表\\键值\r\n第二行", true, true, "注册表\\键值"},
    {"", false, false, ""},
};

TEST(ClipboardText, ReadsTextAndItsFirstLine) {
    for (const TextCase& c : kTextCases) {
        SCOPED_TRACE(c.utf8);
        ASSERT_TRUE(PutText(A(c.utf8)));
        CClipboardText clip;
        std::string text, line = "untouched";
        EXPECT_EQ(c.readOk, clip.ReadText(text));
        if (c.readOk) {
            EXPECT_EQ(A(c.utf8), text);
        }
        EXPECT_EQ(c.lineOk, clip.FirstLine(line));
        if (c.lineOk) {
            EXPECT_EQ(A(c.lineUtf8), line);
        }
    }
}

// While another window holds the clipboard open, every operation fails quietly and the
// clipboard is not left open by the failed attempt.
DWORD WINAPI HoldClipboard(void* param) {
    HANDLE* events = static_cast<HANDLE*>(param);
    HWND holder = CreateWindowExA(0, "STATIC", "holder", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  nullptr, nullptr);
    OpenClipboard(holder);
    SetEvent(events[0]);
    WaitForSingleObject(events[1], 10000);
    CloseClipboard();
    DestroyWindow(holder);
    return 0;
}

TEST(ClipboardText, FailsWhileAnotherHolderHasItOpen) {
    ASSERT_TRUE(PutText("HKLM\\Software"));
    HANDLE events[2] = {CreateEventA(nullptr, TRUE, FALSE, nullptr),
                        CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    HANDLE thread = CreateThread(nullptr, 0, HoldClipboard, events, 0, nullptr);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(events[0], 10000));

    CClipboardText clip;
    std::string text;
    EXPECT_FALSE(clip.ReadText(text));
    EXPECT_FALSE(clip.FirstLine(text));
    EXPECT_FALSE(clip.Empty());

    SetEvent(events[1]);
    WaitForSingleObject(thread, 10000);
    CloseHandle(thread);
    CloseHandle(events[0]);
    CloseHandle(events[1]);

    // The text survived the failed Empty, and the clipboard is free again.
    EXPECT_TRUE(clip.ReadText(text));
    EXPECT_EQ("HKLM\\Software", text);
}

}  // namespace
