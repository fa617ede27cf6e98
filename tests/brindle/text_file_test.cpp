// Reading files into the viewer's document under Wine in code page 936: UTF-16 against the
// system's own conversion, the name and existence tests that keep the current text, and files
// without text. (ANSI files: the window test's Open and drop; a real export: the tour.)
#include <gtest/gtest.h>

#include <windows.h>

#include <random>
#include <string>

#include "LinkDoc.h"
#include "LinkRectList.h"
#include "TextDecode.h"
#include "TextFile.h"
#include "WinTest.h"

namespace {

// What the system's conversion (without best fit, as the viewer's) makes of the whole text at
// once, as the document holds it: the last line, too, followed by CR LF.
std::string SystemText(const std::wstring& text, UINT codePage = CP_ACP) {
    const DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const int n =
        WideCharToMultiByte(codePage, flags, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string ansi(n, '\0');
    WideCharToMultiByte(codePage, flags, text.data(), static_cast<int>(text.size()), &ansi[0], n, nullptr, nullptr);
    return ansi.size() >= 2 && ansi.compare(ansi.size() - 2, 2, "\r\n") == 0 ? ansi : ansi + "\r\n";
}

class TextFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(GetACP(), 936u) << "the rig runs the viewer in code page 936";
        m_dir = wintest::ScratchDir("textfile");
    }
    std::string Write(const char* name, const std::string& bytes) {
        EXPECT_TRUE(wintest::WriteFileBytes(m_dir + name, bytes));
        return m_dir + name;
    }
    LoadResult Load(const std::string& path) { return LoadTextFileInto(path.c_str(), m_doc, m_links); }

    std::string m_dir;
    CLinkDoc m_doc;
    CLinkRectList m_links;
};

// ASCII mixed with every kind of other unit, surrogate halves among them, over several
// reading pieces: the text is exactly the system's conversion of the whole of it. The room
// for a run comes from the code page's largest character: where the ANSI code page is UTF-8
// (three bytes for a Chinese character, four for a pair) no run is lost either. A line whose
// characters code page 936 lacks is no link: they show as '?'. This one is padded to lose its
// character at the end of one of the decoder's pieces of 16,384 units and end in the next.
TEST_F(TextFileTest, Utf16TextMatchesOneSystemConversion) {
    std::wstring text = L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\\x6D4B\x8BD5]\r\nc:\\temp\\\x8BF4.txt\r\n" +
                        std::wstring(16304, L'x') + L"\r\n[HKEY_CURRENT_USER\\Software\\\x0E01\x6D4B]\r\n";
    std::mt19937 rng(12345);
    const wchar_t pool[] = {L'a',   L'\\',  L'[',   L']',   L'\r',  L'\n',  L'"',   L' ',   0x4E2D, 0x6587, 0x00E9,
                            0x20AC, 0xFF3C, 0x3000, 0xD83D, 0xDE00, 0xDBFF, 0xDC00, 0xFFFD, 0x0080, 0x07FF, 0xE000};
    while (text.size() < 1400000) {
        const wchar_t u = pool[rng() % (sizeof(pool) / sizeof(pool[0]))];
        text.append(1 + rng() % (u < 0x80 ? 60 : 4), u);
    }
    const std::string bytes = "\xFF\xFE" + std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2);
    ASSERT_EQ(Load(Write("random.reg", bytes)), LoadResult::Loaded);
    EXPECT_TRUE(m_doc.Text() == SystemText(text));
    EXPECT_TRUE(m_doc.LineKind(0) == LINE_KEY && m_doc.LineKind(1) == LINE_FILE);
    EXPECT_EQ(m_doc.LineText(3), "[HKEY_CURRENT_USER\\Software\\?" + wintest::A("测") + "]");
    EXPECT_EQ(m_doc.LineKind(3), LINE_TEXT);
    CodePageConversion toUtf8 = CodePageConversion::For(65001);
    CLinkDoc doc;
    ASSERT_TRUE(DecodeTextInto(doc, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                               WideRunToCodePage, &toUtf8, toUtf8.maxBytes));
    EXPECT_TRUE(doc.Text() == SystemText(text, 65001));
}

// The name and existence tests refuse before anything is discarded; files that pass them but
// give no text leave the view empty.
TEST_F(TextFileTest, RefusedFilesKeepTheTextFilesWithoutTextEmptyIt) {
    CreateDirectoryA((m_dir + "folder.reg").c_str(), nullptr);  // cannot be read as a file
    const struct {
        std::string path;
        bool keeps;
    } cases[] = {
        {Write("notes.doc", "HKCU\\x"), true},
        {m_dir + "missing.reg", true},
        {Write("empty.reg", ""), false},
        {m_dir + "folder.reg", false},
    };
    for (const auto& c : cases) {
        // A shown text of two lines and one hit area (SetText adds to the lines: cleared first).
        m_doc.Clear();
        m_links.Clear();
        ASSERT_TRUE(m_doc.SetText("HKCU\\Software\r\nkept"));
        ASSERT_TRUE(m_links.Add(LinkRect{8, 0, 100, 20}, 0));
        EXPECT_EQ(Load(c.path), LoadResult::NotLoaded) << c.path;
        EXPECT_EQ(m_doc.GetLineCount(), c.keeps ? 2 : 0) << c.path;
        EXPECT_EQ(m_links.GetCount(), c.keeps ? 1 : 0) << c.path;
    }
}

}  // namespace
