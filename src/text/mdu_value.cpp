#include "text/mdu_value.h"

#include "text/error.h"
#include "text/integer_value.h"

#include <QRegularExpression>
#include <QString>
#include <cmath>
#include <limits>

namespace tolvane::mduValue {

namespace {

// Blanks, optional sign, digits with an optional point, optional exponent.
bool ReadsAsNumber(const QString& text) {
    static const QRegularExpression kNumber(
        QStringLiteral(R"(^[ \t]*[+-]?([0-9]+\.?[0-9]*|\.[0-9]+)([eE][+-]?[0-9]+)?[ \t]*$)"));
    return kNumber.match(text).hasMatch();
}

// The nearest whole number, an exact half going to the even neighbour.
double RoundHalfEven(double value) {
    const double below = std::floor(value);
    const double fraction = value - below; // exact for every finite double
    if (fraction > 0.5)
        return below + 1;
    if (fraction < 0.5)
        return below;
    return std::fmod(below, 2.0) == 0 ? below : below + 1;
}

std::int16_t ToInteger(double value) {
    if (!std::isfinite(value))
        throw Error(QStringLiteral("Overflow"));
    const double rounded = RoundHalfEven(value);
    if (rounded < std::numeric_limits<std::int16_t>::min() ||
        rounded > std::numeric_limits<std::int16_t>::max())
        throw Error(QStringLiteral("Overflow"));
    return static_cast<std::int16_t>(rounded);
}

std::int16_t TextToInteger(const QString& text) {
    if (!ReadsAsNumber(text))
        return 0;
    bool ok = false;
    const double value = text.toDouble(&ok);
    // A valid number that does not convert is either too large (infinite) or too
    // close to zero to hold; the latter is 0.
    if (!ok && !std::isinf(value))
        return 0;
    return ToInteger(value);
}

} // namespace

std::int16_t ValueToInteger(const QVariant& varValue) {
    if (!varValue.isValid() || varValue.isNull())
        return 0;
    if (const std::optional<std::int64_t> whole = IntegerValue(varValue)) {
        if (*whole < std::numeric_limits<std::int16_t>::min() ||
            *whole > std::numeric_limits<std::int16_t>::max())
            throw Error(QStringLiteral("Overflow"));
        return static_cast<std::int16_t>(*whole);
    }
    switch (varValue.typeId()) {
    case QMetaType::QString:
        return TextToInteger(varValue.toString());
    case QMetaType::QByteArray:
        return TextToInteger(QString::fromUtf8(varValue.toByteArray()));
    case QMetaType::Double:
    case QMetaType::Float:
        return ToInteger(varValue.toDouble());
    default:
        return 0;
    }
}

} // namespace tolvane::mduValue
