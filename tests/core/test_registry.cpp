#include "platform/codepage.h"
#include "platform/modal.h"
#include "support/scriptedmodal.h"
#include "platform/regstore.h"
#include "settings/registry.h"
#include "support/qtprint.h"
#include "support/tempconfig.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <limits>

namespace zeq {
namespace {

const QString kKey = QStringLiteral("Software\\ZeqSoft\\ZeqEditor\\Option");
const QString kCreateFailed = QStringLiteral("レジストリの作成に失敗しました。");
const QString kSetFailed = QStringLiteral("レジストリのセットに失敗しました。");

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

class RegistryTest : public ::testing::Test {
protected:
    void createOptionKey()
    {
        qint32 disposition = 0;
        ASSERT_EQ(registry.regCreateKey(HKEY_CURRENT_USER, kKey, disposition), 1);
    }
    // What the store holds, bypassing the layer under test.
    RegValue stored(const QString &name)
    {
        RegValue value;
        EXPECT_EQ(store.queryValue(HKEY_CURRENT_USER, kKey, name, 4096, &value), kErrorSuccess) << name.toStdString();
        return value;
    }

    test::TempConfig config;
    RegStore store{config.storeFile()};
    ScriptedModal modal;
    Registry registry{store, modal};
};

TEST_F(RegistryTest, CreateKeyReportsNewThenExistingSilently)
{
    qint32 disposition = 0;
    EXPECT_EQ(registry.regCreateKey(HKEY_CURRENT_USER, kKey, disposition), 1);
    EXPECT_EQ(disposition, 1);
    EXPECT_EQ(registry.regCreateKey(HKEY_CURRENT_USER, kKey, disposition), 1);
    EXPECT_EQ(disposition, 2);
    EXPECT_EQ(modal.calls.size(), 0);
}

TEST(RegistryCreateFailure, ShowsTheErrorCodeAndPathOnce)
{
    struct Case {
        const char *label;
        QString path;
        bool blockFolder;
        QString message;
    };
    const QList<Case> cases = {
        {"StoreCannotBeWritten", QStringLiteral("Software\\ZeqSoft\\ZeqEditor\\Env"), true,
         QStringLiteral("5 Software\\ZeqSoft\\ZeqEditor\\Env") + kCreateFailed},
        {"PathCannotNameAKey", QStringLiteral("Software\\\\Env"), false,
         QStringLiteral("161 Software\\\\Env") + kCreateFailed},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        test::TempConfig config;
        if (c.blockFolder) {
            QFile blocker(config.path() + QStringLiteral("/ZeqSoft"));
            ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
        }
        RegStore store(config.storeFile());
        ScriptedModal modal;
        Registry registry(store, modal);
        qint32 disposition = 77;
        EXPECT_EQ(registry.regCreateKey(HKEY_CURRENT_USER, c.path, disposition), 0);
        EXPECT_EQ(disposition, 77);
        ASSERT_EQ(modal.calls.size(), 1);
        EXPECT_EQ(modal.calls[0].text, c.message);
        EXPECT_EQ(modal.calls[0].style, 0);
        EXPECT_EQ(modal.calls[0].title, kAppTitle);
    }
}

// Every way a read can fail yields the default and says nothing.
TEST_F(RegistryTest, FailedReadsFallBackSilently)
{
    createOptionKey();
    ASSERT_EQ(registry.regSetString(HKEY_CURRENT_USER, kKey, QStringLiteral("Long"), QString(257, QChar(0x6F22))), 1);
    ASSERT_EQ(registry.regSetLong(HKEY_CURRENT_USER, kKey, QStringLiteral("Number"), 7), 1);
    modal.calls.clear();

    struct Case {
        const char *label;
        QString key;
        QString name;
    };
    const QList<Case> cases = {
        {"MissingKey", QStringLiteral("Software\\ZeqSoft\\Zeq\\Option"), QStringLiteral("Separator")},
        {"MissingValue", kKey, QStringLiteral("Absent")},
        {"ValueNameDiffersInCase", kKey, QStringLiteral("number")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(registry.getSettingLong(HKEY_CURRENT_USER, c.key, c.name, -42), -42);
        EXPECT_EQ(registry.getSettingString(HKEY_CURRENT_USER, c.key, c.name, QStringLiteral("dflt")),
                  QStringLiteral("dflt"));
        qint32 number = 99;
        QString text = QStringLiteral("kept");
        EXPECT_EQ(registry.regGetLong(HKEY_CURRENT_USER, c.key, c.name, number), 0);
        EXPECT_EQ(registry.regGetString(HKEY_CURRENT_USER, c.key, c.name, text), 0);
        EXPECT_EQ(number, 99);
        EXPECT_EQ(text, QStringLiteral("kept"));
    }
    // 515 bytes of data: too long for a text read, far too long for a number.
    QString text = QStringLiteral("kept");
    EXPECT_EQ(registry.regGetString(HKEY_CURRENT_USER, kKey, QStringLiteral("Long"), text), 0);
    EXPECT_EQ(text, QStringLiteral("kept"));
    EXPECT_EQ(registry.getSettingString(HKEY_CURRENT_USER, kKey, QStringLiteral("Long"), QStringLiteral("dflt")),
              QStringLiteral("dflt"));
    EXPECT_EQ(registry.getSettingLong(HKEY_CURRENT_USER, kKey, QStringLiteral("Long"), -42), -42);
    EXPECT_EQ(modal.calls.size(), 0);
}

TEST_F(RegistryTest, TextLengthLimitCountsCp932Bytes)
{
    createOptionKey();
    struct Case {
        const char *label;
        QString text;
        qsizetype bytes;  // without the terminator
        bool readWhole;
    };
    const QString kanji255(255, QChar(0x6F22));  // 漢, two bytes each
    const QList<Case> cases = {
        {"Ascii511", QString(511, QLatin1Char('a')), 511, true},
        {"Kanji510PlusOne", kanji255 + QLatin1Char('a'), 511, true},
        {"Ascii512", QString(512, QLatin1Char('a')), 512, false},
        {"Kanji256", kanji255 + QChar(0x6F22), 512, false},
        {"HalfWidthKana511", QString(511, QChar(0xFF71)), 511, true},  // ｱ, one byte each
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        ASSERT_EQ(cp932Length(c.text), c.bytes);
        ASSERT_EQ(registry.regSetString(HKEY_CURRENT_USER, kKey, QStringLiteral("Text"), c.text), 1);
        EXPECT_EQ(stored(QStringLiteral("Text")).data.size(), c.bytes + 1);
        EXPECT_EQ(registry.getSettingString(HKEY_CURRENT_USER, kKey, QStringLiteral("Text"), QStringLiteral("dflt")),
                  c.readWhole ? c.text : QStringLiteral("dflt"));
    }
    EXPECT_EQ(modal.calls.size(), 0);
}

TEST_F(RegistryTest, TextReadStopsAtTheFirstNulOrTakesAllOf512Bytes)
{
    createOptionKey();
    ASSERT_EQ(store.setValue(HKEY_CURRENT_USER, kKey, QStringLiteral("Inner"),
                             {REG_SZ, QByteArray("ab\0cd\0", 6)}),
              kErrorSuccess);
    ASSERT_EQ(store.setValue(HKEY_CURRENT_USER, kKey, QStringLiteral("Full"), {REG_SZ, QByteArray(512, 'x')}),
              kErrorSuccess);
    EXPECT_EQ(registry.getSettingString(HKEY_CURRENT_USER, kKey, QStringLiteral("Inner"), QString()),
              QStringLiteral("ab"));
    EXPECT_EQ(registry.getSettingString(HKEY_CURRENT_USER, kKey, QStringLiteral("Full"), QString()),
              QString(512, QLatin1Char('x')));
}

TEST_F(RegistryTest, EmptyTextIsStoredAsOneNulAndReadsBackEmpty)
{
    createOptionKey();
    ASSERT_EQ(registry.regSetString(HKEY_CURRENT_USER, kKey, QStringLiteral("UserSparator0"), QString()), 1);
    const RegValue value = stored(QStringLiteral("UserSparator0"));
    EXPECT_EQ(value.type, REG_SZ);
    EXPECT_EQ(value.data, QByteArray(1, '\0'));
    QString text = QStringLiteral("kept");
    EXPECT_EQ(registry.regGetString(HKEY_CURRENT_USER, kKey, QStringLiteral("UserSparator0"), text), 1);
    EXPECT_EQ(text, QString());
    EXPECT_EQ(registry.getSettingString(HKEY_CURRENT_USER, kKey, QStringLiteral("UserSparator0"),
                                        QStringLiteral("`")),
              QString());
}

TEST_F(RegistryTest, NumbersRoundTripAsLittleEndianDwords)
{
    createOptionKey();
    struct Case {
        qint32 number;
        QByteArray bytes;
        const char *inFile;
    };
    const QList<Case> cases = {
        {0, QByteArray("\x00\x00\x00\x00", 4), "dword:00000000"},
        {-1, QByteArray("\xff\xff\xff\xff", 4), "dword:ffffffff"},
        {0xC0FFFF, QByteArray("\xff\xff\xc0\x00", 4), "dword:00c0ffff"},
        {std::numeric_limits<qint32>::min(), QByteArray("\x00\x00\x00\x80", 4), "dword:80000000"},
        {std::numeric_limits<qint32>::max(), QByteArray("\xff\xff\xff\x7f", 4), "dword:7fffffff"},
        {-15, QByteArray("\xf1\xff\xff\xff", 4), "dword:fffffff1"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.number);
        ASSERT_EQ(registry.regSetLong(HKEY_CURRENT_USER, kKey, QStringLiteral("N"), c.number), 1);
        const RegValue value = stored(QStringLiteral("N"));
        EXPECT_EQ(value.type, REG_DWORD);
        EXPECT_EQ(value.data, c.bytes);
        EXPECT_TRUE(readBytes(config.storeFile()).contains(QByteArray("\"N\"=") + c.inFile + '\n'));
        EXPECT_EQ(registry.getSettingLong(HKEY_CURRENT_USER, kKey, QStringLiteral("N"), 12345), c.number);
    }
    EXPECT_EQ(modal.calls.size(), 0);
}

TEST_F(RegistryTest, ShortTextReadAsNumberGivesItsRawBytes)
{
    createOptionKey();
    struct Case {
        const char *text;
        qint32 start;     // what the number held before the read
        int result;
        qint32 expected;  // the number afterwards
    };
    const QList<Case> cases = {
        // "12" is 31 32 00: the bytes, not twelve.
        {"12", 0, 1, 0x003231},
        {"12", 0x7F000000, 1, 0x7F003231},  // the fourth byte keeps what it held
        {"abc", -1, 1, 0x00636261},
        {"", -1, 1, qint32(0xFFFFFF00u)},
        {"abcd", 5, 0, 5},  // five bytes do not fit
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        ASSERT_EQ(registry.regSetString(HKEY_CURRENT_USER, kKey, QStringLiteral("S"), QString::fromLatin1(c.text)), 1);
        qint32 number = c.start;
        EXPECT_EQ(registry.regGetLong(HKEY_CURRENT_USER, kKey, QStringLiteral("S"), number), c.result);
        EXPECT_EQ(number, c.expected);
    }
    // getSettingLong starts from zero, so nothing of the caller leaks in.
    ASSERT_EQ(registry.regSetString(HKEY_CURRENT_USER, kKey, QStringLiteral("S"), QStringLiteral("12")), 1);
    EXPECT_EQ(registry.getSettingLong(HKEY_CURRENT_USER, kKey, QStringLiteral("S"), -1), 0x3231);
}

TEST_F(RegistryTest, KanjiTextIsCp932InTheStoreAndReadableUtf8InTheFile)
{
    createOptionKey();
    const QString kanji = QStringLiteral("漢字の練習です。");
    ASSERT_EQ(registry.regSetString(HKEY_CURRENT_USER, kKey, QStringLiteral("ZeqFontName"), kanji), 1);

    QByteArray cp932("\x8a\xbf\x8e\x9a\x82\xcc\x97\xfb\x8f\x4b\x82\xc5\x82\xb7\x81\x42");
    cp932.append('\0');
    EXPECT_EQ(stored(QStringLiteral("ZeqFontName")).data, cp932);
    EXPECT_TRUE(readBytes(config.storeFile()).contains(QStringLiteral("\"ZeqFontName\"=\"漢字の練習です。\"\n").toUtf8()));

    EXPECT_EQ(registry.getSettingString(HKEY_CURRENT_USER, kKey, QStringLiteral("ZeqFontName"), QString()), kanji);
    RegStore reloaded(config.storeFile());
    ScriptedModal otherModal;
    Registry other(reloaded, otherModal);
    EXPECT_EQ(other.getSettingString(HKEY_CURRENT_USER, kKey, QStringLiteral("ZeqFontName"), QString()), kanji);
}

TEST_F(RegistryTest, WritesIntoAMissingKeyFailWithOneMessageEachAndCreateNothing)
{
    const QString missing = QStringLiteral("Software\\ZeqSoft\\ZeqEditor\\Option");
    EXPECT_EQ(registry.regSetLong(HKEY_CURRENT_USER, missing, QStringLiteral("KanjiColor"), 0xFF00), 0);
    EXPECT_EQ(registry.regSetString(HKEY_CURRENT_USER, missing, QStringLiteral("ZeqFontName"), QStringLiteral("x")), 0);

    ASSERT_EQ(modal.calls.size(), 2);
    EXPECT_EQ(modal.calls[0].text, QStringLiteral("Software\\ZeqSoft\\ZeqEditor\\Option\\KanjiColor") + kSetFailed);
    EXPECT_EQ(modal.calls[1].text, QStringLiteral("Software\\ZeqSoft\\ZeqEditor\\Option\\ZeqFontName") + kSetFailed);
    for (const ScriptedModal::Call &call : modal.calls) {
        EXPECT_EQ(call.style, 0);
        EXPECT_EQ(call.title, kAppTitle);
    }
    EXPECT_EQ(store.openKey(HKEY_CURRENT_USER, missing), kErrorFileNotFound);
    EXPECT_EQ(store.openKey(HKEY_CURRENT_USER, QStringLiteral("Software\\ZeqSoft")), kErrorFileNotFound);
    EXPECT_FALSE(QFileInfo::exists(config.storeFile()));
}

TEST_F(RegistryTest, WritesReplaceTheValueWhateverItsKind)
{
    createOptionKey();
    ASSERT_EQ(registry.regSetString(HKEY_CURRENT_USER, kKey, QStringLiteral("V"), QStringLiteral("text")), 1);
    ASSERT_EQ(registry.regSetLong(HKEY_CURRENT_USER, kKey, QStringLiteral("V"), 3), 1);
    EXPECT_EQ(stored(QStringLiteral("V")).type, REG_DWORD);
    EXPECT_EQ(registry.getSettingLong(HKEY_CURRENT_USER, kKey, QStringLiteral("V"), -1), 3);
    ASSERT_EQ(registry.regSetString(HKEY_CURRENT_USER, kKey, QStringLiteral("V"), QStringLiteral("|")), 1);
    EXPECT_EQ(stored(QStringLiteral("V")).type, REG_SZ);
    EXPECT_EQ(registry.getSettingString(HKEY_CURRENT_USER, kKey, QStringLiteral("V"), QString()), QStringLiteral("|"));
}

} // namespace
} // namespace zeq
