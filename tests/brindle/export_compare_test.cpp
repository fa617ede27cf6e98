// The comparison of two exports: its rules as a table of small export pairs, each read whole
// and in reads of a few bytes, the comment lines in; then bad and cut input, the notes and the
// limits. What the result means
// for any pair (importing it over the older gives the newer) is the fuzzer's part.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "../support/ExportTexts.h"

namespace {

// A text whose first line holds REGEDIT or regedit is an ANSI export, one that is empty or
// starts with Windows a whole UTF-16 file, any other the body of a 5.00 export. A text
// without a CR gets CR LF line ends.
std::string File(std::u16string text) {
    for (size_t at = 0; text.find(u'\r') == std::u16string::npos && (at = text.find(u'\n', at)) != std::u16string::npos;
         at += 2)
        text.insert(at, 1, u'\r');
    const std::u16string first = text.substr(0, text.find(u'\n'));
    std::string ansi;
    if ((first.find(u"REGEDIT") != first.npos || first.find(u"regedit") != first.npos) && EncodeAnsi(text, ansi))
        return ansi;
    const bool whole = text.empty() || text.compare(0, 7, u"Windows") == 0;
    return Utf16File(whole ? text : u"Windows Registry Editor Version 5.00\r\n\r\n" + text);
}

struct Outcome {
    bool ok;
    std::u16string text;  // after the header and its blank line, CR LF written as \n
    CompareError error;
    bool inNewer, cut;
};

CompareNotes Notes() {  // the head without the files' names
    CompareNotes notes = TestNotes();
    notes.olderFile = notes.newerFile = u"";
    return notes;
}

Outcome Compare(const std::string& older, const std::string& newer, size_t step = 1 << 20,
                const CompareNotes& notes = Notes()) {
    CTextSource a(older, step), b(newer, step);
    CExportCompare compare(DecodeAnsi, nullptr);
    std::u16string text;
    Outcome outcome{compare.Run(a, b, notes, text), u"", compare.Error(), compare.ErrorInNewer(),
                    compare.FromCutExport()};
    if (outcome.ok) EXPECT_EQ(compare.Done(), compare.Total());
    const std::u16string header = u"Windows Registry Editor Version 5.00\r\n\r\n";
    if (text.compare(0, header.size(), header) != 0) return outcome;
    bool crlf = true;
    for (size_t at = header.size(); at < text.size(); ++at) {
        crlf = crlf && (text[at] == u'\r') == (at + 1 < text.size() && text[at + 1] == u'\n');
        if (text[at] != u'\r') outcome.text += text[at];
    }
    EXPECT_TRUE(crlf) << "every line ends in CR LF";
    return outcome;
}

std::u16string Digits(int n) {
    std::u16string s;
    do s.insert(s.begin(), static_cast<char16_t>(u'0' + n % 10));
    while ((n /= 10) > 0);
    return s;
}

const char16_t kSame[] = u"; 0 0 0 0 0 0\n; same\n\n";

TEST(ExportCompare, Rules) {
    // Read the same in both: double-byte characters past a line's first 16 bytes and before its
    // last 16, and a key line ending in one.
    const std::u16string kLong =
        u"\"a name of sixteen bytes and more 乜\"=\"乜 and a text of sixteen bytes and more\"\n"
        u"[HKEY_CURRENT_USER\\S\\a name of sixteen bytes 乜]\n";
    const struct {
        std::u16string older, newer, result;
        const char* why;
    } cases[] = {
        {u"[HKEY_CURRENT_USER\\Soft\\Ünï]\n\"Name\"=\"x\"\n\"Ключ\"=\"x\"\n"
         u"[HKEY_CURRENT_USER\\Журналы\\ＡＢＣＤＥＦＧＨ]\n\"ПараметрыЖурнала\"=\"x\"\n",
         u"[hkey_current_user\\SOFT\\üNÏ]\n\"nAME\"=\"x\"\n\"КЛЮЧ\"=\"x\"\n"
         u"[HKEY_CURRENT_USER\\журналы\\ａｂｃｄｅｆｇｈ]\n\"параметрыжурнала\"=\"x\"\n",
         kSame, "paths and names match without letter case, Cyrillic and fullwidth letters in runs of 8 too"},
        {u"[HKEY_CURRENT_USER\\S]\n\"h\"=hex:0A,0b,0c\n",
         u"[HKEY_CURRENT_USER\\S]\n\"h\"=hex:0a, \\ ;c\n\n  ;c\n\t0B,0c\n", kSame,
         "wrapped hex, with blank and comment lines between, and hex digits in either case"},
        {u"[HKEY_CURRENT_USER\\S]\n\"d\"=dword:0000000a\n\"e\"=dword:A\n",
         u"[HKEY_CURRENT_USER\\S]\n\"d\"=hex(4):0a,00,00,00\n\"e\"=dword:0000000a\n", kSame,
         "a dword as dword: or as hex(4):"},
        {u"[HKEY_CURRENT_USER\\K]\n\"a\"=\"1\"\n\"a\"=\"2\"\n", u"[HKEY_CURRENT_USER\\K]\n\"a\"=\"2\"\n\"a\"=\"1\"\n",
         u"; 0 0 1 0 0 1\n\n[HKEY_CURRENT_USER\\K]\n\"a\"=\"1\"\n; was \"2\"\n\n",
         "a value named twice counts by its last line; a changed value's older data below it"},
        {u"[HKEY_CURRENT_USER\\K]\n\"a\"=\"1\"\n[HKEY_CURRENT_USER\\K2]\n[HKEY_CURRENT_USER\\K]\n\"b\"=\"2\"\n\"a\"="
         u"\"2\"\n",
         u"[HKEY_CURRENT_USER\\K]\n\"a\"=\"1\"\n\"b\"=\"2\"\n[HKEY_CURRENT_USER\\K2]\n",
         u"; 0 0 1 0 0 1\n\n[HKEY_CURRENT_USER\\K]\n\"a\"=\"1\"\n; was \"2\"\n\n",
         "a key listed twice has all its values, each by its last line"},
        {u"[HKEY_CURRENT_USER\\K]\n\"a\"=\"1\"\n[HKEY_CURRENT_USER\\L]\n[HKEY_CURRENT_USER\\K]\n\"a\"=-\n",
         u"[HKEY_CURRENT_USER\\K]\n[HKEY_CURRENT_USER\\L]\n", kSame,
         "a key listed again that only deletes a value there holds it no more"},
        {u"[HKEY_CURRENT_USER\\A\\X]\n[HKEY_CURRENT_USER\\AB]\n[HKEY_CURRENT_USER\\A]\n\"v\"=\"1\"\n",
         u"[HKEY_CURRENT_USER\\A\\X]\n[HKEY_CURRENT_USER\\AB]\n[HKEY_CURRENT_USER\\A]\n",
         u"; 0 0 1 0 1 0\n\n[HKEY_CURRENT_USER\\A]\n\"v\"=-\n; was \"1\"\n\n",
         "a key named by one below it and listed after another branch"},
        {u"[HKEY_CURRENT_USER\\S]\n\"p\"=\"a\\\\b\\\"c\"\n",
         u"[HKEY_CURRENT_USER\\S]\n\"p\"=hex(1):61,00,5c,00,62,00,22,00,63,00\n", kSame,
         "string escapes decoded; hex(1) data gains its final zero"},
        {u"; c\n\"v\"=\"before any key\"\n[HKEY_CURRENT_USER\\S]\n  "
         u"00,01\n#x\n\"a\"=\"1\"\n[-HKEY_CURRENT_USER\\S]\n\"a\"=\"gone\"\n"
         u"[ "
         u"HKEY_CURRENT_USER\\Void]\n\"a\"=\"nowhere\"\n[HKCU\\Short]\n\"b\"=\"2\"\n[HKEY_USERSX\\Long]\n\"c\"=\"3\"\n",
         u"[HKEY_CURRENT_USER\\S]\n\"a\"=\"1\"\n", kSame,
         "comments, stray lines, values before any key or after [-KEY], a void key line and unknown roots (a short "
         "form, a root's name and more) are skipped"},
        {u"[HKEY_CURRENT_USER\\S]\n\"n\"=dword:123456789\n\"q\"=\"open\n\"z\"=- x\n\"k\"=\"x\" "
         u"#c\n\"h\"=hex:01,\\\n\"lost\"=\"x\"\n"
         u"\"kept\"=\"y\"\n",
         u"[HKEY_CURRENT_USER\\S]\n\"kept\"=\"y\"\n", kSame,
         "void value lines, and a line breaking a wrapped value is lost with it, as import has it"},
        {u"[HKEY_CURRENT_USER\\S]\r\"a\"=\"1\"\n\"h\"=hex:01,\\\r\n  02",
         u"[HKEY_CURRENT_USER\\S]\n\"a\"=\"1\"\n\"h\"=hex:01,02\n", kSame,
         "CR, LF and CR LF line ends; no line end at the end"},
        {u"[HKEY_CURRENT_USER\\S]\n[HKEY_CURRENT_USER\\S\\Gone]\n\"a\"=\"1\"\n[HKEY_CURRENT_USER\\S\\Gone\\Sub]\n"
         u"[HKEY_CURRENT_USER\\S\\Named\\Sub]\n[HKEY_CURRENT_USER\\S\\Gone]\n\"b\"=\"2\"\n",
         u"[HKEY_CURRENT_USER\\S]\n",
         u"; 0 3 0 0 2 0\n\n[-HKEY_CURRENT_USER\\S\\Gone]\n; branch: 2 keys, 2 values\n\n"
         u"[-HKEY_CURRENT_USER\\S\\Named\\Sub]\n; branch: 1 keys, 0 values\n\n",
         "a branch is deleted once, by its top key, and counted whole; a key only named by one below it is left"},
        {u"[HKEY_CURRENT_USER\\K]\n\"same\"=\"1\"\n\"chg\"=dword:00000001\n\"gone\"=\"x\ty\x1b\"\n@=hex:01,02\n",
         u"[HKEY_CURRENT_USER\\k]\n\"same\"=\"1\"\n\"CHG\"=dword:00000002\n\"new\"=hex:01\n",
         u"; 0 0 1 1 2 1\n\n[HKEY_CURRENT_USER\\k]\n\"CHG\"=dword:00000002\n; was dword:00000001\n\"new\"=hex:01\n"
         u"\"gone\"=-\n; was \"x<TAB>y<U+001B>\"\n@=-\n; was hex:01,02\n\n",
         "values changed, added and deleted, as the newer spells them; what the older held, control characters "
         "escaped"},
        {u"[HKEY_CURRENT_USER\\A]\n\"x\"=\"1\"\n[HKEY_CURRENT_USER\\B]\n[HKEY_CURRENT_USER\\C]\n\"y\"=\"1\"\n",
         u"[HKEY_CURRENT_USER\\A]\n\"x\"=\"2\"\n[HKEY_CURRENT_USER\\C]\n\"y\"=\"2\"\n",
         u"; 0 1 2 0 0 2\n\n[HKEY_CURRENT_USER\\A]\n\"x\"=\"2\"\n; was \"1\"\n\n[-HKEY_CURRENT_USER\\B]\n; branch: 1 "
         u"keys, "
         u"0 values\n\n[HKEY_CURRENT_USER\\C]\n\"y\"=\"2\"\n; was \"1\"\n\n",
         "a deleted key stands after the key before it in the older"},
        {u"[HKEY_CURRENT_USER]\n\"v\"=\"1\"\n[HKEY_CURRENT_USER\\A]\n",
         u"[HKEY_LOCAL_MACHINE\\B]\n\"a\"=\"1\"\n@=dword:00000002\n",
         u"; 1 1 1 2 1 0\n; apart\n\n[HKEY_CURRENT_USER]\n\"v\"=-\n; was \"1\"\n\n[-HKEY_CURRENT_USER\\A]\n; branch: 1 "
         u"keys, 0 values\n\n[HKEY_LOCAL_MACHINE\\B]\n\"a\"=\"1\"\n@=dword:00000002\n\n",
         "no key shared: said so; a root is never deleted; an added key with all its values"},
        {u"[HKEY_CURRENT_USER\\S]\n",
         u"[HKEY_CURRENT_USER\\S]\n\"Multiple "
         u"strings\"=hex(7):61,00,0a,00,00,00,5b,00,4b,00,5d,00,00,00,3b,00,78,00,3d,d8,00,de,"
         u"00,00,00,00\n\"e\"=hex(2):\n\"none\"=hex(7):00,00\n",
         u"; 0 0 1 3 0 0\n\n[HKEY_CURRENT_USER\\S]\n\"Multiple "
         u"strings\"=hex(7):61,00,0a,00,00,00,5b,00,4b,00,5d,00,00,00,3b,00,78,\\\n"
         u"  00,3d,d8,00,de,00,00,00,00\n; text \"a<LF>\", \"[K]\", \";x\U0001F600\"\n\"e\"=hex(2):\n; text \"\"\n"
         u"\"none\"=hex(7):00,00\n; text \n\n",
         "hex wrapped as the editor wraps it; under text data its text, a multi-string's strings apart"},
        {u"[HKEY_CURRENT_USER\\S]\n\"e\"=hex(2):41,00,00,00\n\"s\"=\"A\"\n\"乜乜\"=\"the same in both\"\n" + kLong,
         u"REGEDIT4\n\n[HKEY_CURRENT_USER\\S]\n\"e\"=hex(2):81,5c,00\n\"s\"=\"乜\"\n\"乜乜\"=\"the same in both\"\n" +
             kLong,
         u"; 0 0 1 0 0 2\n\n[HKEY_CURRENT_USER\\S]\n\"e\"=hex(2):5c,4e,00,00\n; text \"乜\"\n; was hex(2) \"A\"\n"
         u"\"s\"=\"乜\"\n; was \"A\"\n\n",
         "a REGEDIT4 export's text and hex(2) data read in the code page (a second byte may be a backslash, and "
         "may start a line of 16 bytes or more) and written in UTF-16"},
    };
    for (const auto& c : cases)
        for (size_t step : {size_t{1} << 20, size_t{5}}) {
            const Outcome outcome = Compare(File(c.older), File(c.newer), step);
            EXPECT_TRUE(outcome.ok) << c.why;
            EXPECT_EQ(outcome.text, c.result) << c.why << ", read in pieces of " << step;
        }
}

// An export cut short is compared as it is, and told: which one, and how (a whole file with or
// without its last line end is no cut export).
TEST(ExportCompare, BadAndCutFilesAreTold) {
    const std::u16string key = u"\n[HKEY_CURRENT_USER\\S]\n", s = u"[HKEY_CURRENT_USER\\S]\n";
    const std::string whole = File(s + u"\"v\"=\"1\"");
    const struct {
        std::string older, newer;
        CompareError error;
        bool inNewer;
        const char16_t* cut;
    } cases[] = {
        {File(s), File(u" \tREGEDIT4" + key), COMPARE_OK, false, nullptr},  // blanks before the header
        {File(u"REGEDIT4 " + key), File(s), COMPARE_NOT_AN_EXPORT, false, nullptr},
        {File(s), File(u"regedit4" + key), COMPARE_NOT_AN_EXPORT, true, nullptr},
        {File(s), File(u"Windows Registry Editor Version 5.0" + key), COMPARE_NOT_AN_EXPORT, true, nullptr},
        {File(u""), File(s), COMPARE_EMPTY_FILE, false, nullptr},  // only the byte-order mark
        {File(s), "", COMPARE_EMPTY_FILE, true, nullptr},
        {File(s), whole + std::string(2, '\0'), COMPARE_OK, false, nullptr},  // no line end; a zero, last
        {whole + "\n", whole, COMPARE_OK, false, u"; older cut: odd byte"},
        {File(s) + std::string("\0\0\n\0", 4), whole, COMPARE_OK, false, u"; older cut: zero"},
        // The same, told though no key of it is read again.
        {File(s + u"\"v\"=\"1\"\n") + std::string("\0\0\n\0", 4), whole, COMPARE_OK, false, u"; older cut: zero"},
        {File(s), File(s + u"\"v\"=hex:01,\n\n"), COMPARE_OK, false, u"; newer cut: last line"},
        {File(s), File(s + u"\"v\"=hex:01,\\\n  ;c\n"), COMPARE_OK, false, u"; newer cut: last line"},
        {File(s), File(s + u"\"v\"=\"x\\\"\n"), COMPARE_OK, false, u"; newer cut: last line"},
        {File(s), File(s + u"\"v"), COMPARE_OK, false, u"; newer cut: last line"},
        {File(s), File(s + u"[HKEY_CURRENT_USER\\T"), COMPARE_OK, false, u"; newer cut: last line"},
        {File(s), File(u"REGEDIT4\n" + s + u"@=hex(2"), COMPARE_OK, false, u"; newer cut: last line"},
        {File(s), File(s + u"\"v\"=dword:"), COMPARE_OK, false, u"; newer cut: last line"},
        {File(s), File(s + u"\"v\"=hex:01,\n\"w\"=dword:1 ;c"), COMPARE_OK, false, nullptr},
    };
    for (const auto& c : cases) {
        const Outcome outcome = Compare(c.older, c.newer);
        EXPECT_EQ(outcome.ok, c.error == COMPARE_OK) << c.older.size() << " " << c.newer.size();
        EXPECT_EQ(outcome.error, c.error);
        EXPECT_EQ(outcome.inNewer, c.inNewer);
        EXPECT_EQ(outcome.cut, c.cut != nullptr);
        if (c.cut) EXPECT_NE(outcome.text.find(c.cut), std::u16string::npos) << c.newer.size();
    }
    const std::string file = File(u"[HKEY_CURRENT_USER\\S]\n\"a\"=\"1\"\n");
    for (bool inNewer : {false, true}) {  // a read that fails halfway, then a comparison cancelled at once
        CTextSource good(file), bad(file, 16, 40);
        CExportCompare compare(DecodeAnsi, nullptr);
        std::u16string text = u"before";
        EXPECT_FALSE(compare.Run(inNewer ? good : bad, inNewer ? bad : good, {}, text));
        EXPECT_EQ(compare.Error(), COMPARE_READ_FAILED);
        EXPECT_EQ(compare.ErrorInNewer(), inNewer);
        compare.Cancel();
        EXPECT_FALSE(compare.Run(good, good, {}, text));
        EXPECT_EQ(compare.Error(), COMPARE_CANCELLED);
        EXPECT_EQ(text, u"before");
    }
}

TEST(ExportCompare, NotesGoIntoCommentLines) {
    CompareNotes notes;
    notes.olderFile = u"旧: C:\\a.reg";
    notes.newerFile = u"新: C:\\b.reg\r\n(second line)";
    notes.counts = u"+%1 -%2 ~%3 %7";
    const std::u16string older = u"[HKEY_CURRENT_USER\\S]\n", newer = u"[HKEY_CURRENT_USER\\S\\N]\n";
    EXPECT_EQ(Compare(File(older), File(newer), 1 << 20, notes).text,
              u"; 旧: C:\\a.reg\n; 新: C:\\b.reg\n; (second line)\n; +1 -0 ~0 %7\n\n[HKEY_CURRENT_USER\\S\\N]\n\n");
}

// Keys thousands of levels deep and a line longer than any read are read like any other.
TEST(ExportCompare, DeepKeysAndLongLines) {
    std::u16string path = u"HKEY_CURRENT_USER";
    for (int level = 0; level < 3000; ++level) path += u"\\k";
    const std::u16string big(3 << 19, u'x');  // 3 MB, a read is 1 MB
    const std::u16string older = u"[" + path + u"]\n\"v\"=\"" + big + u"\"\n",
                         newer = u"[" + path + u"]\n\"v\"=\"" + big + u"y\"\n";
    EXPECT_EQ(Compare(File(older), File(newer), 4093).text, u"; 0 0 1 0 0 1\n\n[" + path + u"]\n\"v\"=\"" + big +
                                                                u"y\"\n; was \"" + big.substr(0, 199) +
                                                                u" (1572666 more)\n\n");
}

// Thousands of key lines in no order, as in a file put together from several exports: keys
// named as parents long before and after their own lines, in one batch of lines and across
// batches, and a key listed again far from its first listing. The same keys in another order
// compare as the same; what changed comes out alone, in the newer's order.
TEST(ExportCompare, KeysInAnyOrderAcrossThousandsOfLines) {
    const std::u16string root = u"HKEY_CURRENT_USER\\T";
    const auto block = [](const std::u16string& path, const std::u16string& value) {
        return u"[" + path + u"]\n\"v\"=\"" + value + u"\"\n";
    };
    std::vector<std::u16string> keys;
    for (int a = 0; a < 40; ++a)
        for (int b = -1; b < 8; ++b)
            for (int c = -1; c < (b < 0 ? 0 : 8); ++c) {
                std::u16string path = root + Digits(a);
                if (b >= 0) path += u"\\C" + Digits(b);
                if (c >= 0) path += u"\\G" + Digits(c);
                keys.push_back(path);
            }
    const std::u16string kept = root + u"0\\C0\\G0", gone = root + u"1\\C1\\Extra";
    const std::vector<std::u16string> changed = {root + u"2\\C2\\G0", root + u"2\\C2\\G1", root + u"2\\C2\\G2"};
    const auto shuffled = [&](uint32_t seed, const std::vector<std::u16string>& without) {
        std::vector<std::u16string> order;
        for (const auto& key : keys)
            if (std::find(without.begin(), without.end(), key) == without.end()) order.push_back(key);
        for (size_t i = order.size(); i > 1; --i) {  // a fixed shuffle, the same with any library
            seed = seed * 1103515245u + 12345u;
            std::swap(order[i - 1], order[(seed >> 8) % i]);
        }
        std::u16string text;
        for (const auto& key : order) text += block(key, key);
        return text;
    };
    // The older ends with the key before the one the newer lacks, so that its block has a place.
    const std::u16string older = shuffled(1, {kept}) + block(kept, kept) + block(gone, u"x");
    std::u16string newer = shuffled(2, changed);
    for (const auto& key : changed) newer += block(key, u"new");
    newer += u"[" + kept + u"]\n\"w\"=\"1\"\n";
    std::u16string expected =
        u"; 0 1 4 1 1 3\n\n[" + kept + u"]\n\"w\"=\"1\"\n\n[-" + gone + u"]\n; branch: 1 keys, 1 values\n\n";
    for (const auto& key : changed) expected += u"[" + key + u"]\n\"v\"=\"new\"\n; was \"" + key + u"\"\n\n";
    EXPECT_EQ(Compare(File(older), File(newer)).text, expected);
    EXPECT_EQ(Compare(File(older), File(shuffled(3, {}) + block(kept, kept) + block(gone, u"x"))).text, kSame);
    // Every key listed twice, thousands of them, and one key listed hundreds of times over
    // (more values than names, many times): each value by its last listing.
    std::u16string often, once = u"[" + root + u"\\Often]\n\"v\"=\"599\"\n\"w\"=\"w\"\n\"x\"=\"4\"\n";
    for (int j = 0; j < 600; ++j)
        often +=
            u"[" + root + u"\\Often]\n\"x\"=\"" + Digits(j % 7) + u"\"\n\"v\"=\"" + Digits(j) + u"\"\n\"w\"=\"w\"\n";
    EXPECT_EQ(Compare(File(shuffled(4, {}) + once), File(shuffled(5, {}) + often + shuffled(6, {}))).text, kSame);
}

}  // namespace
