// Entry point of every test program. A machine whose ANSI code page is not
// 932 (Shift-JIS) fails at once: the multibyte cases must never be skipped.
#include <windows.h>

#include <cstdio>

#include <gtest/gtest.h>

#include "text/CowString.h"

namespace {

// A crash (a read past the data faulting on a guard page, say) is reported and
// ends the program at once, rather than leaving it waiting in Wine's debugger.
LONG WINAPI ReportCrash(EXCEPTION_POINTERS* crash)
{
    std::fprintf(stderr, "fatal: exception 0x%08lX at %p\n", crash->ExceptionRecord->ExceptionCode,
                 crash->ExceptionRecord->ExceptionAddress);
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

int main(int argc, char** argv)
{
    SetUnhandledExceptionFilter(ReportCrash);
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
