// The document (line splitting; the fuzzers feed texts in pieces), the hit areas, and the
// decoding of file bytes with a stand-in for the system's conversion.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "LinkDoc.h"
#include "LinkRectList.h"
#include "TextDecode.h"

namespace {

std::vector<std::string> Lines(const CLinkDoc& doc) {
    std::vector<std::string> out;
    LineItem item;
    for (int32_t i = 0; i < doc.GetLineCount(); ++i) {
        EXPECT_TRUE(doc.GetLine(i, item));
        out.push_back(item.text);
    }
    return out;
}

struct SplitCase {
    std::string text;
    bool result;
    std::vector<std::string> lines;
};

const SplitCase kSplitCases[] = {
    {"", false, {}},
    {"A", true, {"A"}},
    {"A\r\n\r\nB", true, {"A", "", "B"}},
    {"A\nB", true, {"A\nB"}},
    {"A\rB", true, {"A\rB"}},
    {"A\r\n", true, {"A"}},
    {"\r\n", true, {""}},
    {"\r\n\r\n", true, {"", ""}},
    {"A\r\r\nB", true, {"A\r", "B"}},
    {"A\r\n\nB", true, {"A", "\nB"}},
    {"\tA\t\r\nB ", true, {"\tA\t", "B "}},
    {"A\n\r\n", true, {"A\n"}},
    {"\r", true, {"\r"}},
    {"\n", true, {"\n"}},
};

TEST(SetText, SplitsAtCrLfOnly) {
    for (const SplitCase& c : kSplitCases) {
        CLinkDoc doc;
        EXPECT_EQ(doc.SetText(c.text), c.result) << c.text;
        EXPECT_EQ(Lines(doc), c.lines) << c.text;
    }
}

TEST(SetText, StopsAtTheFirstZeroOfACString) {
    CLinkDoc doc;
    const char text[] = "A\r\nB\0C";
    EXPECT_TRUE(doc.SetText(text));
    EXPECT_EQ(Lines(doc), (std::vector<std::string>{"A", "B"}));
    CLinkDoc empty;
    EXPECT_FALSE(empty.SetText(static_cast<const char*>(nullptr)));
    EXPECT_EQ(empty.GetLineCount(), 0);
}

TEST(SetText, KindsAndLongestLine) {
    CLinkDoc doc;
    ASSERT_TRUE(doc.SetText("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software]\r\n"
                            "\"A\"=\"1\"\r\n  C:\\x\\\xC4\xE3.txt"));
    const int32_t kinds[] = {LINE_TEXT, LINE_TEXT, LINE_KEY, LINE_TEXT, LINE_FILE};
    ASSERT_EQ(doc.GetLineCount(), 5);
    for (int32_t i = 0; i < 5; ++i) {
        LineItem item;
        ASSERT_TRUE(doc.GetLine(i, item));
        EXPECT_EQ(item.kind, kinds[i]) << i;
        EXPECT_EQ(doc.LineKind(i), kinds[i]);
        EXPECT_EQ(doc.LineText(i), item.text);
    }
    EXPECT_EQ(doc.GetMaxLineLength(), 36);
    LineItem item;
    EXPECT_EQ(doc.GetLine(4, item), true);
    EXPECT_EQ(item.text, "  C:\\x\\\xC4\xE3.txt");  // leading blanks kept in the text
    EXPECT_FALSE(doc.GetLine(5, item));
    EXPECT_FALSE(doc.GetLine(-1, item));
}

// The longest-line length counts raw bytes (a double-byte character 2, leading blanks too)
// and restarts with each text, while the lines themselves stay until Clear.
TEST(SetText, LongestLineRestartsWithEachText) {
    CLinkDoc doc;
    ASSERT_TRUE(doc.SetText("  \xC4\xE3\xC4\xE3\r\nab"));
    EXPECT_EQ(doc.GetMaxLineLength(), 6);
    ASSERT_TRUE(doc.SetText("abc"));
    EXPECT_EQ(doc.GetMaxLineLength(), 3);
    EXPECT_EQ(doc.GetLineCount(), 3);
    EXPECT_FALSE(doc.SetText(""));
    EXPECT_EQ(doc.GetMaxLineLength(), 0);
    EXPECT_EQ(doc.GetLineCount(), 3);
    doc.Clear();
    EXPECT_EQ(doc.GetLineCount(), 0);
    EXPECT_EQ(doc.GetMaxLineLength(), 0);
    ASSERT_TRUE(doc.AddLine("HKCU\\a\r\nb"));  // AddLine does not split
    ASSERT_TRUE(doc.AddLine(""));
    EXPECT_EQ(Lines(doc), (std::vector<std::string>{"HKCU\\a\r\nb", ""}));
    EXPECT_EQ(doc.LineKind(0), LINE_KEY);
    EXPECT_EQ(doc.GetMaxLineLength(), 9);
}

// The index is kept in blocks of 65,536 lines: lines on both sides of a block's edge keep
// their text and kind.
TEST(SetText, ManyLinesAcrossIndexBlocks) {
    std::string text;
    for (int i = 0; i < 140000; ++i) text += (i % 3 == 0 ? "HKCU\\k" : i % 3 == 1 ? "C:\\f" : "plain") + std::to_string(i) + "\r\n";
    CLinkDoc doc;
    ASSERT_TRUE(doc.SetText(text));
    ASSERT_EQ(doc.GetLineCount(), 140000);
    for (int i : {0, 65534, 65535, 65536, 65537, 131071, 131072, 139999}) {
        const char* prefix = i % 3 == 0 ? "HKCU\\k" : i % 3 == 1 ? "C:\\f" : "plain";
        EXPECT_EQ(doc.LineText(i), prefix + std::to_string(i)) << i;
        EXPECT_EQ(doc.LineKind(i), i % 3 == 0 ? LINE_KEY : i % 3 == 1 ? LINE_FILE : LINE_TEXT) << i;
    }
}

// The search that splits lines works 16 bytes a step: every position around the steps, and
// the first of several hits.
TEST(FindByte, EveryPositionAroundTheSteps) {
    for (size_t n = 0; n <= 40; ++n) {
        std::string text(n, 'x');
        EXPECT_EQ(FindByte(text.data(), n, '\n'), n);
        for (size_t at = 0; at < n; ++at) {
            std::string hit = text;
            hit[at] = '\n';
            if (at + 3 < n) hit[at + 3] = '\n';
            EXPECT_EQ(FindByte(hit.data(), n, '\n'), at) << n << " " << at;
            EXPECT_EQ(FindByte(hit.data() + 1, n - 1, '\n'), at == 0 ? (at + 3 < n ? 2 : n - 1) : at - 1);
        }
    }
    const char high[] = "\x80\xFF\x0A";
    EXPECT_EQ(FindByte(high, 3, '\xFF'), 1u);
}

// ---- Hit areas ----

LinkRect Rect(int32_t l, int32_t t, int32_t r, int32_t b) { return LinkRect{l, t, r, b}; }

TEST(LinkRectList, EdgesFollowPtInRect) {
    for (bool stacked : {true, false}) {
        CLinkRectList links;
        if (!stacked) ASSERT_TRUE(links.Add(Rect(0, 500, 1, 501), 99));  // out of order: walked
        ASSERT_TRUE(links.Add(Rect(10, 0, 50, 20), 0));
        ASSERT_TRUE(links.Add(Rect(10, 40, 30, 60), 2));
        const struct {
            LinkPoint pt;
            int32_t line;
        } cases[] = {
            {{10, 0}, 0}, {{49, 19}, 0}, {{50, 5}, -1}, {{9, 5}, -1}, {{20, 20}, -1},
            {{29, 40}, 2}, {{30, 40}, -1}, {{29, 59}, 2}, {{29, 60}, -1}, {{10, -1}, -1},
        };
        for (const auto& c : cases) {
            EXPECT_EQ(links.HitTest(c.pt), c.line) << c.pt.x << "," << c.pt.y << " stacked " << stacked;
            EXPECT_EQ(links.HitAny(c.pt), c.line >= 0);
        }
    }
}

TEST(LinkRectList, OverlapGivesTheFirstInListOrder) {
    CLinkRectList links;
    ASSERT_TRUE(links.Add(Rect(0, 0, 100, 100), 7));
    ASSERT_TRUE(links.Add(Rect(0, 50, 100, 150), 8));
    EXPECT_EQ(links.HitTest({5, 60}), 7);
    EXPECT_EQ(links.HitTest({5, 120}), 8);
    links.Clear();
    EXPECT_EQ(links.HitTest({5, 60}), -1);
    EXPECT_EQ(links.GetCount(), 0);
}

// An area added unmeasured is measured on the first hit test that reaches its row, once,
// and only its row's area is measured.
TEST(LinkRectList, MeasuresOncePerAreaWhenFirstReached) {
    CLinkRectList links;
    for (int32_t i = 0; i < 1000; ++i) ASSERT_TRUE(links.Add(Rect(8, i * 20, LINK_UNMEASURED, i * 20 + 20), i * 3));
    std::vector<int32_t> measured;
    const CLinkRectList::Measurer measure = [&](int32_t line, const LinkRect& r) {
        measured.push_back(line);
        return r.left + 100 + line;  // a different width per line
    };
    EXPECT_FALSE(links.HitAny({5, 30}));                // the margin: no measuring needed
    EXPECT_EQ(links.HitTest({8 + 102, 30}, measure), 3);  // line 3 is 103 wide
    EXPECT_EQ(links.HitTest({8 + 103, 30}, measure), -1);
    EXPECT_TRUE(links.HitAny({8 + 102, 35}, measure));
    EXPECT_EQ(links.HitTest({50, 19999}, measure), 2997);
    EXPECT_EQ(measured, (std::vector<int32_t>{3, 2997}));
    EXPECT_EQ(links.GetItem(1).rect.right, 8 + 103);
    EXPECT_EQ(links.HitTest({50, 20000}, measure), -1);  // below the last row
    EXPECT_EQ(links.HitTest({50, 70}), -1);  // unmeasured and no measurer: no hit
}

// ---- Decoding ----

// Stands in for the system's conversion: every unit becomes "#" plus the unit's low byte,
// except a surrogate pair, which becomes one '?', and a lone surrogate, which becomes "?".
size_t FakeConvert(const char16_t* src, size_t n, char* dst, void* calls) {
    ++*static_cast<int*>(calls);
    size_t out = 0;
    for (size_t i = 0; i < n; ++i) {
        const char16_t u = src[i];
        EXPECT_TRUE(u >= 0x80) << "ASCII or zero handed to the system conversion";
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < n && src[i + 1] >= 0xDC00 && src[i + 1] <= 0xDFFF) {
            dst[out++] = '?';
            ++i;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            dst[out++] = '?';
        } else {
            dst[out++] = '#';
            dst[out++] = static_cast<char>(u & 0xFF);
        }
    }
    return out;
}

std::string Utf16(const std::u16string& s, bool mark = true) {
    std::string bytes = mark ? "\xFF\xFE" : "";
    for (char16_t u : s) {
        bytes += static_cast<char>(u & 0xFF);
        bytes += static_cast<char>(u >> 8);
    }
    return bytes;
}

std::vector<std::string> Decode(const std::string& bytes, int* calls = nullptr) {
    int dummy = 0;
    CLinkDoc doc;
    DecodeTextInto(doc, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), FakeConvert,
                   calls ? calls : &dummy);
    return Lines(doc);
}

TEST(Decode, EncodingsAndTheirEnds) {
    struct Case {
        const char* name;
        std::string bytes;
        std::vector<std::string> lines;
    } cases[] = {
        {"ansi", "A\r\nB", {"A", "B"}},
        {"ansi ends at zero", std::string("A\r\nB\0C\r\nD", 9), {"A", "B"}},
        {"utf-16", Utf16(u"HKCU\\x\r\nB"), {"HKCU\\x", "B"}},
        {"utf-16 ends at zero unit", Utf16(std::u16string(u"A\r\nB\0C", 6)), {"A", "B"}},
        {"utf-16 non-ascii", Utf16(u"a\u4F60\u597Db"), {"a#\x60#\x7D" "b"}},
        {"utf-16 pair", Utf16(u"a\U0001F600b"), {"a?b"}},
        {"utf-16 lone high surrogate last", Utf16(std::u16string(1, char16_t(0xD800))), {"?"}},
        {"utf-16 odd last byte", Utf16(u"AB") + "C", {"ABC"}},
        {"no mark: ANSI to the first zero", Utf16(u"AB", false), {"A"}},
        {"big-endian mark is ANSI", "\xFE\xFF" + std::string("\0A", 2), {"\xFE\xFF"}},
        {"utf-8 mark stays", "\xEF\xBB\xBFHKCU\\x", {"\xEF\xBB\xBFHKCU\\x"}},
        {"mark only", "\xFF\xFE", {}},
        {"empty", "", {}},
        {"one byte", "A", {"A"}},
    };
    for (const Case& c : cases) EXPECT_EQ(Decode(c.bytes), c.lines) << c.name;
}

// The converter sees whole runs of non-ASCII units: a long ASCII stretch costs no call,
// and each run between ASCII bytes is one call.
TEST(Decode, AsciiNeverReachesTheSystemConversion) {
    std::u16string text;
    for (int i = 0; i < 5000; ++i) text += u"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\.txt]\r\n";
    text += u"\u4F60\u597D\r\nx";
    int calls = 0;
    const std::vector<std::string> lines = Decode(Utf16(text), &calls);
    EXPECT_EQ(calls, 1);
    ASSERT_EQ(lines.size(), 5002u);
    EXPECT_EQ(lines[4999], "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\.txt]");
    EXPECT_EQ(lines[5000], "#\x60#\x7D");
}

}  // namespace
