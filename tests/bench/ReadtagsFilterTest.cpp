#include <gtest/gtest.h>

#include "bench/ReadtagsFilter.h"

using velkin::bench::ReadtagsFilter;

TEST(ReadtagsFilterTest, SelectsNamesByPrefixOrTheDocumentWithEscapedStrings)
{
    struct Case {
        const char* word;
        const char* documentField;
        const char* expected;
    };
    const Case cases[] = {
        {"Get", "src\\a.c", "(or (prefix? $name \"Get\") (eq? $input \"src\\\\a.c\"))"},
        {"", "src\\sub\\b.h", "(eq? $input \"src\\\\sub\\\\b.h\")"},
        {"x", "say \"hi\".c", "(or (prefix? $name \"x\") (eq? $input \"say \\\"hi\\\".c\"))"},
        {"_1", "", "(or (prefix? $name \"_1\") (eq? $input \"\"))"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.expected, ReadtagsFilter(c.word, c.documentField)) << c.documentField;
}
