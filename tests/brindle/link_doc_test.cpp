// The document's line splitting and index, where Find goes on from, and the hit areas. The
// fuzzer checks splitting (of texts fed in pieces, as files are read) and decoding against
// plain readings; the file tests under Wine decode real files.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "LinkDoc.h"
#include "LinkRectList.h"
#include "RegText.h"
#include "TextSearch.h"

namespace {

std::vector<std::string> Lines(const CLinkDoc& doc) {
    std::vector<std::string> out;
    LineItem item;
    for (int32_t i = 0; i < doc.GetLineCount(); ++i) out.push_back(doc.GetLine(i, item) ? item.text : "<no line>");
    return out;
}

TEST(SetText, SplitsAtCrLfOnly) {
    const struct {
        std::string text;
        std::vector<std::string> lines;
    } cases[] = {
        {"", {}}, {"A\r\n\r\nB", {"A", "", "B"}}, {"A\r\r\nB\n\r\n", {"A\r", "B\n"}},  // the rest: the fuzzer
    };
    for (const auto& c : cases) {
        CLinkDoc doc;
        EXPECT_EQ(doc.SetText(c.text), !c.text.empty()) << c.text;
        EXPECT_EQ(Lines(doc), c.lines) << c.text;
    }
}

// Where Find goes on from: after the match shown (before it, going up) while the document
// holds that match; the top line shown when the match belongs to a text shown before (the
// paste that replaced it failed, or was shorter), never a line past the index.
TEST(Find, ASearchGoesOnFromTheMatchShownWhileTheTextHoldsIt) {
    const struct {
        const char* text;
        TextMatch shown;
        bool down;
        int top;
        size_t from;
        const char* why;
    } cases[] = {
        {"ab\r\nxx target\r\n", {1, 3, 6}, true, 0, 13, "down: after the match"},
        {"ab\r\nxx target\r\n", {1, 3, 6}, false, 0, 7, "up: at its start"},
        {"ab\r\nxx target\r\n", {}, true, 1, 4, "none shown: the top line"},
        {"ab\r\nxx target\r\n", {1, 3, 7}, true, 0, 0, "past its line's end: from another text"},
        {"", {5, 3, 6}, true, 3, 0, "an emptied document"},
    };
    for (const auto& c : cases) {
        CLinkDoc doc;
        doc.SetText(c.text);
        EXPECT_EQ(doc.SearchStart(c.shown, c.down, c.top), c.from) << c.why;
    }
    const uint64_t far = (uint64_t(1) << 31) + 100;  // a match more than 2 GB into one line of a broken file
    EXPECT_EQ(MatchInLine(0, 0, far, 6).start, far);
}

// Hundreds of MB without a byte below 0x81 (a broken file): where characters start is learnt
// once for the whole search, not again for each slice of it, down or up. Here a candidate
// (on a trail byte, so no match) every 4 KB of 8 MB, two slices.
TEST(Find, AWalkThroughLeadBytesLooksAtEachByteOnce) {
    std::string text(size_t(8) << 20, '\xB0');
    for (size_t at = 4097; at + 1 < text.size(); at += 4096) text.replace(at, 2, "\xB1\xB2");
    text += "\r\n";
    for (const bool down : {true, false}) {
        size_t examined = 0;
        EXPECT_EQ(CTextSearch("\xB1\xB2", true).Search(text, down ? 0 : text.size() - 2, down, nullptr, &examined),
                  CTextSearch::npos);
        EXPECT_LE(examined, text.size()) << (down ? "down" : "up");
    }
}

// The line menu on an export: what each line offers, and the path it copies (the key's, or the
// key's and the value's name). A wrapped value from any of its lines; names unescaped character
// by character (a second byte 0x5C escapes nothing, nor ends a line that runs on); no key under
// [-KEY], a void header or none; a line that lost characters opens nothing; a text that is no
// export offers nothing for its value lines.
TEST(LineMenu, WhatEachLineOffersAndCopies) {
    const std::string lost = "\"lost?\"=\"x\"\r\n";
    const std::string exportText =
        "\r\n  \r\nWindows Registry Editor Version 5.00\r\n"
        "\"early\"=\"x\"\r\n"
        "[HKEY_CURRENT_USER\\Software\\A]\r\n"
        "@=\"d\"\r\n"
        "  \"q\\\"u\\\\o\"  = hex:01,\\\r\n"
        "  02,\\  \r\n"
        "  03\r\n"
        "\"\xB1\\\"=dword:1\r\n"
        "\"t\"=\"\xB1\\\r\n"
        "\"u\"=\"x\"\r\n"
        "\"\"=\"e\"\r\n"
        "[-HKEY_CURRENT_USER\\Software\\B]\r\n"
        "\"gone\"=\"x\"\r\n"
        "\tHKCU\\Software\\C\r\n"
        "[HKCU\\Software\\D]\r\n" +
        lost + "[ HKCU\\Software\\E]\r\n\"void\"=\"x\"\r\n";
    CLinkDoc doc;
    ASSERT_TRUE(doc.BeginText());
    std::memcpy(doc.AppendArea(exportText.size()), exportText.data(), exportText.size());
    ASSERT_TRUE(doc.MarkNoLink(exportText.find(lost) + 5) && doc.AppendCommit(exportText.size()) && doc.EndText());
    CLinkDoc notExport;
    notExport.SetText("REGEDIT4 \r\n[HKCU\\X]\r\n\"v\"=\"x\"\r\n");
    const std::string a = "HKEY_CURRENT_USER\\Software\\A";
    const struct {
        const CLinkDoc& doc;
        int32_t line;
        bool openKey, openValue, copy;
        std::string copied;
    } rows[] = {
        {doc, 2, false, false, false, ""},
        {doc, 3, false, false, false, ""},
        {doc, 4, true, false, true, a},
        {doc, 5, false, true, true, a + "\\"},
        {doc, 6, false, true, true, a + "\\q\"u\\o"},
        {doc, 7, false, true, true, a + "\\q\"u\\o"},
        {doc, 8, false, true, true, a + "\\q\"u\\o"},
        {doc, 9, false, true, true, a + "\\\xB1\\"},
        {doc, 11, false, true, true, a + "\\u"},
        {doc, 12, false, true, true, a + "\\"},
        {doc, 13, false, false, false, ""},
        {doc, 14, false, false, false, ""},
        {doc, 15, true, false, true, "HKCU\\Software\\C"},
        {doc, 17, false, false, true, "HKCU\\Software\\D\\lost?"},
        {doc, 19, false, false, false, ""},
        {notExport, 1, true, false, true, "HKCU\\X"},
        {notExport, 2, false, false, false, ""},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.doc.LineText(r.line));
        const LineMenuTarget t = MenuTargetOf(r.doc, r.line);
        EXPECT_EQ(t.openKey, r.openKey);
        EXPECT_EQ(t.openValue, r.openValue);
        EXPECT_EQ(t.copy, r.copy);
        if (r.copy) EXPECT_EQ(t.CopyText(), r.copied);
    }
    std::string name;  // longer than any value's name: the walk stops there
    EXPECT_FALSE(ValueNameOf("\"" + std::string(32767, 'a') + "\"=\"x\"", name));
}

// Edges follow PtInRect (right and bottom excluded). The view adds its rows in order.
TEST(LinkRectList, Edges) {
    CLinkRectList links;
    ASSERT_TRUE(links.Add(LinkRect{10, 0, 50, 20}, 0));
    ASSERT_TRUE(links.Add(LinkRect{10, 40, 30, 60}, 2));
    const struct {
        LinkPoint pt;
        int32_t line;
    } cases[] = {
        {{10, 0}, 0},  {{49, 19}, 0},  {{50, 5}, -1}, {{9, 5}, -1},   {{20, 20}, -1},
        {{29, 40}, 2}, {{30, 40}, -1}, {{29, 59}, 2}, {{29, 60}, -1}, {{10, -1}, -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(links.HitTest(c.pt), c.line) << c.pt.x << "," << c.pt.y;
        EXPECT_EQ(links.HitAny(c.pt), c.line >= 0);
    }
}

// An area added unmeasured is measured on the first hit test that reaches its row, once,
// and only its row's area is measured.
TEST(LinkRectList, MeasuresOncePerAreaWhenFirstReached) {
    CLinkRectList links;
    for (int32_t i = 0; i < 1000; ++i) ASSERT_TRUE(links.Add(LinkRect{8, i * 20, LINK_UNMEASURED, i * 20 + 20}, i * 3));
    std::vector<int32_t> measured;
    const CLinkRectList::Measurer measure = [&](int32_t line, const LinkRect& r) {
        measured.push_back(line);
        return r.left + 100 + line;  // a different width per line
    };
    EXPECT_FALSE(links.HitAny({5, 30}));                  // the margin: no measuring needed
    EXPECT_EQ(links.HitTest({8 + 102, 30}, measure), 3);  // line 3 is 103 wide
    EXPECT_EQ(links.HitTest({8 + 103, 30}, measure), -1);
    EXPECT_TRUE(links.HitAny({8 + 102, 35}, measure));
    EXPECT_EQ(links.HitTest({50, 19999}, measure), 2997);
    EXPECT_EQ(measured, (std::vector<int32_t>{3, 2997}));
    EXPECT_EQ(links.HitTest({50, 20000}, measure), -1);  // below the last row
    EXPECT_EQ(links.HitTest({50, 70}), -1);              // unmeasured and no measurer: no hit
}

}  // namespace
