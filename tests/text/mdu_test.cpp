#include "support/qt_print.h"
#include "text/error.h"
#include "text/mdu_date.h"
#include "text/mdu_value.h"

#include <gtest/gtest.h>

using namespace tolvane;

namespace {

TEST(MduDate, WritesBuddhistEraText) {
    EXPECT_EQ(mduDate::DateTextBE(QDate(2026, 1, 5)), "5/1/2569");
    EXPECT_EQ(mduDate::DateTextBE(QDate(2026, 12, 5)), "5/12/2569");
    EXPECT_EQ(mduDate::DateTextBE(QDate(1999, 10, 31)), "31/10/2542");
    EXPECT_THROW(mduDate::DateTextBE(QDate()), Error);
}

TEST(MduDate, SplitsDateTexts) {
    const struct {
        const char* text;
        int day, month, year;
        std::int32_t number;
    } cases[] = {{"5/1/2569", 5, 1, 2569, 25690105},
                 {"31/12/2569", 31, 12, 2569, 25691231},
                 {"5/12", 5, 0, 0, 5},
                 {"/12/2569", 0, 0, 2569, 25690000},
                 {"5//2569", 5, 0, 2569, 25690005},
                 {"2569", 0, 0, 0, 0},
                 {"", 0, 0, 0, 0},
                 {"a/b/c", 0, 0, 0, 0},
                 {" 7 / 3 / 2570 ", 7, 3, 2570, 25700307},
                 {"5/1/2569/9", 5, 1, 0, 105}};
    for (const auto& c : cases) {
        const QString text = QString::fromLatin1(c.text);
        SCOPED_TRACE(c.text);
        EXPECT_EQ(mduDate::GetDay(text), c.day);
        EXPECT_EQ(mduDate::GetMonth(text), c.month);
        EXPECT_EQ(mduDate::GetYear(text), c.year);
        EXPECT_EQ(mduDate::DateToNumber(text), c.number);
    }
    EXPECT_EQ(mduDate::DateToNumber(mduDate::DateTextBE(QDate(2026, 1, 5))), 25690105);
}

TEST(MduDate, RaisesWhenTheNumberDoesNotFit) {
    // "2569" + "12" + "1000" does not fit 32 bits.
    EXPECT_THROW(mduDate::DateToNumber("1000/12/2569"), Error);
    // A negative day leaves a minus sign inside the digits.
    EXPECT_THROW(mduDate::DateToNumber("-5/12/2569"), Error);
    EXPECT_THROW(mduDate::GetYear("1/1/40000"), Error);
}

TEST(MduValue, ReadsSixteenBitIntegers) {
    const struct {
        QVariant value;
        int result;
    } cases[] = {{QStringLiteral("12.5"), 12},
                 {QStringLiteral("13.5"), 14},
                 {QStringLiteral("-12.5"), -12},
                 {QStringLiteral("-13.5"), -14},
                 {QStringLiteral("  42  "), 42},
                 {QStringLiteral("1.5e2"), 150},
                 {QStringLiteral("32767"), 32767},
                 {QStringLiteral("-32768"), -32768},
                 {QStringLiteral("abc"), 0},
                 {QStringLiteral("1,5"), 0},
                 {QStringLiteral("\u0E51\u0E52"), 0},
                 {QVariant(), 0},
                 {QVariant(QMetaType(QMetaType::QString)), 0},
                 {QVariant(250), 250},
                 {QVariant(2.5), 2},
                 {QVariant(-0.5), 0}};
    for (const auto& c : cases)
        EXPECT_EQ(mduValue::ValueToInteger(c.value), c.result) << c.value.toString().toStdString();
}

TEST(MduValue, RaisesOverflowOutsideSixteenBits) {
    for (const QVariant& value :
         {QVariant(QStringLiteral("40000")), QVariant(QStringLiteral("32767.5")),
          QVariant(QStringLiteral("-32768.51")), QVariant(QStringLiteral("1e400")), QVariant(40000),
          QVariant(-32769), QVariant(1e10), QVariant(qulonglong(1) << 63)}) {
        EXPECT_THROW(mduValue::ValueToInteger(value), Error) << value.toString().toStdString();
    }
}

} // namespace
