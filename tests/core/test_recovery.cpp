// Unsaved text that outlives a crash, and files changed behind the editor's
// back.

#include "document/document.h"
#include "document/recovery.h"
#include "platform/codepage.h"
#include "support/qtprint.h"
#include "support/textbuffer.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace zeq {
namespace {

mode_t modeOf(const QString &path)
{
    struct stat info {};
    EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0) << path.toStdString();
    return info.st_mode & 07777;
}

TEST(Recovery, PrivateFileOfARunningEditorIsOfferedOnlyOnceItHasEnded)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("state/recovery"));
    QString file;
    {
        RecoveryStore running(folder);
        ASSERT_TRUE(running.write(QStringLiteral("/home/u/a.txt"), QStringLiteral("漢字\r\nかな")));
        ASSERT_TRUE(running.write(QStringLiteral("/home/u/a.txt"), QStringLiteral("漢字\r\nかなカナ")));
        file = running.fileName();
        EXPECT_EQ(modeOf(file), mode_t(0600));
        EXPECT_EQ(modeOf(folder), mode_t(0700));
        // Another editor must not take a running one's text.
        EXPECT_TRUE(RecoveryStore(folder).orphans().isEmpty());
    } // ends without removing it, as a crash does

    RecoveryStore next(folder);
    const QList<RecoveredText> orphans = next.orphans();
    ASSERT_EQ(orphans.size(), 1);
    EXPECT_EQ(orphans[0].path, QStringLiteral("/home/u/a.txt"));
    EXPECT_EQ(orphans[0].text, QStringLiteral("漢字\r\nかなカナ"));
    RecoveryStore::discard(orphans[0]);
    EXPECT_TRUE(next.orphans().isEmpty());
    EXPECT_FALSE(QFile::exists(file));

    // A clean end leaves nothing behind.
    {
        RecoveryStore clean(folder);
        ASSERT_TRUE(clean.write(QString(), QStringLiteral("x")));
        clean.remove();
    }
    EXPECT_TRUE(next.orphans().isEmpty());
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList());
}

TEST(Recovery, AFileRewrittenByAnotherProgramIsNoticedUntilTheNextSave)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.txt"));
    auto put = [&](const QByteArray &bytes) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    };
    put("abc");
    TextBuffer text;
    Document document(text);
    EXPECT_FALSE(document.changedOnDisk());
    ASSERT_EQ(document.openFile(path).status, DocumentRead::Ok);
    EXPECT_FALSE(document.changedOnDisk());
    put("abcdef");
    EXPECT_TRUE(document.changedOnDisk());
    ASSERT_EQ(document.saveFile(path).status, DocumentWrite::Ok);
    EXPECT_FALSE(document.changedOnDisk());
    QFile::remove(path);
    EXPECT_FALSE(document.changedOnDisk()) << "nothing to overwrite";
}

} // namespace
} // namespace zeq
