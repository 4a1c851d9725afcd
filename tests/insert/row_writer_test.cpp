#include "insert/row_writer.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

SharedValues Shared() {
    SharedValues s;
    s.E = "FILTER";
    s.T = "ไส้กรอง";
    s.X = "สไ้กรอง";
    s.M = "KT-1";
    s.I = "1";
    s.P = Currency::FromWhole(150);
    s.S = Currency::FromWhole(135);
    s.B = 7;
    return s;
}

NewPart Part(PartRole role) {
    NewPart p;
    p.role = role;
    p.ID = 1001;
    p.K = "A";
    p.N = "12-345";
    return p;
}

TEST(RowWriter, WritesTheStatementsTextsExactly) {
    const RowLayout& v31 = *FindRowLayout(u"V.31");
    EXPECT_EQ(PartRowStatement(v31, Shared(), Part(PartRole::Own)),
              "Insert Into Pta7 Values( 0, 1001, 'A', '', '12-345', '', '', '', 'FILTER', "
              "'สไ้กรอง', 'ไส้กรอง', '', 'KT-1', '', '1', '', 150, 0, 135, 0, True, False, '', "
              "0, 0, 0, 0, 0, 7, 0, 0, 'A-12-345', 0, 0, 0, 0, 0, 0, 0 )");
    EXPECT_EQ(AltRowStatement(v31, Shared(), Part(PartRole::Own)),
              "Insert Into Alt7 Values( 1001, 'A', '12-345', 150 )");
    const RowLayout& p49 = *FindRowLayout(u"P.49");
    EXPECT_EQ(AltRowStatement(p49, Shared(), Part(PartRole::Linked)),
              "Insert Into Alt7 Values( 1001, 1, 'A', '12-345', 150, 135 )");
    EXPECT_EQ(AltPlaceholderStatement(false, 7), "Insert Into Alt7 Values( 0, '', '', 0 )");
    EXPECT_EQ(AltPlaceholderStatement(true, 7), "Insert Into Alt7 Values( 0, 0, '', '', 0, 0 )");
}

TEST(RowWriter, QuotesInTextsCannotBreakTheStatement) {
    SharedValues s = Shared();
    s.E = "O'RING";
    NewPart p = Part(PartRole::Own);
    p.N = "12'3";
    const QStringList values = PartRowValues(*FindRowLayout(u"V.31"), s, p);
    EXPECT_EQ(values.at(4), "'12''3'");
    EXPECT_EQ(values.at(8), "'O''RING'");
    EXPECT_EQ(values.at(31), "'A-12''3'");
}

TEST(RowWriter, MarksDifferingPricesAndTheOwnPartInV34) {
    const RowLayout& v34 = *FindRowLayout(u"V.34");
    SharedValues s = Shared();
    // W and DF are the 24th and 25th values.
    EXPECT_EQ(PartRowValues(v34, s, Part(PartRole::Own)).mid(23, 2), QStringList({"1", "1"}));
    EXPECT_EQ(PartRowValues(v34, s, Part(PartRole::Alternate)).mid(23, 2), QStringList({"0", "1"}));
    s.S = s.P;
    EXPECT_EQ(PartRowValues(v34, s, Part(PartRole::Own)).mid(23, 2), QStringList({"1", "0"}));
}

} // namespace
} // namespace tolvane
