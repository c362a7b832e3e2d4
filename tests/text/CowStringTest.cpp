#include <gtest/gtest.h>

#include "text/CowString.h"

using velkin::CowString;

TEST(CowStringTest, Smoke)
{
    CowString s("abc");
    EXPECT_EQ(3, s.Length());
    CowString name(reinterpret_cast<const char*>(4));
    EXPECT_STREQ("Velkin", name.Text());
    CowString menu(reinterpret_cast<const char*>(1));
    EXPECT_STREQ("TAGS(ctags)\x83W\x83\x83\x83\x93\x83v", menu.Text());
}
