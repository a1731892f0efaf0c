// The checker as users run it: the real program, no display, its own exit
// status, and no settings written.

#include "support/qtprint.h"

#include "platform/codepage.h"

#include <QDir>
#include <QFile>
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
    // Nor may it learn from or write the user's readings.
    env.insert(QStringLiteral("XDG_DATA_HOME"), configHome);
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

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

TEST(CheckerProgram, AnnotatesToStandardOutputToAFileOrInPlace)
{
    QTemporaryDir folder;
    const QString input = folder.filePath(QStringLiteral("input.txt"));
    const QByteArray original = zeq::encodeCp932(QStringLiteral("漢字の練習\r\n壊れた`行\r\n")).bytes;
    writeBytes(input, original);
    const QString annotatedText = QStringLiteral("`漢字`かんじ`の`練習`れんしゅう`\r\n壊れた`行\r\n");

    const ProgramRun printed = runEditor({QStringLiteral("--annotate"), input}, folder.path());
    EXPECT_EQ(printed.exitCode, 1);  // the broken line stays broken
    EXPECT_EQ(printed.out, annotatedText);
    EXPECT_TRUE(printed.err.contains(input + QStringLiteral(":2: ")));
    EXPECT_EQ(fileBytes(input), original);

    const QString output = folder.filePath(QStringLiteral("out.txt"));
    const ProgramRun written = runEditor({QStringLiteral("--annotate"), QStringLiteral("-o"), output, input}, folder.path());
    EXPECT_EQ(written.exitCode, 1);
    EXPECT_EQ(written.out, QString());
    EXPECT_EQ(fileBytes(output), zeq::encodeCp932(annotatedText).bytes);
    EXPECT_EQ(fileBytes(input), original);

    const ProgramRun replaced = runEditor({QStringLiteral("--annotate"), QStringLiteral("--in-place"), input}, folder.path());
    EXPECT_EQ(replaced.exitCode, 1);
    EXPECT_EQ(fileBytes(input), zeq::encodeCp932(annotatedText).bytes);

    const ProgramRun missing =
        runEditor({QStringLiteral("--annotate"), folder.filePath(QStringLiteral("none.txt"))}, folder.path());
    EXPECT_EQ(missing.exitCode, 2);
    // Nothing learnt, nothing written beside the files.
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
              (QStringList{QStringLiteral("input.txt"), QStringLiteral("out.txt")}));
}

TEST(CheckerProgram, AnnotatingPrefersTheReadingsTheUserChose)
{
    QTemporaryDir folder;
    ASSERT_TRUE(QDir(folder.path()).mkpath(QStringLiteral("ZeqSoft/ZeqEditor")));
    writeBytes(folder.filePath(QStringLiteral("ZeqSoft/ZeqEditor/readings.txt")), QByteArray("日本\tにっぽん\n"));
    const QString input = folder.filePath(QStringLiteral("input.txt"));
    writeBytes(input, zeq::encodeCp932(QStringLiteral("日本の山")).bytes);

    const ProgramRun run = runEditor({QStringLiteral("--annotate"), input}, folder.path());
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, QStringLiteral("`日本`にっぽん`の`山`やま`"));
}

} // namespace

TEST(EditorProgram, VersionAndHelpNeedNoDisplayWhereverTheyStand)
{
    QTemporaryDir config;
    const ProgramRun version = runEditor({QStringLiteral("a.txt"), QStringLiteral("--version")}, config.path());
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, QStringLiteral("Zeq Text Editor 1.02\n"));

    const ProgramRun help =
        runEditor({QStringLiteral("a.txt"), QStringLiteral("--frobnicate"), QStringLiteral("--help")}, config.path());
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.startsWith(QStringLiteral("Usage: zeqedit [FILE]...\n"))) << help.out.toStdString();
    EXPECT_TRUE(help.out.contains(QStringLiteral("--version")));

    // A checker option after the file still runs the checker.
    const ProgramRun check = runEditor({QStringLiteral(ZEQ_SAMPLE_PATH), QStringLiteral("--check")}, config.path());
    EXPECT_EQ(check.exitCode, 1);
    EXPECT_TRUE(check.out.contains(QStringLiteral(":4: ")));
}
