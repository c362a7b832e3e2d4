// Counts the heap blocks one loaded module allocates and frees through its own
// import slots for the C runtime's malloc, calloc, realloc, _strdup and free
// (see ImportPatch.h; a DLL with the runtime linked in reaches the heap only
// through these, operator new included), and can make the n-th allocation
// fail. One counter at a time; the module's calls must come from one thread.
//
//   AllocationCounter heap(plugin.Module());
//   heap.FailAt(3);                 // the third allocation from now returns null
//   plugin.OnCommand(window);
//   bool reached = heap.Allocations() >= 3;
#pragma once

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <set>

#include "common/ImportPatch.h"

namespace velkin::test {

class AllocationCounter {
public:
    explicit AllocationCounter(HMODULE module)
    {
        active_ = this;
        patches_.Add(module, "malloc", &MallocHook, malloc_);
        patches_.Add(module, "calloc", &CallocHook, calloc_);
        patches_.Add(module, "realloc", &ReallocHook, realloc_);
        patches_.Add(module, "_strdup", &StrdupHook, strdup_);
        patches_.Add(module, "free", &FreeHook, free_);
    }
    ~AllocationCounter()
    {
        patches_.Clear();
        active_ = nullptr;
    }
    AllocationCounter(const AllocationCounter&) = delete;
    AllocationCounter& operator=(const AllocationCounter&) = delete;

    // Whether malloc and free were both found among the module's imports.
    bool Patched() const { return malloc_ && free_; }
    // Counts allocations from zero again, and fails the `n`-th from now (none
    // when 0). A failed allocation counts too.
    void FailAt(long n)
    {
        allocations_ = 0;
        failAt_ = n;
    }
    long Allocations() const { return allocations_; }
    // Blocks allocated while counting and not freed yet.
    std::size_t Live() const { return live_.size(); }

private:
    // Counts one allocation; false when it is the one to fail.
    static bool Allow() { return ++active_->allocations_ != active_->failAt_; }
    static void* Born(void* block)
    {
        if (block) active_->live_.insert(block);
        return block;
    }

    static void* __cdecl MallocHook(std::size_t size) { return Allow() ? Born(malloc_(size)) : nullptr; }
    static void* __cdecl CallocHook(std::size_t count, std::size_t size)
    {
        return Allow() ? Born(calloc_(count, size)) : nullptr;
    }
    static void* __cdecl ReallocHook(void* block, std::size_t size)
    {
        if (!Allow()) return nullptr;   // the block stays as it was
        void* moved = realloc_(block, size);
        if (moved || size == 0) active_->live_.erase(block);
        return Born(moved);
    }
    static char* __cdecl StrdupHook(const char* text)
    {
        return Allow() ? static_cast<char*>(Born(strdup_(text))) : nullptr;
    }
    static void __cdecl FreeHook(void* block)
    {
        active_->live_.erase(block);   // a block from before counting is simply not found
        free_(block);
    }

    static inline AllocationCounter* active_ = nullptr;
    static inline void*(__cdecl* malloc_)(std::size_t) = nullptr;
    static inline void*(__cdecl* calloc_)(std::size_t, std::size_t) = nullptr;
    static inline void*(__cdecl* realloc_)(void*, std::size_t) = nullptr;
    static inline char*(__cdecl* strdup_)(const char*) = nullptr;
    static inline void(__cdecl* free_)(void*) = nullptr;

    ImportPatches patches_;
    long allocations_ = 0;
    long failAt_ = 0;
    std::set<void*> live_;
};

}  // namespace velkin::test
