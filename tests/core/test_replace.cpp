#include "search/replace.h"
#include "support/qtprint.h"

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
        {"case kept when asked", u"Abc abc"_qs, u"abc"_qs, u"x"_qs, true, u"Abc x"_qs, 1},
        {"replacement holding the needle", u"a-a"_qs, u"a"_qs, u"aa"_qs, true, u"aa-aa"_qs, 2},
        {"line ends are text", u"一\r\n二"_qs, u"\r\n"_qs, u""_qs, true, u"一二"_qs, 1},
        {"empty needle matches nothing", u"abc"_qs, QString(), u"x"_qs, true, u"abc"_qs, 0},
        {"no match", u"abc"_qs, u"d"_qs, u"x"_qs, true, u"abc"_qs, 0},
    };
    for (const Case &c : cases) {
        const Replaced r = replaceMatches(c.text, c.needle, c.replacement, c.matchCase);
        EXPECT_EQ(r.count, c.count) << c.name;
        EXPECT_EQ(r.text, c.expected) << c.name;
    }
}

} // namespace
} // namespace zeq
