#include "platform/modal.h"
#include "support/scriptedmodal.h"
#include "platform/regstore.h"
#include "settings/registry.h"
#include "settings/settings.h"
#include "support/qtprint.h"
#include "support/tempconfig.h"

#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

#include <functional>
#include <variant>

namespace zeq {
namespace {

using Stored = std::variant<qint32, QString>;

const QString kSetFailed = QStringLiteral("レジストリのセットに失敗しました。");

const QStringList kEnvNames = {QStringLiteral("EditorTop"), QStringLiteral("EditorLeft"),
                               QStringLiteral("EditorHeight"), QStringLiteral("EditorWidth")};
const QStringList kRecentNames = {QStringLiteral("RecentFile0"), QStringLiteral("RecentFile1"),
                                  QStringLiteral("RecentFile2"), QStringLiteral("RecentFile3"),
                                  QStringLiteral("RecentFile4")};
const QStringList kOptionNames = {
    QStringLiteral("ZeqImage"),      QStringLiteral("ZeqSparatorDisable"), QStringLiteral("UserSparator0"),
    QStringLiteral("UserSparator1"), QStringLiteral("UserSparator2"),      QStringLiteral("FontColor"),
    QStringLiteral("TextBackColor"), QStringLiteral("RchBackColor"),       QStringLiteral("KanjiColor"),
    QStringLiteral("HiraColor"),     QStringLiteral("SepaColor"),          QStringLiteral("ZeqFontName"),
    QStringLiteral("ZeqFontSize"),   QStringLiteral("RubyPreview")};

QStringList setFailures(const QString &key, const QStringList &names)
{
    QStringList texts;
    for (const QString &name : names)
        texts.append(key + QLatin1Char('\\') + name + kSetFailed);
    return texts;
}

// The main window as the settings see it: fractional twips in, whole twips
// out, every assignment logged in order.
class FakeWindow : public WindowPlacement {
public:
    FakeWindow(double top, double left, double height, double width)
        : m_top(top), m_left(left), m_height(height), m_width(width)
    {
    }
    double top() const override { return m_top; }
    double left() const override { return m_left; }
    double height() const override { return m_height; }
    double width() const override { return m_width; }
    void setTop(qint32 twips) override { assign(m_top, QStringLiteral("top"), twips); }
    void setLeft(qint32 twips) override { assign(m_left, QStringLiteral("left"), twips); }
    void setHeight(qint32 twips) override { assign(m_height, QStringLiteral("height"), twips); }
    void setWidth(qint32 twips) override { assign(m_width, QStringLiteral("width"), twips); }

    QStringList log;

private:
    void assign(double &field, const QString &what, qint32 twips)
    {
        field = twips;
        log.append(what + QLatin1Char('=') + QString::number(twips));
    }
    double m_top, m_left, m_height, m_width;
};

// A store plus the layer above it, on one file.
struct Session {
    explicit Session(const QString &file) : store(file), registry(store, modal) {}
    RegStore store;
    ScriptedModal modal;
    Registry registry;

    void createKey(const QString &key)
    {
        qint32 disposition = 0;
        ASSERT_EQ(registry.regCreateKey(HKEY_CURRENT_USER, key, disposition), 1);
    }
    void set(const QString &key, const QString &name, const Stored &value)
    {
        if (const auto *number = std::get_if<qint32>(&value))
            ASSERT_EQ(registry.regSetLong(HKEY_CURRENT_USER, key, name, *number), 1) << name.toStdString();
        else
            ASSERT_EQ(registry.regSetString(HKEY_CURRENT_USER, key, name, std::get<QString>(value)), 1)
                << name.toStdString();
    }
    // The value as its kind, or a marker that it cannot be read as that kind.
    Stored get(const QString &key, const QString &name, const Stored &kindOf)
    {
        if (std::holds_alternative<qint32>(kindOf)) {
            qint32 number = 0;
            if (registry.regGetLong(HKEY_CURRENT_USER, key, name, number) == 1)
                return number;
            return QStringLiteral("<no number %1>").arg(name);
        }
        QString text;
        if (registry.regGetString(HKEY_CURRENT_USER, key, name, text) == 1)
            return text;
        return QStringLiteral("<no text %1>").arg(name);
    }
};

struct Expected {
    QString key;
    QString name;
    Stored value;
};

void expectStored(const QString &file, const QList<Expected> &expected)
{
    // A second store on the same file: what is checked is what reached disk.
    Session disk(file);
    for (const Expected &e : expected)
        EXPECT_EQ(disk.get(e.key, e.name, e.value), e.value) << e.key.toStdString() << '\\' << e.name.toStdString();
    EXPECT_EQ(disk.modal.calls.size(), 0);
}

void expectRecordDefaults(const SettingsRecord &record, const QString &separator)
{
    EXPECT_EQ(record.gSeparator, separator);
    for (const QString &file : record.gRecentFile)
        EXPECT_EQ(file, QString());
    EXPECT_EQ(record.gZeqImage, 0);
    EXPECT_EQ(record.gZeqSparatorDisable, 1);
    for (const QString &sep : record.gUserSparator)
        EXPECT_EQ(sep, separator);
    EXPECT_EQ(record.gFontColor, 0);
    EXPECT_EQ(record.gTextBackColor, 0xFFFFFF);
    EXPECT_EQ(record.gRchBackColor, 0xC0FFFF);
    EXPECT_EQ(record.gKanjiColor, 0xFF0000);
    EXPECT_EQ(record.gHiraColor, 255);
    EXPECT_EQ(record.gSepaColor, 0);
    EXPECT_EQ(record.gZeqFontName, QStringLiteral("ＭＳ 明朝"));
    EXPECT_EQ(record.gZeqFontSize, 12);
    EXPECT_FALSE(record.rubyPreview);
}

TEST(SetDefaultSettings, FillsTheRecordFromTheCompanionSeparatorOnly)
{
    SettingsRecord record;
    record.gSeparator = QStringLiteral("|");
    record.gRecentFile = {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d"),
                          QStringLiteral("e")};
    record.gZeqImage = 9;
    record.gFontColor = 9;
    record.gSepaColor = 9;
    record.gZeqFontName = QStringLiteral("Sans");
    record.gZeqFontSize = 99;
    record.rubyPreview = true;
    setDefaultSettings(record);
    expectRecordDefaults(record, QStringLiteral("|"));
}

TEST(LoadSettingsUnusableRegistry, ShowsThreeMessagesStartsWithDefaultsAndSaveShows23)
{
    test::TempConfig config;
    // The store's folder cannot be made: a file has its name.
    QFile blocker(config.path() + QStringLiteral("/ZeqSoft"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    Session session(config.storeFile());
    FakeWindow window(1000, 2000, 3000, 4000);
    SettingsRecord record;

    loadSettings(record, session.registry, window);

    ASSERT_EQ(session.modal.calls.size(), 3);
    EXPECT_EQ(session.modal.calls[0].text,
              QStringLiteral("5 Software\\ZeqSoft\\ZeqEditor\\Envレジストリの作成に失敗しました。"));
    EXPECT_EQ(session.modal.calls[0].style, 0);
    EXPECT_EQ(session.modal.calls[1].text, QStringLiteral("CURRENT_USER レジストリを作成できません。"));
    EXPECT_EQ(session.modal.calls[1].style, 48);
    EXPECT_EQ(session.modal.calls[2].text, QStringLiteral("デフォルトの設定で起動します。"));
    EXPECT_EQ(session.modal.calls[2].style, 0);
    for (const ScriptedModal::Call &call : session.modal.calls)
        EXPECT_EQ(call.title, kAppTitle);
    expectRecordDefaults(record, QStringLiteral("`"));
    EXPECT_EQ(window.log, QStringList());

    session.modal.calls.clear();
    saveSettings(record, session.registry, window);
    const QStringList expected = setFailures(kEnvKey, kEnvNames) + setFailures(kRecentKey, kRecentNames)
                                 + setFailures(kOptionKey, kOptionNames);
    ASSERT_EQ(expected.size(), 23);
    EXPECT_EQ(session.modal.messages(), expected);
    for (const ScriptedModal::Call &call : session.modal.calls) {
        EXPECT_EQ(call.style, 0);
        EXPECT_EQ(call.title, kAppTitle);
    }
}

struct FirstRunCase {
    const char *label;
    std::optional<QString> companion;  // the companion's Separator, if it has one
    QString separator;                 // what the record takes
};

class LoadSettingsFirstRun : public ::testing::TestWithParam<FirstRunCase> {};

TEST_P(LoadSettingsFirstRun, CreatesTheKeysWithFirstRunValuesAndKeepsDefaultsInMemory)
{
    const FirstRunCase &c = GetParam();
    test::TempConfig config;
    Session session(config.storeFile());
    if (c.companion) {
        session.createKey(kCompanionOptionKey);
        session.set(kCompanionOptionKey, QStringLiteral("Separator"), *c.companion);
    }
    FakeWindow window(1234.4, 567.5, 8000.49, -300.6);
    SettingsRecord record;

    EXPECT_EQ(loadSettings(record, session.registry, window), QString());

    EXPECT_EQ(session.modal.calls.size(), 0);
    EXPECT_EQ(window.log, QStringList());
    expectRecordDefaults(record, c.separator);

    const QList<Expected> firstRun = {
        {kEnvKey, QStringLiteral("EditorTop"), 1234},
        {kEnvKey, QStringLiteral("EditorLeft"), 568},
        {kEnvKey, QStringLiteral("EditorHeight"), 8000},
        {kEnvKey, QStringLiteral("EditorWidth"), -301},
        {kRecentKey, QStringLiteral("RecentFile0"), QString()},
        {kRecentKey, QStringLiteral("RecentFile1"), QString()},
        {kRecentKey, QStringLiteral("RecentFile2"), QString()},
        {kRecentKey, QStringLiteral("RecentFile3"), QString()},
        {kRecentKey, QStringLiteral("RecentFile4"), QString()},
        {kOptionKey, QStringLiteral("ZeqImage"), 0},
        {kOptionKey, QStringLiteral("ZeqSparatorDisable"), 0},
        // The separators chosen are stored at once, so that a first run
        // that never exits cleanly still leaves them for the next.
        {kOptionKey, QStringLiteral("UserSparator0"), c.separator},
        {kOptionKey, QStringLiteral("UserSparator1"), c.separator},
        {kOptionKey, QStringLiteral("UserSparator2"), c.separator},
        {kOptionKey, QStringLiteral("FontColor"), 0},
        {kOptionKey, QStringLiteral("TextBackColor"), 0xFFFFFF},
        {kOptionKey, QStringLiteral("RchBackColor"), 0xC0FFFF},
        {kOptionKey, QStringLiteral("KanjiColor"), 0xFF0000},
        {kOptionKey, QStringLiteral("HiraColor"), 255},
        {kOptionKey, QStringLiteral("SepaColor"), 0},
        {kOptionKey, QStringLiteral("ZeqFontName"), QStringLiteral("ＭＳ 明朝")},
        {kOptionKey, QStringLiteral("ZeqFontSize"), 12},
        {kOptionKey, QStringLiteral("RubyPreview"), 0},
    };
    expectStored(config.storeFile(), firstRun);
    // The companion's key is read, never written or created.
    Session disk(config.storeFile());
    EXPECT_EQ(disk.store.openKey(HKEY_CURRENT_USER, kCompanionOptionKey),
              c.companion ? kErrorSuccess : kErrorFileNotFound);

    // After the first exit the store holds what the record held.
    saveSettings(record, session.registry, window);
    EXPECT_EQ(session.modal.calls.size(), 0);
    expectStored(config.storeFile(), {{kOptionKey, QStringLiteral("ZeqSparatorDisable"), 1},
                                      {kOptionKey, QStringLiteral("UserSparator0"), c.separator},
                                      {kOptionKey, QStringLiteral("UserSparator1"), c.separator},
                                      {kOptionKey, QStringLiteral("UserSparator2"), c.separator},
                                      {kEnvKey, QStringLiteral("EditorLeft"), 568}});
}

INSTANTIATE_TEST_SUITE_P(
    All, LoadSettingsFirstRun,
    ::testing::Values(FirstRunCase{"NoCompanion", std::nullopt, QStringLiteral("`")},
                      FirstRunCase{"CompanionBar", QStringLiteral("|"), QStringLiteral("|")},
                      FirstRunCase{"CompanionLongerThanOneCharacter", QStringLiteral("・・"), QStringLiteral("・・")}),
    [](const auto &info) { return std::string(info.param.label); });

// One row per stored value of a normal run: where it lives, a value that is
// not its default, what loading yields when it is missing, and where the
// loaded value ends up.
struct Field {
    QString key;
    QString name;
    Stored stored;
    Stored whenMissing;
    std::function<Stored(const SettingsRecord &, const FakeWindow &)> loaded;
};

// The window starts here; a missing placement value keeps it (rounded).
FakeWindow designWindow() { return FakeWindow(100.4, 200.6, 300, 400); }

const QList<Field> &normalRunFields()
{
    using R = const SettingsRecord &;
    using W = const FakeWindow &;
    static const QList<Field> fields = {
        {kEnvKey, QStringLiteral("EditorTop"), -120, 100, [](R, W w) -> Stored { return qint32(w.top()); }},
        {kEnvKey, QStringLiteral("EditorLeft"), -3000, 201, [](R, W w) -> Stored { return qint32(w.left()); }},
        {kEnvKey, QStringLiteral("EditorHeight"), 5000, 300, [](R, W w) -> Stored { return qint32(w.height()); }},
        {kEnvKey, QStringLiteral("EditorWidth"), 7000, 400, [](R, W w) -> Stored { return qint32(w.width()); }},
        {kRecentKey, QStringLiteral("RecentFile0"), QStringLiteral("/home/u/文書/a.txt"), QString(),
         [](R r, W) -> Stored { return r.gRecentFile[0]; }},
        {kRecentKey, QStringLiteral("RecentFile1"), QStringLiteral("b.txt"), QString(),
         [](R r, W) -> Stored { return r.gRecentFile[1]; }},
        {kRecentKey, QStringLiteral("RecentFile2"), QStringLiteral("c.txt"), QString(),
         [](R r, W) -> Stored { return r.gRecentFile[2]; }},
        {kRecentKey, QStringLiteral("RecentFile3"), QStringLiteral("d.txt"), QString(),
         [](R r, W) -> Stored { return r.gRecentFile[3]; }},
        {kRecentKey, QStringLiteral("RecentFile4"), QStringLiteral("e.txt"), QString(),
         [](R r, W) -> Stored { return r.gRecentFile[4]; }},
        {kOptionKey, QStringLiteral("ZeqImage"), 7, 0, [](R r, W) -> Stored { return r.gZeqImage; }},
        {kOptionKey, QStringLiteral("ZeqSparatorDisable"), 1, 0,
         [](R r, W) -> Stored { return r.gZeqSparatorDisable; }},
        {kOptionKey, QStringLiteral("UserSparator0"), QStringLiteral("["), QString(),
         [](R r, W) -> Stored { return r.gUserSparator[0]; }},
        {kOptionKey, QStringLiteral("UserSparator1"), QStringLiteral("|"), QString(),
         [](R r, W) -> Stored { return r.gUserSparator[1]; }},
        {kOptionKey, QStringLiteral("UserSparator2"), QStringLiteral("]"), QString(),
         [](R r, W) -> Stored { return r.gUserSparator[2]; }},
        {kOptionKey, QStringLiteral("FontColor"), 0x112233, 0, [](R r, W) -> Stored { return r.gFontColor; }},
        {kOptionKey, QStringLiteral("TextBackColor"), 0x445566, 0xFFFFFF,
         [](R r, W) -> Stored { return r.gTextBackColor; }},
        {kOptionKey, QStringLiteral("RchBackColor"), 0x778899, 0xC0FFFF,
         [](R r, W) -> Stored { return r.gRchBackColor; }},
        {kOptionKey, QStringLiteral("KanjiColor"), 0x00FF00, 0xFF0000, [](R r, W) -> Stored { return r.gKanjiColor; }},
        {kOptionKey, QStringLiteral("HiraColor"), 0xAABBCC, 255, [](R r, W) -> Stored { return r.gHiraColor; }},
        {kOptionKey, QStringLiteral("SepaColor"), 0x0000FF, 0, [](R r, W) -> Stored { return r.gSepaColor; }},
        {kOptionKey, QStringLiteral("ZeqFontName"), QStringLiteral("ＭＳ ゴシック"), QStringLiteral("ＭＳ 明朝"),
         [](R r, W) -> Stored { return r.gZeqFontName; }},
        {kOptionKey, QStringLiteral("ZeqFontSize"), 20, 12, [](R r, W) -> Stored { return r.gZeqFontSize; }},
        {kOptionKey, QStringLiteral("RubyPreview"), 1, 0, [](R r, W) -> Stored { return qint32(r.rubyPreview); }},
    };
    return fields;
}

// Stores every field except the one named skip (none when empty).
void populate(Session &session, const QString &skip)
{
    session.createKey(kEnvKey);
    session.createKey(kRecentKey);
    session.createKey(kOptionKey);
    for (const Field &f : normalRunFields()) {
        if (f.name != skip)
            session.set(f.key, f.name, f.stored);
    }
}

TEST(LoadSettingsNormalRun, ReadsEveryValueAndPlacesTheWindowInOrder)
{
    test::TempConfig config;
    Session session(config.storeFile());
    session.createKey(kCompanionOptionKey);
    session.set(kCompanionOptionKey, QStringLiteral("Separator"), QStringLiteral("#"));
    populate(session, QString());
    session.modal.calls.clear();

    // A fresh process: a new store reads the file.
    Session run(config.storeFile());
    FakeWindow window = designWindow();
    SettingsRecord record;
    EXPECT_EQ(loadSettings(record, run.registry, window), QString());

    EXPECT_EQ(run.modal.calls.size(), 0);
    EXPECT_EQ(record.gSeparator, QStringLiteral("#"));
    // Negative placement is applied as stored.
    EXPECT_EQ(window.log, QStringList({QStringLiteral("top=-120"), QStringLiteral("left=-3000"),
                                       QStringLiteral("height=5000"), QStringLiteral("width=7000")}));
    for (const Field &f : normalRunFields())
        EXPECT_EQ(f.loaded(record, window), f.stored) << f.name.toStdString();
}

class LoadSettingsMissingValue : public ::testing::TestWithParam<int> {};

TEST_P(LoadSettingsMissingValue, TakesItsDefaultSilentlyAndLeavesTheOthers)
{
    const Field &missing = normalRunFields().at(GetParam());
    test::TempConfig config;
    Session session(config.storeFile());
    populate(session, missing.name);

    Session run(config.storeFile());
    FakeWindow window = designWindow();
    SettingsRecord record;
    loadSettings(record, run.registry, window);

    EXPECT_EQ(run.modal.calls.size(), 0);
    EXPECT_EQ(record.gSeparator, QStringLiteral("`"));
    EXPECT_EQ(window.log.size(), 4);  // every placement value is assigned, read or not
    for (const Field &f : normalRunFields())
        EXPECT_EQ(f.loaded(record, window), f.name == missing.name ? f.whenMissing : f.stored) << f.name.toStdString();
}

INSTANTIATE_TEST_SUITE_P(All, LoadSettingsMissingValue, ::testing::Range(0, 23), [](const auto &info) {
    return normalRunFields().at(info.param).name.toStdString();
});

TEST(LoadSettingsNormalRun, OptionKeyCutFromTheFileIsMadeAgainAtStartAndFilledAtExit)
{
    test::TempConfig config;
    {
        Session setup(config.storeFile());
        populate(setup, QString());
    }
    // Drop the Option section from the file, as a file cut short at a line
    // boundary or a user editing it might.
    {
        QFile file(config.storeFile());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        QByteArray text = file.readAll();
        file.close();
        const qsizetype start = text.indexOf("[HKEY_CURRENT_USER\\Software\\ZeqSoft\\ZeqEditor\\Option]");
        ASSERT_GE(start, 0);
        qsizetype end = text.indexOf("\n[", start);
        text.remove(start, (end < 0 ? text.size() : end + 1) - start);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    }

    Session run(config.storeFile());
    ASSERT_EQ(run.store.openKey(HKEY_CURRENT_USER, kOptionKey), kErrorFileNotFound);
    FakeWindow window = designWindow();
    SettingsRecord record;
    loadSettings(record, run.registry, window);

    EXPECT_EQ(run.modal.calls.size(), 0);
    for (const Field &f : normalRunFields())
        EXPECT_EQ(f.loaded(record, window), f.key == kOptionKey ? f.whenMissing : f.stored) << f.name.toStdString();
    EXPECT_EQ(record.gUserSparator, (std::array<QString, 3>{}));
    EXPECT_EQ(record.gZeqSparatorDisable, 0);
    EXPECT_EQ(run.store.openKey(HKEY_CURRENT_USER, kOptionKey), kErrorSuccess);

    record.gKanjiColor = 0x00FF00;
    saveSettings(record, run.registry, window);
    EXPECT_EQ(run.modal.calls.size(), 0);
    expectStored(config.storeFile(), {{kOptionKey, QStringLiteral("KanjiColor"), 0x00FF00},
                                      {kOptionKey, QStringLiteral("ZeqFontSize"), 12}});
}

TEST(SaveSettings, WritesPlacementRecentListAndOptionsButNeverTheCompanion)
{
    test::TempConfig config;
    {
        Session setup(config.storeFile());
        populate(setup, QString());
    }
    Session run(config.storeFile());
    SettingsRecord record;
    record.gSeparator = QStringLiteral("#");  // never written back
    record.gRecentFile = {QStringLiteral("1.txt"), QStringLiteral("2.txt"), QString(), QStringLiteral("漢字.txt"),
                          QString()};
    record.gZeqImage = 3;
    record.gZeqSparatorDisable = 1;
    record.gUserSparator = {QStringLiteral("{"), QString(), QStringLiteral("}")};
    record.gFontColor = 1;
    record.gTextBackColor = 2;
    record.gRchBackColor = 3;
    record.gKanjiColor = 4;
    record.gHiraColor = 5;
    record.gSepaColor = -1;
    record.gZeqFontName = QStringLiteral("IPAゴシック");
    record.gZeqFontSize = 9;
    record.rubyPreview = true;
    FakeWindow window(10.5, -10.5, 99.49, 0.5);

    saveSettings(record, run.registry, window);

    EXPECT_EQ(run.modal.calls.size(), 0);
    expectStored(config.storeFile(), {
                                         {kEnvKey, QStringLiteral("EditorTop"), 11},
                                         {kEnvKey, QStringLiteral("EditorLeft"), -11},
                                         {kEnvKey, QStringLiteral("EditorHeight"), 99},
                                         {kEnvKey, QStringLiteral("EditorWidth"), 1},
                                         {kRecentKey, QStringLiteral("RecentFile0"), QStringLiteral("1.txt")},
                                         {kRecentKey, QStringLiteral("RecentFile1"), QStringLiteral("2.txt")},
                                         {kRecentKey, QStringLiteral("RecentFile2"), QString()},
                                         {kRecentKey, QStringLiteral("RecentFile3"), QStringLiteral("漢字.txt")},
                                         {kRecentKey, QStringLiteral("RecentFile4"), QString()},
                                         {kOptionKey, QStringLiteral("ZeqImage"), 3},
                                         {kOptionKey, QStringLiteral("ZeqSparatorDisable"), 1},
                                         {kOptionKey, QStringLiteral("UserSparator0"), QStringLiteral("{")},
                                         {kOptionKey, QStringLiteral("UserSparator1"), QString()},
                                         {kOptionKey, QStringLiteral("UserSparator2"), QStringLiteral("}")},
                                         {kOptionKey, QStringLiteral("FontColor"), 1},
                                         {kOptionKey, QStringLiteral("TextBackColor"), 2},
                                         {kOptionKey, QStringLiteral("RchBackColor"), 3},
                                         {kOptionKey, QStringLiteral("KanjiColor"), 4},
                                         {kOptionKey, QStringLiteral("HiraColor"), 5},
                                         {kOptionKey, QStringLiteral("SepaColor"), -1},
                                         {kOptionKey, QStringLiteral("ZeqFontName"), QStringLiteral("IPAゴシック")},
                                         {kOptionKey, QStringLiteral("ZeqFontSize"), 9},
                                         {kOptionKey, QStringLiteral("RubyPreview"), 1},
                                     });
    EXPECT_EQ(run.store.openKey(HKEY_CURRENT_USER, kCompanionOptionKey), kErrorFileNotFound);

    // And the next start reads back exactly this.
    Session next(config.storeFile());
    FakeWindow nextWindow = designWindow();
    SettingsRecord loaded;
    loadSettings(loaded, next.registry, nextWindow);
    EXPECT_EQ(loaded.gRecentFile, record.gRecentFile);
    EXPECT_EQ(loaded.gUserSparator, record.gUserSparator);
    EXPECT_EQ(loaded.gZeqFontName, record.gZeqFontName);
    EXPECT_EQ(loaded.gSepaColor, -1);
    EXPECT_TRUE(loaded.rubyPreview);
    EXPECT_EQ(loaded.gSeparator, QStringLiteral("`"));
}

TEST(SettingsTexts, AreStoredExactlyWhateverCharactersTheyHold)
{
    test::TempConfig config;
    {
        Session setup(config.storeFile());
        populate(setup, QString());
    }
    Session run(config.storeFile());
    FakeWindow window = designWindow();
    SettingsRecord record;
    loadSettings(record, run.registry, window);
    // é and 〜 have no CP932 code of their own, nor has an emoji.
    record.gRecentFile[0] = QStringLiteral("/home/u/café/〜メモ〜/😀.txt");
    record.gZeqFontName = QStringLiteral("Noto Sans CJK JP 〜");
    saveSettings(record, run.registry, window);
    EXPECT_EQ(run.modal.calls.size(), 0);

    QFile file(config.storeFile());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains(QStringLiteral("\"RecentFile0\"=\"/home/u/café/〜メモ〜/😀.txt\"").toUtf8()));

    Session next(config.storeFile());
    SettingsRecord loaded;
    loadSettings(loaded, next.registry, window);
    EXPECT_EQ(loaded.gRecentFile[0], record.gRecentFile[0]);
    EXPECT_EQ(loaded.gZeqFontName, record.gZeqFontName);

    // Back to the value of the start: a second save writes that too.
    record.gRecentFile[0] = QStringLiteral("/home/u/文書/a.txt");
    saveSettings(record, run.registry, window);
    Session last(config.storeFile());
    loadSettings(loaded, last.registry, window);
    EXPECT_EQ(loaded.gRecentFile[0], record.gRecentFile[0]);
}

TEST(LoadSettingsDamagedFile, KeepsWhatCanBeReadAndSaysWhatWasLost)
{
    test::TempConfig config;
    {
        Session setup(config.storeFile());
        populate(setup, QString());
    }
    // One line of the file cut short: the kanji colour's.
    QByteArray original;
    int cutLine = 0;
    {
        QFile file(config.storeFile());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        QList<QByteArray> lines = file.readAll().split('\n');
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (lines[i].startsWith("\"KanjiColor\"")) {
                lines[i] = "\"KanjiColor\"=\"0000ff";
                cutLine = int(i + 1);
            }
        }
        ASSERT_GT(cutLine, 0);
        original = lines.join('\n');
        file.close();
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(original);
    }
    Session run(config.storeFile());
    FakeWindow window = designWindow();
    SettingsRecord record;
    const QString lost = loadSettings(record, run.registry, window);

    for (const Field &f : normalRunFields())
        EXPECT_EQ(f.loaded(record, window), f.name == QStringLiteral("KanjiColor") ? f.whenMissing : f.stored)
            << f.name.toStdString();
    const QString aside = run.store.quarantinedPath();
    ASSERT_FALSE(aside.isEmpty());
    QFile copy(aside);
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), original);
    EXPECT_EQ(lost, QStringLiteral("設定ファイル %1 に読めない行がありました（%2行目）。"
                                   "読めた設定はそのまま使い、次の設定は既定の値に戻ります：漢字の色。\n"
                                   "元のファイルは %3 に残してあります。")
                        .arg(config.storeFile())
                        .arg(cutLine)
                        .arg(aside));
    EXPECT_EQ(run.modal.calls.size(), 0);

    // The separators survive the exit, and the next start has nothing to say.
    saveSettings(record, run.registry, window);
    EXPECT_EQ(run.modal.calls.size(), 0);
    Session next(config.storeFile());
    SettingsRecord again;
    EXPECT_EQ(loadSettings(again, next.registry, window), QString());
    EXPECT_EQ(again.gUserSparator, record.gUserSparator);
}

TEST(LoadSettingsDamagedFile, AnUnreadableEnvKeyLineCostsOnlyThePlacement)
{
    test::TempConfig config;
    {
        Session setup(config.storeFile());
        populate(setup, QString());
    }
    QFile file(config.storeFile());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QByteArray bytes = file.readAll();
    file.close();
    bytes.replace("[HKEY_CURRENT_USER\\Software\\ZeqSoft\\ZeqEditor\\Env]", "[HKEY_CURRENT_USER\\Software\\ZeqSoft\\ZeqEditor\\Env");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
    file.close();

    Session run(config.storeFile());
    FakeWindow window = designWindow();
    SettingsRecord record;
    EXPECT_FALSE(loadSettings(record, run.registry, window).isEmpty());
    for (const Field &f : normalRunFields())
        EXPECT_EQ(f.loaded(record, window), f.key == kEnvKey ? f.whenMissing : f.stored) << f.name.toStdString();
}

// Two editors started on the same settings, each changing one value before
// it exits: what the first wrote is still there after the second's exit.
TEST(SaveSettingsTwoEditors, EachKeepsTheValueTheOtherWrote)
{
    test::TempConfig config;
    {
        Session setup(config.storeFile());
        populate(setup, QString());
    }
    const QString recent = QStringLiteral("/home/u/二つ目.txt");
    QProcess first;
    QProcess second;
    first.start(QStringLiteral(ZEQ_SETTINGS_WRITER_PATH), {config.storeFile(), QStringLiteral("recent0"), recent});
    second.start(QStringLiteral(ZEQ_SETTINGS_WRITER_PATH),
                 {config.storeFile(), QStringLiteral("kanji"), QString::number(0x00FF00)});
    for (QProcess *p : {&first, &second}) {
        while (!p->canReadLine())
            ASSERT_TRUE(p->waitForReadyRead(10000)) << p->errorString().toStdString();
        ASSERT_EQ(p->readLine(), QByteArray("loaded\n"));
    }
    for (QProcess *p : {&first, &second}) {
        p->write("go\n");
        ASSERT_TRUE(p->waitForFinished(10000));
        EXPECT_EQ(p->exitCode(), 0);
    }
    expectStored(config.storeFile(), {{kRecentKey, QStringLiteral("RecentFile0"), recent},
                                      {kOptionKey, QStringLiteral("KanjiColor"), 0x00FF00},
                                      {kOptionKey, QStringLiteral("HiraColor"), 0xAABBCC}});
}

} // namespace
} // namespace zeq
