#include "app/layout.h"
#include "support/qtprint.h"

#include <gtest/gtest.h>

namespace zeq {
namespace {

TEST(ArrangeLayout, ToolbarShownPutsEditAreaBelowStripAndGutterInsideIt)
{
    const ClientLayout layout = arrangeLayout(9135, 6120, true);
    EXPECT_EQ(layout.note.left, 585);
    EXPECT_EQ(layout.note.top, 545);
    EXPECT_EQ(layout.note.width, 9135 - 555);
    EXPECT_EQ(layout.note.height, 6120 - 525 - 330);
    EXPECT_EQ(layout.gutter.left, -15);
    EXPECT_EQ(layout.gutter.width, 555);
    EXPECT_EQ(layout.gutter.top, 545 + 40);
    EXPECT_EQ(layout.gutter.height, layout.note.height - 310);
}

TEST(ArrangeLayout, HidingToolbarMovesEditAreaToTopAndMakesItTallerByTheStrip)
{
    const ClientLayout shown = arrangeLayout(9135, 6120, true);
    const ClientLayout hidden = arrangeLayout(9135, 6120, false);
    EXPECT_EQ(hidden.note.top, 0);
    EXPECT_EQ(hidden.note.height - shown.note.height, 525);
    EXPECT_EQ(hidden.gutter.top, 40);
    EXPECT_EQ(hidden.gutter.height, hidden.note.height - 310);
}

TEST(ArrangeLayout, TinyClientAreaGivesNegativeSizesWithoutFailing)
{
    const ClientLayout layout = arrangeLayout(15, 15, true);
    EXPECT_LT(layout.note.height, 0);
    EXPECT_LT(layout.gutter.height, 0);
    EXPECT_LT(layout.note.width, 0);
}

TEST(ArrangeLayout, MinimisedWindowIsLeftAlone)
{
    EXPECT_FALSE(layoutApplies(0));
    EXPECT_TRUE(layoutApplies(15));
}

struct RoundCase {
    double value;
    long expected;
};

class RoundHalfEven : public ::testing::TestWithParam<RoundCase> {};

TEST_P(RoundHalfEven, TiesGoToTheEvenNeighbour)
{
    EXPECT_EQ(roundHalfEven(GetParam().value), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Values, RoundHalfEven,
                         ::testing::Values(RoundCase{0.5, 0}, RoundCase{1.5, 2}, RoundCase{2.5, 2},
                                           RoundCase{10.5, 10}, RoundCase{11.5, 12},
                                           RoundCase{2.4, 2}, RoundCase{2.6, 3},
                                           RoundCase{-0.5, 0}, RoundCase{-1.5, -2}));

struct RowCase {
    const char *name;
    double heightTwips;
    double points;
    int expected;
};

class VisibleRows : public ::testing::TestWithParam<RowCase> {};

TEST_P(VisibleRows, CountsWholeRowsOfThePointSize)
{
    EXPECT_EQ(visibleRowCount(GetParam().heightTwips, GetParam().points), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Heights, VisibleRows,
    ::testing::Values(
        // 4800 twips = 240 points = 20 rows of 12 points.
        RowCase{"exact", 4800, 12, 20},
        // 4790 twips = 239.5 points, rounds to 240 (even): still 20 rows.
        RowCase{"halfPointRoundsToEven", 4790, 12, 20},
        // 4770 twips = 238.5 points, rounds to 238: 19 rows.
        RowCase{"halfPointRoundsDownToEven", 4770, 12, 19},
        // 10.5 points rounds to 10.
        RowCase{"fractionalFontSize", 4800, 10.5, 24},
        RowCase{"partialRowDropped", 4700, 12, 19},
        RowCase{"negativeHeight", -3000, 12, 0},
        RowCase{"zeroFontSizeDoesNotDivideByZero", 4800, 0, 240}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(GutterText, NumbersFollowTheFirstVisibleLineEachEndingInCrLf)
{
    EXPECT_EQ(gutterText(0, 3), QStringLiteral("1\r\n2\r\n3\r\n"));
    EXPECT_EQ(gutterText(98, 3), QStringLiteral("99\r\n100\r\n101\r\n"));
    EXPECT_EQ(gutterText(5, 0), QString());
}

TEST(GutterText, LargeLineNumbersDoNotOverflow)
{
    EXPECT_EQ(gutterText(40000, 1), QStringLiteral("40001\r\n"));
}

} // namespace
} // namespace zeq
