#include "support/qt_print.h"
#include "text/thai_find.h"

#include <gtest/gtest.h>

using tolvane::MakeThaiFind;

namespace {

TEST(MakeThaiFind, MovesLeadingVowelsBehindTheNextCharacter) {
    const struct {
        const char16_t* in;
        const char16_t* out;
    } cases[] = {{u"เบรก", u"บเรก"},
                 {u"ไฟหน้า", u"ฟไหน้า"},
                 {u"โช้คอัพ", u"ชโ้คอัพ"},
                 {u"  แหวน  ", u"หแวน"},
                 {u"ABเ", u"ABเ"},
                 {u"หลอดไฟ", u"หลอดฟไ"}, // the vowel before the last character moves too
                 {u"ก", u"ก"},
                 {u"เ", u"เ"},
                 {u"", u""},
                 {u"BRAKE PAD", u"BRAKE PAD"},
                 {u"ใบปัดน้ำฝน ไฟเลี้ยว", u"บใปัดน้ำฝน ฟไลเี้ยว"},
                 // Two vowels in a row: the first passes the second, the scan goes on
                 // behind it.
                 {u"เแก", u"แเก"},
                 {u"เเก", u"เเก"},
                 {u"โเกา", u"เโกา"}};
    for (const auto& c : cases)
        EXPECT_EQ(MakeThaiFind(Text(c.in)), Text(c.out)) << Text(c.in).toStdString();
}

TEST(MakeThaiFind, GivesEmptyForValuesWithoutText) {
    EXPECT_EQ(MakeThaiFind(QVariant()), "");
    EXPECT_EQ(MakeThaiFind(QVariant(QMetaType(QMetaType::QString))), "");
    EXPECT_EQ(MakeThaiFind(QVariant(12)), "");
    EXPECT_EQ(MakeThaiFind(QVariant(1.5)), "");
    EXPECT_EQ(MakeThaiFind(QVariant(QString())), "");
    EXPECT_EQ(MakeThaiFind(QVariant(QStringLiteral(" เบรก "))), QStringLiteral("บเรก"));
}

} // namespace
