#include "text/amount.h"

#include "text/error.h"
#include "text/integer_value.h"

#include <QLocale>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

namespace tolvane {

namespace {

constexpr std::uint64_t kMaxPositive = std::numeric_limits<std::int64_t>::max();
constexpr std::uint64_t kMaxNegative = kMaxPositive + 1; // magnitude of INT64_MIN

// Exponents beyond this move every digit out of (or far beyond) the 19 digits
// an int64 holds, so clamping them while reading changes no result.
constexpr std::int64_t kExponentClamp = 1000000;

[[noreturn]] void ThrowOverflow() {
    throw Error(QStringLiteral("Overflow"));
}

[[noreturn]] void ThrowMismatch(QStringView text) {
    throw Error(QStringLiteral("Type mismatch: \"%1\"").arg(text));
}

// magnitude = magnitude * 10 + digit, within limit.
bool PushDigit(std::uint64_t& magnitude, int digit, std::uint64_t limit) {
    if (magnitude > (limit - static_cast<std::uint64_t>(digit)) / 10)
        return false;
    magnitude = magnitude * 10 + static_cast<std::uint64_t>(digit);
    return true;
}

bool IsDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// A decimal number taken apart: sign, its significant digits and the power of
// ten of the last digit.
struct DecimalText {
    bool negative = false;
    std::string digits; // no leading zeros; empty for zero
    std::int64_t exponent = 0;
};

bool ParseDecimal(QStringView text, DecimalText& out) {
    qsizetype i = 0;
    qsizetype end = text.size();
    while (i < end && text[i].isSpace())
        ++i;
    while (end > i && text[end - 1].isSpace())
        --end;
    if (i < end && (text[i] == u'+' || text[i] == u'-'))
        out.negative = text[i++] == u'-';
    bool anyDigit = false;
    bool afterPoint = false;
    for (; i < end; ++i) {
        const QChar c = text[i];
        if (c == u'.' && !afterPoint) {
            afterPoint = true;
            continue;
        }
        if (!IsDigit(c))
            break;
        anyDigit = true;
        if (!out.digits.empty() || c != u'0')
            out.digits.push_back(static_cast<char>(c.unicode()));
        if (afterPoint)
            --out.exponent;
    }
    if (!anyDigit)
        return false;
    if (i < end && (text[i] == u'e' || text[i] == u'E')) {
        ++i;
        bool expNegative = false;
        if (i < end && (text[i] == u'+' || text[i] == u'-'))
            expNegative = text[i++] == u'-';
        if (i == end)
            return false;
        std::int64_t exponent = 0;
        for (; i < end && IsDigit(text[i]); ++i)
            exponent = std::min(exponent * 10 + (text[i].unicode() - u'0'), kExponentClamp);
        out.exponent += expNegative ? -exponent : exponent;
    }
    return i == end;
}

} // namespace

Currency Currency::FromWhole(std::int64_t whole) {
    if (whole > std::numeric_limits<std::int64_t>::max() / kScale ||
        whole < std::numeric_limits<std::int64_t>::min() / kScale)
        ThrowOverflow();
    return FromUnits(whole * kScale);
}

Currency Currency::FromText(QStringView text) {
    DecimalText decimal;
    if (!ParseDecimal(text, decimal))
        ThrowMismatch(text);
    if (decimal.digits.empty())
        return Currency();

    const std::uint64_t limit = decimal.negative ? kMaxNegative : kMaxPositive;
    // Power of ten of the last digit, counted in ten-thousandths.
    const std::int64_t shift = decimal.exponent + 4;
    std::uint64_t magnitude = 0;
    if (shift >= 0) {
        for (char d : decimal.digits) {
            if (!PushDigit(magnitude, d - '0', limit))
                ThrowOverflow();
        }
        for (std::int64_t k = 0; k < shift; ++k) {
            if (!PushDigit(magnitude, 0, limit))
                ThrowOverflow();
        }
    } else {
        // Digits below a ten-thousandth are dropped; the first of them rounds half
        // away from zero.
        const std::int64_t keep = static_cast<std::int64_t>(decimal.digits.size()) + shift;
        if (keep < 0)
            return Currency();
        for (std::int64_t k = 0; k < keep; ++k) {
            if (!PushDigit(magnitude, decimal.digits[static_cast<std::size_t>(k)] - '0', limit))
                ThrowOverflow();
        }
        if (decimal.digits[static_cast<std::size_t>(keep)] >= '5') {
            if (magnitude == limit)
                ThrowOverflow();
            ++magnitude;
        }
    }
    if (decimal.negative)
        return FromUnits(magnitude == kMaxNegative ? std::numeric_limits<std::int64_t>::min()
                                                   : -static_cast<std::int64_t>(magnitude));
    return FromUnits(static_cast<std::int64_t>(magnitude));
}

Currency Currency::FromDouble(double value) {
    if (std::isnan(value))
        throw Error(QStringLiteral("Invalid number"));
    if (std::isinf(value))
        ThrowOverflow();
    // The shortest decimal text that reads back as the same double is the amount
    // the driver meant (0.1 rather than 0.1000000000000000055...); it is then
    // rounded exactly, so 1.00005 gives 1.0001 and not 1.
    return FromText(QString::number(value, 'g', QLocale::FloatingPointShortest));
}

Currency Currency::FromVariant(const QVariant& value) {
    if (!value.isValid() || value.isNull())
        throw Error(QStringLiteral("Null"));
    if (const std::optional<std::int64_t> whole = IntegerValue(value))
        return FromWhole(*whole);
    switch (value.typeId()) {
    case QMetaType::QString:
        return FromText(value.toString());
    case QMetaType::QByteArray:
        return FromText(QString::fromUtf8(value.toByteArray()));
    case QMetaType::Double:
    case QMetaType::Float:
        return FromDouble(value.toDouble());
    default:
        throw Error(QStringLiteral("Type mismatch: %1").arg(QLatin1String(value.typeName())));
    }
}

QString Currency::ToText() const {
    const bool negative = units_ < 0;
    // Unsigned magnitude, so that the lowest amount has one too.
    const std::uint64_t magnitude = negative ? static_cast<std::uint64_t>(-(units_ + 1)) + 1
                                             : static_cast<std::uint64_t>(units_);
    const std::uint64_t scale = static_cast<std::uint64_t>(kScale);
    QString text = negative ? QStringLiteral("-") : QString();
    text += QString::number(magnitude / scale);
    std::uint64_t fraction = magnitude % scale;
    if (fraction != 0) {
        int places = 4;
        while (fraction % 10 == 0) {
            fraction /= 10;
            --places;
        }
        text += u'.' + QString::number(fraction).rightJustified(places, u'0');
    }
    return text;
}

} // namespace tolvane
