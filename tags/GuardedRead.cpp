#include "tags/GuardedRead.h"

#include <windows.h>

#include <cstdint>

#include "win/Win32Handles.h"

namespace velkin {

namespace {

// The guarded read in progress. The jump buffer is GCC's __builtin_setjmp
// one: it restores only the frame and stack pointers and does no unwinding,
// which is what both the 32-bit frame chain and the 64-bit unwind tables need
// here, as nothing between the guard and the fault may be unwound.
struct Guard {
    void* jump[5];
    std::uintptr_t begin;
    std::uintptr_t end;
};

// The thread of the guarded read in progress (0: none; no thread has id 0),
// and its guard, which only that thread reads: a fault on another thread
// never touches a guard that may be ending.
volatile LONG guardedThread = 0;
Guard* activeGuard = nullptr;

bool IsGuardedReadFault(const EXCEPTION_RECORD& record, const Guard& guard) noexcept
{
    const bool pageFault =
        record.ExceptionCode == EXCEPTION_ACCESS_VIOLATION || record.ExceptionCode == EXCEPTION_IN_PAGE_ERROR;
    if (!pageFault || record.NumberParameters < 2) return false;
    constexpr ULONG_PTR kRead = 0;  // 1 write, 8 execution: never a failing file
    if (record.ExceptionInformation[0] != kRead) return false;
    const std::uintptr_t address = record.ExceptionInformation[1];
    return address >= guard.begin && address < guard.end;
}

// Entered in place of the faulting instruction, on fresh stack below it, once
// the system has finished dispatching the fault.
[[noreturn]] __attribute__((noinline)) void LeaveGuardedRead() noexcept
{
    __builtin_longjmp(activeGuard->jump, 1);
}

// Resumes the thread in LeaveGuardedRead rather than jumping from inside the
// handler, which would abandon the system's dispatch frames (and, on 32-bit,
// leave them on the thread's exception chain).
LONG CALLBACK TakeGuardedReadFault(EXCEPTION_POINTERS* fault) noexcept
{
    if (static_cast<DWORD>(guardedThread) != GetCurrentThreadId()) return EXCEPTION_CONTINUE_SEARCH;
    if (!IsGuardedReadFault(*fault->ExceptionRecord, *activeGuard)) return EXCEPTION_CONTINUE_SEARCH;
    CONTEXT& context = *fault->ContextRecord;
    constexpr std::uintptr_t kGap = 256;  // leaves the faulting frame's stack untouched
    // Aligned as a called function finds it: 16 bytes less a return address.
#ifdef _WIN64
    context.Rsp = ((context.Rsp - kGap) & ~std::uintptr_t{15}) - sizeof(void*);
    context.Rip = reinterpret_cast<std::uintptr_t>(&LeaveGuardedRead);
#else
    context.Esp = ((context.Esp - kGap) & ~std::uintptr_t{15}) - sizeof(void*);
    context.Eip = reinterpret_cast<std::uintptr_t>(&LeaveGuardedRead);
#endif
    return EXCEPTION_CONTINUE_EXECUTION;
}

// Returns to its caller a second time, with false, when the guard is left by a fault.
__attribute__((noinline)) bool RunToEnd(Guard& guard, void (*read)(void*), void* context)
{
    if (__builtin_setjmp(guard.jump)) return false;
    read(context);
    return true;
}

// Makes `guard` this thread's active one for its lifetime, with the handler
// registered first in line; Active() is false when another guard is active.
class ActiveGuard {
public:
    explicit ActiveGuard(Guard& guard) noexcept
    {
        const auto thread = static_cast<LONG>(GetCurrentThreadId());
        if (InterlockedCompareExchange(&guardedThread, thread, 0) != 0) return;
        activeGuard = &guard;
        claimed_ = true;
        handler_.Reset(AddVectoredExceptionHandler(1, TakeGuardedReadFault));
    }
    ~ActiveGuard()
    {
        handler_.Reset();
        if (!claimed_) return;
        activeGuard = nullptr;
        InterlockedExchange(&guardedThread, 0);
    }
    ActiveGuard(const ActiveGuard&) = delete;
    ActiveGuard& operator=(const ActiveGuard&) = delete;

    bool Active() const noexcept { return handler_.IsValid(); }

private:
    bool claimed_ = false;
    ExceptionHandlerRegistration handler_;
};

}  // namespace

bool ReadGuarded(const char* begin, const char* end, void (*read)(void* context), void* context)
{
    Guard guard{{}, reinterpret_cast<std::uintptr_t>(begin), reinterpret_cast<std::uintptr_t>(end)};
    const ActiveGuard active(guard);
    if (!active.Active()) {
        read(context);
        return true;
    }
    return RunToEnd(guard, read, context);
}

}  // namespace velkin
