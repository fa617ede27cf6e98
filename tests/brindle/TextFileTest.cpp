// Reading files into the viewer's document, on the real file system and code page 936
// under Wine: both encodings, a real export of the system's own registry editor, the
// name and existence tests that keep the current text, and files that cannot be read.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "LinkDoc.h"
#include "LinkRectList.h"
#include "RegKeyTool.h"
#include "TextFile.h"
#include "WinTest.h"

const EditorVariant g_editorVariant = EditorVariant::Brindle;

namespace {

using wintest::A;

std::vector<std::string> Lines(const CLinkDoc& doc) {
    std::vector<std::string> out;
    for (int32_t i = 0; i < doc.GetLineCount(); ++i) out.emplace_back(doc.LineText(i));
    return out;
}

std::string Utf16File(const std::wstring& text) {
    std::string bytes = "\xFF\xFE";
    bytes.append(reinterpret_cast<const char*>(text.data()), text.size() * 2);
    return bytes;
}

std::wstring W(const char* utf8) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    std::wstring w(n, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, &w[0], n);
    w.pop_back();
    return w;
}

// What the system's conversion makes of the whole text at once: the reference for the
// decoder's ASCII shortcut and its runs.
std::string SystemAnsi(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(n, '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
    return out;
}

std::vector<std::string> SplitCrLf(const std::string& text) {
    CLinkDoc doc;
    doc.SetText(std::string_view(text));
    return Lines(doc);
}

class TextFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(GetACP(), 936u) << "the rig runs the viewer in code page 936";
        m_dir = wintest::ScratchDir("textfile");
    }
    std::string Write(const char* name, const std::string& bytes) {
        const std::string path = m_dir + name;
        EXPECT_TRUE(wintest::WriteFileBytes(path, bytes));
        return path;
    }
    LoadResult Load(const std::string& path) { return LoadTextFileInto(path.c_str(), m_doc, m_links); }
    // A shown text with one hit area, to see whether a refused load kept it.
    void ShowSomething() {
        ASSERT_TRUE(m_doc.SetText("HKCU\\Software\r\nkept"));
        ASSERT_TRUE(m_links.Add(LinkRect{8, 0, 100, 20}, 0));
    }
    bool StillShown() {
        return Lines(m_doc) == std::vector<std::string>{"HKCU\\Software", "kept"} && m_links.GetCount() == 1;
    }

    std::string m_dir;
    CLinkDoc m_doc;
    CLinkRectList m_links;
};

TEST_F(TextFileTest, AnsiFileKeepsItsBytes) {
    const std::string text = A("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\演示]\r\n"
                               "\"名称\"=\"值\"\r\nC:\\文件夹\\说明.txt\r\n");
    ASSERT_EQ(Load(Write("ansi.reg", text)), LoadResult::Loaded);
    EXPECT_EQ(Lines(m_doc), SplitCrLf(text));
    ASSERT_EQ(m_doc.GetLineCount(), 5);
    const int32_t kinds[] = {LINE_TEXT, LINE_TEXT, LINE_KEY, LINE_TEXT, LINE_FILE};
    for (int32_t i = 0; i < 5; ++i) EXPECT_EQ(m_doc.LineKind(i), kinds[i]) << wintest::U(std::string(m_doc.LineText(i)));
}

TEST_F(TextFileTest, Utf16FileIsConvertedAsTheSystemDoes) {
    const std::wstring text = W("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\测试]\r\n"
                                "\"€uro\"=\"ü — ☃ \xF0\x9F\x98\x80\"\r\nc:\\temp\\说明.txt");
    ASSERT_EQ(Load(Write("wide.TXT", Utf16File(text))), LoadResult::Loaded);
    EXPECT_EQ(Lines(m_doc), SplitCrLf(SystemAnsi(text)));
    ASSERT_EQ(m_doc.GetLineCount(), 5);
    EXPECT_EQ(m_doc.LineKind(2), LINE_KEY);
    EXPECT_EQ(m_doc.LineKind(4), LINE_FILE) << wintest::U(std::string(m_doc.LineText(4)));
}

// Random text mixing ASCII with every kind of other unit, surrogate halves among them, in
// a file of several reading pieces: the lines are exactly the system's conversion of the
// whole text.
TEST_F(TextFileTest, Utf16RandomTextMatchesOneSystemConversion) {
    std::mt19937 rng(12345);
    const wchar_t pool[] = {L'a', L'\\', L'[', L']', L'\r', L'\n', L'"', L' ', 0x4E2D, 0x6587, 0x00E9, 0x20AC,
                            0xFF3C, 0x3000, 0xD83D, 0xDE00, 0xDBFF, 0xDC00, 0xFFFD, 0x0080, 0x07FF, 0xE000};
    std::wstring text;
    while (text.size() < 1400000) {
        const wchar_t u = pool[rng() % (sizeof(pool) / sizeof(pool[0]))];
        const size_t repeat = 1 + rng() % (u < 0x80 ? 60 : 4);
        text.append(repeat, u);
    }
    ASSERT_EQ(Load(Write("random.reg", Utf16File(text))), LoadResult::Loaded);
    EXPECT_TRUE(Lines(m_doc) == SplitCrLf(SystemAnsi(text)));
}

// A CR LF across the boundary of two reading pieces (1 MiB each) still ends one line.
TEST_F(TextFileTest, LineBreakAcrossReadingPieces) {
    const size_t piece = 1 << 20;
    std::string ansi(piece - 1, 'x');
    ansi += "\r\nHKCU\\after\r\n";
    ASSERT_EQ(Load(Write("pieces.txt", ansi)), LoadResult::Loaded);
    EXPECT_EQ(m_doc.GetLineCount(), 2);
    EXPECT_EQ(m_doc.GetMaxLineLength(), static_cast<int32_t>(piece - 1));
    EXPECT_EQ(m_doc.LineKind(1), LINE_KEY);

    std::wstring wide((piece - 2) / 2 - 1, L'y');  // the CR is the last unit of the first piece
    wide += L"\r\nHKCU\\after";
    ASSERT_EQ(Load(Write("pieces16.txt", Utf16File(wide))), LoadResult::Loaded);
    ASSERT_EQ(m_doc.GetLineCount(), 2);
    EXPECT_EQ(m_doc.LineText(1), "HKCU\\after");
}

TEST_F(TextFileTest, EncodingEdges) {
    struct Case {
        const char* name;
        std::string bytes;
        LoadResult result;
        std::vector<std::string> lines;
    } cases[] = {
        {"nomark.reg", Utf16File(L"HKCU\\x").substr(2), LoadResult::Loaded, {"H"}},
        {"bigendian.reg", std::string("\xFE\xFF\0H", 4), LoadResult::Loaded, {"\xFE\xFF"}},
        {"utf8mark.txt", "\xEF\xBB\xBFHKCU\\x", LoadResult::Loaded, {"\xEF\xBB\xBFHKCU\\x"}},
        {"empty.reg", "", LoadResult::NotLoaded, {}},
        {"markonly.reg", "\xFF\xFE", LoadResult::NotLoaded, {}},
        {"zerofirst.reg", std::string("\0abc", 4), LoadResult::NotLoaded, {}},
        {"onebyte.txt", "A", LoadResult::Loaded, {"A"}},
    };
    for (const Case& c : cases) {
        ShowSomething();
        EXPECT_EQ(Load(Write(c.name, c.bytes)), c.result) << c.name;
        EXPECT_EQ(Lines(m_doc), c.lines) << c.name;
        EXPECT_EQ(m_links.GetCount(), 0) << c.name;
        m_doc.Clear();
    }
}

// The name test and the existence test refuse before anything is discarded.
TEST_F(TextFileTest, RefusedNamesKeepTheCurrentText) {
    Write("notes.doc", "HKCU\\x");
    Write("export.reg.bak", "HKCU\\x");
    CreateDirectoryA((m_dir + "folder.reg").c_str(), nullptr);
    const std::string refused[] = {m_dir + "notes.doc", m_dir + "export.reg.bak", m_dir + "missing.reg",
                                   "reg", ""};
    for (const std::string& path : refused) {
        ShowSomething();
        EXPECT_EQ(Load(path), LoadResult::NotLoaded) << path;
        EXPECT_TRUE(StillShown()) << path;
        m_doc.Clear();
        m_links.Clear();
    }
    ShowSomething();
    EXPECT_EQ(LoadTextFileInto(nullptr, m_doc, m_links), LoadResult::NotLoaded);
    EXPECT_TRUE(StillShown());

    // A folder whose name passes both tests cannot be opened as a file: the view ends empty.
    EXPECT_EQ(Load(m_dir + "folder.reg"), LoadResult::NotLoaded);
    EXPECT_EQ(m_doc.GetLineCount(), 0);
    EXPECT_EQ(m_links.GetCount(), 0);
}

// Held open without sharing by another program: passes the name and existence tests, then
// cannot be opened, and the view is left empty.
TEST_F(TextFileTest, LockedFileLeavesTheDocumentEmpty) {
    const std::string path = Write("locked.reg", "HKCU\\Software\r\n");
    HANDLE lock = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    ShowSomething();
    EXPECT_EQ(Load(path), LoadResult::NotLoaded);
    EXPECT_EQ(m_doc.GetLineCount(), 0);
    EXPECT_EQ(m_links.GetCount(), 0);
    CloseHandle(lock);
    EXPECT_EQ(Load(path), LoadResult::Loaded);
    EXPECT_EQ(m_doc.GetLineCount(), 1);
}

// An export written by Wine's own registry editor (with_real_export.sh makes it before the
// program starts): UTF-16 with its mark, every [key] header a key link, every value and
// hex continuation line plain text.
TEST_F(TextFileTest, RealExportOfTheRegistryEditor) {
    const char* out = getenv("QB_REAL_EXPORT");
    ASSERT_TRUE(out && *out) << "run through with_real_export.sh";
    std::string bytes;
    ASSERT_TRUE(wintest::ReadFileBytes(out, bytes)) << out;
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE") << "the editor exports UTF-16";
    ASSERT_EQ(Load(out), LoadResult::Loaded);
    ASSERT_GE(m_doc.GetLineCount(), 1);
    EXPECT_EQ(m_doc.LineText(0), "Windows Registry Editor Version 5.00");
    const std::string parent = A("HKEY_CURRENT_USER\\Software\\QbTests\\导出");
    const std::vector<std::string> wantHeaders = {"[" + parent + "]", "[" + parent + A("\\子键]"),
                                                  "[" + parent + A("\\子键\\Deeper]")};
    std::vector<std::string> headers;
    int values = 0, continuations = 0;
    bool sawChineseValue = false;
    for (int32_t i = 1; i < m_doc.GetLineCount(); ++i) {
        const std::string line(m_doc.LineText(i));
        if (line.empty()) continue;
        if (line[0] == '[') {
            EXPECT_EQ(m_doc.LineKind(i), LINE_KEY) << wintest::U(line);
            headers.push_back(line);
        } else {
            EXPECT_EQ(m_doc.LineKind(i), LINE_TEXT) << wintest::U(line);
            (line[0] == ' ' ? continuations : values)++;
            if (line == A("\"数值\"=\"中文数据\"")) sawChineseValue = true;
        }
    }
    EXPECT_EQ(headers, wantHeaders);
    EXPECT_EQ(values, 3);  // the string, the binary value and the default value
    EXPECT_GE(continuations, 1);
    EXPECT_TRUE(sawChineseValue);
}

}  // namespace
