// A DC wrapper gives back what was selected into it: the first object it replaced of each kind.
#include <Framework.h>
#include <gtest/gtest.h>

TEST(GdiTest, SelectionsAreUndoneWhenTheDCGoes) {
    CClientDC screen(nullptr);
    CDC memory;
    ASSERT_TRUE(memory.CreateCompatibleDC(screen));
    HGDIOBJ originalFont = GetCurrentObject(memory, OBJ_FONT), originalBitmap = GetCurrentObject(memory, OBJ_BITMAP);
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
    }
    EXPECT_EQ(GetCurrentObject(memory, OBJ_FONT), originalFont);
    EXPECT_EQ(GetCurrentObject(memory, OBJ_BITMAP), originalBitmap);
    // Nothing of ours is still selected anywhere, so each can really be deleted.
    EXPECT_TRUE(DeleteObject(second.Detach()));
    EXPECT_TRUE(DeleteObject(bitmap.Detach()));
}
