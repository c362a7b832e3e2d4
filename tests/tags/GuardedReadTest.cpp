// ReadGuarded on pages that fault at every access, as the pages of a view past
// a cut do: a read fault inside the range ends the read, and every other fault
// still ends the process (the test program's crash filter exits with 3). A
// failing share or drive faults with an in-page error, which Wine never
// raises for a view: the tests raise it themselves, as the system would.
#include <windows.h>

#include <new>

#include <gtest/gtest.h>

#include "tags/GuardedRead.h"

namespace {

constexpr std::size_t kPage = 4096;

// Three pages that fault at every access; the middle one is the guarded range.
class GuardedReadTest : public testing::Test {
protected:
    ~GuardedReadTest() override { VirtualFree(pages_, 0, MEM_RELEASE); }

    char* const pages_ = static_cast<char*>(VirtualAlloc(nullptr, 3 * kPage, MEM_RESERVE, PAGE_NOACCESS));
    char* const begin_ = pages_ + kPage;
    char* const end_ = pages_ + 2 * kPage;
};

char Load(const char* at) { return *static_cast<const volatile char*>(at); }

// What a read of `at` that fails raises: its arguments are the access kind (0, a read) and the address.
void RaiseReadFault(DWORD code, const char* at)
{
    const ULONG_PTR readOf[] = {0, reinterpret_cast<ULONG_PTR>(at)};
    RaiseException(code, 0, 2, readOf);
}

TEST_F(GuardedReadTest, AReadFaultInTheRangeEndsTheReadAndCppExceptionsPassThrough)
{
    ASSERT_TRUE(pages_);
    for (const char* at : {begin_, end_ - 1, begin_ + 1000}) {
        bool after = false;
        EXPECT_FALSE(velkin::ReadGuarded(begin_, end_, [&] {
            Load(at);
            after = true;
        }));
        EXPECT_FALSE(after);
    }
    for (const DWORD code : {EXCEPTION_IN_PAGE_ERROR, EXCEPTION_ACCESS_VIOLATION}) {
        EXPECT_FALSE(velkin::ReadGuarded(begin_, end_, [&] { RaiseReadFault(code, begin_ + 1000); })) << std::hex << code;
    }
    char byte = 'x';
    EXPECT_TRUE(velkin::ReadGuarded(begin_, end_, [&] { byte = Load(&byte); }));
    EXPECT_THROW(velkin::ReadGuarded(begin_, end_, [] { throw std::bad_alloc(); }), std::bad_alloc);
    EXPECT_FALSE(velkin::ReadGuarded(begin_, end_, [&] { Load(begin_); }));   // the guard was released by the throw
}

using GuardedReadDeathTest = GuardedReadTest;

DWORD WINAPI LoadOnOtherThread(void* at)
{
    Load(static_cast<const char*>(at));
    return 0;
}

TEST_F(GuardedReadDeathTest, EveryOtherFaultStillEndsTheProcess)
{
    ASSERT_TRUE(pages_);
    const char* const begin = begin_;
    const char* const end = end_;
    EXPECT_EXIT(velkin::ReadGuarded(begin, end, [&] { Load(begin - 1); }), testing::ExitedWithCode(3), "0xC0000005")
        << "a read before the range";
    EXPECT_EXIT(velkin::ReadGuarded(begin, end, [&] { Load(end); }), testing::ExitedWithCode(3), "0xC0000005")
        << "a read at its end";
    EXPECT_EXIT(velkin::ReadGuarded(begin, end, [&] { RaiseReadFault(EXCEPTION_IN_PAGE_ERROR, end); }),
                testing::ExitedWithCode(3), "0xC0000006")
        << "an in-page error at its end";
    EXPECT_EXIT(velkin::ReadGuarded(begin, end, [&] { *const_cast<volatile char*>(begin) = 1; }), testing::ExitedWithCode(3),
                "0xC0000005")
        << "a write in the range";
    EXPECT_EXIT(velkin::ReadGuarded(begin, end,
                      [&] {
                          HANDLE thread = CreateThread(nullptr, 0, LoadOnOtherThread, const_cast<char*>(begin), 0,
                                                       nullptr);
                          WaitForSingleObject(thread, INFINITE);
                      }),
                testing::ExitedWithCode(3), "0xC0000005")
        << "a read in the range on another thread";
    EXPECT_EXIT(velkin::ReadGuarded(begin, end, [] { RaiseException(0xE0000017, 0, 0, nullptr); }), testing::ExitedWithCode(3),
                "0xE0000017")
        << "another exception";
    EXPECT_EXIT((velkin::ReadGuarded(begin, end, [] {}), Load(begin)), testing::ExitedWithCode(3), "0xC0000005")
        << "a read in the range after the guard";
}

}  // namespace
