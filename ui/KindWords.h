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

    // The Kind column's text for a tag: DescribeTagKind of the fields that
    // KindColumnFields keeps (the scope up to its tab, or the file scope),
    // then in words: a final code byte 0xF4-0xFD becomes its word (string
    // 500-509), the file-scope marker before the code byte becomes string
    // 510, and every other byte stays; a word that the text before it
    // already ends with (a member's "... メンバ") is not said twice; a control byte as the kind (from
    // an empty kind field) is left out. `kindText`, the tag's own
    // DescribeTagKind(kind, extensionFields), is reused when every field is kept.
    CowString ShownText(char kind, const CowString& extensionFields, const CowString& kindText) const;

private:
    // The marker is the 0xFE of a two-byte text: a longer prefix is a
    // formatted text, and a lone 0xFE is the code byte of kind 0xFE.
    CowString InWords(const CowString& kindText) const;

    static constexpr int kWordCount = kFileScopeMarker - kFirstKindCode + 1;
    CowString words_[kWordCount];   // words_[b - 0xF4] for code byte b
};

}  // namespace velkin
