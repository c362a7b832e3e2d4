// What universal-ctags knows of the languages it tags, as it lists them:
// each language's kinds by letter and name, and the file names it maps to a
// language. The data is CtagsTables.cpp, written by
// scripts/make-ctags-tables.py from the installed ctags and checked in; the
// hand-made rules that tell what these alone cannot are in TagTraits.cpp.
#pragma once

#include <cstddef>
#include <string_view>

namespace velkin::ctags {

// A static array and its length.
template <typename T>
struct Table {
    const T* first;
    std::size_t count;
    const T* begin() const noexcept { return first; }
    const T* end() const noexcept { return first + count; }
};

struct Kind {
    char letter;
    std::string_view name;  // as --fields=+K writes it: "macro", "enumConstant"
};

struct Language {
    std::string_view name;   // as the language: field writes it: "C++", "SystemVerilog"
    const Kind* kinds;       // by letter, as bytes sort; null for a language with none
    std::size_t kindCount;
};

struct FileName {
    std::string_view key;    // an extension or a whole file name, in lower case
    std::string_view language;
};

// A file name that begins with `head` and ends with `tail` ("kconfig", "").
struct NamePattern {
    std::string_view head;
    std::string_view tail;
    std::string_view language;
};

// A parser that runs inside another's: Iniconf's for a systemd unit, XML's
// for a D-Bus description. A file of either may hold tags of both.
struct Subparser {
    std::string_view language;
    std::string_view base;
};

// ctags' first line of --version, naming the version the tables are of.
extern const char kVersion[];
// Sorted by name (as bytes sort).
extern const Table<Language> kLanguages;
// Sorted by key. An extension two languages map is the one's that ctags picks
// when the file's content does not decide.
extern const Table<FileName> kExtensions;
extern const Table<FileName> kFileNames;
// In no order; few.
extern const Table<NamePattern> kNamePatterns;
// In order of the subparser's name.
extern const Table<Subparser> kSubparsers;
// Every kind name of every language, sorted.
extern const Table<std::string_view> kKindNames;

}  // namespace velkin::ctags
