#include "support/qt_print.h"
#include "text/versions.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using namespace tolvane;

namespace {

TEST(Versions, KnowsTheTwentyFiveVersions) {
    int count = 0;
    const VersionInfo* rows = SupportedVersions(&count);
    ASSERT_EQ(count, 25);
    std::set<std::string> texts;
    std::set<std::string> layouts;
    for (int i = 0; i < count; ++i) {
        texts.insert(rows[i].text);
        layouts.insert(rows[i].layout);
        EXPECT_EQ(FindVersion(QString::fromLatin1(rows[i].text)), &rows[i]);
    }
    EXPECT_EQ(texts.size(), 25u);
    EXPECT_EQ(layouts.size(), 16u);
}

TEST(Versions, TrimsBlanksButComparesExactly) {
    EXPECT_NE(FindVersion(u"  P.45 (Bar)  "), nullptr);
    EXPECT_TRUE(IsSearchKeyVersion(u" P.64 (Bar)"));
    for (const char16_t* refused : {u"P.45(Bar)", u"p.45 (bar)", u"P.45 (BAR)", u"V.44", u"P.47",
                                    u"", u"\tP.45 (Bar)", u"P.45  (Bar)", u"V.46"}) {
        EXPECT_EQ(FindVersion(refused), nullptr) << Text(refused).toStdString();
        EXPECT_FALSE(IsSearchKeyVersion(refused));
    }
    EXPECT_EQ(TrimBlanks(u"  a b\t "), "a b\t");
    EXPECT_EQ(TrimBlanks(u"   "), "");
}

} // namespace
