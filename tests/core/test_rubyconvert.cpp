#include "platform/codepage.h"
#include "ruby/linecheck.h"
#include "ruby/rubyconvert.h"
#include "support/qtprint.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <vector>

namespace zeq {
namespace {

const SeparatorTriple kBackQuotes = {QStringLiteral("`"), QStringLiteral("`"), QStringLiteral("`")};
const SeparatorTriple kBrackets = {QStringLiteral("["), QStringLiteral("|"), QStringLiteral("]")};

struct ImportCase {
    const char *name;
    QString input;
    QString text;
    int problems = 0;
    int dropped = 0;
};

void expectImports(RubyNotation notation, const std::vector<ImportCase> &cases)
{
    for (const ImportCase &c : cases) {
        const ImportedRuby result = importRuby(notation, c.input, kBackQuotes);
        EXPECT_EQ(result.text, c.text) << c.name;
        EXPECT_EQ(result.problems.size(), c.problems) << c.name;
        EXPECT_EQ(result.droppedAnnotations, c.dropped) << c.name;
    }
}

TEST(ImportAozora, ReadsBothRubyFormsNotesAndEscapesOfRealText)
{
    expectImports(RubyNotation::Aozora, {
        {"explicit and implicit", QStringLiteral("｜東京《とうきょう》の空《そら》は青《あお》い。\r\n"),
         QStringLiteral("`東京`とうきょう`の`空`そら`は`青`あお`い。\r\n")},
        {"the implicit form takes the kanji run only", QStringLiteral("私は漢字《かんじ》を書く"),
         QStringLiteral("私は`漢字`かんじ`を書く")},
        {"kana inside the word needs the bar", QStringLiteral("｜取り扱《とりあつか》い"),
         QStringLiteral("`取り扱`とりあつか`い")},
        {"iteration mark belongs to the run", QStringLiteral("人々《ひとびと》"), QStringLiteral("`人々`ひとびと`")},
        {"a reading on kana", QStringLiteral("｜かな《カナ》とカタカナ《かたかな》"),
         QStringLiteral("`かな`カナ`と`カタカナ`かたかな`")},
        {"half-width text", QStringLiteral("ｱｲｳ ABC《エービーシー》"), QStringLiteral("ｱｲｳ `ABC`エービーシー`")},
        {"punctuation around groups", QStringLiteral("「彼《かれ》」、言《い》った。"),
         QStringLiteral("「`彼`かれ`」、`言`い`った。")},
        {"notes are dropped, nested ones too",
         QStringLiteral("［＃ここから２字下げ］猫《ねこ》［＃「猫」に傍点］［＃「猫」に［＃「傍」は底本では「旁」］］\n"),
         QStringLiteral("`猫`ねこ`\n"), 0, 3},
        {"escaped notation characters and a code point",
         QStringLiteral("※［＃始め二重山括弧、1-1-52］本※［＃終わり二重山括弧、1-1-53］※［＃「土へん＋竒」、U+57FC、286-1］"),
         QStringLiteral("《本》埼")},
        {"a character described in words only", QStringLiteral("※［＃「てへん＋劣」、第4水準2-13-28］る"),
         QStringLiteral("※る"), 1},
        {"unclosed reading and a reading with no word", QStringLiteral("字《じ 。《よみ》"),
         QStringLiteral("字《じ 。《よみ》"), 2},
        {"a separator in the text", QStringLiteral("a`b"), QStringLiteral("a`b"), 1},
        {"a stray bar is text", QStringLiteral("A｜B"), QStringLiteral("A｜B")},
    });
}

TEST(ImportHtml, ReadsRubyOutOfARealPage)
{
    const QString page = QStringLiteral(
        "<!DOCTYPE html>\n<html><head><title>題《だい》</title><style>p{color:red}</style>"
        "<script>if (a < b) x = '<ruby>';</script></head>\n<body>\n"
        "  <h1>第<ruby>一<rp>(</rp><rt>いち</rt><rp>)</rp></ruby>章</h1>\n"
        "  <p><ruby><b>漢字</b><rt>かんじ</rt></ruby>の\n     練習 &amp; <!-- note --> テスト&#x3002;</p>\n"
        "  <p><ruby><rb>東</rb><rt>とう</rt><rb>京</rb><rt>きょう</rt></ruby>&nbsp;&#32;ｶﾅ<br><br>end</p>\n"
        "<pre>\n  <ruby>字<rt>じ</rt></ruby>  a\r\n\r\nb</pre>\n"
        "</body></html>\n");
    const ImportedRuby result = importHtml(page, kBackQuotes);
    EXPECT_EQ(result.text, QStringLiteral("第`一`いち`章\r\n"
                                          "`漢字`かんじ`の 練習 & テスト。\r\n"
                                          "`東`とう``京`きょう`\u00A0 ｶﾅ\r\n"
                                          "\r\n"
                                          "end\r\n"
                                          "  `字`じ`  a\r\n"
                                          "\r\n"
                                          "b\r\n"));
    EXPECT_TRUE(result.problems.isEmpty());
}

TEST(ImportHtml, NamesWhatItCannotConvertAndWhere)
{
    const ImportedRuby result =
        importHtml(QStringLiteral("<p>a &bogus; b</p>\n<p><rt>よみ</rt></p>"), kBackQuotes);
    EXPECT_EQ(result.text, QStringLiteral("a &bogus; b\r\nよみ\r\n"));
    ASSERT_EQ(result.problems.size(), 2);
    EXPECT_EQ(result.problems[0].line, 1);
    EXPECT_EQ(result.problems[0].column, 6);
    EXPECT_EQ(result.problems[1].line, 2);
    EXPECT_EQ(result.problems[1].column, 4);
}

TEST(ImportHtml, ToleratesTheMarkupOfPagesFoundInTheWild)
{
    const QString page = QStringLiteral(
        "<P CLASS=\"x\"><A HREF=\"a.html?b=1&c=2\" title='1 > 0'><RUBY>漢<RT><span>かん</span></RT></RUBY></A>"
        "<!-- <ruby>偽<rt>にせ</rt></ruby> -->&#x1F600;<br/>x</P>");
    const ImportedRuby result = importHtml(page, kBackQuotes);
    EXPECT_EQ(result.text, QStringLiteral("`漢`かん`😀\r\nx\r\n"));
    EXPECT_TRUE(result.problems.isEmpty());
}

TEST(ImportNotation, ReadsUtf8WhenItIsValidAndShiftJisOtherwise)
{
    const QString text = QStringLiteral("｜漢字《かんじ》");
    EXPECT_EQ(decodeNotationBytes("\xEF\xBB\xBF" + text.toUtf8()), text);
    EXPECT_EQ(decodeNotationBytes(encodeCp932(text).bytes), text);
    EXPECT_EQ(decodeNotationBytes(QByteArray("a\0b", 3)), std::nullopt);
    EXPECT_EQ(decodeNotationBytes(QByteArray("\x81\x20\xFF")), std::nullopt);
}

TEST(ImportBrackets, TakesTheWordAfterASpaceOrTheLineStart)
{
    expectImports(RubyNotation::Brackets, {
        {"word at the start and after a space", QStringLiteral("私[わたし]は 日本[にほん]に 住[す]んでいる。\n"),
         QStringLiteral("`私`わたし`は`日本`にほん`に`住`す`んでいる。\n")},
        {"two groups in a row", QStringLiteral("漢字[かんじ] 練習[れんしゅう]"),
         QStringLiteral("`漢字`かんじ``練習`れんしゅう`")},
        {"kana inside the word, half-width reading", QStringLiteral(" 取り扱[ﾄﾘｱﾂｶ]い"),
         QStringLiteral("`取り扱`ﾄﾘｱﾂｶ`い")},
        {"a space of the text stays", QStringLiteral("a  字[じ]"), QStringLiteral("a `字`じ`")},
        {"brackets without a word or a close are text", QStringLiteral("see [1] and x[y"),
         QStringLiteral("see [1] and x[y")},
    });
}

TEST(ExportRuby, WritesEachNotationAsItsReadersExpect)
{
    const QString text = QStringLiteral("`東京`とうきょう`の`取り扱`とりあつか`い《ちゅう》\r\n");
    EXPECT_EQ(exportAozora(text, kBackQuotes),
              QStringLiteral("東京《とうきょう》の｜取り扱《とりあつか》い"
                             "※［＃始め二重山括弧、1-1-52］ちゅう※［＃終わり二重山括弧、1-1-53］\r\n"));
    EXPECT_EQ(exportBrackets(text, kBackQuotes),
              QStringLiteral("東京[とうきょう]の 取り扱[とりあつか]い《ちゅう》\r\n"));

    const QString page = exportHtml(QStringLiteral("`字`じ` <a>\r\n\r\n"), kBackQuotes);
    EXPECT_TRUE(page.startsWith(QStringLiteral("<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"utf-8\">")));
    EXPECT_TRUE(page.contains(QStringLiteral(
        "<p><ruby>字<rp>(</rp><rt>じ</rt><rp>)</rp></ruby> &lt;a&gt;</p>\n<p><br></p>\n</body>")));
}

TEST(ExportRuby, ListsLinesItCannotWriteAsGroups)
{
    QList<ConversionProblem> problems;
    const QString out = exportAozora(QStringLiteral("かな\r\n`字`じ\r\n漢字\r\n"), kBackQuotes, &problems);
    EXPECT_EQ(out, QStringLiteral("かな\r\n`字`じ\r\n漢字\r\n"));
    ASSERT_EQ(problems.size(), 2);
    EXPECT_EQ(problems[0].line, 2);
    EXPECT_TRUE(problems[0].what.startsWith(lineFaultMessage(LineFault::SeparatorCount).mid(2)));
    EXPECT_EQ(problems[1].line, 3);

    // Brackets have no escapes: these lines would read back as other text.
    problems.clear();
    exportBrackets(QStringLiteral("x[1]`字`じ`\r\n`字`` `a b`c`\r\n"), kBackQuotes, &problems);
    ASSERT_EQ(problems.size(), 2);
    EXPECT_EQ(problems[0].line, 1);
    EXPECT_EQ(problems[1].line, 2);
}

TEST(ExportRuby, SaysWhenTheSeparatorsCannotDelimitGroups)
{
    QList<ConversionProblem> problems;
    const SeparatorTriple emptyOpening = {QString(), QStringLiteral("|"), QStringLiteral("]")};
    EXPECT_EQ(exportAozora(QStringLiteral("字|じ]\r\n"), emptyOpening, &problems), QStringLiteral("字|じ]\r\n"));
    EXPECT_EQ(problems.size(), 1);

    // A triple the checker cannot judge still cuts lines into groups.
    problems.clear();
    EXPECT_EQ(exportBrackets(QStringLiteral("[字|じ]の\r\n[字|じ\r\n"), kBrackets, &problems),
              QStringLiteral("字[じ]の\r\n[字|じ\r\n"));
    ASSERT_EQ(problems.size(), 1);
    EXPECT_EQ(problems[0].line, 2);
}

TEST(ExportRuby, PageTakesTheColoursAndFontOfThePreview)
{
    HtmlPageStyle style;
    style.title = QStringLiteral("<題>");
    style.fontFamily = QStringLiteral("IPAGothic\"</style>");
    style.pointSize = 14;
    style.textColor = 0x0000FF;  // red, as the settings keep it
    style.backColor = 0xFF0000;  // blue
    const QString page = exportHtml(QStringLiteral("か\r\n"), kBackQuotes, nullptr, style);
    EXPECT_TRUE(page.contains(QStringLiteral("<title>&lt;題&gt;</title>")));
    EXPECT_TRUE(page.contains(
        QStringLiteral("font-family: \"IPAGothic/style\", serif; font-size: 14pt; color: #ff0000; background: #0000ff;")));
}

// A well-formed document from a seeded generator: plain text without kanji,
// groups of kanji (kana inside sometimes) with kana readings, CR LF lines.
class DocumentGenerator {
public:
    DocumentGenerator(quint32 seed, bool bracketsSafe) : m_random(seed), m_bracketsSafe(bracketsSafe) {}

    QString document(const SeparatorTriple &separators)
    {
        m_separators = separators;
        QString text;
        const int lines = int(m_random.bounded(1, 6));
        for (int line = 0; line < lines; ++line) {
            const int parts = int(m_random.bounded(0, 7));
            for (int part = 0; part < parts; ++part) {
                if (m_random.bounded(2) == 0) {
                    text += pick(plainAlphabet(), 1, 6);
                } else {
                    QString base = pick(QStringLiteral("漢字東京練習日本語人々取扱"), 1, 4);
                    if (m_random.bounded(4) == 0)
                        base.insert(1, pick(QStringLiteral("りのカ"), 1, 1));
                    text += separators[0] + base + separators[1] + pick(readingAlphabet(), 1, 6) + separators[2];
                }
            }
            text += QStringLiteral("\r\n");
        }
        return text;
    }

private:
    QString plainAlphabet() const
    {
        // The notations' own characters, white space and markup for the
        // escaping ones; brackets have no escapes and are spared them.
        return m_bracketsSafe ? QStringLiteral("かなカナｶﾅabc12、。「」！ ")
                              : QStringLiteral("かなカナｶﾅabc12、。「」 \t<>&\";｜《》［］＃※[]");
    }
    QString readingAlphabet() const
    {
        return m_bracketsSafe ? QStringLiteral("かんじよみカナｶﾅ") : QStringLiteral("かんじよみカナｶﾅ 《》｜&<");
    }
    QString pick(QString alphabet, int least, int most)
    {
        for (const QString &separator : m_separators)
            alphabet.remove(separator);
        QString out;
        const int count = int(m_random.bounded(least, most + 1));
        for (int i = 0; i < count; ++i)
            out += alphabet.at(m_random.bounded(int(alphabet.size())));
        return out;
    }

    QRandomGenerator m_random;
    bool m_bracketsSafe;
    SeparatorTriple m_separators;
};

TEST(RubyRoundTrip, ExportThenImportGivesTheSameTextForEveryNotation)
{
    for (const SeparatorTriple &separators : {kBackQuotes, kBrackets}) {
        for (RubyNotation notation : {RubyNotation::Aozora, RubyNotation::Html, RubyNotation::Brackets}) {
            DocumentGenerator generator(20261207, notation == RubyNotation::Brackets);
            for (int i = 0; i < 300; ++i) {
                const QString text = generator.document(separators);
                QList<ConversionProblem> problems;
                const QString exported = exportRuby(notation, text, separators, &problems);
                const ImportedRuby imported = importRuby(notation, exported, separators);
                ASSERT_EQ(imported.text, text) << int(notation) << " " << exported.toStdString();
                EXPECT_TRUE(problems.isEmpty()) << int(notation) << " " << text.toStdString();
            }
        }
    }
}

} // namespace
} // namespace zeq
