#include "ui/KindWords.h"

#include "res/ResourceIds.h"

namespace velkin {

namespace {

// The last code byte with a word of its own; 0xFE only marks file scope.
constexpr unsigned char kLastKindCode = 0xFD;

bool IsControlByte(char byte) { return byte >= 0 && byte < 0x20; }

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
    return head.IsEmpty() ? tail : head + tail;
}

}  // namespace velkin
