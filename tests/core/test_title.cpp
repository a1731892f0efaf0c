#include "app/title.h"
#include "support/qtprint.h"

#include <gtest/gtest.h>

namespace zeq {
namespace {

TEST(TitleTerms, BothPrefixesAreTwentyOneCharacters)
{
    EXPECT_EQ(kCleanPrefix.size(), 21);
    EXPECT_EQ(kModifiedPrefix.size(), 21);
    EXPECT_EQ(kCleanPrefix + kUntitled, QStringLiteral("Zeq Text Editor〔－－〕－ 無題"));
}

TEST(TitleTerms, LoadShowsThePathInUpperCaseAndWriteShowsItAsWritten)
{
    EXPECT_EQ(titleNamePart(loadedTitle(QStringLiteral("c:\\docs\\a.txt"))), QStringLiteral("C:\\DOCS\\A.TXT"));
    EXPECT_EQ(titleNamePart(writtenTitle(QStringLiteral("c:\\docs\\b.txt"))), QStringLiteral("c:\\docs\\b.txt"));
    EXPECT_EQ(titleNamePart(loadedTitle(QStringLiteral("/home/ユーザー/ｶﾅ.txt"))),
              QStringLiteral("/HOME/ユーザー/ｶﾅ.TXT"));
}

TEST(TitleTerms, ModifiedStateKeepsTheNamePart)
{
    const QString clean = writtenTitle(QStringLiteral("/tmp/x.txt"));
    const QString modified = modifiedTitle(clean);
    EXPECT_EQ(modified, QStringLiteral("Zeq Text Editor〔更新〕－ /tmp/x.txt"));
    EXPECT_EQ(modifiedTitle(modified), modified);
    EXPECT_EQ(titleNamePart(modified), QStringLiteral("/tmp/x.txt"));
}

TEST(TitleTerms, UntitledMeansTheNamePartBeginsWithMuDai)
{
    EXPECT_TRUE(isUntitled(kCleanPrefix + kUntitled));
    EXPECT_TRUE(isUntitled(modifiedTitle(kCleanPrefix + kUntitled)));
    EXPECT_FALSE(isUntitled(writtenTitle(QStringLiteral("/tmp/無題.txt"))));
    EXPECT_TRUE(isUntitled(writtenTitle(QStringLiteral("無題のメモ.txt"))));
}

} // namespace
} // namespace zeq
