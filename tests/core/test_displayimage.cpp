// The display image's per-line decisions: which runs of text each line turns
// into, in which colour, size and highlight; the colouring state that runs on
// across malformed lines; the widest-line accounting; and the arithmetic of
// the preview's right edge and of its progress display.

#include "ruby/displayimage.h"
#include "support/qtprint.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <vector>

namespace zeq {

void PrintTo(const ImageRun &run, std::ostream *os)
{
    *os << '{' << run.text.toStdString() << ", color " << std::hex << run.color << std::dec << ", size "
        << run.sizeDelta << (run.highlight ? ", highlight}" : "}");
}

namespace {

const QString bq = QStringLiteral("`");
const QString kCount = QStringLiteral("!!漢字セパレータの数に過不足があります。");
const QString kPosition = QStringLiteral("!!漢字セパレータの位置に間違いがあります。");
const QChar kEsc(char16_t(27));

// Colours no default uses, so that every class is told apart.
constexpr qint32 kText = 0x010101;
constexpr qint32 kKanji = 0x020202;
constexpr qint32 kOther = 0x030303;
constexpr qint32 kSepa = 0x040404;

SettingsRecord settingsWith(const SeparatorTriple &triple)
{
    SettingsRecord settings;
    settings.gUserSparator = triple;
    settings.gFontColor = kText;
    settings.gKanjiColor = kKanji;
    settings.gHiraColor = kOther;
    settings.gSepaColor = kSepa;
    return settings;
}

ImageRun text(const QString &s) { return {s, kText, 0, false}; }
ImageRun kanji(const QString &s) { return {s, kKanji, 0, false}; }
ImageRun other(const QString &s) { return {s, kOther, 0, false}; }
ImageRun sepa(const QString &s) { return {s, kSepa, 0, true}; }
ImageRun message(const QString &s) { return {s, 255, -3, true}; }

struct LineCase {
    const char *why;
    SeparatorTriple triple;
    QString line;
    bool ok;
    std::vector<ImageRun> runs;
};

void PrintTo(const LineCase &c, std::ostream *os) { *os << c.why; }

class ImageLineRuns : public ::testing::TestWithParam<LineCase> {};

TEST_P(ImageLineRuns, FollowTheCheckerAndTheCharacterClasses)
{
    const LineCase &c = GetParam();
    const SettingsRecord settings = settingsWith(c.triple);
    ImageLineMaker maker(settings);
    maker.reset();
    const ImageLine image = maker.next(c.line);
    EXPECT_EQ(image.ok, c.ok);
    EXPECT_EQ(std::vector<ImageRun>(image.runs.begin(), image.runs.end()), c.runs);
}

const SeparatorTriple kBackQuotes{bq, bq, bq};
const SeparatorTriple kEmpty{QString(), QString(), QString()};

INSTANTIATE_TEST_SUITE_P(
    Lines, ImageLineRuns,
    ::testing::Values(
        LineCase{"a well-formed line loses its readings and takes the text colour",
                 kBackQuotes, QStringLiteral("`漢字`かんじ`の`練習`れんしゅう`です。"), true,
                 {text(QStringLiteral("漢字の練習です。"))}},
        LineCase{"an empty line is an empty paragraph", kBackQuotes, QString(), true, {}},
        LineCase{"kana and ASCII without groups show as written", kBackQuotes,
                 QStringLiteral("ひらがな ABC 123"), true, {text(QStringLiteral("ひらがな ABC 123"))}},
        LineCase{"a kanji outside a group: every character in its class colour, then the red message",
                 kBackQuotes, QStringLiteral("犬と`猿`さる`だ"), false,
                 {kanji(QStringLiteral("犬")), other(QStringLiteral("と")), sepa(bq), kanji(QStringLiteral("猿")),
                  sepa(bq), other(QStringLiteral("さる")), sepa(bq), other(QStringLiteral("だ")),
                  message(kPosition)}},
        LineCase{"adjacent separators are one highlighted run; 々 and 〆 count as kanji", kBackQuotes,
                 QStringLiteral("`人々``ひとびと〆"), false,
                 {sepa(bq), kanji(QStringLiteral("人々")), sepa(QStringLiteral("``")),
                  other(QStringLiteral("ひとびと")), kanji(QStringLiteral("〆")), message(kPosition)}},
        LineCase{"a line holding the marker character is shown whole before its message", kBackQuotes,
                 QStringLiteral("a") + kEsc + QStringLiteral("b`漢"), false,
                 {other(QStringLiteral("a") + kEsc + QStringLiteral("b")), sepa(bq), kanji(QStringLiteral("漢")),
                  message(kCount)}},
        LineCase{"a character outside the BMP stays whole and is not kanji", kBackQuotes,
                 QStringLiteral("`𠮷`よし"), false,
                 {sepa(bq), other(QStringLiteral("𠮷")), sepa(bq), other(QStringLiteral("よし")), message(kCount)}},
        LineCase{"a non-uniform triple shows the raw line and one red space", kEmpty,
                 QStringLiteral("`漢字`かんじ`"), false,
                 {other(bq), kanji(QStringLiteral("漢字")), other(QStringLiteral("`かんじ`")),
                  message(QStringLiteral(" "))}},
        LineCase{"an empty line with a non-uniform triple is the red space alone", kEmpty, QString(), false,
                 {message(QStringLiteral(" "))}}));

TEST(ImageColouringState, RunsOnAcrossMalformedLinesAndWellFormedLinesLeaveIt)
{
    const SettingsRecord settings = settingsWith(kBackQuotes);
    ImageLineMaker maker(settings);
    maker.reset();
    struct Step {
        QString line;
        int stateAfter;
    };
    const std::vector<Step> steps = {
        {QStringLiteral("`漢字"), 1},                           // count error: one separator
        {QStringLiteral("`漢字`かんじ`です。"), 1},              // well formed: not coloured, state kept
        {QStringLiteral("犬`猿`さる`"), 1},                      // three more separators
        {QStringLiteral("``"), 0},
    };
    for (const Step &step : steps) {
        maker.next(step.line);
        EXPECT_EQ(maker.colourState(), step.stateAfter) << step.line.toStdString();
    }
    maker.reset();
    EXPECT_EQ(maker.colourState(), 0);
}

TEST(ImageColouringState, DecidesWhichCharactersAreSeparatorsWithATripleThatSkipsAPhase)
{
    // Opening separator empty: A opens the reading, B closes it. A line that
    // ends inside a reading leaves the next line's B a closing separator.
    const SeparatorTriple skip{QString(), QStringLiteral("A"), QStringLiteral("B")};
    const SettingsRecord settings = settingsWith(skip);
    ImageLineMaker maker(settings);
    maker.reset();
    maker.next(QStringLiteral("xAy"));
    EXPECT_EQ(maker.colourState(), 2);
    const ImageLine carried = maker.next(QStringLiteral("B"));
    ASSERT_FALSE(carried.runs.isEmpty());
    EXPECT_EQ(carried.runs.first(), sepa(QStringLiteral("B")));

    // From a fresh start the same B is no separator.
    maker.reset();
    const ImageLine fresh = maker.next(QStringLiteral("B"));
    ASSERT_FALSE(fresh.runs.isEmpty());
    EXPECT_EQ(fresh.runs.first(), other(QStringLiteral("B")));
}

TEST(ImageLineBytes, CountTwoPerCharacterOfTheWholeResultAndKeepTheLargest)
{
    const SettingsRecord settings = settingsWith(kBackQuotes);
    ImageLineMaker maker(settings);
    maker.reset();
    struct Step {
        QString line;
        int bytes;
        int maxAfter;
    };
    const std::vector<Step> steps = {
        // Resolved text 漢字の練習です。: 8 characters.
        {QStringLiteral("`漢字`かんじ`の`練習`れんしゅう`です。"), 16, 16},
        {QString(), 0, 16},
        // Raw line (3), marker, message (20).
        {QStringLiteral("`漢字"), int(2 * (3 + 1 + kCount.size())), int(2 * (3 + 1 + kCount.size()))},
        {QStringLiteral("abc"), 6, int(2 * (3 + 1 + kCount.size()))},
    };
    for (const Step &step : steps) {
        const ImageLine image = maker.next(step.line);
        EXPECT_EQ(image.bytes, step.bytes) << step.line.toStdString();
        EXPECT_EQ(maker.maxLineBytes(), step.maxAfter) << step.line.toStdString();
    }
    maker.reset();
    EXPECT_EQ(maker.maxLineBytes(), 0);
}

TEST(ImageLineMakerSettings, AreReadAtEveryLine)
{
    SettingsRecord settings = settingsWith(kBackQuotes);
    ImageLineMaker maker(settings);
    maker.reset();
    EXPECT_TRUE(maker.next(QStringLiteral("`漢`かん`")).ok);
    settings.gFontColor = 0x123456;
    const ImageLine recoloured = maker.next(QStringLiteral("かな"));
    ASSERT_EQ(recoloured.runs.size(), 1);
    EXPECT_EQ(recoloured.runs.first().color, 0x123456);
    settings.gUserSparator = kEmpty;
    EXPECT_FALSE(maker.next(QStringLiteral("`漢`かん`")).ok);
}

struct EdgeCase {
    double points;
    int maxLen;
    int right;
};

class ImageRightEdge : public ::testing::TestWithParam<EdgeCase> {};

TEST_P(ImageRightEdge, GivesMaxLenPlusOneHalfSizeCellsInPixels)
{
    const EdgeCase &c = GetParam();
    EXPECT_EQ(imageRightEdge(c.points, c.maxLen, 15.0), c.right) << c.points << " pt, " << c.maxLen;
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, ImageRightEdge,
    ::testing::Values(EdgeCase{12, 0, 8},           // 6 * 1 * 20 / 15
                      EdgeCase{12, 40, 328},        // 6 * 41 * 20 / 15
                      EdgeCase{11, 40, 273},        // 11 / 2 = 5: 5 * 41 * 20 = 4100, / 15 = 273
                      EdgeCase{12.5, 40, 328},      // 12.5 rounds to the even 12
                      EdgeCase{13.5, 40, 382},      // 13.5 rounds to 14: 7 * 41 * 20 / 15 = 382
                      EdgeCase{1, 100, 0},          // half of one point is nothing
                      EdgeCase{12, 65400, 523208}));  // a 32700-character line still fits

TEST(ImageRightEdge, RoundsTheTwipsPerPixelRatioBeforeDividing)
{
    EXPECT_EQ(imageRightEdge(12, 40, 14.6), 328);   // rounds to 15
    EXPECT_EQ(imageRightEdge(12, 40, 12.0), 410);   // 4920 / 12
}

// Clock readings in milliseconds, one per call, and whether each call stops
// the rendering (the first reading is taken when the pacer starts).
struct PacerCase {
    const char *what;
    int interval;
    std::vector<qint64> readings;
    std::vector<bool> stops;
};

class ImagePacerTest : public ::testing::TestWithParam<PacerCase> {};

TEST_P(ImagePacerTest, StopsOnlyOnceTheIntervalHasPassedSinceTheStartOrTheLastStop)
{
    const PacerCase &c = GetParam();
    std::size_t next = 0;
    ImagePacer pacer(c.interval, [&] { return c.readings.at(next++); });
    std::vector<bool> stops;
    while (next < c.readings.size())
        stops.push_back(pacer.due());
    EXPECT_EQ(stops, c.stops);
}

INSTANTIATE_TEST_SUITE_P(
    Readings, ImagePacerTest,
    ::testing::Values(
        PacerCase{"short rendering never stops", 50, {1000, 1001, 1010, 1049}, {false, false, false}},
        PacerCase{"first stop at the interval", 50, {0, 20, 49, 50, 60}, {false, false, true, false}},
        // A slow line does not leave a backlog of stops behind it.
        PacerCase{"next interval counts from the stop", 50, {0, 180, 190, 229, 230}, {true, false, false, true}},
        PacerCase{"no interval stops every line", 0, {5, 5, 5, 6}, {true, true, true}}),
    [](const ::testing::TestParamInfo<PacerCase> &info) {
        std::string name = info.param.what;
        std::replace(name.begin(), name.end(), ' ', '_');
        return name;
    });

TEST(ImagePacerSystemClock, AnIntervalThatCannotPassNeverStops)
{
    ImagePacer pacer(std::numeric_limits<int>::max());
    EXPECT_FALSE(pacer.due());
    ImagePacer eager(0);
    EXPECT_TRUE(eager.due());
}

TEST(ImageLineText, JoinsTheRuns)
{
    const SettingsRecord settings = settingsWith(kBackQuotes);
    ImageLineMaker maker(settings);
    maker.reset();
    EXPECT_EQ(maker.next(QStringLiteral("犬`猿`さる`")).text(), QStringLiteral("犬`猿`さる`") + kPosition);
}

} // namespace
} // namespace zeq
