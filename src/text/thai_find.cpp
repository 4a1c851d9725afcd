#include "text/thai_find.h"

#include "text/versions.h"

#include <utility>

namespace tolvane {

namespace {

// The Thai vowels written before the consonant they are sounded after, in the
// order they are tested.
constexpr char16_t kLeadingVowels[] = {u'\u0E40', u'\u0E41', u'\u0E42', u'\u0E43', u'\u0E44'};

} // namespace

QString MakeThaiFind(const QVariant& value) {
    if (value.typeId() != QMetaType::QString || value.isNull())
        return QString();
    return MakeThaiFind(value.toString());
}

QString MakeThaiFind(const QString& value) {
    QString s = TrimBlanks(value);
    // Swapping never changes the length, so the last position to look at is
    // fixed.
    const qsizetype n = s.size() - 1;
    for (qsizetype i = 0; i < n; ++i) {
        for (char16_t vowel : kLeadingVowels) {
            // After a swap i stands on the moved vowel; the remaining tests of this
            // step look there, and the scan goes on behind it.
            if (s[i] == vowel) {
                std::swap(s[i], s[i + 1]);
                ++i;
            }
        }
    }
    return s;
}

} // namespace tolvane
