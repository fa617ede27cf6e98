// Device contexts give back what was selected into them; files report errors as values.
#include <Framework.h>
#include <WinTest.h>
#include <gtest/gtest.h>

#include <string>

namespace {

TEST(GdiTest, SelectionsAreUndoneWhenTheDCGoes) {
    CClientDC screen(nullptr);
    CDC memory;
    ASSERT_TRUE(memory.CreateCompatibleDC(screen));
    HGDIOBJ originalFont = GetCurrentObject(memory, OBJ_FONT);
    HGDIOBJ originalBitmap = GetCurrentObject(memory, OBJ_BITMAP);
    CFont first, second;
    ASSERT_TRUE(first.CreateFont(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial"));
    ASSERT_TRUE(second.CreateFont(-20, 0, 0, 0, FW_BOLD, 0, 1, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial"));
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.CreateCompatibleBitmap(screen, 8, 8));
    {
        CDC borrowed(memory.m_hDC);
        EXPECT_EQ(borrowed.SelectObject(first), originalFont);
        EXPECT_EQ(borrowed.SelectObject(second), first.m_hObject);
        borrowed.SelectObject(bitmap);
        EXPECT_EQ(GetCurrentObject(memory, OBJ_FONT), second.m_hObject);
    }
    EXPECT_EQ(GetCurrentObject(memory, OBJ_FONT), originalFont);
    EXPECT_EQ(GetCurrentObject(memory, OBJ_BITMAP), originalBitmap);
    // Nothing of ours is still selected anywhere, so each can really be deleted.
    EXPECT_TRUE(DeleteObject(second.Detach()));
    EXPECT_TRUE(DeleteObject(bitmap.Detach()));
}

TEST(GdiTest, MovingAHandleLeavesOneOwner) {
    CFont a;
    ASSERT_TRUE(a.CreateFont(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial"));
    HFONT handle = a;
    CFont b(std::move(a));
    EXPECT_EQ(a.m_hObject, nullptr);
    EXPECT_EQ(b.m_hObject, handle);
    CFont c;
    c = std::move(b);
    EXPECT_EQ(c.m_hObject, handle);
    LOGFONTA lf{};
    EXPECT_TRUE(c.GetLogFont(&lf));
    EXPECT_EQ(lf.lfHeight, -12);
}

class FileTest : public ::testing::Test {
protected:
    std::string m_dir = wintest::ScratchDir("framework_file");
    std::string Path(const char* name) const { return m_dir + name; }
};

TEST_F(FileTest, OpenFailuresComeBackWithTheirReason) {
    ASSERT_TRUE(wintest::WriteFileBytes(Path("held.txt"), "abc"));
    CFile holder;
    ASSERT_TRUE(holder.Open(Path("held.txt"), CFile::modeRead));  // default: shared with nobody

    struct Case {
        std::string path;
        UINT flags;
        DWORD error;
    } cases[] = {
        {Path("missing.txt"), CFile::modeRead, ERROR_FILE_NOT_FOUND},
        {Path("no\\such\\folder.txt"), CFile::modeRead, ERROR_PATH_NOT_FOUND},
        {Path("held.txt"), CFile::modeRead, ERROR_SHARING_VIOLATION},
        {Path("held.txt"), CFile::modeRead | CFile::shareDenyNone, ERROR_SHARING_VIOLATION},
    };
    for (const Case& c : cases) {
        CFile f;
        EXPECT_FALSE(f.Open(c.path, c.flags)) << c.path;
        EXPECT_EQ(f.GetError(), c.error) << c.path;
        EXPECT_FALSE(f.IsOpen());
        DWORD got = 1;
        char buf[4];
        EXPECT_FALSE(f.Read(buf, sizeof buf, &got)) << "reading a file that is not open";
        EXPECT_EQ(got, 0u);
    }
}

TEST_F(FileTest, WriteReadLengthAndCreateModes) {
    {
        CFile f;
        ASSERT_TRUE(f.Open(Path("data.bin"), CFile::modeCreate | CFile::modeWrite));
        ASSERT_TRUE(f.Write("hello\0world", 11));
    }
    {
        CFile f;
        ASSERT_TRUE(f.Open(Path("data.bin"), CFile::modeCreate | CFile::modeNoTruncate | CFile::modeReadWrite));
        ULONGLONG length = 0;
        ASSERT_TRUE(f.GetLength(&length));
        EXPECT_EQ(length, 11u) << "no-truncate keeps the content";
        char buf[32];
        DWORD got = 0;
        ASSERT_TRUE(f.Read(buf, sizeof buf, &got));
        EXPECT_EQ(std::string(buf, got), std::string("hello\0world", 11));
        ASSERT_TRUE(f.Read(buf, sizeof buf, &got));
        EXPECT_EQ(got, 0u) << "the end of the file is not an error";
    }
    {
        CFile f;
        ASSERT_TRUE(f.Open(Path("data.bin"), CFile::modeCreate | CFile::modeWrite));
        ULONGLONG length = 99;
        ASSERT_TRUE(f.GetLength(&length));
        EXPECT_EQ(length, 0u) << "create without no-truncate empties the file";
    }
    CFile reader;
    ASSERT_TRUE(reader.Open(Path("data.bin"), CFile::modeRead));
    EXPECT_FALSE(reader.Write("x", 1)) << "writing to a file opened for reading";
    EXPECT_NE(reader.GetError(), 0u);
}

}  // namespace
