// Redirects one function a loaded module imports, by rewriting that module's
// import address table: calls the module makes (the test program's own
// linked-in code, or a DLL such as the real Velkin.dll) reach the
// replacement; calls of other modules do not. The slots are put back when the
// patch ends.
//
// The compiler takes an import slot for a constant: a function may load it
// once, before a patch made inside that function. Patch calls that are made
// in another function, or in another module, after the patch is in place.
#pragma once

#include <windows.h>

#include <cstring>
#include <deque>
#include <vector>

namespace velkin::test {

class ImportPatch {
public:
    // Points every slot of `module` importing `function` by name (from any
    // DLL) at `replacement`. Patched() is false when the module does not import it.
    ImportPatch(HMODULE module, const char* function, const void* replacement)
    {
        for (void** slot : FindSlots(module, function)) {
            original_ = *slot;
            Write(slot, replacement);
            slots_.push_back(slot);
        }
    }
    ~ImportPatch()
    {
        for (void** slot : slots_) Write(slot, original_);
    }
    ImportPatch(const ImportPatch&) = delete;
    ImportPatch& operator=(const ImportPatch&) = delete;

    bool Patched() const { return !slots_.empty(); }
    // The function the slots held before; null when nothing was patched.
    template <typename Function>
    Function Original() const
    {
        return reinterpret_cast<Function>(original_);
    }

private:
    static std::vector<void**> FindSlots(HMODULE module, const char* function)
    {
        auto* base = reinterpret_cast<BYTE*>(module);
        const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
            base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
        const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        std::vector<void**> slots;
        if (imports.Size == 0) return slots;
        for (auto* dll = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); dll->Name;
             ++dll) {
            // The name table runs beside the address table, which the loader overwrote.
            const auto* name = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + dll->OriginalFirstThunk);
            auto** slot = reinterpret_cast<void**>(base + dll->FirstThunk);
            for (; dll->OriginalFirstThunk && name->u1.AddressOfData; ++name, ++slot) {
                if (IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal)) continue;
                const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + name->u1.AddressOfData);
                if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) == 0) slots.push_back(slot);
            }
        }
        return slots;
    }

    static void Write(void** slot, const void* value)
    {
        DWORD protection = 0;
        VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection);
        *slot = const_cast<void*>(value);
        VirtualProtect(slot, sizeof *slot, protection, &protection);
    }

    std::vector<void**> slots_;
    void* original_ = nullptr;
};

// Several patches of one module, each keeping the function it replaced, all
// put back when the set is cleared or destroyed.
class ImportPatches {
public:
    // Patches `function` to `hook`; `original` receives the function the
    // slots held (it stays as it was when the module does not import it).
    template <typename Function>
    void Add(HMODULE module, const char* function, Function hook, Function& original)
    {
        const ImportPatch& patch = patches_.emplace_back(module, function, reinterpret_cast<const void*>(hook));
        if (patch.Patched()) original = patch.Original<Function>();
    }
    void Clear() { patches_.clear(); }

private:
    std::deque<ImportPatch> patches_;   // a deque: patches never move
};

}  // namespace velkin::test
