#include "platform/codepage.h"
#include "ruby/rubytext.h"
#include "support/qtprint.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <vector>

namespace zeq {
namespace {

// The character that code page 932 decodes from the given two bytes.
QString fromCp932(unsigned char lead, unsigned char trail)
{
    const char bytes[] = {char(lead), char(trail)};
    const Cp932Decoded decoded = decodeCp932(QByteArray(bytes, 2));
    EXPECT_TRUE(decoded.ok) << std::hex << int(lead) << ' ' << int(trail);
    return decoded.text;
}

struct KanjiCase {
    const char *why;
    QString text;
    int expected;
};

void PrintTo(const KanjiCase &c, std::ostream *os) { *os << c.why; }

class RubyTextIsKanji : public ::testing::TestWithParam<KanjiCase> {};

TEST_P(RubyTextIsKanji, GivesTheClassOfTheFirstCharacter)
{
    const KanjiCase &c = GetParam();
    EXPECT_EQ(isKanji(c.text), c.expected) << c.why;
    EXPECT_EQ(isKanji(QStringView(c.text)), c.expected) << c.why;
}

INSTANTIATE_TEST_SUITE_P(
    RubyTextCharacters, RubyTextIsKanji,
    ::testing::Values(
        KanjiCase{"亜 0x889F, first level-1 kanji", QStringLiteral("亜"), 1},
        KanjiCase{"腕 0x9872, last level-1 kanji", QStringLiteral("腕"), 1},
        KanjiCase{"弌 0x989F, first level-2 kanji", QStringLiteral("弌"), 1},
        KanjiCase{"熙 0xEAA4, last level-2 kanji", QStringLiteral("熙"), 1},
        KanjiCase{"漢 ordinary kanji", QStringLiteral("漢"), 1},
        KanjiCase{"＿ 0x8151, just below the marks", QStringLiteral("＿"), 0},
        KanjiCase{"ヽ 0x8152, katakana iteration mark", QStringLiteral("ヽ"), 1},
        KanjiCase{"ヾ 0x8153", QStringLiteral("ヾ"), 1},
        KanjiCase{"ゝ 0x8154, hiragana iteration mark", QStringLiteral("ゝ"), 1},
        KanjiCase{"ゞ 0x8155", QStringLiteral("ゞ"), 1},
        KanjiCase{"〃 0x8156", QStringLiteral("〃"), 1},
        KanjiCase{"仝 0x8157", QStringLiteral("仝"), 1},
        KanjiCase{"々 0x8158", QStringLiteral("々"), 1},
        KanjiCase{"〆 0x8159, last mark", QStringLiteral("〆"), 1},
        KanjiCase{"〇 0x815A, just above the marks", QStringLiteral("〇"), 0},
        KanjiCase{"ー 0x815B, long vowel mark", QStringLiteral("ー"), 0},
        KanjiCase{"あ hiragana", QStringLiteral("あ"), 0},
        KanjiCase{"ん last common hiragana", QStringLiteral("ん"), 0},
        KanjiCase{"ア katakana", QStringLiteral("ア"), 0},
        KanjiCase{"ヶ small katakana ke", QStringLiteral("ヶ"), 0},
        KanjiCase{"ｱ half-width katakana, single byte 0xB1", QStringLiteral("ｱ"), 0},
        KanjiCase{"A ASCII letter", QStringLiteral("A"), 0},
        KanjiCase{"１ full-width digit", QStringLiteral("１"), 0},
        KanjiCase{"、 ideographic comma", QStringLiteral("、"), 0},
        KanjiCase{"。 ideographic full stop", QStringLiteral("。"), 0},
        KanjiCase{"─ box drawing, row 8", QStringLiteral("─"), 0},
        KanjiCase{"① NEC row 13 special character", QStringLiteral("①"), 0},
        KanjiCase{"NEC-selected IBM kanji from 0xED40, encodes to 0xFA5C", fromCp932(0xED, 0x40), 0},
        KanjiCase{"IBM extension row 0xFA40 (small roman one)", fromCp932(0xFA, 0x40), 0},
        KanjiCase{"IBM extension kanji 0xFA5C", fromCp932(0xFA, 0x5C), 0},
        KanjiCase{"IBM extension kanji 0xFC4B, the last code", fromCp932(0xFC, 0x4B), 0},
        KanjiCase{"user-defined area 0xF040", fromCp932(0xF0, 0x40), 0},
        KanjiCase{"丂 CJK ideograph without a CP932 code", QStringLiteral("丂"), 0},
        KanjiCase{"𠮟 ideograph outside the BMP", QStringLiteral("𠮟"), 0},
        KanjiCase{"lone high surrogate", QString(QChar(char16_t(0xD842))), 0},
        KanjiCase{"¥ has no CP932 code (no best fit)", QStringLiteral("¥"), 0},
        KanjiCase{"hiragana first, kanji second", QStringLiteral("あ漢"), 0},
        KanjiCase{"kanji first, hiragana second", QStringLiteral("漢あ"), 1},
        KanjiCase{"ASCII first, kanji second", QStringLiteral("a漢"), 0},
        KanjiCase{"empty string", QString(), 0}));

TEST(RubyTextIsKanji, UnmappableTestCharactersReallyHaveNoCode)
{
    // Guards the cases above: they only test the '?' path if CP932 lacks them.
    EXPECT_EQ(cp932CodeOfFirst(QStringLiteral("丂")), 0x3F);
    EXPECT_EQ(cp932CodeOfFirst(QStringLiteral("¥")), 0x3F);
    EXPECT_EQ(cp932CodeOfFirst(QStringLiteral("𠮟")), 0x3F);
    EXPECT_EQ(cp932CodeOfFirst(QStringLiteral("〇")), 0x815A);
    EXPECT_EQ(cp932CodeOfFirst(QStringLiteral("＿")), 0x8151);
    EXPECT_EQ(cp932CodeOfFirst(QStringLiteral("熙")), 0xEAA4);
    EXPECT_EQ(cp932CodeOfFirst(fromCp932(0xED, 0x40)), 0xFA5C);
}

struct CodeCase {
    int code;
    int expected;
};

TEST(RubyTextIsKanji, CodeRangesAreInclusiveOnBothEnds)
{
    const std::vector<CodeCase> cases = {
        {0x3F, 0},   {0xB1, 0},   {0x8140, 0}, {0x8151, 0}, {0x8152, 1}, {0x8155, 1}, {0x8159, 1},
        {0x815A, 0}, {0x815B, 0}, {0x82A0, 0}, {0x889E, 0}, {0x889F, 1}, {0x9872, 1}, {0x989F, 1},
        {0xEAA4, 1}, {0xEAA5, 1}, {0xEAA6, 0}, {0xED40, 0}, {0xFA40, 0}, {0xFC4B, 0}, {-1, 0},
    };
    for (const CodeCase &c : cases)
        EXPECT_EQ(isKanjiCode(c.code), c.expected) << std::hex << "code 0x" << c.code;
}

// isKanji answers from a table built once; this compares it with the code
// page lookup for every UTF-16 code unit so the two can never drift apart.
TEST(RubyTextIsKanji, AgreesWithTheCodePageOverTheWholeBmp)
{
    auto byCode = [](int code) {
        return (code >= 0x889F && code <= 0xEAA5) || (code >= 0x8152 && code <= 0x8159) ? 1 : 0;
    };
    QStringList mismatches;
    int kanjiCount = 0;
    for (int unit = 0; unit <= 0xFFFF; ++unit) {
        const QString text{QChar(char16_t(unit))};
        const int expected = byCode(cp932CodeOfFirst(text));
        const int actual = isKanji(text);
        kanjiCount += actual;
        if (actual != expected && mismatches.size() < 20)
            mismatches.append(QStringLiteral("U+%1 gives %2").arg(unit, 4, 16, QLatin1Char('0')).arg(actual));
    }
    EXPECT_EQ(mismatches, QStringList());
    // 2965 level-1 and 3390 level-2 kanji of JIS X 0208 and the eight marks.
    EXPECT_EQ(kanjiCount, 2965 + 3390 + 8);
}

struct SeparatorCase {
    const char *why;
    SeparatorTriple triple;
    QString ch;
    int stateBefore;
    bool expected;
    int stateAfter;
};

void PrintTo(const SeparatorCase &c, std::ostream *os) { *os << c.why; }

class RubyTextIsSeparator : public ::testing::TestWithParam<SeparatorCase> {};

TEST_P(RubyTextIsSeparator, MatchesAndAdjustsTheState)
{
    const SeparatorCase &c = GetParam();
    int state = c.stateBefore;
    EXPECT_EQ(isSeparator(c.ch, state, c.triple), c.expected) << c.why;
    EXPECT_EQ(state, c.stateAfter) << c.why;
}

const QString bq = QStringLiteral("`");
const QString none;
const QString pipe = QStringLiteral("|");
const QString slash = QStringLiteral("/");

INSTANTIATE_TEST_SUITE_P(
    RubyTextTriples, RubyTextIsSeparator,
    ::testing::Values(
        SeparatorCase{"uniform, separator in state 0", {bq, bq, bq}, bq, 0, true, 0},
        SeparatorCase{"uniform, separator in state 1", {bq, bq, bq}, bq, 1, true, 1},
        SeparatorCase{"uniform, separator in state 2", {bq, bq, bq}, bq, 2, true, 2},
        SeparatorCase{"uniform, other character", {bq, bq, bq}, QStringLiteral("'"), 0, false, 0},
        SeparatorCase{"uniform, kanji in state 1", {bq, bq, bq}, QStringLiteral("漢"), 1, false, 1},
        SeparatorCase{"comparison is case-sensitive", {QStringLiteral("a"), QStringLiteral("a"), QStringLiteral("a")},
                      QStringLiteral("A"), 0, false, 0},
        SeparatorCase{"a two-character separator never matches one character",
                      {QStringLiteral("``"), QStringLiteral("``"), QStringLiteral("``")}, bq, 0, false, 0},
        SeparatorCase{"all empty, back-quote", {none, none, none}, bq, 0, false, 0},
        SeparatorCase{"all empty, letter in state 2", {none, none, none}, QStringLiteral("a"), 2, false, 2},
        SeparatorCase{"empty|/: opening found in state 0 skips to 1", {none, pipe, slash}, pipe, 0, true, 1},
        SeparatorCase{"empty|/: closing met in state 0 still moves to 1", {none, pipe, slash}, slash, 0, false, 1},
        SeparatorCase{"empty|/: other character leaves state 0", {none, pipe, slash}, QStringLiteral("x"), 0, false,
                      0},
        SeparatorCase{"empty|/: middle in state 1", {none, pipe, slash}, pipe, 1, true, 1},
        SeparatorCase{"empty|/: closing in state 1", {none, pipe, slash}, slash, 1, false, 1},
        SeparatorCase{"empty|/: closing in state 2", {none, pipe, slash}, slash, 2, true, 2},
        SeparatorCase{"empty|/: middle in state 2", {none, pipe, slash}, pipe, 2, false, 2},
        SeparatorCase{"<empty>: any separator in state 1 moves to 2", {QStringLiteral("<"), none, QStringLiteral(">")},
                      QStringLiteral("<"), 1, false, 2},
        SeparatorCase{"<empty>: closing in state 1 moves to 2 and matches",
                      {QStringLiteral("<"), none, QStringLiteral(">")}, QStringLiteral(">"), 1, true, 2},
        SeparatorCase{"<empty>: opening in state 0", {QStringLiteral("<"), none, QStringLiteral(">")},
                      QStringLiteral("<"), 0, true, 0},
        SeparatorCase{"<>empty: opening in state 2 wraps to 0 and matches",
                      {QStringLiteral("<"), QStringLiteral(">"), none}, QStringLiteral("<"), 2, true, 0},
        SeparatorCase{"<>empty: middle in state 2 wraps to 0, no match",
                      {QStringLiteral("<"), QStringLiteral(">"), none}, QStringLiteral(">"), 2, false, 0},
        SeparatorCase{"only the first empty member acts: empty,empty,/ in state 1", {none, none, slash}, slash, 1,
                      false, 1},
        SeparatorCase{"empty,empty,/ in state 0 moves to 1 only", {none, none, slash}, slash, 0, false, 1},
        SeparatorCase{"state out of range is refused unchanged", {bq, bq, bq}, bq, 3, false, 3}));

// The states a scan of line goes through, one digit per character, as the
// line checker advances them.
QString scanStates(const QString &line, const SeparatorTriple &triple)
{
    QString states;
    int state = 0;
    for (QChar unit : line) {
        if (isSeparator(QString(unit), state, triple))
            state = (state + 1) % 3;
        states.append(QChar(u'0' + state));
    }
    return states;
}

TEST(RubyTextIsSeparator, EmptyOpeningLetsTheScanSkipTheKanjiPhase)
{
    // kanji run, A, reading, B, plain text
    EXPECT_EQ(scanStates(QStringLiteral("漢字|かんじ/です"), {none, pipe, slash}), QStringLiteral("002222000"));
    EXPECT_EQ(scanStates(QStringLiteral("`漢`かん`す"), {bq, bq, bq}), QStringLiteral("1122200"));
}

TEST(RubyTextIsSeparator, ReadsTheTripleItIsGivenAtEachCall)
{
    SeparatorTriple triple{bq, bq, bq};
    int state = 0;
    EXPECT_TRUE(isSeparator(bq, state, triple));
    triple = {QStringLiteral("#"), QStringLiteral("#"), QStringLiteral("#")};
    EXPECT_FALSE(isSeparator(bq, state, triple));
    EXPECT_TRUE(isSeparator(QStringLiteral("#"), state, triple));
}

TEST(RubyTextIsUniform, OnlyThreeEqualNonEmptySeparators)
{
    struct Case {
        SeparatorTriple triple;
        bool expected;
    };
    const std::vector<Case> cases = {
        {{bq, bq, bq}, true},
        {{QStringLiteral("#"), QStringLiteral("#"), QStringLiteral("#")}, true},
        {{none, none, none}, false},
        {{none, bq, bq}, false},
        {{bq, none, bq}, false},
        {{bq, bq, none}, false},
        {{bq, bq, QStringLiteral("'")}, false},
        {{QStringLiteral("a"), QStringLiteral("A"), QStringLiteral("a")}, false},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(isUniform(c.triple), c.expected)
            << c.triple[0].toStdString() << '|' << c.triple[1].toStdString() << '|' << c.triple[2].toStdString();
    }
}

} // namespace
} // namespace zeq
