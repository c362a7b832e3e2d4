// One small owner per kind of Win32 resource, each with that kind's own
// "invalid" value, so a resource is released on every path by construction.
// Owners move but never copy. Header only; needs kernel32 and advapi32.
#pragma once

#include <windows.h>

#include <utility>

namespace velkin {

// Holds a resource of one kind; Traits gives its invalid value and its release.
template <typename Traits>
class Win32Owner {
public:
    using Value = typename Traits::Value;

    Win32Owner() noexcept = default;
    explicit Win32Owner(Value value) noexcept : value_(value) {}
    Win32Owner(Win32Owner&& other) noexcept : value_(other.Detach()) {}
    Win32Owner& operator=(Win32Owner&& other) noexcept
    {
        if (this != &other) Reset(other.Detach());
        return *this;
    }
    Win32Owner(const Win32Owner&) = delete;
    Win32Owner& operator=(const Win32Owner&) = delete;
    ~Win32Owner() { Reset(); }

    Value Get() const noexcept { return value_; }
    bool IsValid() const noexcept { return value_ != Traits::Invalid(); }
    explicit operator bool() const noexcept { return IsValid(); }

    // Releases the held resource (if any) and takes `value`.
    void Reset(Value value = Traits::Invalid()) noexcept
    {
        if (IsValid()) Traits::Release(value_);
        value_ = value;
    }
    Value Detach() noexcept { return std::exchange(value_, Traits::Invalid()); }

    // For a call that hands its resource back through an out-parameter:
    // releases what is held and returns where the call writes the new value.
    //   RegOpenKeyExA(root, name, 0, KEY_READ, key.Receive());
    // A call that fails and leaves the parameter as it was leaves the owner invalid.
    Value* Receive() noexcept
    {
        Reset();
        return &value_;
    }

private:
    Value value_ = Traits::Invalid();
};

// A file from CreateFileA: invalid is INVALID_HANDLE_VALUE.
struct FileHandleTraits {
    using Value = HANDLE;
    static Value Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Release(Value value) noexcept { CloseHandle(value); }
};
using FileHandle = Win32Owner<FileHandleTraits>;

// A file-mapping object from CreateFileMappingA: invalid is null.
struct MappingHandleTraits {
    using Value = HANDLE;
    static Value Invalid() noexcept { return nullptr; }
    static void Release(Value value) noexcept { CloseHandle(value); }
};
using MappingHandle = Win32Owner<MappingHandleTraits>;

// A view from MapViewOfFile: invalid is null.
struct MappedViewTraits {
    using Value = const void*;
    static Value Invalid() noexcept { return nullptr; }
    static void Release(Value value) noexcept { UnmapViewOfFile(value); }
};
using MappedView = Win32Owner<MappedViewTraits>;

// An open registry key from RegOpenKeyExA: invalid is null.
struct RegistryKeyTraits {
    using Value = HKEY;
    static Value Invalid() noexcept { return nullptr; }
    static void Release(Value value) noexcept { RegCloseKey(value); }
};
using RegistryKey = Win32Owner<RegistryKeyTraits>;

// A handler from AddVectoredExceptionHandler: invalid is null. Nothing of a
// module may stay registered once its code can be unloaded.
struct ExceptionHandlerTraits {
    using Value = PVOID;
    static Value Invalid() noexcept { return nullptr; }
    static void Release(Value value) noexcept { RemoveVectoredExceptionHandler(value); }
};
using ExceptionHandlerRegistration = Win32Owner<ExceptionHandlerTraits>;

}  // namespace velkin
