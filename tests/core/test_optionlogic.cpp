// The settings dialog's decisions without widgets: which separator entries
// it takes and when they ask for a new display image, the two samples, the
// colour buttons' effect on the record and the rebuild mark, the default
// colours, and how a chosen font size is stored.

#include "settings/optionlogic.h"
#include "settings/settings.h"
#include "support/qtprint.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zeq {
namespace {

// A run list written out, so that a failure shows the whole sample.
std::string describe(const QList<ImageRun> &runs)
{
    std::string out;
    for (const ImageRun &run : runs) {
        out += '[' + run.text.toStdString() + ' ' + std::to_string(run.color) + ' '
            + std::to_string(run.sizeDelta) + (run.highlight ? " hl]" : "]");
    }
    return out;
}

struct EntryCase {
    const char *why;
    QString working;
    QString typed;
    bool accepted;
    bool marksImage;
    QString workingAfter;
};

TEST(OptionSeparatorEntry, TakesNothingOrOnePrintableAsciiCharacter)
{
    const std::vector<EntryCase> cases = {
        {"a new printable character", "`", "a", true, true, "a"},
        {"the same character again", "`", "`", true, false, "`"},
        {"space is the lowest accepted code", "`", " ", true, true, " "},
        {"tilde is the highest accepted code", "`", "~", true, true, "~"},
        {"clearing is accepted without a rebuild", "`", "", true, false, ""},
        {"a first character into an empty copy", "", "`", true, true, "`"},
        {"DEL (127) is refused", "`", QString(QChar(127)), false, false, "`"},
        {"a control character is refused", "`", QString(QChar(31)), false, false, "`"},
        {"tab is refused", "`", "\t", false, false, "`"},
        {"a full-width character is refused", "`", "｀", false, false, "`"},
        {"a half-width katakana is refused", "`", "ｱ", false, false, "`"},
        {"Latin-1 beyond ASCII is refused", "`", QString(QChar(0xE9)), false, false, "`"},
        {"two characters are refused", "`", "`a", false, false, "`"},
        {"a character outside the BMP is refused", "`", QString::fromUcs4(U"\U00020BB7"), false, false, "`"},
        {"a refused entry leaves an empty copy empty", "", "ab", false, false, ""},
    };
    for (const EntryCase &c : cases) {
        SCOPED_TRACE(c.why);
        QString working = c.working;
        const SeparatorEntryResult result = takeSeparatorEntry(working, c.typed);
        EXPECT_EQ(result.accepted, c.accepted);
        EXPECT_EQ(result.marksImage, c.marksImage);
        EXPECT_EQ(working, c.workingAfter);
        EXPECT_EQ(isValidSeparatorEntry(c.typed), c.accepted);
    }
}

TEST(OptionSamples, EditAreaSampleFollowsEachSeparatorPlace)
{
    EXPECT_EQ(optionSampleText({"`", "`", "`"}),
              QStringLiteral("`漢字`かんじ`の`練習`れんしゅう`です。\r\n`間違`まちが`いのある`行ぎょう`です。"));
    EXPECT_EQ(optionSampleText({"[", "|", "]"}),
              QStringLiteral("[漢字|かんじ]の[練習|れんしゅう]です。\r\n[間違|まちが]いのある[行ぎょう]です。"));
    EXPECT_EQ(optionSampleText({"", "a", ""}),
              QStringLiteral("漢字aかんじの練習aれんしゅうです。\r\n間違aまちがいのある行ぎょうです。"));
}

TEST(OptionSamples, ImageSampleColoursTheFaultyLineByClass)
{
    constexpr qint32 text = 0x111111, kanji = 0x222222, hira = 0x333333, sepa = 0x444444;
    struct Case {
        const char *why;
        SeparatorTriple triple;
        QList<ImageRun> faulty;
    };
    const QString msg = kSampleMessage;
    const std::vector<Case> cases = {
        {"the default triple",
         {"`", "`", "`"},
         {{"`", sepa, 0, true}, {"間違", kanji, 0, false}, {"`", sepa, 0, true}, {"まちが", hira, 0, false},
          {"`", sepa, 0, true}, {"いのある", hira, 0, false}, {"`", sepa, 0, true}, {"行", kanji, 0, false},
          {"ぎょう", hira, 0, false}, {"`", sepa, 0, true}, {"です。", hira, 0, false}, {msg, 255, -3, true}}},
        // The places are fixed by the sample, not found by scanning: the
        // last separator is the closing one even where a scan would expect
        // the middle one.
        {"distinct separators keep their places",
         {"[", "|", "]"},
         {{"[", sepa, 0, true}, {"間違", kanji, 0, false}, {"|", sepa, 0, true}, {"まちが", hira, 0, false},
          {"]", sepa, 0, true}, {"いのある", hira, 0, false}, {"[", sepa, 0, true}, {"行", kanji, 0, false},
          {"ぎょう", hira, 0, false}, {"]", sepa, 0, true}, {"です。", hira, 0, false}, {msg, 255, -3, true}}},
        {"a cleared separator leaves no run",
         {"`", "", "`"},
         {{"`", sepa, 0, true}, {"間違", kanji, 0, false}, {"まちが", hira, 0, false}, {"`", sepa, 0, true},
          {"いのある", hira, 0, false}, {"`", sepa, 0, true}, {"行", kanji, 0, false}, {"ぎょう", hira, 0, false},
          {"`", sepa, 0, true}, {"です。", hira, 0, false}, {msg, 255, -3, true}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.why);
        const QList<ImageLine> lines = optionSampleImage(c.triple, text, kanji, hira, sepa);
        ASSERT_EQ(lines.size(), 2);
        EXPECT_EQ(describe(lines[0].runs), describe({{QStringLiteral("漢字の練習です。"), text, 0, false}}));
        EXPECT_EQ(describe(lines[1].runs), describe(c.faulty));
    }
}

TEST(OptionSamples, RightEdgeKeepsTheTemplateLineOnOneRow)
{
    // 41 characters, two bytes each, plus one cell of half the point size.
    EXPECT_EQ(kSampleTemplateLine.size(), 41);
    EXPECT_EQ(optionSampleRightEdge(12, 15), 664);
    EXPECT_EQ(optionSampleRightEdge(9, 15), 442);   // half of 9 is 4
    EXPECT_EQ(optionSampleRightEdge(10.5, 15), 553); // 10.5 counts as 10
}

struct ColorCase {
    const char *why;
    OptionColor which;
    qint32 chosen;
    bool dirtyBefore;
    bool dirtyAfter;
};

TEST(OptionColors, ChosenColourGoesToItsFieldAndMarksTheImageOnlyWhenItShows)
{
    SettingsRecord base;
    base.gFontColor = 0x10;
    base.gTextBackColor = 0x20;
    base.gRchBackColor = 0x30;
    base.gKanjiColor = 0x40;
    base.gHiraColor = 0x50;
    base.gSepaColor = 0x60;
    const std::vector<ColorCase> cases = {
        {"new text colour", OptionColor::Text, 0x99, false, true},
        {"same text colour", OptionColor::Text, 0x10, false, false},
        {"new edit background never marks", OptionColor::EditBack, 0x99, false, false},
        {"new image background", OptionColor::ImageBack, 0x99, false, true},
        {"same image background keeps a pending rebuild", OptionColor::ImageBack, 0x30, true, true},
        {"same image background adds none", OptionColor::ImageBack, 0x30, false, false},
        {"new kanji colour", OptionColor::Kanji, 0x99, false, true},
        {"same kanji colour", OptionColor::Kanji, 0x40, false, false},
        {"new hiragana colour", OptionColor::Hira, 0x99, false, true},
        {"new separator colour", OptionColor::Sepa, 0x99, false, true},
        {"same separator colour keeps a pending rebuild", OptionColor::Sepa, 0x60, true, true},
        {"black is a colour, not a cancel", OptionColor::Kanji, 0, false, true},
    };
    for (const ColorCase &c : cases) {
        SCOPED_TRACE(c.why);
        SettingsRecord rec = base;
        bool dirty = c.dirtyBefore;
        storeChosenColor(rec, dirty, c.which, c.chosen);
        EXPECT_EQ(dirty, c.dirtyAfter);
        EXPECT_EQ(optionColorField(rec, c.which), c.chosen);
        // No other colour moves.
        SettingsRecord expected = base;
        optionColorField(expected, c.which) = c.chosen;
        EXPECT_EQ(rec.gFontColor, expected.gFontColor);
        EXPECT_EQ(rec.gTextBackColor, expected.gTextBackColor);
        EXPECT_EQ(rec.gRchBackColor, expected.gRchBackColor);
        EXPECT_EQ(rec.gKanjiColor, expected.gKanjiColor);
        EXPECT_EQ(rec.gHiraColor, expected.gHiraColor);
        EXPECT_EQ(rec.gSepaColor, expected.gSepaColor);
    }
}

TEST(OptionDefaults, ColoursReturnWhileFontAndSeparatorsStay)
{
    SettingsRecord rec;
    rec.gSeparator = QStringLiteral("|");
    rec.gUserSparator = {"a", "b", "c"};
    rec.gFontColor = 1;
    rec.gTextBackColor = 2;
    rec.gRchBackColor = 3;
    rec.gKanjiColor = 4;
    rec.gHiraColor = 5;
    rec.gSepaColor = 6;
    rec.gZeqFontName = QStringLiteral("IPAGothic");
    rec.gZeqFontSize = 20;
    restoreDefaultColors(rec);
    EXPECT_EQ(rec.gFontColor, 0);
    EXPECT_EQ(rec.gTextBackColor, 0xFFFFFF);
    EXPECT_EQ(rec.gRchBackColor, 0xC0FFFF);
    EXPECT_EQ(rec.gKanjiColor, 0xFF0000);
    EXPECT_EQ(rec.gHiraColor, 255);
    EXPECT_EQ(rec.gSepaColor, 0);
    EXPECT_EQ(rec.gZeqFontName, QStringLiteral("IPAGothic"));
    EXPECT_EQ(rec.gZeqFontSize, 20);
    // The record's separators change only through OK.
    EXPECT_EQ(rec.gUserSparator, (SeparatorTriple{"a", "b", "c"}));
    EXPECT_EQ(defaultWorkingSeparators(rec), (SeparatorTriple{"|", "|", "|"}));

    // The default colours are the first-run ones.
    SettingsRecord fresh;
    setDefaultSettings(fresh);
    SettingsRecord reset = fresh;
    reset.gKanjiColor = 7;
    reset.gRchBackColor = 8;
    restoreDefaultColors(reset);
    EXPECT_EQ(reset.gKanjiColor, fresh.gKanjiColor);
    EXPECT_EQ(reset.gRchBackColor, fresh.gRchBackColor);
}

TEST(OptionFont, ChosenSizeIsStoredInWholePointsHalvesToEven)
{
    const std::vector<std::pair<double, int>> cases = {
        {10.5, 10}, {11.5, 12}, {12.0, 12}, {9.4, 9}, {9.6, 10}, {8.5, 8}, {72.0, 72},
    };
    for (const auto &[chosen, stored] : cases) {
        SCOPED_TRACE(chosen);
        EXPECT_EQ(storedFontPoints(chosen), stored);
    }
}

} // namespace
} // namespace zeq
