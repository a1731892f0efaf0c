#include "about/helpfile.h"

#include "support/qtprint.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace zeq {
namespace {

void touch(const QString &path)
{
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

TEST(HelpFile, FoundBesideTheProgramInABuildTreeAndUnderShareOnceInstalled)
{
    QTemporaryDir root;
    const QString bin = root.filePath(QStringLiteral("usr/bin"));
    QDir().mkpath(bin);
    // Neither: the path beside the program, for the help window to name.
    EXPECT_EQ(locateHelpFile(bin), bin + QStringLiteral("/help/zqhelp.html"));

    const QString installed = root.filePath(QStringLiteral("usr/share/zeqedit/help/zqhelp.html"));
    touch(installed);
    EXPECT_EQ(locateHelpFile(bin), installed);

    touch(bin + QStringLiteral("/help/zqhelp.html"));
    EXPECT_EQ(locateHelpFile(bin), bin + QStringLiteral("/help/zqhelp.html"));
}

} // namespace
} // namespace zeq
