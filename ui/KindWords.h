// The words the picker's Kind column shows for the code bytes of
// DescribeTagKind, which are no characters of the Japanese code page.
#pragma once

#include "tags/TagKind.h"
#include "text/CowString.h"

namespace velkin {

class KindWords {
public:
    // Loads the words (strings 500-510) once; a word that cannot be loaded is empty.
    KindWords();

    // `kindText` (a DescribeTagKind result) as the Kind column shows it: a
    // final code byte 0xF4-0xFD becomes its word (string 500-509), the
    // file-scope marker before the code byte becomes string 510, and every
    // other byte stays. The marker is the 0xFE of a two-byte text: a longer
    // prefix is a formatted text, and a lone 0xFE is the code byte of kind 0xFE.
    CowString ShownText(const CowString& kindText) const;

private:
    static constexpr int kWordCount = kFileScopeMarker - kFirstKindCode + 1;
    CowString words_[kWordCount];   // words_[b - 0xF4] for code byte b
};

}  // namespace velkin
