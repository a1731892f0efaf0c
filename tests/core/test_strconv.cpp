// The Japanese string conversions by mode bits (src/platform/strconv.h).

#include "platform/strconv.h"

#include "platform/codepage.h"
#include "support/qtprint.h"

#include <gtest/gtest.h>

#include <QList>

#include <string>

using namespace zeq;

namespace {

// Not QString::fromUtf16 or fromUcs4: they drop a leading U+FEFF.
QString q(const char16_t *text)
{
    return QString(reinterpret_cast<const QChar *>(text),
                   qsizetype(std::char_traits<char16_t>::length(text)));
}

struct Case {
    int mode;
    QString in;
    QString out;
};

void PrintTo(const Case &c, std::ostream *os)
{
    *os << "mode " << c.mode << ": \"" << c.in.toStdString() << '"';
}

class StrConvTable : public ::testing::TestWithParam<Case> {};

const Case kCases[] = {
    // 36: full-width hiragana, the reading conversion of the input method.
    {36, q(u"ｶﾞｯｺｳﾉ"), q(u"がっこうの")},
    {36, q(u"ﾊﾟﾋﾟﾌﾟﾍﾟﾎﾟ ﾊﾞﾋﾞﾌﾞﾍﾞﾎﾞ"), q(u"ぱぴぷぺぽ　ばびぶべぼ")},
    {36, q(u"ｶﾞｷﾞｸﾞｹﾞｺﾞｻﾞｼﾞｽﾞｾﾞｿﾞﾀﾞﾁﾞﾂﾞﾃﾞﾄﾞ"), q(u"がぎぐげござじずぜぞだぢづでど")},
    {36, q(u"ｺｰﾋｰ"), q(u"こーひー")},
    {36, q(u"ｷｮｳﾊ､ﾊﾚ｡"), q(u"きょうは、はれ。")},
    {36, q(u"ｧｨｩｪｫｯｬｭｮｦﾝ"), q(u"ぁぃぅぇぉっゃゅょをん")},
    {36, q(u"ｳﾞｧｲｵﾘﾝ"), q(u"ゔぁいおりん")},
    {36, q(u"ｱﾞ"), q(u"あ゛")},
    {36, q(u"ABC 123"), q(u"ＡＢＣ　１２３")},
    {36, q(u"ガッコウ がっこう 漢字"), q(u"がっこう　がっこう　漢字")},
    // 4: to full-width.
    {4, q(u"ABC abc 0123456789"), q(u"ＡＢＣ　ａｂｃ　０１２３４５６７８９")},
    {4, q(u"!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~"),
     q(u"！＂＃＄％＆＇（）＊＋，－．／：；＜＝＞？＠［＼］＾＿｀｛｜｝～")},
    {4, q(u"ｶﾞｯｺｳﾉ"), q(u"ガッコウノ")},
    {4, q(u"ﾊﾟﾋﾟﾌﾟﾍﾟﾎﾟ"), q(u"パピプペポ")},
    {4, q(u"ｳﾞ"), q(u"ヴ")},
    {4, q(u"ｱﾞ ﾜﾞ ｦﾞ ｶﾟ ﾞ ﾟ ﾊﾞﾞ"), q(u"ア゛　ワ゛　ヲ゛　カ゜　゛　゜　バ゛")},
    {4, q(u"ｰ｡｢｣､･"), q(u"ー。「」、・")},
    {4, q(u"がっこう ガッコウ 漢字"), q(u"がっこう　ガッコウ　漢字")},
    {4, q(u"a\tb\r\n"), q(u"ａ\tｂ\r\n")},
    {4, q(u"\u00A5\u00A2\u00A3\u00AC\u00AF"), q(u"￥￠￡￢￣")},
    {4, q(u"\uFA19\u212B\u3314"), q(u"\uFA19\u212B\u3314")}, // not normalized
    {4, q(u"\U0001F600"), q(u"\U0001F600")},
    // 8: to half-width.
    {8, q(u"ＡＢＣ　ａｂｃ　０１２３"), q(u"ABC abc 0123")},
    {8, q(u"！＂＃＄％＆＇（）＊＋，－．／：；＜＝＞？＠［＼］＾＿｀｛｜｝～"),
     q(u"!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~")},
    {8, q(u"ガッコウノ"), q(u"ｶﾞｯｺｳﾉ")},
    {8, q(u"パピプペポ ヴ"), q(u"ﾊﾟﾋﾟﾌﾟﾍﾟﾎﾟ ｳﾞ")},
    {8, q(u"ー。「」、・゛゜"), q(u"ｰ｡｢｣､･ﾞﾟ")},
    {8, q(u"ヵヶヽヾ"), q(u"ヵヶヽヾ")},
    {8, q(u"がっこう漢字"), q(u"がっこう漢字")},
    {8, q(u"￥￣￠￡￢￤←│■"), q(u"￥￣￠￡￢￤←│■")},
    {8, q(u"ABC ｶﾞ"), q(u"ABC ｶﾞ")},
    // 16: to katakana.
    {16, q(u"がっこうの"), q(u"ガッコウノ")},
    {16, q(u"ぁぃぅぇぉっゃゅょゎをん"), q(u"ァィゥェォッャュョヮヲン")},
    {16, q(u"ゔ ゝゞ"), q(u"ヴ ヽヾ")},
    {16, q(u"こーひー"), q(u"コーヒー")},
    {16, q(u"ｶﾞ ABC 漢字 ゟ"), q(u"ｶﾞ ABC 漢字 ゟ")},
    // 32: to hiragana.
    {32, q(u"ガッコウノ"), q(u"がっこうの")},
    {32, q(u"ァィゥェォッャュョヮヲン"), q(u"ぁぃぅぇぉっゃゅょゎをん")},
    {32, q(u"ヴ ヽヾ"), q(u"ゔ ゝゞ")},
    {32, q(u"ヵヶ"), q(u"かけ")},
    {32, q(u"コーヒー ヴァー"), q(u"こーひー ゔぁー")},
    {32, q(u"ｶﾞｯｺｳ"), q(u"ｶﾞｯｺｳ")}, // half-width: no half-width hiragana
    {32, q(u"ヷヸヹヺ ・ ヿ \u3314 漢字 ABC"), q(u"ヷヸヹヺ ・ ヿ \u3314 漢字 ABC")},
    // Combinations and conflicts.
    {20, q(u"ｶﾞｯｺｳ がっこう"), q(u"ガッコウ　ガッコウ")},
    {24, q(u"がっこう　ガッコウ"), q(u"ｶﾞｯｺｳ ｶﾞｯｺｳ")},
    {40, q(u"ガッコウ　ＡＢＣ ｶﾞ"), q(u"がっこう ABC ｶﾞ")},
    {12, q(u"ｶﾞ ガ Ａ A"), q(u"ｶﾞ ガ Ａ A")},
    {48, q(u"が ガ"), q(u"が ガ")},
    {52, q(u"ｶﾞ が ガ"), q(u"ガ　が　ガ")},
    {0, q(u"ｶﾞ が ガ"), q(u"ｶﾞ が ガ")},
    {64, q(u"ｶﾞ"), q(u"ｶﾞ")}, // bit 64 means nothing for text
    {1 + 2 + 128, q(u"ｶﾞ"), q(u"ｶﾞ")},
    {100, q(u"ｶﾞｯｺｳﾉ"), q(u"がっこうの")},
    {36, QString(), QString()},
};

} // namespace

TEST_P(StrConvTable, Converts)
{
    const Case &c = GetParam();
    EXPECT_EQ(strConv(c.in, c.mode), c.out);
}

INSTANTIATE_TEST_SUITE_P(Modes, StrConvTable, ::testing::ValuesIn(kCases));

TEST(StrConv, LengthMayChange)
{
    const QString in = q(u"ｶﾞｯｺｳﾉ");
    EXPECT_EQ(in.size(), 6);
    EXPECT_EQ(strConv(in, 36).size(), 5);
    EXPECT_EQ(strConv(q(u"ガ"), ConvNarrow).size(), 2);
}

TEST(StrConv, FromCodePageBytes)
{
    // ｶﾞｯｺｳﾉ in CP932.
    const QByteArray bytes("\xB6\xDE\xAF\xBA\xB3\xC9");
    EXPECT_EQ(strConv(bytes, 64), q(u"ｶﾞｯｺｳﾉ"));
    EXPECT_EQ(strConv(bytes, 64 + 36), q(u"がっこうの"));
    EXPECT_EQ(strConv(bytes, 64 + 4), q(u"ガッコウノ"));
    EXPECT_EQ(strConv(bytes, 64 + 4 + 8), q(u"ｶﾞｯｺｳﾉ"));
    // The bytes are CP932 with or without bit 64.
    EXPECT_EQ(strConv(bytes, 36), q(u"がっこうの"));

    // 漢字のテスト ABC\~ in CP932, to half-width.
    const QByteArray mixed = encodeCp932(q(u"漢字のテスト ＡＢＣ＼～")).bytes;
    EXPECT_EQ(strConv(mixed, 64), q(u"漢字のテスト ＡＢＣ＼～"));
    EXPECT_EQ(strConv(mixed, 64 + 8), q(u"漢字のﾃｽﾄ ABC\\~"));
    EXPECT_EQ(strConv(mixed, 64 + 8 + 32), q(u"漢字のてすと ABC\\~"));
    EXPECT_EQ(strConv(mixed, 64 + 16), q(u"漢字ノテスト ＡＢＣ＼～"));

    // Invalid bytes become U+FFFD; the rest converts.
    EXPECT_EQ(strConv(QByteArray("\xB1\x80\xB2"), 64 + 36), q(u"あ\uFFFDい"));
    EXPECT_EQ(strConv(QByteArray("\xB1\x88"), 64 + 36), q(u"あ\uFFFD"));
    EXPECT_EQ(strConv(QByteArray(), 64 + 36), QString());
}

TEST(StrConv, HalfWidthRoundTrips)
{
    // Every half-width katakana, and every kana with each sound mark, comes
    // back unchanged from full-width and half-width again.
    for (char16_t c = 0xFF61; c <= 0xFF9F; ++c) {
        const QString one(QChar{c});
        EXPECT_EQ(strConv(strConv(one, ConvWide), ConvNarrow), one) << int(c);
        for (char16_t mark : {char16_t(0xFF9E), char16_t(0xFF9F)}) {
            const QString two = one + QChar(mark);
            const QString wide = strConv(two, ConvWide);
            EXPECT_EQ(strConv(wide, ConvNarrow), two) << int(c) << ' ' << int(mark);
            EXPECT_TRUE(encodeCp932(wide).ok) << int(c) << ' ' << int(mark);
        }
    }
    for (char16_t c = 0x20; c <= 0x7E; ++c) {
        const QString one(QChar{c});
        EXPECT_EQ(strConv(strConv(one, ConvWide), ConvNarrow), one) << int(c);
    }
}

TEST(StrConv, ResultsStayInTheCodePage)
{
    // Whatever CP932 can hold stays in CP932 under every mode, except for the
    // few characters that the kana transforms map outside it.
    QString all;
    for (int byte = 0x20; byte <= 0x7E; ++byte)
        all += QChar(byte);
    for (int byte = 0xA1; byte <= 0xDF; ++byte)
        all += QChar(0xFF61 + byte - 0xA1);
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (lead > 0x9F && lead < 0xE0)
            continue;
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            if (trail == 0x7F)
                continue;
            QByteArray code;
            code.append(char(lead)).append(char(trail));
            const Cp932Decoded decoded = decodeCp932(code);
            if (decoded.ok)
                all += decoded.text;
        }
    }
    ASSERT_EQ(all.size(), 95 + 63 + 7724 + 1880);
    for (int mode : {4, 8, 16, 32, 36, 24, 40}) {
        for (QChar ch : all) {
            const QString out = strConv(QString(ch), mode);
            const bool expectOk = !((mode & ConvHiragana) && ch == QChar(0x30F4)); // ヴ -> ゔ
            EXPECT_EQ(encodeCp932(out).ok, expectOk)
                << "mode " << mode << " U+" << std::hex << uint(ch.unicode());
        }
    }
}
