// The environment every other Windows test relies on: without code page 936 the texts they
// compare would all turn to question marks alike.
#include <gtest/gtest.h>
#include <windows.h>

#include "WinTest.h"

TEST(Rig, AnsiCodePageIs936) {
    // The programs are written for code page 936; every text test assumes it.
    EXPECT_EQ(GetACP(), 936u);
    EXPECT_EQ(wintest::A("中").size(), 2u);
    EXPECT_EQ(wintest::U(wintest::A("注册表")), "注册表");
}
