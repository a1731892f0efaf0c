#include "app/commandline.h"

#include "support/qtprint.h"

#include <gtest/gtest.h>

namespace zeq {
namespace {

struct Case {
    const char *what;
    QStringList arguments;
    CommandLine::Kind kind;
    QStringList files;
    QString unknown;
    bool help = false;
};

TEST(CommandLine, OptionsCountAnywhereAndEveryFileIsOneArgument)
{
    using K = CommandLine::Kind;
    const QString a = QStringLiteral("a.txt"), b = QStringLiteral("b c.txt");
    const std::vector<Case> cases = {
        {"no argument", {}, K::Editor, {}, {}},
        {"two files stay two", {a, b}, K::Editor, {a, b}, {}},
        {"--version after a file", {a, QStringLiteral("--version")}, K::Version, {}, {}},
        {"--version beside a checker option", {QStringLiteral("--check"), a, QStringLiteral("--version")}, K::Version, {}, {}},
        {"--help after a file", {a, QStringLiteral("--help")}, K::Tool, {a}, {}, true},
        {"--help beside an unknown option", {QStringLiteral("--frobnicate"), QStringLiteral("--help")}, K::Tool, {},
         QStringLiteral("--frobnicate"), true},
        {"checker option after the file", {a, QStringLiteral("--check")}, K::Tool, {a}, {}},
        {"--separators=", {QStringLiteral("--separators=|||"), a}, K::Tool, {a}, {}},
        {"after --, options are names", {QStringLiteral("--"), QStringLiteral("--version"), QStringLiteral("-x")},
         K::Editor, {QStringLiteral("--version"), QStringLiteral("-x")}, {}},
        {"unknown option", {QStringLiteral("--frobnicate"), a}, K::Editor, {a}, QStringLiteral("--frobnicate")},
        {"a lone dash is a name", {QStringLiteral("-")}, K::Editor, {QStringLiteral("-")}, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const CommandLine line = parseCommandLine(c.arguments);
        EXPECT_EQ(line.kind, c.kind);
        if (c.kind != K::Version) {
            EXPECT_EQ(line.files, c.files);
            EXPECT_EQ(line.unknownOption, c.unknown);
            EXPECT_EQ(line.help, c.help);
        }
    }
}

} // namespace
} // namespace zeq
