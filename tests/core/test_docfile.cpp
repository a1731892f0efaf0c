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

#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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
        int line = 0;     // of the first byte that is not text
        int column = 0;
    };
    const Case cases[] = {
        {"empty file", QByteArray(), DocumentRead::Ok, QString()},
        {"kanji with CR LF kept as is", QByteArray("`\x8a\xbf\x8e\x9a`\x82\xa9\x82\xf1\x82\xb6`\r\nabc"),
         DocumentRead::Ok, QStringLiteral("`漢字`かんじ`\r\nabc")},
        {"lone LF and CR are not touched", QByteArray("a\nb\rc\r\n"), DocumentRead::Ok,
         QStringLiteral("a\nb\rc\r\n")},
        {"backslash and tilde are ASCII", QByteArray("C:\\a~b"), DocumentRead::Ok, QStringLiteral("C:\\a~b")},
        {"NUL byte", QByteArray("ab\0cd", 5), DocumentRead::NotText, QString(), 1, 3},
        {"byte that starts nothing", QByteArray("ab\x80"), DocumentRead::NotText, QString(), 1, 3},
        {"lead byte at the end", QByteArray("ab\x82"), DocumentRead::NotText, QString(), 1, 3},
        {"code without a character", QByteArray("\x85\x40"), DocumentRead::NotText, QString(), 1, 1},
        // Read as UTF-8 (the window offers to convert it), not refused.
        {"UTF-8 text: its first bytes happen to be CP932", QByteArray("\xe6\xbc\xa2\xe5\xad\x97"), DocumentRead::Ok, QStringLiteral("漢字")},
        {"columns count characters, not bytes", QByteArray("x\r\n\x8a\xbf\x8e\x9a\xb6\xfd"),
         DocumentRead::NotText, QString(), 2, 4},
        {"lone CR and LF end lines", QByteArray("a\rb\nc\r\n\r\n\x82\xa0\0", 12), DocumentRead::NotText, QString(), 5,
         2},
        {"NUL before a later bad byte", QByteArray("a\r\nb\0\x80", 6), DocumentRead::NotText, QString(), 2, 2},
        {"bad byte before a later NUL", QByteArray("\x80\0", 2), DocumentRead::NotText, QString(), 1, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TempConfig dir;
        const DocumentRead read = readDocumentFile(put(dir, QStringLiteral("doc.txt"), c.bytes));
        EXPECT_EQ(read.status, c.status);
        EXPECT_EQ(read.text, c.text);
        EXPECT_EQ(read.line, c.line);
        EXPECT_EQ(read.column, c.column);
        EXPECT_EQ(read.size, c.bytes.size());
    }

    DocumentRead notText;
    notText.status = DocumentRead::NotText;
    notText.line = 12;
    notText.column = 7;
    EXPECT_EQ(readFailureMessage(QStringLiteral("/d/a.txt"), notText),
              QStringLiteral("テキストファイルだけを指定して下さい。\r\n12 行目 7 文字目に、文字として読めないバイトがあります。"));
}

TEST(DocumentRead, FilesTheCompanionCannotTakeWholeOpenWithAWarningUpToTheEditAreasSize)
{
    struct Case {
        qint64 bytes;
        OpenSize verdict;
    };
    const Case cases[] = {
        {0, OpenSize::Fits},
        {MAX_FILE_BYTES, OpenSize::Fits},
        {MAX_FILE_BYTES + 1, OpenSize::OverCompanion},
        {kMaxEditLength, OpenSize::OverCompanion},
        {kMaxEditLength + 1, OpenSize::TooLarge},
    };
    for (const Case &c : cases)
        EXPECT_EQ(classifyOpenSize(c.bytes), c.verdict) << c.bytes;

    TempConfig dir;
    const DocumentRead large = openDocumentFile(put(dir, QStringLiteral("large.txt"), QByteArray(40000, 'a')));
    EXPECT_EQ(large.status, DocumentRead::Ok);
    EXPECT_EQ(large.text, QString(40000, u'a'));
    EXPECT_EQ(openWarning(large),
              QStringLiteral("このファイルは 40,000 バイトあります。\r\n"
                             "Zeq が読み込めるのは 32,700 バイトまでです。Zeq で使うには、32,700 バイト以下に減らしてから保存して下さい。"));
    const DocumentRead small = openDocumentFile(put(dir, QStringLiteral("small.txt"), QByteArray(MAX_FILE_BYTES, 'a')));
    EXPECT_EQ(small.status, DocumentRead::Ok);
    EXPECT_EQ(openWarning(small), QString());

    const QString hugePath = put(dir, QStringLiteral("huge.txt"), QByteArray(kMaxEditLength + 1, 'a'));
    const DocumentRead huge = openDocumentFile(hugePath);
    EXPECT_EQ(huge.status, DocumentRead::TooLarge);
    EXPECT_EQ(huge.text, QString());
    EXPECT_EQ(readFailureMessage(hugePath, huge),
              QStringLiteral("ファイルが大きすぎるため、開くことができません。\r\n"
                             "このファイルは 1,048,577 バイトあります。開けるのは 1,048,576 バイトまでです。"));
    // The checker reads whatever it is given.
    EXPECT_EQ(readDocumentFile(hugePath).status, DocumentRead::Ok);
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
        EXPECT_EQ(writeFailureMessage(path, written),
                  QStringLiteral("ファイル [") + path + QStringLiteral("] は保存されていません。\r\n書き込みに失敗しました: ")
                      + QString::fromLocal8Bit(std::strerror(EFBIG)));
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

TEST(DocumentWrite, ReportsTheSizeWrittenAndWarnsWhenTheCompanionCannotTakeItWhole)
{
    TempConfig dir;
    const QString path = dir.path() + QStringLiteral("/doc.txt");
    // 20,001 characters, 40,001 bytes: the size counts bytes.
    const DocumentWrite large = writeDocumentFile(path, QString(20000, QChar(0x6F22)) + u'a');
    EXPECT_EQ(large.status, DocumentWrite::Ok);
    EXPECT_EQ(large.bytes, 40001);
    EXPECT_EQ(documentFileSize(path), 40001);
    EXPECT_EQ(saveWarning(path, large),
              QStringLiteral("ファイル [") + path + QStringLiteral("] を保存しました。大きさは 40,001 バイトです。\r\n"
                  "Zeq が読み込めるのは 32,700 バイトまでです。Zeq で使うには、32,700 バイト以下に減らして下さい。"));

    const DocumentWrite limit = writeDocumentFile(path, QString(MAX_FILE_BYTES, u'a'));
    EXPECT_EQ(limit.bytes, MAX_FILE_BYTES);
    EXPECT_EQ(saveWarning(path, limit), QString());
}

namespace {

struct stat statOf(const QString &path)
{
    struct stat st {};
    EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0) << path.toStdString();
    return st;
}

// Root writes into any folder, so a folder closed to the user is only closed
// to a process that is not root: the body runs in a child that drops to
// nobody when this process is root. Its DocumentWrite comes back through a
// pipe.
DocumentWrite writeAsUser(uid_t user, gid_t group, const QString &path, const QString &text)
{
    int channel[2];
    if (::pipe(channel) != 0)
        return {};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(group) != 0 || ::setuid(user) != 0))
            ::_exit(1);
        const DocumentWrite written = writeDocumentFile(path, text);
        const QByteArray report = QStringList{QString::number(written.status), QString::number(written.inPlace),
                                              QString::number(written.bytes), writeFailureMessage(path, written)}
                                      .join(u'\n')
                                      .toUtf8();
        const bool sent = ::write(channel[1], report.constData(), size_t(report.size())) == report.size();
        ::_exit(sent ? 0 : 1);
    }
    ::close(channel[1]);
    QByteArray report;
    char buffer[4096];
    for (ssize_t got; (got = ::read(channel[0], buffer, sizeof buffer)) > 0;)
        report.append(buffer, got);
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the child could not write or report";
    const QStringList fields = QString::fromUtf8(report).split(u'\n');
    DocumentWrite written;
    if (fields.size() < 4)
        return written;
    written.status = DocumentWrite::Status(fields[0].toInt());
    written.inPlace = fields[1].toInt() != 0;
    written.bytes = fields[2].toLongLong();
    written.error = fields.mid(3).join(u'\n');   // the whole message, for the test
    return written;
}

} // namespace

TEST(DocumentWrite, KeepsTheFilesModeAndOwner)
{
    TempConfig dir;
    const QString path = put(dir, QStringLiteral("doc.txt"), QByteArray("old"));
    const bool root = ::geteuid() == 0;
    // Root can give the file away, and must give it back after the save.
    if (root) {
        ASSERT_EQ(::chown(QFile::encodeName(path).constData(), 65534, 65534), 0);
    }
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0604), 0);
    const struct stat before = statOf(path);

    ASSERT_EQ(writeDocumentFile(path, QStringLiteral("new")).status, DocumentWrite::Ok);
    const struct stat after = statOf(path);
    EXPECT_EQ(contents(path), QByteArray("new"));
    EXPECT_NE(after.st_ino, before.st_ino) << "replaced in one step, not overwritten";
    EXPECT_EQ(after.st_mode & 07777, 0604u);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, before.st_gid);

    // A new file gets what any new file gets.
    const mode_t mask = ::umask(027);
    const QString fresh = dir.path() + QStringLiteral("/new.txt");
    const DocumentWrite created = writeDocumentFile(fresh, QStringLiteral("new"));
    ::umask(mask);
    EXPECT_EQ(created.status, DocumentWrite::Ok);
    EXPECT_EQ(statOf(fresh).st_mode & 07777, 0640u);
}

TEST(DocumentWrite, AWritableFileInAFolderClosedToTheUserIsOverwrittenInPlace)
{
    TempConfig dir;
    const uid_t user = ::geteuid() == 0 ? 65534 : ::geteuid();
    const gid_t group = ::geteuid() == 0 ? 65534 : ::getegid();
    // The child must reach the folder.
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
    const QString open = put(dir, QStringLiteral("open.txt"), QByteArray("the old content, longer than the new"));
    const QString locked = put(dir, QStringLiteral("locked.txt"), QByteArray("keep me"));
    for (const QString &path : {open, locked})
        ASSERT_EQ(::chown(QFile::encodeName(path).constData(), user, group), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(open).constData(), 0644), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(locked).constData(), 0444), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0555), 0);
    const struct stat before = statOf(open);

    const DocumentWrite written = writeAsUser(user, group, open, QStringLiteral("`漢字`かんじ`\r\n"));
    const DocumentWrite refused = writeAsUser(user, group, locked, QStringLiteral("new"));
    ::chmod(QFile::encodeName(dir.path()).constData(), 0755);

    EXPECT_EQ(written.status, DocumentWrite::Ok) << written.error.toStdString();
    EXPECT_TRUE(written.inPlace);
    EXPECT_EQ(written.bytes, 15);
    EXPECT_EQ(contents(open), QByteArray("`\x8a\xbf\x8e\x9a`\x82\xa9\x82\xf1\x82\xb6`\r\n"));
    const struct stat after = statOf(open);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mode & 07777, 0644u);

    EXPECT_EQ(refused.status, DocumentWrite::Failed);
    EXPECT_EQ(refused.error, QStringLiteral("ファイル [") + locked + QStringLiteral("] は保存されていません。\r\n")
                                 + QStringLiteral("ファイルに書き込めません: ")
                                 + QString::fromLocal8Bit(std::strerror(EACCES)));
    EXPECT_EQ(contents(locked), QByteArray("keep me"));
    EXPECT_EQ(entries(dir), (QStringList{QStringLiteral("locked.txt"), QStringLiteral("open.txt")}));
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
