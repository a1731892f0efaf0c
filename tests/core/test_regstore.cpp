#include "platform/codepage.h"
#include "platform/regstore.h"
#include "support/filesizecap.h"
#include "support/qtprint.h"
#include "support/tempconfig.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zeq {
namespace {

using test::TempConfig;

const QString kEnv = QStringLiteral("Software\\ZeqSoft\\ZeqEditor\\Env");

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

RegValue text(const QString &value)
{
    QByteArray bytes = encodeCp932(value).bytes;
    bytes.append('\0');
    return {REG_SZ, bytes};
}

RegValue dword(quint32 value)
{
    QByteArray bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[i] = char(value >> (8 * i));
    return {REG_DWORD, bytes};
}

// Everything in the store's folder except the store file itself.
QStringList strayFiles(const QString &storeFile)
{
    QDir dir(QFileInfo(storeFile).absolutePath());
    QStringList names = dir.entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    names.removeAll(QFileInfo(storeFile).fileName());
    return names;
}

TEST(RegStoreKeys, CreateReportsNewThenExistingAndCreatesParents)
{
    TempConfig config;
    RegStore store(config.storeFile());
    quint32 disposition = 0;
    ASSERT_EQ(store.createKey(HKEY_CURRENT_USER, kEnv, &disposition), kErrorSuccess);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    ASSERT_EQ(store.createKey(HKEY_CURRENT_USER, kEnv, &disposition), kErrorSuccess);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    // The parents came into being with the key.
    ASSERT_EQ(store.createKey(HKEY_CURRENT_USER, QStringLiteral("Software\\ZeqSoft"), &disposition),
              kErrorSuccess);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    EXPECT_EQ(store.openKey(HKEY_CURRENT_USER, QStringLiteral("Software\\ZeqSoft\\ZeqEditor")), kErrorSuccess);
}

TEST(RegStoreKeys, OpenNeverCreatesAKeyNorTheFile)
{
    TempConfig config;
    RegStore store(config.storeFile());
    EXPECT_EQ(store.openKey(HKEY_CURRENT_USER, kEnv), kErrorFileNotFound);
    EXPECT_EQ(store.openKey(HKEY_CURRENT_USER, kEnv), kErrorFileNotFound);
    EXPECT_FALSE(QFileInfo::exists(config.storeFile()));
    RegValue out;
    EXPECT_EQ(store.queryValue(HKEY_CURRENT_USER, kEnv, QStringLiteral("EditorTop"), 4, &out),
              kErrorFileNotFound);
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(config.storeFile()).absolutePath()));
}

TEST(RegStoreKeys, PathsAndNamesAreCaseSensitive)
{
    TempConfig config;
    RegStore store(config.storeFile());
    quint32 disposition = 0;
    ASSERT_EQ(store.createKey(HKEY_CURRENT_USER, QStringLiteral("Software\\Zeq"), &disposition), kErrorSuccess);
    EXPECT_EQ(store.openKey(HKEY_CURRENT_USER, QStringLiteral("software\\zeq")), kErrorFileNotFound);
    ASSERT_EQ(store.setValue(HKEY_CURRENT_USER, QStringLiteral("Software\\Zeq"), QStringLiteral("Name"), dword(1)),
              kErrorSuccess);
    ASSERT_EQ(store.setValue(HKEY_CURRENT_USER, QStringLiteral("Software\\Zeq"), QStringLiteral("name"), dword(2)),
              kErrorSuccess);
    RegValue upper;
    RegValue lower;
    ASSERT_EQ(store.queryValue(HKEY_CURRENT_USER, QStringLiteral("Software\\Zeq"), QStringLiteral("Name"), 4, &upper),
              kErrorSuccess);
    ASSERT_EQ(store.queryValue(HKEY_CURRENT_USER, QStringLiteral("Software\\Zeq"), QStringLiteral("name"), 4, &lower),
              kErrorSuccess);
    EXPECT_EQ(upper.data, dword(1).data);
    EXPECT_EQ(lower.data, dword(2).data);
}

struct BadPathCase {
    const char *label;
    quint32 root;
    QString path;
    long expected;
};

class RegStoreBadPath : public ::testing::TestWithParam<BadPathCase> {};

TEST_P(RegStoreBadPath, IsRefusedWithoutTouchingTheFile)
{
    TempConfig config;
    RegStore store(config.storeFile());
    const BadPathCase &c = GetParam();
    quint32 disposition = 77;
    EXPECT_EQ(store.createKey(c.root, c.path, &disposition), c.expected);
    EXPECT_EQ(disposition, 77u);
    EXPECT_EQ(store.openKey(c.root, c.path), c.expected);
    EXPECT_FALSE(QFileInfo::exists(config.storeFile()));
}

INSTANTIATE_TEST_SUITE_P(
    All, RegStoreBadPath,
    ::testing::Values(BadPathCase{"LeadingBackslash", HKEY_CURRENT_USER, QStringLiteral("\\Software"), kErrorBadPathName},
                      BadPathCase{"TrailingBackslash", HKEY_CURRENT_USER, QStringLiteral("Software\\"), kErrorBadPathName},
                      BadPathCase{"EmptyComponent", HKEY_CURRENT_USER, QStringLiteral("Software\\\\Zeq"), kErrorBadPathName},
                      BadPathCase{"LineBreak", HKEY_CURRENT_USER, QStringLiteral("Soft\nware"), kErrorBadPathName},
                      BadPathCase{"OtherRoot", 0x80000002u, QStringLiteral("Software"), kErrorInvalidParameter}),
    [](const auto &info) { return std::string(info.param.label); });

TEST(RegStoreValues, NumbersAndTextsAreDistinctKindsAndWritesReplaceTheKind)
{
    TempConfig config;
    RegStore store(config.storeFile());
    quint32 disposition = 0;
    ASSERT_EQ(store.createKey(HKEY_CURRENT_USER, kEnv, &disposition), kErrorSuccess);
    const QString name = QStringLiteral("Value");
    RegValue out;

    ASSERT_EQ(store.setValue(HKEY_CURRENT_USER, kEnv, name, dword(0x31)), kErrorSuccess);
    ASSERT_EQ(store.queryValue(HKEY_CURRENT_USER, kEnv, name, 512, &out), kErrorSuccess);
    EXPECT_EQ(out.type, REG_DWORD);
    EXPECT_EQ(out.data, dword(0x31).data);

    ASSERT_EQ(store.setValue(HKEY_CURRENT_USER, kEnv, name, text(QStringLiteral("1"))), kErrorSuccess);
    ASSERT_EQ(store.queryValue(HKEY_CURRENT_USER, kEnv, name, 512, &out), kErrorSuccess);
    EXPECT_EQ(out.type, REG_SZ);
    EXPECT_EQ(out.data, QByteArray("1", 2));
}

TEST(RegStoreValues, QueryReportsMissingAndTooLarge)
{
    TempConfig config;
    RegStore store(config.storeFile());
    quint32 disposition = 0;
    ASSERT_EQ(store.createKey(HKEY_CURRENT_USER, kEnv, &disposition), kErrorSuccess);
    const RegValue big = text(QString(300, QChar(0x6F22)));  // 600 bytes + NUL
    ASSERT_EQ(big.data.size(), 601);
    ASSERT_EQ(store.setValue(HKEY_CURRENT_USER, kEnv, QStringLiteral("Big"), big), kErrorSuccess);

    RegValue out;
    out.data = "untouched";
    EXPECT_EQ(store.queryValue(HKEY_CURRENT_USER, kEnv, QStringLiteral("Big"), 600, &out), kErrorMoreData);
    EXPECT_EQ(out.data, QByteArray("untouched"));
    EXPECT_EQ(store.queryValue(HKEY_CURRENT_USER, kEnv, QStringLiteral("Big"), 601, &out), kErrorSuccess);
    EXPECT_EQ(out.data, big.data);
    EXPECT_EQ(store.queryValue(HKEY_CURRENT_USER, kEnv, QStringLiteral("Absent"), 512, &out), kErrorFileNotFound);
    EXPECT_EQ(store.queryValue(HKEY_CURRENT_USER, QStringLiteral("Software\\Absent"), QStringLiteral("Big"), 512, &out),
              kErrorFileNotFound);
}

TEST(RegStoreValues, SetIntoMissingKeyFailsAndCreatesNothing)
{
    TempConfig config;
    RegStore store(config.storeFile());
    EXPECT_EQ(store.setValue(HKEY_CURRENT_USER, kEnv, QStringLiteral("EditorTop"), dword(1)), kErrorFileNotFound);
    EXPECT_EQ(store.openKey(HKEY_CURRENT_USER, kEnv), kErrorFileNotFound);
    EXPECT_FALSE(QFileInfo::exists(config.storeFile()));
}

TEST(RegStoreFile, IsWrittenAsUtf8RegExport)
{
    TempConfig config;
    RegStore store(config.storeFile());
    quint32 disposition = 0;
    ASSERT_EQ(store.createKey(HKEY_CURRENT_USER, kEnv, &disposition), kErrorSuccess);
    ASSERT_EQ(store.setValue(HKEY_CURRENT_USER, kEnv, QStringLiteral("EditorTop"), dword(0xFFFFFFFFu)), kErrorSuccess);
    ASSERT_EQ(store.setValue(HKEY_CURRENT_USER, kEnv, QStringLiteral("EditorLeft"), dword(0x3E8)), kErrorSuccess);
    ASSERT_EQ(store.setValue(HKEY_CURRENT_USER, kEnv, QStringLiteral("Path"),
                             text(QStringLiteral("C:\\文書\\\"q\".txt"))),
              kErrorSuccess);
    ASSERT_EQ(store.setValue(HKEY_CURRENT_USER, kEnv, QStringLiteral("Font"), text(QStringLiteral("ＭＳ 明朝"))),
              kErrorSuccess);
    ASSERT_EQ(store.setValue(HKEY_CURRENT_USER, kEnv, QStringLiteral("Empty"), text(QString())), kErrorSuccess);

    const QByteArray expected = QStringLiteral("Windows Registry Editor Version 5.00\n"
                                               "\n"
                                               "[HKEY_CURRENT_USER\\Software]\n"
                                               "\n"
                                               "[HKEY_CURRENT_USER\\Software\\ZeqSoft]\n"
                                               "\n"
                                               "[HKEY_CURRENT_USER\\Software\\ZeqSoft\\ZeqEditor]\n"
                                               "\n"
                                               "[HKEY_CURRENT_USER\\Software\\ZeqSoft\\ZeqEditor\\Env]\n"
                                               "\"EditorTop\"=dword:ffffffff\n"
                                               "\"EditorLeft\"=dword:000003e8\n"
                                               "\"Path\"=\"C:\\\\文書\\\\\\\"q\\\".txt\"\n"
                                               "\"Font\"=\"ＭＳ 明朝\"\n"
                                               "\"Empty\"=\"\"\n")
                                    .toUtf8();
    EXPECT_EQ(readBytes(config.storeFile()), expected);
}

TEST(RegStoreFile, GetsOwnerOnlyModeAndItsFolderIsCreated)
{
    TempConfig config;
    RegStore store(config.storeFile());
    quint32 disposition = 0;
    ASSERT_EQ(store.createKey(HKEY_CURRENT_USER, kEnv, &disposition), kErrorSuccess);
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(config.storeFile()).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
    ASSERT_EQ(::stat(QFile::encodeName(QFileInfo(config.storeFile()).absolutePath()).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0700u);
    EXPECT_EQ(strayFiles(config.storeFile()), QStringList());
}

TEST(RegStoreFile, TemporaryFilesOfAKilledWriteGoAtTheNextWrite)
{
    TempConfig config;
    writeBytes(config.storeFile() + QStringLiteral(".tmp-Ab12Cd"), "half a file");
    RegStore store(config.storeFile());
    quint32 disposition = 0;
    ASSERT_EQ(store.createKey(HKEY_CURRENT_USER, kEnv, &disposition), kErrorSuccess);
    EXPECT_EQ(strayFiles(config.storeFile()), QStringList());
}

ino_t inodeOf(const QString &path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
}

TEST(RegStoreFile, IsReplacedOnlyWhenAValueChanges)
{
    TempConfig config;
    RegStore store(config.storeFile());
    quint32 disposition = 0;
    ASSERT_EQ(store.createKey(HKEY_CURRENT_USER, kEnv, &disposition), kErrorSuccess);
    ASSERT_EQ(store.setValue(HKEY_CURRENT_USER, kEnv, QStringLiteral("A"), text(QStringLiteral("x"))), kErrorSuccess);
    const ino_t first = inodeOf(config.storeFile());
    ASSERT_NE(first, ino_t(0));

    ASSERT_EQ(store.setValue(HKEY_CURRENT_USER, kEnv, QStringLiteral("A"), text(QStringLiteral("x"))), kErrorSuccess);
    EXPECT_EQ(inodeOf(config.storeFile()), first);

    // Same bytes as a different kind is a change.
    ASSERT_EQ(store.setValue(HKEY_CURRENT_USER, kEnv, QStringLiteral("A"), {REG_DWORD, QByteArray("x\0", 2)}),
              kErrorSuccess);
    EXPECT_NE(inodeOf(config.storeFile()), first);
    RegValue out;
    ASSERT_EQ(store.queryValue(HKEY_CURRENT_USER, kEnv, QStringLiteral("A"), 4, &out), kErrorSuccess);
    EXPECT_EQ(out.type, REG_DWORD);
}

TEST(RegStoreFile, ReloadGivesTheSameKeysAndValues)
{
    TempConfig config;
    const QString other = QStringLiteral("Software\\Other \"quoted\" [key]");
    struct Stored {
        QString key;
        QString name;
        RegValue value;
    };
    const QList<Stored> values = {
        {kEnv, QStringLiteral("EditorTop"), dword(0x80000000u)},
        {kEnv, QStringLiteral("漢字"), text(QStringLiteral("漢字の練習です。"))},
        {kEnv, QString(), text(QStringLiteral("default value"))},
        {kEnv, QStringLiteral("we\\ird \"name\""), text(QStringLiteral("a\\b\"c"))},
        // Raw forms: texts that CP932 cannot give back, odd sizes, binary.
        {other, QStringLiteral("NoTerminator"), {REG_SZ, QByteArray("abc")}},
        {other, QStringLiteral("LineBreak"), text(QStringLiteral("one\r\ntwo"))},
        {other, QStringLiteral("BadBytes"), {REG_SZ, QByteArray("\x81\x00\x82\x00", 4)}},
        {other, QStringLiteral("ShortDword"), {REG_DWORD, QByteArray("\x01\x02", 2)}},
        {other, QStringLiteral("Binary"), {3, QByteArray("\x00\xff\x10", 3)}},
        {other, QStringLiteral("EmptyBinary"), {3, QByteArray()}},
        {other, QStringLiteral("MultiSz"), {7, QByteArray("a\0b\0\0", 5)}},
    };
    {
        RegStore store(config.storeFile());
        quint32 disposition = 0;
        ASSERT_EQ(store.createKey(HKEY_CURRENT_USER, kEnv, &disposition), kErrorSuccess);
        ASSERT_EQ(store.createKey(HKEY_CURRENT_USER, other, &disposition), kErrorSuccess);
        ASSERT_EQ(store.createKey(HKEY_CURRENT_USER, QStringLiteral("Software\\Empty\\Leaf"), &disposition),
                  kErrorSuccess);
        for (const Stored &v : values)
            ASSERT_EQ(store.setValue(HKEY_CURRENT_USER, v.key, v.name, v.value), kErrorSuccess) << v.name.toStdString();
    }
    const QByteArray written = readBytes(config.storeFile());
    RegStore reloaded(config.storeFile());
    EXPECT_EQ(reloaded.openKey(HKEY_CURRENT_USER, QStringLiteral("Software\\Empty\\Leaf")), kErrorSuccess);
    EXPECT_EQ(reloaded.openKey(HKEY_CURRENT_USER, QStringLiteral("Software\\Empty")), kErrorSuccess);
    for (const Stored &v : values) {
        RegValue out;
        ASSERT_EQ(reloaded.queryValue(HKEY_CURRENT_USER, v.key, v.name, 1024, &out), kErrorSuccess) << v.name.toStdString();
        EXPECT_EQ(out.type, v.value.type) << v.name.toStdString();
        EXPECT_EQ(out.data, v.value.data) << v.name.toStdString();
    }
    EXPECT_EQ(reloaded.quarantinedPath(), QString());
    EXPECT_EQ(readBytes(config.storeFile()), written);
}

struct TolerantCase {
    const char *label;
    QByteArray file;
    QString key;
    QString name;
    RegValue expected;
};

class RegStoreHandEdited : public ::testing::TestWithParam<TolerantCase> {};

TEST_P(RegStoreHandEdited, IsReadWithoutBeingRewritten)
{
    TempConfig config;
    const TolerantCase &c = GetParam();
    writeBytes(config.storeFile(), c.file);
    RegStore store(config.storeFile());
    RegValue out;
    ASSERT_EQ(store.queryValue(HKEY_CURRENT_USER, c.key, c.name, 1024, &out), kErrorSuccess);
    EXPECT_EQ(out.type, c.expected.type);
    EXPECT_EQ(out.data, c.expected.data);
    EXPECT_EQ(store.quarantinedPath(), QString());
    EXPECT_EQ(readBytes(config.storeFile()), c.file);
}

QByteArray utf16Export(const QString &text)
{
    QByteArray bytes("\xFF\xFE");
    bytes.append(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    return bytes;
}

QByteArray utf16BigEndianExport(const QString &text)
{
    QByteArray bytes("\xFE\xFF");
    for (QChar c : text) {
        bytes.append(char(c.unicode() >> 8));
        bytes.append(char(c.unicode() & 0xFF));
    }
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    All, RegStoreHandEdited,
    ::testing::Values(
        TolerantCase{"CrLfCommentsAndBlankLines",
                     "Windows Registry Editor Version 5.00\r\n\r\n; my colours\r\n"
                     "[HKEY_CURRENT_USER\\Software\\Z]\r\n  ; kanji in green\r\n\r\n\"KanjiColor\"=dword:0000ff00\r\n",
                     QStringLiteral("Software\\Z"), QStringLiteral("KanjiColor"), dword(0xFF00)},
        TolerantCase{"SpacesAroundEqualsAndUpperCaseHex",
                     "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Z]\n"
                     "\"Size\" = DWORD:00000A\n",
                     QStringLiteral("Software\\Z"), QStringLiteral("Size"), dword(10)},
        TolerantCase{"ByteOrderMark",
                     "\xEF\xBB\xBFWindows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Z]\n"
                     "\"Font\"=\"\xEF\xBC\xAD\xEF\xBC\xB3 \xE6\x98\x8E\xE6\x9C\x9D\"\n",
                     QStringLiteral("Software\\Z"), QStringLiteral("Font"), text(QStringLiteral("ＭＳ 明朝"))},
        TolerantCase{"WindowsExportInUtf16",
                     utf16Export(QStringLiteral("Windows Registry Editor Version 5.00\r\n\r\n"
                                                "[HKEY_CURRENT_USER\\Software\\Z]\r\n\"Sep\"=\"|\"\r\n")),
                     QStringLiteral("Software\\Z"), QStringLiteral("Sep"), text(QStringLiteral("|"))},
        TolerantCase{"WindowsExportInUtf16BigEndian",
                     utf16BigEndianExport(QStringLiteral("Windows Registry Editor Version 5.00\r\n\r\n"
                                                         "[HKEY_CURRENT_USER\\Software\\Z]\r\n\"Sep\"=\"|\"\r\n")),
                     QStringLiteral("Software\\Z"), QStringLiteral("Sep"), text(QStringLiteral("|"))},
        TolerantCase{"WrappedHexData",
                     "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Z]\n"
                     "\"Bin\"=hex:01,02,\\\n  03,04\n",
                     QStringLiteral("Software\\Z"), QStringLiteral("Bin"), RegValue{3, QByteArray("\x01\x02\x03\x04")}},
        TolerantCase{"RepeatedSectionsMergeAndLastValueWins",
                     "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Z]\n\"N\"=dword:1\n"
                     "[HKEY_CURRENT_USER\\Software\\Y]\n[HKEY_CURRENT_USER\\Software\\Z]\n\"N\"=dword:2\n",
                     QStringLiteral("Software\\Z"), QStringLiteral("N"), dword(2)},
        TolerantCase{"TextWithoutCp932CodeReadsAsQuestionMark",
                     "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Z]\n"
                     "\"T\"=\"a\xF0\x9F\x98\x80" "b\"\n",
                     QStringLiteral("Software\\Z"), QStringLiteral("T"), RegValue{REG_SZ, QByteArray("a?b", 4)}}),
    [](const auto &info) { return std::string(info.param.label); });

TEST(RegStoreHandEditedKeys, AChildSectionImpliesItsParents)
{
    TempConfig config;
    writeBytes(config.storeFile(), "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\A\\B]\n");
    RegStore store(config.storeFile());
    EXPECT_EQ(store.openKey(HKEY_CURRENT_USER, QStringLiteral("Software\\A\\B")), kErrorSuccess);
    EXPECT_EQ(store.openKey(HKEY_CURRENT_USER, QStringLiteral("Software\\A")), kErrorSuccess);
    EXPECT_EQ(store.openKey(HKEY_CURRENT_USER, QStringLiteral("Software\\A\\B\\C")), kErrorFileNotFound);
}

TEST(RegStoreHandEditedKeys, TextLostToCp932IsKeptInTheFileAcrossOtherWrites)
{
    TempConfig config;
    writeBytes(config.storeFile(), "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Z]\n"
                                   "\"T\"=\"a\xF0\x9F\x98\x80" "b\"\n");
    RegStore store(config.storeFile());
    ASSERT_EQ(store.setValue(HKEY_CURRENT_USER, QStringLiteral("Software\\Z"), QStringLiteral("U"), dword(1)),
              kErrorSuccess);
    EXPECT_TRUE(readBytes(config.storeFile()).contains("\"T\"=\"a\xF0\x9F\x98\x80" "b\"\n"));
}

TEST(RegStoreHandEditedKeys, EmptyFileIsAnEmptyStoreAndIsNotMovedAside)
{
    TempConfig config;
    writeBytes(config.storeFile(), "\n  \n");
    RegStore store(config.storeFile());
    EXPECT_EQ(store.openKey(HKEY_CURRENT_USER, QStringLiteral("Software")), kErrorFileNotFound);
    EXPECT_EQ(store.quarantinedPath(), QString());
    EXPECT_EQ(readBytes(config.storeFile()), QByteArray("\n  \n"));
}

struct CorruptCase {
    const char *label;
    QByteArray file;
    QList<int> badLines;
};

#define REG_HEADER "Windows Registry Editor Version 5.00\n\n"
#define KEEP_BEFORE "[HKEY_CURRENT_USER\\Software\\Z]\n\"Keep\"=dword:00000007\n"
#define KEEP_AFTER "[HKEY_CURRENT_USER\\Software\\Y]\n\"After\"=\"|\"\n"

class RegStoreCorrupt : public ::testing::TestWithParam<CorruptCase> {};

// One bad line among good ones: the good values before and after it are
// read, the file as it was is copied aside, and the next write keeps them.
TEST_P(RegStoreCorrupt, KeepsEveryReadableValueAndCopiesTheOriginalAside)
{
    TempConfig config;
    const CorruptCase &c = GetParam();
    writeBytes(config.storeFile(), c.file);
    RegStore store(config.storeFile());

    RegValue out;
    ASSERT_EQ(store.queryValue(HKEY_CURRENT_USER, QStringLiteral("Software\\Z"), QStringLiteral("Keep"), 4, &out),
              kErrorSuccess);
    EXPECT_EQ(out.data, dword(7).data);
    ASSERT_EQ(store.queryValue(HKEY_CURRENT_USER, QStringLiteral("Software\\Y"), QStringLiteral("After"), 4, &out),
              kErrorSuccess);
    EXPECT_EQ(out.data, text(QStringLiteral("|")).data);
    EXPECT_FALSE(store.loadDamage().wholeFile);
    EXPECT_EQ(store.loadDamage().lines, c.badLines);

    const QString aside = store.quarantinedPath();
    EXPECT_EQ(QFileInfo(aside).absolutePath(), QFileInfo(config.storeFile()).absolutePath());
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^registry\\.reg\\.corrupt-\\d{8}-\\d{6}$"))
                    .match(QFileInfo(aside).fileName())
                    .hasMatch())
        << aside.toStdString();
    EXPECT_EQ(readBytes(aside), c.file);
    EXPECT_EQ(readBytes(config.storeFile()), c.file);

    ASSERT_EQ(store.setValue(HKEY_CURRENT_USER, QStringLiteral("Software\\Z"), QStringLiteral("New"), dword(1)),
              kErrorSuccess);
    RegStore reloaded(config.storeFile());
    EXPECT_EQ(reloaded.queryValue(HKEY_CURRENT_USER, QStringLiteral("Software\\Z"), QStringLiteral("Keep"), 4, &out),
              kErrorSuccess);
    EXPECT_EQ(reloaded.queryValue(HKEY_CURRENT_USER, QStringLiteral("Software\\Y"), QStringLiteral("After"), 4, &out),
              kErrorSuccess);
    EXPECT_TRUE(reloaded.loadDamage().lines.isEmpty());
    EXPECT_EQ(readBytes(aside), c.file);
    EXPECT_EQ(strayFiles(config.storeFile()), QStringList{QFileInfo(aside).fileName()});
}

INSTANTIATE_TEST_SUITE_P(
    All, RegStoreCorrupt,
    ::testing::Values(
        CorruptCase{"MissingHeader", KEEP_BEFORE KEEP_AFTER, {1}},
        CorruptCase{"OldHeader", "REGEDIT4\n\n" KEEP_BEFORE KEEP_AFTER, {1}},
        CorruptCase{"ValueOutsideSection", REG_HEADER "\"A\"=dword:00000001\n" KEEP_BEFORE KEEP_AFTER, {3}},
        CorruptCase{"UnquotedName", REG_HEADER KEEP_BEFORE "A=dword:00000001\n" KEEP_AFTER, {5}},
        CorruptCase{"NoEquals", REG_HEADER KEEP_BEFORE "\"A\" dword:00000001\n" KEEP_AFTER, {5}},
        CorruptCase{"UnterminatedText", REG_HEADER KEEP_BEFORE "\"A\"=\"abc\n" KEEP_AFTER, {5}},
        CorruptCase{"UnknownEscape", REG_HEADER KEEP_BEFORE "\"A\"=\"a\\nb\"\n" KEEP_AFTER, {5}},
        CorruptCase{"TrailingJunk", REG_HEADER KEEP_BEFORE "\"A\"=\"a\" b\n" KEEP_AFTER, {5}},
        CorruptCase{"DwordTooLong", REG_HEADER KEEP_BEFORE "\"A\"=dword:000000001\n" KEEP_AFTER, {5}},
        CorruptCase{"DwordNotHex", REG_HEADER KEEP_BEFORE "\"A\"=dword:0000000g\n" KEEP_AFTER, {5}},
        CorruptCase{"BadHexByte", REG_HEADER KEEP_BEFORE "\"A\"=hex:01,2\n" KEEP_AFTER, {5}},
        CorruptCase{"UnknownData", REG_HEADER KEEP_BEFORE "\"A\"=qword:1\n" KEEP_AFTER, {5}},
        // Values under a key line that cannot be read have nowhere to go.
        CorruptCase{"UnclosedSection", REG_HEADER KEEP_BEFORE "[HKEY_CURRENT_USER\\Software\\X\n\"B\"=dword:1\n" KEEP_AFTER,
                    {5, 6}},
        CorruptCase{"OtherRoot", REG_HEADER KEEP_BEFORE "[HKEY_LOCAL_MACHINE\\Software\\X]\n" KEEP_AFTER, {5}},
        CorruptCase{"DeletionEntry", REG_HEADER KEEP_BEFORE "[-HKEY_CURRENT_USER\\Software\\X]\n" KEEP_AFTER, {5}},
        CorruptCase{"EmptyKeyComponent", REG_HEADER KEEP_BEFORE "[HKEY_CURRENT_USER\\Software\\\\X]\n" KEEP_AFTER, {5}},
        CorruptCase{"InvalidUtf8", REG_HEADER KEEP_BEFORE "\"A\"=\"\x83\x65\x83\x4c\"\n" KEEP_AFTER, {5}}),
    [](const auto &info) { return std::string(info.param.label); });

TEST(RegStoreCorruptFile, AFileCutInsideWrappedHexLosesOnlyThatValue)
{
    TempConfig config;
    writeBytes(config.storeFile(), REG_HEADER KEEP_BEFORE "\"A\"=hex:01,\\\n");
    RegStore store(config.storeFile());
    EXPECT_EQ(store.queryValue(HKEY_CURRENT_USER, QStringLiteral("Software\\Z"), QStringLiteral("Keep"), 4, nullptr),
              kErrorSuccess);
    EXPECT_EQ(store.loadDamage().lines, QList<int>{5});
    EXPECT_EQ(store.queryValue(HKEY_CURRENT_USER, QStringLiteral("Software\\Z"), QStringLiteral("A"), 4, nullptr),
              kErrorFileNotFound);
}

TEST(RegStoreCorruptFile, AnUnreadableFileIsMovedAsideWholeAndReportedSo)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "file modes do not stop root";
    TempConfig config;
    const QByteArray original = REG_HEADER KEEP_BEFORE;
    writeBytes(config.storeFile(), original);
    ASSERT_EQ(::chmod(QFile::encodeName(config.storeFile()).constData(), 0), 0);
    RegStore store(config.storeFile());
    EXPECT_EQ(store.openKey(HKEY_CURRENT_USER, QStringLiteral("Software\\Z")), kErrorFileNotFound);
    EXPECT_TRUE(store.loadDamage().wholeFile);
    const QString aside = store.quarantinedPath();
    ASSERT_FALSE(aside.isEmpty());
    ::chmod(QFile::encodeName(aside).constData(), 0600);
    EXPECT_EQ(readBytes(aside), original);
}

TEST(RegStoreCorruptFile, ATruncatedUtf16ExportLosesItsLastLineOnly)
{
    TempConfig config;
    QByteArray bytes = utf16Export(QStringLiteral(REG_HEADER KEEP_BEFORE "\"Cut\"=dword:1\n"));
    bytes.chop(1);
    writeBytes(config.storeFile(), bytes);
    RegStore store(config.storeFile());
    EXPECT_EQ(store.queryValue(HKEY_CURRENT_USER, QStringLiteral("Software\\Z"), QStringLiteral("Keep"), 4, nullptr),
              kErrorSuccess);
    EXPECT_FALSE(store.quarantinedPath().isEmpty());
}

TEST(RegStoreCorruptFile, AFolderInItsPlaceIsMovedAsideToo)
{
    TempConfig config;
    ASSERT_TRUE(QDir().mkpath(config.storeFile()));
    RegStore store(config.storeFile());
    EXPECT_EQ(store.openKey(HKEY_CURRENT_USER, QStringLiteral("Software")), kErrorFileNotFound);
    EXPECT_TRUE(QFileInfo(store.quarantinedPath()).isDir());
    quint32 disposition = 0;
    EXPECT_EQ(store.createKey(HKEY_CURRENT_USER, QStringLiteral("Software"), &disposition), kErrorSuccess);
    EXPECT_TRUE(QFileInfo(config.storeFile()).isFile());
}

TEST(RegStoreCorruptFile, WhenItCannotBeMovedAsideItIsNeverOverwritten)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "a read-only folder does not stop root";
    TempConfig config;
    const QByteArray original = "not a registry file\n";
    writeBytes(config.storeFile(), original);
    const QString folder = QFileInfo(config.storeFile()).absolutePath();
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0500), 0);
    RegStore store(config.storeFile());
    quint32 disposition = 0;
    EXPECT_EQ(store.createKey(HKEY_CURRENT_USER, QStringLiteral("Software"), &disposition), kErrorAccessDenied);
    ::chmod(QFile::encodeName(folder).constData(), 0700);
    EXPECT_EQ(store.quarantinedPath(), QString());
    EXPECT_EQ(readBytes(config.storeFile()), original);
    // Even once the folder is writable again, this store leaves the file be.
    EXPECT_EQ(store.createKey(HKEY_CURRENT_USER, QStringLiteral("Software"), &disposition), kErrorAccessDenied);
    EXPECT_EQ(readBytes(config.storeFile()), original);
}

struct UnwritableCase {
    const char *label;
    // Makes the store's path unusable inside the config folder; returns the
    // store file to use.
    QString (*prepare)(const QString &configDir);
};

class RegStoreUnwritable : public ::testing::TestWithParam<UnwritableCase> {};

TEST_P(RegStoreUnwritable, FirstWriteFailsWithAccessDeniedAndNothingChanges)
{
    TempConfig config;
    const QString storeFile = GetParam().prepare(config.path());
    ASSERT_FALSE(storeFile.isEmpty());
    RegStore store(storeFile);
    quint32 disposition = 77;
    EXPECT_EQ(store.createKey(HKEY_CURRENT_USER, kEnv, &disposition), kErrorAccessDenied);
    EXPECT_EQ(disposition, 77u);
    EXPECT_EQ(store.openKey(HKEY_CURRENT_USER, kEnv), kErrorFileNotFound);
    EXPECT_EQ(store.openKey(HKEY_CURRENT_USER, QStringLiteral("Software")), kErrorFileNotFound);
}

INSTANTIATE_TEST_SUITE_P(
    All, RegStoreUnwritable,
    ::testing::Values(
        UnwritableCase{"FolderIsARegularFile",
                       [](const QString &dir) -> QString {
                           QFile blocker(dir + QStringLiteral("/ZeqSoft"));
                           if (!blocker.open(QIODevice::WriteOnly))
                               return QString();
                           return dir + QStringLiteral("/ZeqSoft/registry.reg");
                       }},
        UnwritableCase{"FolderParentIsARegularFile",
                       [](const QString &dir) -> QString {
                           QFile blocker(dir + QStringLiteral("/config"));
                           if (!blocker.open(QIODevice::WriteOnly))
                               return QString();
                           return dir + QStringLiteral("/config/ZeqSoft/registry.reg");
                       }}),
    [](const auto &info) { return std::string(info.param.label); });

TEST(RegStoreAtomicWrite, AFailedWriteLeavesTheOldFileAndTheStoreAsTheyWere)
{
    TempConfig config;
    RegStore store(config.storeFile());
    quint32 disposition = 0;
    ASSERT_EQ(store.createKey(HKEY_CURRENT_USER, kEnv, &disposition), kErrorSuccess);
    ASSERT_EQ(store.setValue(HKEY_CURRENT_USER, kEnv, QStringLiteral("EditorTop"), dword(100)), kErrorSuccess);
    const QByteArray before = readBytes(config.storeFile());

    long setResult = -1;
    long createResult = -1;
    {
        // Room for a few bytes only: the new file cannot be written out.
        test::FileSizeCap cap(16);
        ASSERT_TRUE(cap.active());
        setResult = store.setValue(HKEY_CURRENT_USER, kEnv, QStringLiteral("EditorTop"), dword(200));
        createResult = store.createKey(HKEY_CURRENT_USER, QStringLiteral("Software\\New"), &disposition);
    }
    EXPECT_EQ(setResult, kErrorAccessDenied);
    EXPECT_EQ(createResult, kErrorAccessDenied);
    EXPECT_EQ(readBytes(config.storeFile()), before);
    EXPECT_EQ(strayFiles(config.storeFile()), QStringList());

    // Memory agrees with the file: the failed changes are not there.
    RegValue out;
    ASSERT_EQ(store.queryValue(HKEY_CURRENT_USER, kEnv, QStringLiteral("EditorTop"), 4, &out), kErrorSuccess);
    EXPECT_EQ(out.data, dword(100).data);
    EXPECT_EQ(store.openKey(HKEY_CURRENT_USER, QStringLiteral("Software\\New")), kErrorFileNotFound);

    // And a later successful write does not smuggle them in.
    ASSERT_EQ(store.setValue(HKEY_CURRENT_USER, kEnv, QStringLiteral("EditorLeft"), dword(5)), kErrorSuccess);
    RegStore reloaded(config.storeFile());
    ASSERT_EQ(reloaded.queryValue(HKEY_CURRENT_USER, kEnv, QStringLiteral("EditorTop"), 4, &out), kErrorSuccess);
    EXPECT_EQ(out.data, dword(100).data);
    EXPECT_EQ(reloaded.openKey(HKEY_CURRENT_USER, QStringLiteral("Software\\New")), kErrorFileNotFound);
}

TEST(RegStoreAtomicWrite, AReadOnlyFileIsNotReplaced)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "file modes do not stop root";
    TempConfig config;
    RegStore store(config.storeFile());
    quint32 disposition = 0;
    ASSERT_EQ(store.createKey(HKEY_CURRENT_USER, kEnv, &disposition), kErrorSuccess);
    const QByteArray before = readBytes(config.storeFile());
    ASSERT_EQ(::chmod(QFile::encodeName(config.storeFile()).constData(), 0400), 0);
    EXPECT_EQ(store.setValue(HKEY_CURRENT_USER, kEnv, QStringLiteral("EditorTop"), dword(1)), kErrorAccessDenied);
    EXPECT_EQ(readBytes(config.storeFile()), before);
}

TEST(RegStoreAtomicWrite, ALinkedFileStaysALink)
{
    TempConfig config;
    const QString real = config.path() + QStringLiteral("/dotfiles/registry.reg");
    ASSERT_TRUE(QDir().mkpath(config.path() + QStringLiteral("/dotfiles")));
    ASSERT_TRUE(QDir().mkpath(config.path() + QStringLiteral("/ZeqSoft")));
    ASSERT_TRUE(QFile::link(real, config.storeFile()));
    RegStore store(config.storeFile());
    quint32 disposition = 0;
    ASSERT_EQ(store.createKey(HKEY_CURRENT_USER, kEnv, &disposition), kErrorSuccess);
    EXPECT_TRUE(QFileInfo(config.storeFile()).isSymLink());
    EXPECT_TRUE(readBytes(real).contains("[HKEY_CURRENT_USER\\Software\\ZeqSoft\\ZeqEditor\\Env]"));
}

struct DefaultPathCase {
    const char *label;
    QByteArray xdg;  // value of XDG_CONFIG_HOME; null for unset
    bool usesXdg;
};

class RegStoreDefaultPath : public ::testing::TestWithParam<DefaultPathCase> {};

TEST_P(RegStoreDefaultPath, FollowsXdgConfigHome)
{
    const DefaultPathCase &c = GetParam();
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    const bool wasSet = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
    if (c.xdg.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", c.xdg);
    const QString path = RegStore::defaultPath();
    if (wasSet)
        qputenv("XDG_CONFIG_HOME", saved);
    else
        qunsetenv("XDG_CONFIG_HOME");

    const QString base = c.usesXdg ? QString::fromUtf8(c.xdg) : QDir::homePath() + QStringLiteral("/.config");
    EXPECT_EQ(path, base + QStringLiteral("/ZeqSoft/registry.reg"));
}

INSTANTIATE_TEST_SUITE_P(All, RegStoreDefaultPath,
                         ::testing::Values(DefaultPathCase{"Set", "/tmp/xdg-config", true},
                                           DefaultPathCase{"Unset", QByteArray(), false},
                                           DefaultPathCase{"Empty", QByteArray(""), false},
                                           DefaultPathCase{"Relative", "relative/dir", false}),
                         [](const auto &info) { return std::string(info.param.label); });

} // namespace
} // namespace zeq
