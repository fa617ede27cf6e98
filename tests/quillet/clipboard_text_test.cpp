// CClipboardText against the real clipboard of the Wine desktop.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

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
        {"注册表\\键值\r\n第二行", "注册表\\键值"},
        {"", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.copied);
        ASSERT_TRUE(drive::PutClipboardText(A(c.copied)));
        CClipboardText clip;
        std::string text, line;
        EXPECT_EQ(*c.copied != 0, clip.ReadText(text));
        EXPECT_EQ(c.line != nullptr, clip.FirstLine(line));
        if (*c.copied) {
            EXPECT_EQ(A(c.copied), text);
        }
        if (c.line) {
            EXPECT_EQ(A(c.line), line);
        }
    }
}

// While another window holds the clipboard open, every operation fails quietly and the
// failed attempt does not leave the clipboard open.
TEST(ClipboardText, FailsWhileAnotherHolderHasItOpen) {
    ASSERT_TRUE(drive::PutClipboardText("HKLM\\Software"));
    std::atomic<int> stage{0};
    std::thread holder([&] {
        HWND owner = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        OpenClipboard(owner);
        stage = 1;
        while (stage == 1) Sleep(10);
        CloseClipboard();
        DestroyWindow(owner);
    });
    while (stage == 0) Sleep(10);
    CClipboardText clip;
    std::string text;
    EXPECT_FALSE(clip.ReadText(text));
    EXPECT_FALSE(clip.FirstLine(text));
    EXPECT_FALSE(clip.Empty());
    stage = 2;
    holder.join();
    EXPECT_TRUE(clip.ReadText(text));  // the text survived the failed Empty
    EXPECT_EQ("HKLM\\Software", text);
}
