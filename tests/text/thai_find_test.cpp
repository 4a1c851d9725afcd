#include "support/qt_print.h"
#include "text/thai_find.h"

#include <gtest/gtest.h>

using tolvane::MakeThaiFind;

namespace {

// A vowel before the last character moves too; of two vowels in a row, the first passes
// the second and the scan goes on behind it.
TEST(MakeThaiFind, MovesLeadingVowelsBehindTheNextCharacter) {
    // clang-format off
    const struct { const char16_t* in; const char16_t* out; } cases[] = {
        {u"เบรก", u"บเรก"}, {u"ไฟหน้า", u"ฟไหน้า"}, {u"โช้คอัพ", u"ชโ้คอัพ"}, {u"  แหวน  ", u"หแวน"},
        {u"ABเ", u"ABเ"}, {u"หลอดไฟ", u"หลอดฟไ"}, {u"ก", u"ก"}, {u"เ", u"เ"}, {u"", u""},
        {u"BRAKE PAD", u"BRAKE PAD"}, {u"ใบปัดน้ำฝน ไฟเลี้ยว", u"บใปัดน้ำฝน ฟไลเี้ยว"},
        {u"เแก", u"แเก"}, {u"เเก", u"เเก"}, {u"โเกา", u"เโกา"}};
    // clang-format on
    for (const auto& c : cases)
        EXPECT_EQ(MakeThaiFind(Text(c.in)), Text(c.out)) << Text(c.in).toStdString();
}

TEST(MakeThaiFind, GivesEmptyForValuesWithoutText) {
    for (const QVariant& none : {QVariant(), QVariant(QMetaType(QMetaType::QString)), QVariant(12),
                                 QVariant(1.5), QVariant(QString())})
        EXPECT_EQ(MakeThaiFind(none), "") << none.typeId();
    EXPECT_EQ(MakeThaiFind(QVariant(QStringLiteral(" เบรก "))), QStringLiteral("บเรก"));
}

} // namespace
