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

// Search-key versions (trimmed, compared exactly) remove blanks, slashes and hyphens;
// elsewhere, and for an unknown version, the brand's rule applies.
TEST(MakeFPartNO, GivesTheSearchNumber) {
    // clang-format off
    const struct { const char *ver, *brand, *partNO, *key; } cases[] = {
        {"P.48 (Bar)", "TATA", "12-345/67 A", "1234567A"},
        {"P.45 (Bar)", "ISUZU", "8-97123-456-0", "8971234560"},
        {"P.49 (Bar)", "NISSAN", "16546-ED000", "16546ED000"}, {"P.64 (Bar)", "UD", "1/2", "12"},
        {"P.65 (Bar)", "other", " A-1 ", "A1"}, {" P.45 (Bar) ", "TATA", "1-2", "12"},
        {"p.45 (bar)", "TATA", "1-2", ""}, {"p.45 (bar)", "BENZ", "1-2", "12"},
        {"V.31", "ISUZU", "8-97123-456-0", "97123-456"},
        {"V.31", "ISUZU", "8-97123456-0", "97123456-"}, {"V.31", "ISUZU", "897123456", "897123456"},
        {"V.31", "ISUZU", "8971234567", "897123456"}, {"V.31", "ISUZU", "1-23", "23"},
        {"V.31", "ISUZU", "-", ""}, {"V.31", "ISUZU", "", ""},
        {"V.31", "NISSAN", "16546-ED000", "16546-ED0"},
        {"V.31", "NISSAN", "16546ED000", "16546ED000"}, {"V.31", "NISSAN", "B6546-01", "B6546-01"},
        {"V.31", "UD", "16546-ED000", "16546-ED0"}, {"V.31", "UD", "16546ED000", "16546ED000"},
        {"V.31", "UD", "1234-", "1234-"}, {"V.31", "UD", "", ""},
        {"V.31", "BENZ", "A 000 420 12 20", "A0004201220"}, {"P.52", "BENZ", " 1-2/3 ", "123"},
        {"V.31", "TATA", "2654-1234-56", ""}, {"V.31", "TOYOTA", "90915-YZZE1", ""},
        {"V.31", "isuzu", "8-97123-456-0", ""}, {"", "ISUZU", "8-97123-456-0", "97123-456"}};
    // clang-format on
    for (const auto& c : cases)
        EXPECT_EQ(MakeFPartNO(c.brand, c.partNO, c.ver), c.key)
            << c.ver << " / " << c.brand << " / \"" << c.partNO << "\"";
}

} // namespace
