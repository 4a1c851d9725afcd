#include "support/qt_print.h"
#include "text/part_keys.h"

#include <gtest/gtest.h>

using tolvane::EditString;
using tolvane::MakeFPartNO;

namespace {

TEST(EditString, RemovesBlanksSlashesAndHyphens) {
    const struct {
        const char16_t* in;
        const char16_t* out;
    } cases[] = {{u" 8-1234-56/0 ", u"81234560"},
                 {u"AB 12.5", u"AB12.5"},
                 {u" -/ - //-- ", u""},
                 {u"", u""},
                 {u"a--b//c  d", u"abcd"},
                 {u"(ab)-\u0E40\u0E1A", u"(ab)\u0E40\u0E1A"},
                 // Only U+0020 is a blank: a tab stays.
                 {u"\t12-3\t", u"\t123\t"}};
    for (const auto& c : cases)
        EXPECT_EQ(EditString(Text(c.in)), Text(c.out));
}

TEST(EditString, LeavesItsArgumentAlone) {
    const QString number = QStringLiteral(" 8-1234-56/0 ");
    EditString(number);
    EXPECT_EQ(number, " 8-1234-56/0 ");
}

struct KeyCase {
    const char16_t* ver;
    const char16_t* brand;
    const char16_t* partNO;
    const char16_t* key;
};

void PrintTo(const KeyCase& c, std::ostream* os) {
    *os << Text(c.ver) << " / " << Text(c.brand) << " / \"" << Text(c.partNO) << "\"";
}

std::string CaseName(const ::testing::TestParamInfo<KeyCase>& info) {
    return ParamName(Text(info.param.ver) + "_" + Text(info.param.brand)) + "_" +
           std::to_string(info.index);
}

class MakeFPartNOTest : public ::testing::TestWithParam<KeyCase> {};

TEST_P(MakeFPartNOTest, GivesTheSearchNumber) {
    const KeyCase& c = GetParam();
    EXPECT_EQ(MakeFPartNO(Text(c.brand), Text(c.partNO), Text(c.ver)), Text(c.key));
}

INSTANTIATE_TEST_SUITE_P(
    SearchKeyVersions, MakeFPartNOTest,
    ::testing::Values(KeyCase{u"P.48 (Bar)", u"TATA", u"12-345/67 A", u"1234567A"},
                      KeyCase{u"P.45 (Bar)", u"ISUZU", u"8-97123-456-0", u"8971234560"},
                      KeyCase{u"P.49 (Bar)", u"NISSAN", u"16546-ED000", u"16546ED000"},
                      KeyCase{u"P.64 (Bar)", u"UD", u"1/2", u"12"},
                      KeyCase{u"P.65 (Bar)", u"other", u" A-1 ", u"A1"},
                      KeyCase{u" P.45 (Bar) ", u"TATA", u"1-2", u"12"},
                      // Lower case is another version: the brand table decides.
                      KeyCase{u"p.45 (bar)", u"TATA", u"1-2", u""},
                      KeyCase{u"p.45 (bar)", u"BENZ", u"1-2", u"12"}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(
    BrandRules, MakeFPartNOTest,
    ::testing::Values(KeyCase{u"V.31", u"ISUZU", u"8-97123-456-0", u"97123-456"},
                      KeyCase{u"V.31", u"ISUZU", u"8-97123456-0", u"97123456-"},
                      KeyCase{u"V.31", u"ISUZU", u"897123456", u"897123456"},
                      KeyCase{u"V.31", u"ISUZU", u"8971234567", u"897123456"},
                      KeyCase{u"V.31", u"ISUZU", u"1-23", u"23"},
                      KeyCase{u"V.31", u"ISUZU", u"-", u""}, KeyCase{u"V.31", u"ISUZU", u"", u""},
                      KeyCase{u"V.31", u"NISSAN", u"16546-ED000", u"16546-ED0"},
                      KeyCase{u"V.31", u"NISSAN", u"16546ED000", u"16546ED000"},
                      KeyCase{u"V.31", u"NISSAN", u"B6546-01", u"B6546-01"},
                      KeyCase{u"V.31", u"UD", u"16546-ED000", u"16546-ED0"},
                      KeyCase{u"V.31", u"UD", u"16546ED000", u"16546ED000"},
                      KeyCase{u"V.31", u"UD", u"1234-", u"1234-"},
                      KeyCase{u"V.31", u"UD", u"", u""},
                      KeyCase{u"V.31", u"BENZ", u"A 000 420 12 20", u"A0004201220"},
                      KeyCase{u"P.52", u"BENZ", u" 1-2/3 ", u"123"},
                      KeyCase{u"V.31", u"TATA", u"2654-1234-56", u""},
                      KeyCase{u"V.31", u"TOYOTA", u"90915-YZZE1", u""},
                      KeyCase{u"V.31", u"isuzu", u"8-97123-456-0", u""},
                      // An unknown version is not a search-key version either.
                      KeyCase{u"", u"ISUZU", u"8-97123-456-0", u"97123-456"}),
    CaseName);

} // namespace
