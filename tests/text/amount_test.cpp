#include "support/qt_print.h"
#include "text/amount.h"
#include "text/error.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using tolvane::Currency;
using tolvane::Error;

namespace {

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();

// Decimal text, exactly; more than four decimals round half away from zero.
TEST(Currency, ReadsDecimalTextExactly) {
    // clang-format off
    const struct { const char16_t* text; std::int64_t units; } cases[] = {
        {u"1250", 12500000}, {u"12.5", 125000}, {u"  -3.75 ", -37500}, {u"+0.125", 1250},
        {u".5", 5000}, {u"1.5e3", 15000000}, {u"25E-2", 2500}, {u"1e-400", 0}, {u"0.00005", 1},
        {u"0.00004999", 0}, {u"-0.00005", -1}, {u"2.71828", 27183}, {u"-2.71825", -27183},
        {u"922337203685477.5807", kMax}, {u"-922337203685477.5808", kMin}};
    // clang-format on
    for (const auto& c : cases)
        EXPECT_EQ(Currency::FromText(QStringView(c.text)).units(), c.units)
            << Text(c.text).toStdString();
}

// Not an amount, or beyond sixty-four bits.
TEST(Currency, RefusesWhatIsNotAnAmountAndRaisesOverflow) {
    for (const char16_t* text :
         {u"", u"   ", u".", u"-", u"1,250", u"12.5.1", u"1e", u"1e+", u"12a", u"0x10", u"1 000",
          u"inf", u"nan", u"\u0E51\u0E52", u"922337203685477.5808", u"-922337203685477.5809",
          u"922337203685477.58075", u"1e15", u"99999999999999999999999"})
        EXPECT_THROW(Currency::FromText(QStringView(text)), Error) << Text(text).toStdString();
    EXPECT_THROW(Currency::FromWhole(922337203685478), Error);
    EXPECT_THROW(Currency::FromWhole(-922337203685478), Error);
    EXPECT_EQ(Currency::FromWhole(-922337203685477).units(), -9223372036854770000);
}

TEST(Currency, WritesStatementText) {
    // clang-format off
    const struct { std::int64_t units; const char* text; } cases[] = {
        {12500000, "1250"}, {125000, "12.5"}, {1250, "0.125"}, {-37500, "-3.75"}, {-5000, "-0.5"},
        {0, "0"}, {1, "0.0001"}, {-1, "-0.0001"}, {100010, "10.001"},
        {kMax, "922337203685477.5807"}, {kMin, "-922337203685477.5808"}};
    // clang-format on
    for (const auto& c : cases) {
        EXPECT_EQ(Currency::FromUnits(c.units).ToText(), QString::fromLatin1(c.text));
        EXPECT_EQ(Currency::FromText(Currency::FromUnits(c.units).ToText()).units(), c.units);
    }
}

TEST(Currency, RoundsDoublesToFourPlacesHalfAwayFromZero) {
    EXPECT_EQ(Currency::FromDouble(0.1).units(), 1000);
    EXPECT_EQ(Currency::FromDouble(1.00005).units(), 10001);
    EXPECT_EQ(Currency::FromDouble(-1.00005).units(), -10001);
    EXPECT_EQ(Currency::FromDouble(1234.56789).units(), 12345679);
    EXPECT_EQ(Currency::FromDouble(1e-7).units(), 0);
    EXPECT_EQ(Currency::FromDouble(-0.0).units(), 0);
    EXPECT_EQ(Currency::FromDouble(1e14).ToText(), "100000000000000");
    EXPECT_THROW(Currency::FromDouble(1e15), Error);
    EXPECT_THROW(Currency::FromDouble(std::nan("")), Error);
    EXPECT_THROW(Currency::FromDouble(-std::numeric_limits<double>::infinity()), Error);
}

TEST(Currency, ReadsFieldValues) {
    EXPECT_EQ(Currency::FromVariant(QVariant(QStringLiteral("12.5"))).units(), 125000);
    EXPECT_EQ(Currency::FromVariant(QVariant(QByteArray("-3.75"))).units(), -37500);
    EXPECT_EQ(Currency::FromVariant(QVariant(1250)).units(), 12500000);
    EXPECT_EQ(Currency::FromVariant(QVariant(qlonglong(-7))).units(), -70000);
    EXPECT_EQ(Currency::FromVariant(QVariant(2.5)).units(), 25000);
    EXPECT_EQ(Currency::FromVariant(QVariant(0.25f)).units(), 2500);
    // A database NULL arrives as a typed null value.
    for (const QVariant& refused :
         {QVariant(), QVariant(QMetaType(QMetaType::Double)), QVariant(true),
          QVariant(qulonglong(1) << 63), QVariant(qlonglong(1) << 60)})
        EXPECT_THROW(Currency::FromVariant(refused), Error) << refused.typeId();
}

} // namespace
