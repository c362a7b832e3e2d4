// Gives a test one of the plug-in's registry values (TagsFileName unless
// another is named) to itself: on
// construction the value is removed (the plug-in then uses "tags"), Set()
// stores any type and bytes, and destruction puts HKEY_CURRENT_USER back as it
// was — the keys the guard had to create are removed, a replaced value is
// restored.
#pragma once

#include <windows.h>

#include <string>

#include "tags/TagsSettings.h"

namespace velkin::test {

class RegistryValueGuard {
public:
    explicit RegistryValueGuard(const char* valueName = kTagsFileNameValue) : valueName_(valueName)
    {
        const std::string path = kSettingsKey;
        for (size_t cut = path.find('\\');; cut = path.find('\\', cut + 1)) {
            const std::string level = path.substr(0, cut);
            if (!KeyExists(level)) {
                createdTop_ = level;
                break;
            }
            if (cut == std::string::npos) break;
        }
        if (createdTop_.empty()) SaveValue();
        Remove();
    }

    ~RegistryValueGuard()
    {
        if (!createdTop_.empty()) {
            RegDeleteTreeA(HKEY_CURRENT_USER, createdTop_.c_str());
            return;
        }
        if (hadValue_) {
            Set(savedType_, savedBytes_);
        } else {
            Remove();
        }
    }

    RegistryValueGuard(const RegistryValueGuard&) = delete;
    RegistryValueGuard& operator=(const RegistryValueGuard&) = delete;

    // Stores exactly `bytes` (include the terminator yourself) as `type`.
    void Set(DWORD type, const std::string& bytes)
    {
        HKEY key = OpenForWriting();
        RegSetValueExA(key, valueName_, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                       static_cast<DWORD>(bytes.size()));
        RegCloseKey(key);
    }

    void Remove()
    {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
        RegDeleteValueA(key, valueName_);
        RegCloseKey(key);
    }

    // True when the guard created the settings key (it did not exist before).
    bool CreatedKey() const { return !createdTop_.empty(); }

private:
    static bool KeyExists(const std::string& path)
    {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
        RegCloseKey(key);
        return true;
    }

    static HKEY OpenForWriting()
    {
        HKEY key = nullptr;
        RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key, nullptr);
        return key;
    }

    void SaveValue()
    {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return;
        DWORD size = 0;
        hadValue_ = RegQueryValueExA(key, valueName_, nullptr, &savedType_, nullptr, &size) == ERROR_SUCCESS;
        if (hadValue_) {
            savedBytes_.resize(size);
            if (size > 0) {
                RegQueryValueExA(key, valueName_, nullptr, &savedType_,
                                 reinterpret_cast<BYTE*>(&savedBytes_[0]), &size);
            }
        }
        RegCloseKey(key);
    }

    const char* valueName_;
    std::string createdTop_;  // the outermost key this guard created, if any
    bool hadValue_ = false;
    DWORD savedType_ = 0;
    std::string savedBytes_;
};

}  // namespace velkin::test
