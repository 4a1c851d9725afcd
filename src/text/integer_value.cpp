#include "text/integer_value.h"

#include "text/error.h"

#include <limits>

namespace tolvane {

std::optional<std::int64_t> IntegerValue(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UInt:
    case QMetaType::ULong:
    case QMetaType::UShort:
    case QMetaType::UChar:
        return value.toLongLong();
    case QMetaType::ULongLong: {
        const qulonglong whole = value.toULongLong();
        if (whole > static_cast<qulonglong>(std::numeric_limits<std::int64_t>::max()))
            throw Error(QStringLiteral("Overflow"));
        return static_cast<std::int64_t>(whole);
    }
    default:
        return std::nullopt;
    }
}

} // namespace tolvane
