// Reading a mapped view whose file can fail under it: a file cut short by
// another program, a network share that goes away or a removable drive that
// is pulled turns a read of the view into a structured exception (an access
// violation, or an in-page error), which C++ cannot catch and which would end
// the editor's process.
#pragma once

#include <type_traits>

#include "tags/MappedFile.h"

namespace velkin {

// Calls `read(context)` on this thread, guarding the bytes of [begin, end).
// True when `read` returned; false when a read of one of those bytes faulted
// (an access violation or an in-page error, on this thread): `read` is then
// left at the faulting instruction and this call returns instead.
//
// Only such a fault is taken. Any other exception, a write or an execution,
// a fault at any other address or on another thread goes on as if no guard
// were there, so faults of the code itself still end the process. A C++
// exception from `read` passes through (the guard is removed first).
//
// What `read` has started is abandoned at a fault, without unwinding: the
// destructors of its frames do not run, and heap blocks its frames alone
// hold (a record being copied out of the view) are lost. So `read` must keep
// everything that outlives it (lists, the view's own holder) above this call
// and consistent at every read of the range: a fault is rare, and it costs
// at most the copy in progress.
//
// One guard is active in the process at a time: a call made while another is
// active (on another thread, or inside `read`) runs `read` unguarded. Nothing
// stays registered after the call, on any path.
bool ReadGuarded(const char* begin, const char* end, void (*read)(void* context), void* context);

// The same with any callable: `read()`.
template <typename Read>
bool ReadGuarded(const char* begin, const char* end, Read&& read)
{
    return ReadGuarded(
        begin, end, [](void* context) { (*static_cast<std::remove_reference_t<Read>*>(context))(); }, &read);
}

// The same over a view's bytes.
template <typename Read>
bool ReadGuarded(const MappedWindow& window, Read&& read)
{
    return ReadGuarded(window.Begin(), window.End(), read);
}

}  // namespace velkin
