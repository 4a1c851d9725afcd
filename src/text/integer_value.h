#pragma once

#include <QVariant>
#include <cstdint>
#include <optional>

namespace tolvane {

// The whole number a value holds when its type is one of the integer types (as the
// database drivers report them); nullopt for any other type, text included. An
// unsigned value beyond the signed 64-bit range raises Error("Overflow").
std::optional<std::int64_t> IntegerValue(const QVariant& value);

} // namespace tolvane
