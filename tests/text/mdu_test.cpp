#include "support/qt_print.h"
#include "text/error.h"
#include "text/mdu_date.h"
#include "text/mdu_value.h"

#include <gtest/gtest.h>

using namespace tolvane;

namespace {

TEST(MduDate, WritesBuddhistEraTextAndSplitsDateTexts) {
    EXPECT_EQ(mduDate::DateTextBE(QDate(2026, 1, 5)), "5/1/2569");
    EXPECT_EQ(mduDate::DateTextBE(QDate(2026, 12, 5)), "5/12/2569");
    EXPECT_EQ(mduDate::DateTextBE(QDate(1999, 10, 31)), "31/10/2542");
    EXPECT_THROW(mduDate::DateTextBE(QDate()), Error);
    // clang-format off
    const struct { const char* text; int day, month, year; std::int32_t number; } cases[] = {
        {"5/1/2569", 5, 1, 2569, 25690105}, {"31/12/2569", 31, 12, 2569, 25691231},
        {"5/12", 5, 0, 0, 5}, {"/12/2569", 0, 0, 2569, 25690000}, {"5//2569", 5, 0, 2569, 25690005},
        {"2569", 0, 0, 0, 0}, {"", 0, 0, 0, 0}, {"a/b/c", 0, 0, 0, 0},
        {" 7 / 3 / 2570 ", 7, 3, 2570, 25700307}, {"5/1/2569/9", 5, 1, 0, 105}};
    // clang-format on
    for (const auto& c : cases) {
        const QString text = QString::fromLatin1(c.text);
        SCOPED_TRACE(c.text);
        EXPECT_EQ(QList<int>({mduDate::GetDay(text), mduDate::GetMonth(text),
                              mduDate::GetYear(text), mduDate::DateToNumber(text)}),
                  QList<int>({c.day, c.month, c.year, c.number}));
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
    // clang-format off
    const struct { QVariant value; int result; } cases[] = {
        {"12.5", 12}, {"13.5", 14}, {"-12.5", -12}, {"-13.5", -14}, {"  42  ", 42}, {"1.5e2", 150},
        {"32767", 32767}, {"-32768", -32768}, {"abc", 0}, {"1,5", 0}, {"\u0E51\u0E52", 0},
        {QVariant(), 0}, {QVariant(QMetaType(QMetaType::QString)), 0}, {250, 250}, {2.5, 2},
        {-0.5, 0}};
    // clang-format on
    for (const auto& c : cases)
        EXPECT_EQ(mduValue::ValueToInteger(c.value), c.result) << c.value.toString().toStdString();
}

TEST(MduValue, RaisesOverflowOutsideSixteenBits) {
    for (const QVariant& value :
         {QVariant("40000"), QVariant("32767.5"), QVariant("-32768.51"), QVariant("1e400"),
          QVariant(40000), QVariant(-32769), QVariant(1e10), QVariant(qulonglong(1) << 63)}) {
        EXPECT_THROW(mduValue::ValueToInteger(value), Error) << value.toString().toStdString();
    }
}

} // namespace
