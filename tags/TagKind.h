// The description of a tag's kind: what the picker's Kind column is made of.
#pragma once

#include <string_view>

#include "text/CowString.h"

namespace velkin {

// Kind letters turn into these code bytes; any other kind byte stands for itself.
//   f 0xF4  c 0xF5  n 0xF6  d 0xF7  t 0xF8  s 0xF9  u 0xFA  m 0xFB  g 0xFC  v 0xFD
// The string table holds the word for code byte b under id b + 256 (500-510).
constexpr unsigned char kFirstKindCode = 0xF4;
// Stands before the code byte of a tag whose extension fields are exactly "file:".
constexpr unsigned char kFileScopeMarker = 0xFE;

// A prefix, then exactly one code byte for `kind`: never empty. The prefix is
// the marker for extension fields equal to "file:" (lstrcmpA), else the
// formatted string 511, 512, 513 or 514 when they begin with "class:",
// "struct:", "inherits:" or "access:" (case-sensitive; %s = everything after
// the key, later fields and tabs included; cut at 2048 bytes), else empty. A
// string that cannot be loaded gives an empty prefix.
CowString DescribeTagKind(char kind, CowString extensionFields);

// The part of `extensionFields` the Kind column describes, for
// DescribeTagKind: the first field (up to its first tab) when it begins with
// one of the four keys above; else "file:" when any tab-separated field is
// exactly that; else empty. universal-ctags writes later fields (typeref:,
// file:) after the scope, and they are no part of the kind's words.
CowString KindColumnFields(const CowString& extensionFields);
// The same without a copy: a view of the bytes of `extensionFields` (valid
// while it lives), or of a static "file:".
std::string_view KindColumnFieldsView(const CowString& extensionFields);

}  // namespace velkin
