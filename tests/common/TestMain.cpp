// Entry point of every test program. A machine whose ANSI code page is not
// 932 (Shift-JIS) fails at once: the multibyte cases must never be skipped.
#include <windows.h>

#include <cstdio>

#include <gtest/gtest.h>

#include "text/CowString.h"

int main(int argc, char** argv)
{
    if (GetACP() != 932) {
        std::fprintf(stderr, "The ANSI code page is %u, not 932: run under LC_ALL=ja_JP.UTF-8 "
                             "with that locale generated.\n", GetACP());
        return 1;
    }
    // Unit tests read string-table entries from the test program itself.
    velkin::SetResourceModule(GetModuleHandleA(nullptr));
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
