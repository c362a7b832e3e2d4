#include "ui/KindWords.h"

#include "res/ResourceIds.h"

namespace velkin {

namespace {

// The last code byte with a word of its own; 0xFE only marks file scope.
constexpr unsigned char kLastKindCode = 0xFD;

bool IsControlByte(char byte) { return byte >= 0 && byte < 0x20; }

// `head` less the blanks at its end.
CowString TrimmedEnd(const CowString& head)
{
    int length = head.Length();
    while (length > 0 && head.Text()[length - 1] == ' ') --length;
    return length == head.Length() ? head : head.Prefix(length);
}

// `text` ends with the whole characters of `word`: the byte before them ends
// a character of `text`, so a double-byte character is not cut in two.
bool EndsWithWord(const CowString& text, const CowString& word)
{
    const int start = text.Length() - word.Length();
    if (word.IsEmpty() || start < 0 || lstrcmpA(text.Text() + start, word.Text()) != 0) return false;
    const char* p = text.Text();
    while (p < text.Text() + start) p = CharNextA(p);
    return p == text.Text() + start;
}

}  // namespace

KindWords::KindWords()
{
    for (int i = 0; i < kWordCount; ++i) words_[i].LoadFromTable(IDS_KIND_FIRST + i);
}

CowString KindWords::ShownText(char kind, const CowString& extensionFields, const CowString& kindText) const
{
    // The kept fields are a prefix of the fields, or "file:" found among them:
    // the same length means the same text.
    const CowString shownFields = KindColumnFields(extensionFields);
    const CowString shown = InWords(shownFields.Length() == extensionFields.Length() ? kindText
                                                                                 : DescribeTagKind(kind, shownFields));
    // An empty kind field leaves the byte that ends it (a tab, CR or LF) as
    // the kind: no letter, and no control byte in the cell.
    return IsControlByte(kind) ? shown.Prefix(shown.Length() - 1) : shown;
}

CowString KindWords::InWords(const CowString& kindText) const
{
    const int length = kindText.Length();
    if (length == 0) return kindText;
    const auto first = static_cast<unsigned char>(kindText.Text()[0]);
    const auto last = static_cast<unsigned char>(kindText.Text()[length - 1]);
    const bool marked = length == 2 && first == kFileScopeMarker;
    const bool worded = last >= kFirstKindCode && last <= kLastKindCode;
    if (!marked && !worded) return kindText;

    const CowString head = marked ? words_[kFileScopeMarker - kFirstKindCode] : kindText.Prefix(length - 1);
    const CowString tail = worded ? words_[last - kFirstKindCode] : kindText.Substring(length - 1);
    if (head.IsEmpty()) return tail;
    // A member's scope already ends in the word for a member: say it once.
    const CowString trimmed = TrimmedEnd(head);
    return worded && EndsWithWord(trimmed, tail) ? trimmed : head + tail;
}

}  // namespace velkin
