// What the ruby preview sets for each line: the text and readings of a
// well-formed line, and for a faulty line exactly the display image's
// picture, colouring carried on from one faulty line to the next.

#include "ruby/rubysegments.h"
#include "support/qtprint.h"

#include <gtest/gtest.h>

namespace zeq {

void PrintTo(const RubySegment &segment, std::ostream *os)
{
    *os << '{' << segment.base.toStdString() << " / " << segment.reading.toStdString() << '}';
}

namespace {

SettingsRecord settingsWith(const SeparatorTriple &triple)
{
    SettingsRecord settings;
    settings.gUserSparator = triple;
    settings.gFontColor = 0x010101;
    settings.gKanjiColor = 0x020202;
    settings.gHiraColor = 0x030303;
    settings.gSepaColor = 0x040404;
    return settings;
}

struct SegmentCase {
    const char *label;
    QString line;
    QList<RubySegment> segments;
};

class RubySegments : public ::testing::TestWithParam<SegmentCase> {};

TEST_P(RubySegments, OfAWellFormedLine)
{
    const SettingsRecord settings = settingsWith({QStringLiteral("`"), QStringLiteral("`"), QStringLiteral("`")});
    RubyLineMaker maker(settings);
    const RubyLineImage image = maker.next(GetParam().line);
    ASSERT_TRUE(image.ok);
    EXPECT_EQ(image.segments, GetParam().segments);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, RubySegments,
    ::testing::Values(
        SegmentCase{"GroupsBetweenPlainText", QStringLiteral("`漢字`かんじ`の`練習`れんしゅう`です。"),
                    {{QStringLiteral("漢字"), QStringLiteral("かんじ")},
                     {QStringLiteral("の"), QString()},
                     {QStringLiteral("練習"), QStringLiteral("れんしゅう")},
                     {QStringLiteral("です。"), QString()}}},
        SegmentCase{"PlainTextOnly", QStringLiteral("ひらがなだけ。"), {{QStringLiteral("ひらがなだけ。"), QString()}}},
        SegmentCase{"EmptyLine", QString(), {}},
        SegmentCase{"GroupsSideBySide", QStringLiteral("３`月`がつ``日`にち`"),
                    {{QStringLiteral("３"), QString()},
                     {QStringLiteral("月"), QStringLiteral("がつ")},
                     {QStringLiteral("日"), QStringLiteral("にち")}}},
        // Nothing to set above the kanji: it joins the text around it.
        SegmentCase{"GroupWithoutReadingJoinsThePlainText", QStringLiteral("あ`漢``い"),
                    {{QStringLiteral("あ漢い"), QString()}}}),
    [](const auto &info) { return std::string(info.param.label); });

TEST(RubySegmentsFaulty, LinesAreTheDisplayImagesWithTheColouringCarriedOn)
{
    // Without an opening separator the colouring of a line depends on where
    // the line before left it: the "]" closes the group "[" opened a line
    // earlier, and is a separator only because of that.
    const SettingsRecord settings = settingsWith({QString(), QStringLiteral("["), QStringLiteral("]")});
    const QStringList lines = {QStringLiteral("漢[かん"), QStringLiteral("字]じ"), QStringLiteral("あ]")};
    RubyLineMaker ruby(settings);
    ImageLineMaker image(settings);
    ruby.reset();
    image.reset();
    QList<RubyLineImage> set;
    for (const QString &line : lines) {
        set.append(ruby.next(line));
        const ImageLine expected = image.next(line);
        EXPECT_FALSE(set.last().ok);
        EXPECT_TRUE(set.last().segments.isEmpty());
        EXPECT_EQ(set.last().faulty.runs, expected.runs) << line.toStdString();
        EXPECT_EQ(set.last().faulty.text(), line + QStringLiteral(" "));
    }
    EXPECT_TRUE(set[1].faulty.runs.contains(ImageRun{QStringLiteral("]"), 0x040404, 0, true}));
}

} // namespace
} // namespace zeq
