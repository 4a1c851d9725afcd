#include "support/qt_print.h"
#include "text/part_keys.h"

#include <gtest/gtest.h>

using tolvane::EditString;
using tolvane::MakeFPartNO;

namespace {

// Only U+0020 is a blank: a tab stays.
TEST(EditString, RemovesBlanksSlashesAndHyphens) {
    // clang-format off
    const struct { const char16_t* in; const char16_t* out; } cases[] = {
        {u" 8-1234-56/0 ", u"81234560"}, {u"AB 12.5", u"AB12.5"}, {u" -/ - //-- ", u""}, {u"", u""},
        {u"a--b//c  d", u"abcd"}, {u"(ab)-\u0E40\u0E1A", u"(ab)\u0E40\u0E1A"},
        {u"\t12-3\t", u"\t123\t"}};
    // clang-format on
    for (const auto& c : cases)
        EXPECT_EQ(EditString(Text(c.in)), Text(c.out));
}

// Search-key versions (trimmed, compared exactly: lower case is another version, and the
// brand table decides) remove blanks, slashes and hyphens; elsewhere the brand's rule
// applies, and an unknown version is no search-key version either.
TEST(MakeFPartNO, GivesTheSearchNumber) {
    const struct {
        const char16_t *ver, *brand, *partNO, *key;
    } cases[] = {
        {u"P.48 (Bar)", u"TATA", u"12-345/67 A", u"1234567A"},
        {u"P.45 (Bar)", u"ISUZU", u"8-97123-456-0", u"8971234560"},
        {u"P.49 (Bar)", u"NISSAN", u"16546-ED000", u"16546ED000"},
        {u"P.64 (Bar)", u"UD", u"1/2", u"12"},
        {u"P.65 (Bar)", u"other", u" A-1 ", u"A1"},
        {u" P.45 (Bar) ", u"TATA", u"1-2", u"12"},
        {u"p.45 (bar)", u"TATA", u"1-2", u""},
        {u"p.45 (bar)", u"BENZ", u"1-2", u"12"},
        {u"V.31", u"ISUZU", u"8-97123-456-0", u"97123-456"},
        {u"V.31", u"ISUZU", u"8-97123456-0", u"97123456-"},
        {u"V.31", u"ISUZU", u"897123456", u"897123456"},
        {u"V.31", u"ISUZU", u"8971234567", u"897123456"},
        {u"V.31", u"ISUZU", u"1-23", u"23"},
        {u"V.31", u"ISUZU", u"-", u""},
        {u"V.31", u"ISUZU", u"", u""},
        {u"V.31", u"NISSAN", u"16546-ED000", u"16546-ED0"},
        {u"V.31", u"NISSAN", u"16546ED000", u"16546ED000"},
        {u"V.31", u"NISSAN", u"B6546-01", u"B6546-01"},
        {u"V.31", u"UD", u"16546-ED000", u"16546-ED0"},
        {u"V.31", u"UD", u"16546ED000", u"16546ED000"},
        {u"V.31", u"UD", u"1234-", u"1234-"},
        {u"V.31", u"UD", u"", u""},
        {u"V.31", u"BENZ", u"A 000 420 12 20", u"A0004201220"},
        {u"P.52", u"BENZ", u" 1-2/3 ", u"123"},
        {u"V.31", u"TATA", u"2654-1234-56", u""},
        {u"V.31", u"TOYOTA", u"90915-YZZE1", u""},
        {u"V.31", u"isuzu", u"8-97123-456-0", u""},
        {u"", u"ISUZU", u"8-97123-456-0", u"97123-456"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MakeFPartNO(Text(c.brand), Text(c.partNO), Text(c.ver)), Text(c.key))
            << Text(c.ver) << " / " << Text(c.brand) << " / \"" << Text(c.partNO) << "\"";
}

} // namespace
