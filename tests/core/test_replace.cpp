#include "search/replace.h"
#include "support/qtprint.h"
#include "support/textbuffer.h"

#include <gtest/gtest.h>

namespace zeq {
namespace {

TEST(ReplaceMatches, FollowsTheMatchingRulesOfFind)
{
    struct Case {
        const char *name;
        QString text, needle, replacement;
        bool matchCase;
        QString expected;
        int count;
    };
    const Case cases[] = {
        {"every match, left to right", u"`字`じ`と`字`じ`"_qs, u"字"_qs, u"字"_qs, true, u"`字`じ`と`字`じ`"_qs, 2},
        {"matches do not overlap", u"ああああ"_qs, u"ああ"_qs, u"い"_qs, true, u"いい"_qs, 2},
        {"case folded, full-width too", u"Abc ａＢｃ abc"_qs, u"ABC"_qs, u"x"_qs, false, u"x ａＢｃ x"_qs, 2},
        {"full-width folded", u"ａＢｃ"_qs, u"ＡＢＣ"_qs, u"x"_qs, false, u"x"_qs, 1},
        {"case kept when asked", u"Abc abc"_qs, u"abc"_qs, u"x"_qs, true, u"Abc x"_qs, 1},
        {"replacement holding the needle", u"a-a"_qs, u"a"_qs, u"aa"_qs, true, u"aa-aa"_qs, 2},
        {"line ends are text", u"一\r\n二"_qs, u"\r\n"_qs, u""_qs, true, u"一二"_qs, 1},
        {"empty needle matches nothing", u"abc"_qs, QString(), u"x"_qs, true, QString(), 0},
    };
    for (const Case &c : cases) {
        const Replaced r = replaceMatches(c.text, c.needle, c.replacement, c.matchCase);
        EXPECT_EQ(r.count, c.count) << c.name;
        if (c.count > 0) {
            EXPECT_EQ(r.text, c.expected) << c.name;
        }
    }
}

TEST(ReplaceAll, ChangesTheControlOnceAndOnlyWhenSomethingMatched)
{
    TextBuffer note;
    note.setText(QStringLiteral("漢字と漢字"));
    int changes = 0;
    QObject::connect(&note, &EditControl::changed, [&] { ++changes; });
    FindState find;
    find.gFindText = QStringLiteral("漢字");
    EXPECT_EQ(replaceAll(find, QStringLiteral("`漢字`かんじ`"), note), 2);
    EXPECT_EQ(note.Text(), QStringLiteral("`漢字`かんじ`と`漢字`かんじ`"));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(note.SelStart(), 0);

    find.gFindText = QStringLiteral("無い");
    EXPECT_EQ(replaceAll(find, QStringLiteral("x"), note), 0);
    EXPECT_EQ(changes, 1);
}

} // namespace
} // namespace zeq
