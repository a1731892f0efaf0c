// The checker as users run it: the real program, no display, its own exit
// status, and no settings written.

#include "support/qtprint.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct ProgramRun {
    int exitCode = -1;
    QString out;
    QString err;
};

ProgramRun runEditor(const QStringList &arguments, const QString &configHome)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
    // A checker must not need a display at all.
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(ZEQEDIT_PATH), arguments);
    EXPECT_TRUE(process.waitForFinished(30000));
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

TEST(CheckerProgram, ReportsTheFaultyLineOfTheSampleAndWritesNoSettings)
{
    QTemporaryDir config;
    const ProgramRun run = runEditor({QStringLiteral("--check"), QStringLiteral(ZEQ_SAMPLE_PATH)}, config.path());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, QStringLiteral(ZEQ_SAMPLE_PATH) + QStringLiteral(":4: 漢字セパレータの数に過不足があります。\n"));
    EXPECT_EQ(QDir(config.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
}

TEST(CheckerProgram, AnUnreadableFileOutranksAFaultyLine)
{
    QTemporaryDir config;
    const ProgramRun run = runEditor({QStringLiteral("--check"), config.filePath(QStringLiteral("missing.txt")),
                               QStringLiteral(ZEQ_SAMPLE_PATH)},
                              config.path());
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.err.startsWith(config.filePath(QStringLiteral("missing.txt")) + QStringLiteral(": ")));
    EXPECT_TRUE(run.out.contains(QStringLiteral(":4: ")));
}

TEST(CheckerProgram, ResolvesWithTheSeparatorsGiven)
{
    QTemporaryDir config;
    const ProgramRun run = runEditor({QStringLiteral("--readings"), QStringLiteral("--separators"), QStringLiteral("```"),
                               QStringLiteral(ZEQ_SAMPLE_PATH)},
                              config.path());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.out.startsWith(QStringLiteral("かんじのれんしゅうです。\r\nきょうはてんきがよい。\r\n")));
}

} // namespace
