#include "platform/textpos.h"
#include "support/qtprint.h"

#include <gtest/gtest.h>

namespace zeq {
namespace {

struct LineEndCase {
    const char *name;
    QString any;
    QString lf;
};

class LineEnds : public ::testing::TestWithParam<LineEndCase> {};

TEST_P(LineEnds, EveryKindOfLineEndBecomesOneSeparator)
{
    EXPECT_EQ(toLfText(GetParam().any), GetParam().lf);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, LineEnds,
    ::testing::Values(LineEndCase{"crlf", QStringLiteral("a\r\nb\r\n"), QStringLiteral("a\nb\n")},
                      LineEndCase{"loneLf", QStringLiteral("a\nb"), QStringLiteral("a\nb")},
                      LineEndCase{"loneCr", QStringLiteral("a\rb"), QStringLiteral("a\nb")},
                      LineEndCase{"crCrLf", QStringLiteral("a\r\r\nb"), QStringLiteral("a\n\nb")},
                      LineEndCase{"lfCr", QStringLiteral("a\n\rb"), QStringLiteral("a\n\nb")},
                      LineEndCase{"paragraphSeparator", QStringLiteral("a\u2029b"), QStringLiteral("a\nb")},
                      LineEndCase{"trailingCr", QStringLiteral("a\r"), QStringLiteral("a\n")},
                      LineEndCase{"none", QStringLiteral("漢字"), QStringLiteral("漢字")}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(LineEnds, EditorFormCountsEachLineEndAsCrLf)
{
    EXPECT_EQ(toCrLfText(QStringLiteral("a\nb\n")), QStringLiteral("a\r\nb\r\n"));
    EXPECT_EQ(toCrLfText(QStringLiteral("a\u2029b")), QStringLiteral("a\r\nb"));
    EXPECT_EQ(toCrLfText(toLfText(QStringLiteral("`漢字`かんじ`\r\n\r\nです"))),
              QStringLiteral("`漢字`かんじ`\r\n\r\nです"));
}

} // namespace
} // namespace zeq
