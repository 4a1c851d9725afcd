#include "text/mdu_date.h"

#include "text/error.h"
#include "text/mdu_value.h"

#include <limits>

namespace tolvane::mduDate {

namespace {

constexpr int kBuddhistEraOffset = 543;

std::int16_t NumberOf(const QString& text) {
    return mduValue::ValueToInteger(QVariant(text));
}

QString TwoDigits(std::int16_t value) {
    QString text = QString::number(value);
    if (text.size() == 1)
        text.prepend(u'0');
    return text;
}

} // namespace

QString DateTextBE(const QDate& dtmDate) {
    if (!dtmDate.isValid())
        throw Error(QStringLiteral("Invalid date"));
    return QStringLiteral("%1/%2/%3")
        .arg(dtmDate.day())
        .arg(dtmDate.month())
        .arg(dtmDate.year() + kBuddhistEraOffset);
}

std::int16_t GetDay(const QString& strDate) {
    const qsizetype slash = strDate.indexOf(u'/');
    return slash >= 1 ? NumberOf(strDate.left(slash)) : 0;
}

std::int16_t GetMonth(const QString& strDate) {
    const qsizetype slash = strDate.indexOf(u'/');
    if (slash < 1)
        return 0;
    const QString rest = strDate.mid(slash + 1);
    const qsizetype second = rest.indexOf(u'/');
    return second >= 1 ? NumberOf(rest.left(second)) : 0;
}

std::int16_t GetYear(const QString& strDate) {
    const qsizetype slash = strDate.indexOf(u'/');
    if (slash < 0)
        return 0;
    const QString rest = strDate.mid(slash + 1);
    const qsizetype second = rest.indexOf(u'/');
    return second >= 0 ? NumberOf(rest.mid(second + 1)) : 0;
}

std::int32_t DateToNumber(const QString& strDate) {
    const QString digits = QString::number(GetYear(strDate)) + TwoDigits(GetMonth(strDate)) +
                           TwoDigits(GetDay(strDate));
    bool ok = false;
    const qlonglong number = digits.toLongLong(&ok);
    // A negative part leaves a minus sign inside the digits: not a number.
    if (!ok)
        throw Error(QStringLiteral("Type mismatch: \"%1\"").arg(digits));
    if (number < std::numeric_limits<std::int32_t>::min() ||
        number > std::numeric_limits<std::int32_t>::max())
        throw Error(QStringLiteral("Overflow"));
    return static_cast<std::int32_t>(number);
}

} // namespace tolvane::mduDate
