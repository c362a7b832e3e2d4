// Counts the Win32 resources one loaded module acquires against those it
// releases, through that module's own import slots (see ImportPatch.h): files
// (CreateFileA), mappings (CreateFileMappingA), both closed by CloseHandle;
// views (MapViewOfFile / UnmapViewOfFile); registry keys (RegOpenKeyExA /
// RegCloseKey); device contexts (GetDC / ReleaseDC); objects selected into a
// DC (SelectObject of another object, put back by SelectObject of the one it
// displaced); exception handlers (AddVectoredExceptionHandler /
// RemoveVectoredExceptionHandler). Only successful acquisitions count. One
// counter at a time.
//
//   const ResourceCounter counter(plugin.Module());
//   plugin.OnCommand(window);
//   EXPECT_EQ("file 1/1, mapping 1/1, view 1/1, key 1/1", counter.Report());
//   EXPECT_TRUE(counter.Balanced());
#pragma once

#include <windows.h>

#include <algorithm>
#include <initializer_list>
#include <map>
#include <set>
#include <utility>
#include <string>

#include "common/ImportPatch.h"

namespace velkin::test {

enum class Resource { file, mapping, view, registryKey, dc, selection, handler };

class ResourceCounter {
public:
    struct Counts {
        int acquired = 0;
        int released = 0;
        int peak = 0;  // the most live at once
    };

    explicit ResourceCounter(HMODULE module)
    {
        active_ = this;
        patches_.Add(module, "CreateFileA", &CreateFileHook, createFile_);
        patches_.Add(module, "CreateFileMappingA", &CreateFileMappingHook, createFileMapping_);
        patches_.Add(module, "CloseHandle", &CloseHandleHook, closeHandle_);
        patches_.Add(module, "MapViewOfFile", &MapViewOfFileHook, mapViewOfFile_);
        patches_.Add(module, "UnmapViewOfFile", &UnmapViewOfFileHook, unmapViewOfFile_);
        patches_.Add(module, "RegOpenKeyExA", &RegOpenKeyExHook, regOpenKeyEx_);
        patches_.Add(module, "RegCloseKey", &RegCloseKeyHook, regCloseKey_);
        patches_.Add(module, "GetDC", &GetDCHook, getDC_);
        patches_.Add(module, "ReleaseDC", &ReleaseDCHook, releaseDC_);
        patches_.Add(module, "SelectObject", &SelectObjectHook, selectObject_);
        patches_.Add(module, "AddVectoredExceptionHandler", &AddHandlerHook, addHandler_);
        patches_.Add(module, "RemoveVectoredExceptionHandler", &RemoveHandlerHook, removeHandler_);
    }
    ~ResourceCounter()
    {
        patches_.Clear();
        active_ = nullptr;
    }
    ResourceCounter(const ResourceCounter&) = delete;
    ResourceCounter& operator=(const ResourceCounter&) = delete;

    Counts Of(Resource kind) const { return counts_[static_cast<int>(kind)]; }
    // Acquired while counting and not released yet, all kinds together.
    std::size_t Live() const { return live_.size(); }
    // Releases of a value that is not a live resource of that kind: a second
    // release, a release of the wrong kind, or of something acquired before counting.
    int StrayReleases() const { return stray_; }
    bool Balanced() const { return live_.empty() && stray_ == 0; }

    // "acquired/released" of each kind met, in the order of Resource, then the
    // stray releases if any: "file 1/1, view 1/0, stray 1"; "none" when nothing was met.
    std::string Report() const
    {
        static const char* const names[] = {"file", "mapping", "view", "key", "dc", "selection", "handler"};
        std::string report;
        for (int kind = 0; kind < kKinds; ++kind) {
            const Counts& counts = counts_[kind];
            if (counts.acquired == 0 && counts.released == 0) continue;
            if (!report.empty()) report += ", ";
            report += std::string(names[kind]) + ' ' + std::to_string(counts.acquired) + '/' +
                      std::to_string(counts.released);
        }
        if (stray_ != 0) report += (report.empty() ? "stray " : ", stray ") + std::to_string(stray_);
        return report.empty() ? "none" : report;
    }

private:
    static constexpr int kKinds = 7;

    // The bookkeeping must not disturb the last error the caller reads next.
    static void Acquire(Resource kind, const void* value)
    {
        const DWORD error = GetLastError();
        Counts& counts = active_->counts_[static_cast<int>(kind)];
        ++counts.acquired;
        counts.peak = std::max(counts.peak, counts.acquired - counts.released);
        active_->live_.insert({kind, value});
        SetLastError(error);
    }
    static void Release(const void* value, std::initializer_list<Resource> kinds)
    {
        const DWORD error = GetLastError();
        bool matched = false;
        for (const Resource kind : kinds) {
            if (matched || active_->live_.erase({kind, value}) == 0) continue;
            ++active_->counts_[static_cast<int>(kind)].released;
            matched = true;
        }
        if (!matched) ++active_->stray_;
        SetLastError(error);
    }

    static HANDLE WINAPI CreateFileHook(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                                        DWORD disposition, DWORD flags, HANDLE templateFile)
    {
        const HANDLE file = createFile_(name, access, share, security, disposition, flags, templateFile);
        if (file != INVALID_HANDLE_VALUE) Acquire(Resource::file, file);
        return file;
    }
    static HANDLE WINAPI CreateFileMappingHook(HANDLE file, LPSECURITY_ATTRIBUTES security, DWORD protection,
                                               DWORD sizeHigh, DWORD sizeLow, LPCSTR name)
    {
        const HANDLE mapping = createFileMapping_(file, security, protection, sizeHigh, sizeLow, name);
        if (mapping) Acquire(Resource::mapping, mapping);
        return mapping;
    }
    static BOOL WINAPI CloseHandleHook(HANDLE handle)
    {
        Release(handle, {Resource::file, Resource::mapping});
        return closeHandle_(handle);
    }
    static LPVOID WINAPI MapViewOfFileHook(HANDLE mapping, DWORD access, DWORD offsetHigh, DWORD offsetLow, SIZE_T size)
    {
        const LPVOID view = mapViewOfFile_(mapping, access, offsetHigh, offsetLow, size);
        if (view) Acquire(Resource::view, view);
        return view;
    }
    static BOOL WINAPI UnmapViewOfFileHook(LPCVOID view)
    {
        Release(view, {Resource::view});
        return unmapViewOfFile_(view);
    }
    static LONG WINAPI RegOpenKeyExHook(HKEY parent, LPCSTR name, DWORD options, REGSAM access, PHKEY key)
    {
        const LONG status = regOpenKeyEx_(parent, name, options, access, key);
        if (status == ERROR_SUCCESS) Acquire(Resource::registryKey, *key);
        return status;
    }
    static LONG WINAPI RegCloseKeyHook(HKEY key)
    {
        Release(key, {Resource::registryKey});
        return regCloseKey_(key);
    }

    static HDC WINAPI GetDCHook(HWND window)
    {
        const HDC dc = getDC_(window);
        if (dc) Acquire(Resource::dc, dc);
        return dc;
    }
    static int WINAPI ReleaseDCHook(HWND window, HDC dc)
    {
        Release(dc, {Resource::dc});
        return releaseDC_(window, dc);
    }
    // A selection is live from the object that displaced another until the
    // displaced one is selected back.
    static HGDIOBJ WINAPI SelectObjectHook(HDC dc, HGDIOBJ object)
    {
        auto& displaced = active_->displaced_;
        const auto found = displaced.find(dc);
        const bool putBack = found != displaced.end() && found->second == object;
        const HGDIOBJ previous = selectObject_(dc, object);
        if (putBack) {
            displaced.erase(found);
            Release(dc, {Resource::selection});
        } else if (previous && previous != HGDI_ERROR && found == displaced.end()) {
            displaced[dc] = previous;
            Acquire(Resource::selection, dc);
        }
        return previous;
    }
    static PVOID WINAPI AddHandlerHook(ULONG first, PVECTORED_EXCEPTION_HANDLER handler)
    {
        const PVOID registration = addHandler_(first, handler);
        if (registration) Acquire(Resource::handler, registration);
        return registration;
    }
    static ULONG WINAPI RemoveHandlerHook(PVOID registration)
    {
        Release(registration, {Resource::handler});
        return removeHandler_(registration);
    }

    static inline ResourceCounter* active_ = nullptr;
    static inline decltype(&::CreateFileA) createFile_ = nullptr;
    static inline decltype(&::CreateFileMappingA) createFileMapping_ = nullptr;
    static inline decltype(&::CloseHandle) closeHandle_ = nullptr;
    static inline decltype(&::MapViewOfFile) mapViewOfFile_ = nullptr;
    static inline decltype(&::UnmapViewOfFile) unmapViewOfFile_ = nullptr;
    static inline decltype(&::RegOpenKeyExA) regOpenKeyEx_ = nullptr;
    static inline decltype(&::RegCloseKey) regCloseKey_ = nullptr;
    static inline decltype(&::GetDC) getDC_ = nullptr;
    static inline decltype(&::ReleaseDC) releaseDC_ = nullptr;
    static inline decltype(&::SelectObject) selectObject_ = nullptr;
    static inline decltype(&::AddVectoredExceptionHandler) addHandler_ = nullptr;
    static inline decltype(&::RemoveVectoredExceptionHandler) removeHandler_ = nullptr;

    ImportPatches patches_;
    Counts counts_[kKinds];
    std::set<std::pair<Resource, const void*>> live_;
    std::map<HDC, HGDIOBJ> displaced_;
    int stray_ = 0;
};

}  // namespace velkin::test
