// The description of a tag's kind: what the picker's Kind column is made of.
#pragma once

#include "text/CowString.h"

namespace velkin {

// Kind letters turn into these code bytes; any other kind byte stands for itself.
//   f 0xF4  c 0xF5  n 0xF6  d 0xF7  t 0xF8  s 0xF9  u 0xFA  m 0xFB  e 0xFC  v 0xFD  g 0xFF
// The string table holds the word for code byte b under id b + 256 (500-510),
// and an enum's (0xFF) under IDS_KIND_ENUM. An enumerator is 0xFC, 列挙定数;
// an enum is no enumerator.
constexpr unsigned char kFirstKindCode = 0xF4;
constexpr unsigned char kEnumCode = 0xFF;
// Stands before the code byte of a tag whose extension fields are exactly "file:".
constexpr unsigned char kFileScopeMarker = 0xFE;

// A prefix, then exactly one code byte for `kind`: never empty. The prefix is
// the marker for extension fields equal to "file:" (lstrcmpA), else the
// formatted string 511, 512, 513 or 514 when they begin with "class:",
// "struct:", "inherits:" or "access:" (case-sensitive; %s = everything after
// the key, later fields and tabs included; cut at 2048 bytes), else empty. A
// string that cannot be loaded gives an empty prefix.
CowString DescribeTagKind(char kind, CowString extensionFields);

}  // namespace velkin
