#include "ime/capture.h"
#include "ime/prediction.h"
#include "ruby/readings.h"
#include "support/scriptedmodal.h"
#include "support/qtprint.h"

#include <gtest/gtest.h>

namespace zeq {
namespace {

// Builders for the events input methods send while the user types.
ImeEventData typing(const QString &preedit)
{
    // Kana being typed: underlined, no background.
    return {preedit, {{0, int(preedit.size()), false}}, {}};
}

// A converted preedit: the focused clause has a background.
ImeEventData converted(const QStringList &clauses, int focused)
{
    ImeEventData event;
    int at = 0;
    for (int i = 0; i < clauses.size(); ++i) {
        event.formats.append({at, int(clauses[i].size()), i == focused});
        event.preedit += clauses[i];
        at += int(clauses[i].size());
    }
    return event;
}

ImeEventData commit(const QString &text, const QString &nextPreedit = QString())
{
    ImeEventData event;
    event.commit = text;
    event.preedit = nextPreedit;
    if (!nextPreedit.isEmpty())
        event.formats.append({0, int(nextPreedit.size()), false});
    return event;
}

QList<qint32> ends(const ClauseTable &table)
{
    return table.gClauseEnd.mid(0, table.gClauseCount);
}

TEST(CompositionTracker, ConvertedAndConfirmedGivesResultReadingAndClauseEnds)
{
    CompositionTracker tracker;
    EXPECT_FALSE(tracker.feed(typing(QStringLiteral("か"))));
    EXPECT_FALSE(tracker.feed(typing(QStringLiteral("かんじのれんしゅう"))));
    EXPECT_FALSE(tracker.feed(converted({QStringLiteral("感じの"), QStringLiteral("練習")}, 0)));
    const auto done = tracker.feed(commit(QStringLiteral("感じの練習")));
    ASSERT_TRUE(done);
    EXPECT_EQ(done->result, QStringLiteral("感じの練習"));
    EXPECT_EQ(done->reading, QStringLiteral("かんじのれんしゅう"));
    EXPECT_EQ(ends(done->clauses), (QList<qint32>{0, 4, 9}));
    EXPECT_FALSE(tracker.composing());
}

TEST(CompositionTracker, ASecondCandidateAndAMovedClauseBoundaryAreFollowed)
{
    CompositionTracker tracker;
    tracker.feed(typing(QStringLiteral("かんじのれんしゅう")));
    tracker.feed(converted({QStringLiteral("感じの"), QStringLiteral("練習")}, 0));
    tracker.feed(converted({QStringLiteral("漢字の"), QStringLiteral("練習")}, 0)); // second Space
    tracker.feed(converted({QStringLiteral("かんじ"), QStringLiteral("の練習")}, 0)); // Shift+Left split
    tracker.feed(converted({QStringLiteral("漢字"), QStringLiteral("の練習")}, 0));
    const auto done = tracker.feed(commit(QStringLiteral("漢字の練習")));
    ASSERT_TRUE(done);
    EXPECT_EQ(done->reading, QStringLiteral("かんじのれんしゅう"));
    EXPECT_EQ(ends(done->clauses), (QList<qint32>{0, 3, 9}));
}

TEST(CompositionTracker, ReturnWithoutConversionCommitsTheKanaAsTheirOwnReading)
{
    CompositionTracker tracker;
    tracker.feed(typing(QStringLiteral("ひらがな")));
    const auto done = tracker.feed(commit(QStringLiteral("ひらがな")));
    ASSERT_TRUE(done);
    EXPECT_EQ(done->reading, QStringLiteral("ひらがな"));
    EXPECT_EQ(ends(done->clauses), (QList<qint32>{0, 4}));
}

TEST(CompositionTracker, EscapeLeavesNothingBehindForALaterCommit)
{
    CompositionTracker tracker;
    tracker.feed(typing(QStringLiteral("かんじ")));
    tracker.feed(converted({QStringLiteral("漢字")}, 0));
    EXPECT_FALSE(tracker.feed(ImeEventData{})); // cancelled: the preedit is cleared
    EXPECT_FALSE(tracker.composing());
    tracker.keyPassed(); // the second Escape reaches the widget
    // A commit arriving later (say on focus-out) belongs to no composition.
    EXPECT_FALSE(tracker.feed(commit(QStringLiteral("漢字"))));
    EXPECT_TRUE(tracker.lastCommitWasUncomposed());
}

TEST(CompositionTracker, TypingDuringConversionConfirmsItAndStartsAFreshComposition)
{
    CompositionTracker tracker;
    tracker.feed(typing(QStringLiteral("がっこう")));
    tracker.feed(converted({QStringLiteral("学校")}, 0));
    const auto done = tracker.feed(commit(QStringLiteral("学校"), QStringLiteral("ｎ")));
    ASSERT_TRUE(done);
    EXPECT_EQ(done->reading, QStringLiteral("がっこう"));
    EXPECT_TRUE(tracker.composing());
    tracker.feed(typing(QStringLiteral("の")));
    const auto next = tracker.feed(commit(QStringLiteral("の")));
    ASSERT_TRUE(next);
    EXPECT_EQ(next->reading, QStringLiteral("の"));
}

TEST(CompositionTracker, CommitThatIsNotTheConvertedTextGetsNoClauseTable)
{
    CompositionTracker tracker;
    tracker.feed(typing(QStringLiteral("かんじのれんしゅう")));
    tracker.feed(converted({QStringLiteral("感じの"), QStringLiteral("練習")}, 1));
    const auto done = tracker.feed(commit(QStringLiteral("感じの")));
    ASSERT_TRUE(done);
    EXPECT_EQ(done->clauses.gClauseCount, 0);
}

// How engines mark the clauses of 感じの練習 with the second clause focused.
struct ShapeCase {
    const char *name;
    QList<PreeditFormat> formats;
};

class ConvertedShapes : public ::testing::TestWithParam<ShapeCase> {};

TEST_P(ConvertedShapes, GiveTheClauseEndsOfEveryClause)
{
    CompositionTracker tracker;
    tracker.feed(typing(QStringLiteral("かんじのれんしゅう")));
    tracker.feed({QStringLiteral("感じの練習"), GetParam().formats, {}});
    const auto done = tracker.feed(commit(QStringLiteral("感じの練習")));
    ASSERT_TRUE(done);
    EXPECT_EQ(ends(done->clauses), (QList<qint32>{0, 4, 9}));
}

INSTANTIATE_TEST_SUITE_P(
    Engines, ConvertedShapes,
    ::testing::Values(
        // Mozc: one range per clause.
        ShapeCase{"rangePerClause", {{0, 3, false}, {3, 2, true}, {3, 2, true}}},
        // anthy: an underline over everything, a background on the focus.
        ShapeCase{"underlineOverAllAndFocusedFirstClause", {{0, 5, false}, {0, 3, true}}},
        ShapeCase{"underlineOverAllAndFocusedLaterClause", {{0, 5, false}, {3, 2, true}}},
        // kkc: the focused clause listed before the underline over all.
        ShapeCase{"focusedClauseListedFirst", {{3, 2, true}, {3, 2, true}, {0, 5, false}}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(CompositionTracker, ACommitRightAfterTheClearedPreedit)
{
    // fcitx5 + kkc, ibus + skk: the preedit goes in one event, the commit
    // comes in the next.
    CompositionTracker tracker;
    tracker.feed(typing(QStringLiteral("かんじのれんしゅう")));
    tracker.feed(converted({QStringLiteral("漢字の"), QStringLiteral("練習")}, 0));
    EXPECT_FALSE(tracker.feed(ImeEventData{}));
    const auto done = tracker.feed(commit(QStringLiteral("漢字の練習")));
    ASSERT_TRUE(done);
    EXPECT_TRUE(done->afterClearedPreedit);
    EXPECT_EQ(done->reading, QStringLiteral("かんじのれんしゅう"));
    EXPECT_EQ(ends(done->clauses), (QList<qint32>{0, 4, 9}));

    // A key the input method let through in between: Escape, say. What ibus
    // commits later belongs to no composition.
    tracker.feed(typing(QStringLiteral("かんじ")));
    tracker.feed(ImeEventData{});
    tracker.keyPassed();
    EXPECT_FALSE(tracker.feed(commit(QStringLiteral("かんじ"))));
    EXPECT_TRUE(tracker.lastCommitWasUncomposed());
}

TEST(CompositionTracker, SkkMarkedPreeditsGiveWordAndReading)
{
    CompositionTracker tracker;
    tracker.feed(typing(QStringLiteral("▽かんj")));
    tracker.feed(typing(QStringLiteral("▽かんじ")));
    tracker.feed(typing(QStringLiteral("▼漢字")));
    tracker.feed(ImeEventData{});
    auto done = tracker.feed(commit(QStringLiteral("漢字")));
    ASSERT_TRUE(done);
    EXPECT_EQ(done->reading, QStringLiteral("かんじ"));
    EXPECT_EQ(ends(done->clauses), (QList<qint32>{0, 3}));

    // The kana after the stem show only as their consonant before SKK
    // converts: they are the ones the word ends with.
    tracker.feed(typing(QStringLiteral("▽うつく*s")));
    tracker.feed(typing(QStringLiteral("▼美しい")));
    done = tracker.feed(commit(QStringLiteral("美しい")));
    ASSERT_TRUE(done);
    EXPECT_EQ(done->reading, QStringLiteral("うつくしい"));
    EXPECT_EQ(ends(done->clauses), (QList<qint32>{0, 5}));
}

struct ReadingCase {
    const char *name;
    QString preedit;
    QString reading;
};

class NormaliseReading : public ::testing::TestWithParam<ReadingCase> {};

TEST_P(NormaliseReading, GivesFullWidthHiragana)
{
    EXPECT_EQ(normaliseReading(GetParam().preedit, 36), GetParam().reading);
}

INSTANTIATE_TEST_SUITE_P(
    Preedits, NormaliseReading,
    ::testing::Values(ReadingCase{"halfWidthKatakanaWithVoicedMarks", QStringLiteral("ｶﾞｯｺｳﾉ"), QStringLiteral("がっこうの")},
                      ReadingCase{"katakana", QStringLiteral("テスト"), QStringLiteral("てすと")},
                      ReadingCase{"trailingFullWidthN", QStringLiteral("かｎ"), QStringLiteral("かん")},
                      ReadingCase{"trailingAsciiN", QStringLiteral("かn"), QStringLiteral("かん")},
                      ReadingCase{"innerNKept", QStringLiteral("ｎか"), QStringLiteral("ｎか")},
                      ReadingCase{"longVowelKept", QStringLiteral("コーヒー"), QStringLiteral("こーひー")}),
    [](const auto &info) { return std::string(info.param.name); });

struct ClauseCase {
    const char *name;
    QStringList clauses;
    QString reading;
    QList<qint32> expected; // empty: cannot be placed
};

class ClauseEnds : public ::testing::TestWithParam<ClauseCase> {};

TEST_P(ClauseEnds, PlacesConvertedClausesAgainstTheReading)
{
    EXPECT_EQ(ends(clauseEndsInReading(GetParam().clauses, GetParam().reading)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Clauses, ClauseEnds,
    ::testing::Values(
        ClauseCase{"twoClauses", {QStringLiteral("学校の"), QStringLiteral("先生")}, QStringLiteral("がっこうのせんせい"),
                   {0, 5, 9}},
        ClauseCase{"kanaBetweenKanji", {QStringLiteral("美しい"), QStringLiteral("花")}, QStringLiteral("うつくしいはな"),
                   {0, 5, 7}},
        ClauseCase{"katakanaClauseAgainstHiragana", {QStringLiteral("グラフ"), QStringLiteral("表")},
                   QStringLiteral("ぐらふひょう"), {0, 3, 6}},
        ClauseCase{"kanjiRunNeedsAtLeastOneCharacter", {QStringLiteral("漢"), QStringLiteral("字")}, QStringLiteral("か"), {}},
        ClauseCase{"kanaThatIsNotInTheReading", {QStringLiteral("漢字を")}, QStringLiteral("かんじの"), {}},
        ClauseCase{"readingLeftOver", {QStringLiteral("の")}, QStringLiteral("のの"), {}},
        ClauseCase{"noClauses", {}, QStringLiteral("かな"), {}},
        ClauseCase{"ambiguousKanjiRunsTakeTheShortestFirst", {QStringLiteral("日"), QStringLiteral("日")},
                   QStringLiteral("ひひ"), {0, 1, 2}},
        ClauseCase{"digitReadAsAWord", {QStringLiteral("１つの"), QStringLiteral("例")}, QStringLiteral("ひとつのれい"),
                   {0, 4, 6}},
        ClauseCase{"digitsAsTyped", {QStringLiteral("3月の"), QStringLiteral("予定")}, QStringLiteral("３がつのよてい"),
                   {0, 4, 7}},
        ClauseCase{"latinLettersReadAsAWord", {QStringLiteral("ＣＤの"), QStringLiteral("音")},
                   QStringLiteral("しーでぃーのおと"), {0, 6, 8}},
        ClauseCase{"numberBeforeKanji", {QStringLiteral("100円の"), QStringLiteral("本")},
                   QStringLiteral("ひゃくえんのほん"), {0, 6, 8}}),
    [](const auto &info) { return std::string(info.param.name); });

// A whole conversion holding digits, Latin letters or symbols, from the
// converted clauses to the text that goes in.
struct NonKanaCase {
    const char *name;
    QStringList clauses;
    QString reading;
    QString expected;
};

class ConversionsWithNonKana : public ::testing::TestWithParam<NonKanaCase> {};

TEST_P(ConversionsWithNonKana, AreAnnotatedWithoutMessages)
{
    const NonKanaCase &c = GetParam();
    const ClausePlacement placement = placeClauses(c.clauses, c.reading);
    ScriptedModal modal;
    const SeparatorTriple separators{QStringLiteral("`"), QStringLiteral("`"), QStringLiteral("`")};
    EXPECT_EQ(alignReading(c.clauses.join(QString()), c.reading, placement.clauses, separators, modal,
                           placement.needsReading),
              c.expected);
    EXPECT_EQ(modal.messages(), QStringList());
}

INSTANTIATE_TEST_SUITE_P(
    Conversions, ConversionsWithNonKana,
    ::testing::Values(
        NonKanaCase{"digitsTypedStayOutside", {QStringLiteral("3月の"), QStringLiteral("予定")},
                    QStringLiteral("３がつのよてい"), QStringLiteral("3`月`がつ`の`予定`よてい`")},
        NonKanaCase{"digitReadAsAWord", {QStringLiteral("１つの"), QStringLiteral("例")}, QStringLiteral("ひとつのれい"),
                    QStringLiteral("`１`ひと`つの`例`れい`")},
        NonKanaCase{"latinReadAsAWord", {QStringLiteral("ＣＤの"), QStringLiteral("音")},
                    QStringLiteral("しーでぃーのおと"), QStringLiteral("`ＣＤ`しーでぃー`の`音`おと`")},
        NonKanaCase{"numberAndCounterReadTogether", {QStringLiteral("100円の"), QStringLiteral("本")},
                    QStringLiteral("ひゃくえんのほん"), QStringLiteral("`100円`ひゃくえん`の`本`ほん`")},
        NonKanaCase{"punctuationAsTyped", {QStringLiteral("本です。")}, QStringLiteral("ほんです。"),
                    QStringLiteral("`本`ほん`です。")}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(Prediction, TheAnalyserReadsThePredictedWordFromWhatWasTyped)
{
    ReadingAnalyser &analyser = ReadingAnalyser::shared();
    ASSERT_TRUE(analyser.ensureLoaded()) << analyser.errorString().toStdString();
    ConfirmedConversion typed;
    typed.result = QStringLiteral("練習");
    typed.reading = QStringLiteral("れんしゅ");
    typed.readingIsPrefix = true;
    const auto read = readPrediction(typed, analyser);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->reading, QStringLiteral("れんしゅう"));
    EXPECT_FALSE(read->readingIsPrefix);

    // No reading of the word begins with what was typed: nothing to offer.
    typed.reading = QStringLiteral("かん");
    EXPECT_FALSE(readPrediction(typed, analyser));

    // Nothing tells a prediction from a conversion but the analyser: every
    // reading it has for the word goes on past what was typed.
    typed.readingIsPrefix = false;
    typed.needsReading = {true, true};
    typed.reading = QStringLiteral("れんしゅ");
    EXPECT_EQ(readPrediction(typed, analyser)->reading, QStringLiteral("れんしゅう"));
    typed.result = QStringLiteral("感じ");
    typed.reading = QStringLiteral("かんじ");
    typed.needsReading = {true, false};
    EXPECT_EQ(readPrediction(typed, analyser)->reading, QStringLiteral("かんじ"));
}

} // namespace
} // namespace zeq
