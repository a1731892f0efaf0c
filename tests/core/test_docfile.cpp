// Documents on disk: reading, writing that never loses the old file or a
// character, and the recent-files list.

#include "document/docfile.h"
#include "document/recent.h"
#include "platform/codepage.h"
#include "support/cp932corpus.h"
#include "support/filesizecap.h"
#include "support/qtprint.h"
#include "support/tempconfig.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <cerrno>
#include <csignal>
#include <cstring>

using namespace zeq;
using zeq::test::TempConfig;

namespace {

QString put(const TempConfig &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.path() + u'/' + name;
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes);
    return path;
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return file.readAll();
}

QStringList entries(const TempConfig &dir)
{
    return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

QString u16(const char16_t *text)
{
    return QString::fromUtf16(text);
}

} // namespace

TEST(DocumentRead, TextIsDecodedAndAnythingElseIsNotText)
{
    struct Case {
        const char *name;
        QByteArray bytes;
        DocumentRead::Status status;
        QString text;
    };
    const Case cases[] = {
        {"empty file", QByteArray(), DocumentRead::Ok, QString()},
        {"kanji with CR LF kept as is", QByteArray("`\x8a\xbf\x8e\x9a`\x82\xa9\x82\xf1\x82\xb6`\r\nabc"),
         DocumentRead::Ok, QStringLiteral("`漢字`かんじ`\r\nabc")},
        {"lone LF and CR are not touched", QByteArray("a\nb\rc\r\n"), DocumentRead::Ok,
         QStringLiteral("a\nb\rc\r\n")},
        {"backslash and tilde are ASCII", QByteArray("C:\\a~b"), DocumentRead::Ok, QStringLiteral("C:\\a~b")},
        {"NUL byte", QByteArray("ab\0cd", 5), DocumentRead::NotText, QString()},
        {"byte that starts nothing", QByteArray("ab\x80"), DocumentRead::NotText, QString()},
        {"lead byte at the end", QByteArray("ab\x82"), DocumentRead::NotText, QString()},
        {"code without a character", QByteArray("\x85\x40"), DocumentRead::NotText, QString()},
        {"UTF-8 text", QByteArray("\xe6\xbc\xa2\xe5\xad\x97"), DocumentRead::NotText, QString()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TempConfig dir;
        const DocumentRead read = readDocumentFile(put(dir, QStringLiteral("doc.txt"), c.bytes));
        EXPECT_EQ(read.status, c.status);
        EXPECT_EQ(read.text, c.text);
    }
}

TEST(DocumentRead, MissingFilesAndFoldersCannotBeOpened)
{
    TempConfig dir;
    EXPECT_EQ(readDocumentFile(dir.path() + QStringLiteral("/missing.txt")).status, DocumentRead::CannotOpen);
    EXPECT_EQ(readDocumentFile(dir.path()).status, DocumentRead::CannotOpen);
    EXPECT_EQ(documentFileSize(dir.path() + QStringLiteral("/missing.txt")), -1);
    EXPECT_EQ(documentFileSize(put(dir, QStringLiteral("limit.txt"), QByteArray(MAX_FILE_BYTES, 'a'))), 32700);
}

TEST(DocumentWrite, WritesTheTextExactlyAndReplacesTheWholeFile)
{
    struct Case {
        const char *name;
        QByteArray before;   // empty: no file yet
        QString text;
        QByteArray after;
    };
    const Case cases[] = {
        {"new file, no line end added", {}, QStringLiteral("`漢字`かんじ`\r\nabc"),
         QByteArray("`\x8a\xbf\x8e\x9a`\x82\xa9\x82\xf1\x82\xb6`\r\nabc")},
        {"shorter text leaves no tail of the old file", QByteArray(5000, 'x'), QStringLiteral("ab"),
         QByteArray("ab")},
        {"empty text empties the file", QByteArray("old"), QString(), QByteArray()},
        {"trailing line end kept, not doubled", {}, QStringLiteral("a\r\n"), QByteArray("a\r\n")},
        {"half-width katakana and a duplicate at its preferred code", {},
         u16(u"\uFF76\uFF85\u2252\u7E8A"), QByteArray("\xb6\xc5\x81\xe0\xfa\x5c")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TempConfig dir;
        const QString path = dir.path() + QStringLiteral("/doc.txt");
        if (!c.before.isEmpty())
            put(dir, QStringLiteral("doc.txt"), c.before);
        const DocumentWrite written = writeDocumentFile(path, c.text);
        EXPECT_EQ(written.status, DocumentWrite::Ok);
        EXPECT_EQ(written.error, QString());
        EXPECT_EQ(contents(path), c.after);
        // The temporary file has taken the document's place.
        EXPECT_EQ(entries(dir), QStringList{QStringLiteral("doc.txt")});
    }
}

TEST(DocumentWrite, CharactersWithoutACodeAreRefusedBeforeAnythingIsWritten)
{
    struct Case {
        const char *name;
        QString text;
        int line;
        int column;
        QString characters;
    };
    const Case cases[] = {
        {"wave dash at the start", u16(u"\u301Cabc"), 1, 1, u16(u"\u301C")},
        {"after two CR LF lines", u16(u"ab\r\ncd\r\nxy\u00A5z"), 3, 3, u16(u"\u00A5")},
        {"lone LF and lone CR end lines too", u16(u"a\nb\rcd\u2014"), 3, 3, u16(u"\u2014")},
        {"a surrogate pair is one column", u16(u"\U0001F600\U0001F600\r\nx"), 1, 1,
         u16(u"\U0001F600\U0001F600")},
        {"column counts the pair before it", u16(u"漢\U0001F600\u00A5"), 1, 2, u16(u"\U0001F600\u00A5")},
        {"invisible zero-width space", u16(u"ab\u200Bc"), 1, 3, u16(u"\u200B")},
        {"run ends at a character with a code", u16(u"x\u00A5\u00A5a\u00A5"), 1, 2, u16(u"\u00A5\u00A5")},
        {"long run names the first eight", QStringLiteral("a") + QString(20, QChar(0x00A5)), 1, 2,
         QString(8, QChar(0x00A5))},
        {"lone surrogate", QStringLiteral("ab") + QChar(0xD800) + QStringLiteral("c"), 1, 3,
         QString(QChar(0xD800))},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TempConfig dir;
        const QString existing = put(dir, QStringLiteral("old.txt"), QByteArray("keep me"));
        const QString fresh = dir.path() + QStringLiteral("/new.txt");

        const DocumentWrite overExisting = writeDocumentFile(existing, c.text);
        EXPECT_EQ(overExisting.status, DocumentWrite::Unmappable);
        EXPECT_EQ(overExisting.line, c.line);
        EXPECT_EQ(overExisting.column, c.column);
        EXPECT_EQ(overExisting.characters, c.characters);
        EXPECT_EQ(contents(existing), QByteArray("keep me"));

        EXPECT_EQ(writeDocumentFile(fresh, c.text).status, DocumentWrite::Unmappable);
        EXPECT_EQ(entries(dir), QStringList{QStringLiteral("old.txt")});
    }
}

TEST(DocumentWrite, RefusalNamesTheCharactersTheirCodesAndWhereTheyAre)
{
    DocumentWrite one;
    one.status = DocumentWrite::Unmappable;
    one.characters = u16(u"\u301C");
    one.line = 12;
    one.column = 3;
    EXPECT_EQ(unmappableMessage(one),
              QStringLiteral("12 行目 3 文字目の「〜」(U+301C) は Shift-JIS で保存できない文字です。\r\n"
                             "この文字を書き換えてから保存して下さい。ファイルは保存されていません。"));

    DocumentWrite several = one;
    several.characters = u16(u"\u200B\U0001F600");
    several.line = 1;
    several.column = 40;
    EXPECT_EQ(unmappableMessage(several),
              u16(u"1 行目 40 文字目からの「\u200B\U0001F600」(U+200B U+1F600) は Shift-JIS で保存できない文字です。\r\n"
                  u"これらの文字を書き換えてから保存して下さい。ファイルは保存されていません。"));
}

TEST(DocumentWrite, FailuresReportTheSystemErrorAndLeaveTheOldFileWhole)
{
    // Over the cap: the write fails part way, as on a full disk.
    {
        TempConfig dir;
        const QByteArray old("the previous, shorter content\r\n");
        const QString path = put(dir, QStringLiteral("doc.txt"), old);
        DocumentWrite written;
        {
            test::FileSizeCap cap(1024);
            ASSERT_TRUE(cap.active());
            written = writeDocumentFile(path, QString(4096, u'a'));
        }
        EXPECT_EQ(written.status, DocumentWrite::Failed);
        EXPECT_EQ(written.error, QString::fromLocal8Bit(std::strerror(EFBIG)));
        EXPECT_EQ(contents(path), old);
        EXPECT_EQ(entries(dir), QStringList{QStringLiteral("doc.txt")});
    }
    // A folder that is a file: nothing can be created there, whoever asks.
    {
        TempConfig dir;
        const QString notFolder = put(dir, QStringLiteral("plain"), QByteArray("x"));
        const DocumentWrite written = writeDocumentFile(notFolder + QStringLiteral("/doc.txt"), QStringLiteral("abc"));
        EXPECT_EQ(written.status, DocumentWrite::Failed);
        EXPECT_FALSE(written.error.isEmpty());
        EXPECT_EQ(contents(notFolder), QByteArray("x"));
        EXPECT_EQ(entries(dir), QStringList{QStringLiteral("plain")});
    }
}

TEST(DocumentFiles, EveryCharacterOfTheCodePageSurvivesReadAndWrite)
{
    int doubles = 0;
    const QByteArray document = test::everyCharacterDocument(&doubles);
    // 7724 double-byte codes less 398 duplicates, plus 1880 user-defined.
    ASSERT_EQ(doubles, 7724 - 398 + 1880);
    ASSERT_LE(document.size(), MAX_FILE_BYTES);

    TempConfig dir;
    const QString path = put(dir, QStringLiteral("all.txt"), document);
    const DocumentRead read = readDocumentFile(path);
    ASSERT_EQ(read.status, DocumentRead::Ok);
    const QString copy = dir.path() + QStringLiteral("/copy.txt");
    ASSERT_EQ(writeDocumentFile(copy, read.text).status, DocumentWrite::Ok);
    EXPECT_EQ(contents(copy), document);
}

TEST(RecentFiles, PushPutsNewestFirstAndTheOldestFallsOff)
{
    struct Case {
        const char *name;
        RecentFiles before;
        QString pushed;
        RecentFiles after;
        int count;
    };
    const Case cases[] = {
        {"into an empty list", {}, "a", {"a", "", "", "", ""}, 1},
        {"onto a full list", {"e", "d", "c", "b", "a"}, "f", {"f", "e", "d", "c", "b"}, 5},
        {"a copy of an entry is pushed like any path", {"a", "b", "c", "d", "e"}, "e", {"e", "a", "b", "c", "d"}, 5},
        {"an empty first entry hides the rest", {"", "x", "y", "", ""}, "n", {"n", "", "x", "y", ""}, 1},
        {"paths differing in case are different", {"C:\\A.TXT", "", "", "", ""}, "c:\\a.txt",
         {"c:\\a.txt", "C:\\A.TXT", "", "", ""}, 2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        RecentFiles files = c.before;
        pushRecentFile(files, c.pushed);
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(files[i], c.after[i]) << i;
        EXPECT_EQ(recentFileCount(files), c.count);
    }
}
