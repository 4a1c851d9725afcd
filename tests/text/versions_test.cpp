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

TEST(Versions, AnswersTheVersionQuestions) {
    const std::set<std::string> searchKey = {"P.45 (Bar)", "P.48 (Bar)", "P.49 (Bar)", "P.64 (Bar)",
                                             "P.65 (Bar)"};
    const std::set<std::string> searchText = {"P.52", "P.64 (Bar)", "P.65 (Bar)"};
    int count = 0;
    const VersionInfo* rows = SupportedVersions(&count);
    for (int i = 0; i < count; ++i) {
        const QString ver = QLatin1String(rows[i].text);
        SCOPED_TRACE(rows[i].text);
        EXPECT_EQ(IsSearchKeyVersion(ver), searchKey.count(rows[i].text) == 1);
        EXPECT_EQ(IsSearchTextVersion(ver), searchText.count(rows[i].text) == 1);
        EXPECT_EQ(IsPrice1Version(ver), ver == "P.45 (Bar)");
        EXPECT_EQ(IsAltSaleVersion(ver), ver == "P.49 (Bar)");
    }
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
