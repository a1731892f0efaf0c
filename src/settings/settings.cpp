#include "settings/settings.h"

#include "platform/modal.h"
#include "platform/regstore.h"
#include "settings/registry.h"

#include <cmath>
#include <limits>

namespace zeq {

namespace {

const QString kCannotCreate = QStringLiteral("CURRENT_USER レジストリを作成できません。");
const QString kStartWithDefaults = QStringLiteral("デフォルトの設定で起動します。");

const QString kDefaultSeparator = QStringLiteral("`");


// The window reports twips as it may hold them internally; the store keeps
// whole numbers. Values outside 32 bits (or not numbers at all) cannot come
// from a real window, but must not become undefined behaviour either.
qint32 roundTwips(double twips)
{
    if (std::isnan(twips))
        return 0;
    constexpr double lowest = std::numeric_limits<qint32>::min();
    constexpr double highest = std::numeric_limits<qint32>::max();
    if (twips <= lowest)
        return std::numeric_limits<qint32>::min();
    if (twips >= highest)
        return std::numeric_limits<qint32>::max();
    return qint32(std::lround(twips));
}

QString separatorName(int index) { return QStringLiteral("UserSparator%1").arg(index); }
QString recentName(int index) { return QStringLiteral("RecentFile%1").arg(index); }

} // namespace

void setDefaultSettings(SettingsRecord &record)
{
    for (QString &file : record.gRecentFile)
        file.clear();
    record.gZeqImage = 0;
    record.gZeqSparatorDisable = 1;
    for (QString &separator : record.gUserSparator)
        separator = record.gSeparator;
    record.gZeqFontName = kDefaultFontName;
    record.gZeqFontSize = kDefaultFontSize;
    restoreDefaultColors(record);
}

void restoreDefaultColors(SettingsRecord &record)
{
    record.gFontColor = kDefaultFontColor;
    record.gTextBackColor = kDefaultTextBackColor;
    record.gRchBackColor = kDefaultRchBackColor;
    record.gKanjiColor = kDefaultKanjiColor;
    record.gHiraColor = kDefaultHiraColor;
    record.gSepaColor = kDefaultSepaColor;
}

void loadSettings(SettingsRecord &record, Registry &registry, WindowPlacement &window)
{
    constexpr quint32 hkcu = HKEY_CURRENT_USER;

    record.gSeparator = registry.getSettingString(hkcu, kCompanionOptionKey, QStringLiteral("Separator"),
                                                  kDefaultSeparator);

    qint32 disposition = 0;
    if (registry.regCreateKey(hkcu, kEnvKey, disposition) != 1) {
        // regCreateKey has already named the error; say what happens next.
        registry.modal().msgBox(kCannotCreate, MsgExclamation);
        registry.modal().msgBox(kStartWithDefaults, MsgOkOnly);
        setDefaultSettings(record);
        return;
    }

    if (disposition == qint32(REG_CREATED_NEW_KEY)) {
        registry.regSetLong(hkcu, kEnvKey, QStringLiteral("EditorTop"), roundTwips(window.top()));
        registry.regSetLong(hkcu, kEnvKey, QStringLiteral("EditorLeft"), roundTwips(window.left()));
        registry.regSetLong(hkcu, kEnvKey, QStringLiteral("EditorHeight"), roundTwips(window.height()));
        registry.regSetLong(hkcu, kEnvKey, QStringLiteral("EditorWidth"), roundTwips(window.width()));

        qint32 ignored = 0;
        registry.regCreateKey(hkcu, kRecentKey, ignored);
        for (int i = 0; i < 5; ++i)
            registry.regSetString(hkcu, kRecentKey, recentName(i), QString());

        registry.regCreateKey(hkcu, kOptionKey, ignored);
        registry.regSetLong(hkcu, kOptionKey, QStringLiteral("ZeqImage"), 0);
        registry.regSetLong(hkcu, kOptionKey, QStringLiteral("ZeqSparatorDisable"), 0);
        for (int i = 0; i < 3; ++i)
            registry.regSetString(hkcu, kOptionKey, separatorName(i), QString());
        registry.regSetLong(hkcu, kOptionKey, QStringLiteral("FontColor"), kDefaultFontColor);
        registry.regSetLong(hkcu, kOptionKey, QStringLiteral("TextBackColor"), kDefaultTextBackColor);
        registry.regSetLong(hkcu, kOptionKey, QStringLiteral("RchBackColor"), kDefaultRchBackColor);
        registry.regSetLong(hkcu, kOptionKey, QStringLiteral("KanjiColor"), kDefaultKanjiColor);
        registry.regSetLong(hkcu, kOptionKey, QStringLiteral("HiraColor"), kDefaultHiraColor);
        registry.regSetLong(hkcu, kOptionKey, QStringLiteral("SepaColor"), kDefaultSepaColor);
        registry.regSetString(hkcu, kOptionKey, QStringLiteral("ZeqFontName"), kDefaultFontName);
        registry.regSetLong(hkcu, kOptionKey, QStringLiteral("ZeqFontSize"), kDefaultFontSize);

        // The store holds the neutral first-run values until the first exit
        // writes the record back; the record itself starts from the defaults.
        setDefaultSettings(record);
        return;
    }

    // Each placement value is applied as soon as it is read, so a missing
    // one keeps whatever the window has at that moment.
    window.setTop(registry.getSettingLong(hkcu, kEnvKey, QStringLiteral("EditorTop"), roundTwips(window.top())));
    window.setLeft(registry.getSettingLong(hkcu, kEnvKey, QStringLiteral("EditorLeft"), roundTwips(window.left())));
    window.setHeight(
        registry.getSettingLong(hkcu, kEnvKey, QStringLiteral("EditorHeight"), roundTwips(window.height())));
    window.setWidth(
        registry.getSettingLong(hkcu, kEnvKey, QStringLiteral("EditorWidth"), roundTwips(window.width())));

    for (int i = 0; i < 5; ++i)
        record.gRecentFile[i] = registry.getSettingString(hkcu, kRecentKey, recentName(i), QString());

    record.gZeqImage = registry.getSettingLong(hkcu, kOptionKey, QStringLiteral("ZeqImage"), 0);
    record.gZeqSparatorDisable = registry.getSettingLong(hkcu, kOptionKey, QStringLiteral("ZeqSparatorDisable"), 0);
    for (int i = 0; i < 3; ++i)
        record.gUserSparator[i] = registry.getSettingString(hkcu, kOptionKey, separatorName(i), QString());
    record.gFontColor = registry.getSettingLong(hkcu, kOptionKey, QStringLiteral("FontColor"), kDefaultFontColor);
    record.gTextBackColor =
        registry.getSettingLong(hkcu, kOptionKey, QStringLiteral("TextBackColor"), kDefaultTextBackColor);
    record.gRchBackColor =
        registry.getSettingLong(hkcu, kOptionKey, QStringLiteral("RchBackColor"), kDefaultRchBackColor);
    record.gKanjiColor = registry.getSettingLong(hkcu, kOptionKey, QStringLiteral("KanjiColor"), kDefaultKanjiColor);
    record.gHiraColor = registry.getSettingLong(hkcu, kOptionKey, QStringLiteral("HiraColor"), kDefaultHiraColor);
    record.gSepaColor = registry.getSettingLong(hkcu, kOptionKey, QStringLiteral("SepaColor"), kDefaultSepaColor);
    record.gZeqFontName = registry.getSettingString(hkcu, kOptionKey, QStringLiteral("ZeqFontName"), kDefaultFontName);
    record.gZeqFontSize = registry.getSettingLong(hkcu, kOptionKey, QStringLiteral("ZeqFontSize"), kDefaultFontSize);
}

void saveSettings(const SettingsRecord &record, Registry &registry, const WindowPlacement &window)
{
    constexpr quint32 hkcu = HKEY_CURRENT_USER;

    registry.regSetLong(hkcu, kEnvKey, QStringLiteral("EditorTop"), roundTwips(window.top()));
    registry.regSetLong(hkcu, kEnvKey, QStringLiteral("EditorLeft"), roundTwips(window.left()));
    registry.regSetLong(hkcu, kEnvKey, QStringLiteral("EditorHeight"), roundTwips(window.height()));
    registry.regSetLong(hkcu, kEnvKey, QStringLiteral("EditorWidth"), roundTwips(window.width()));

    for (int i = 0; i < 5; ++i)
        registry.regSetString(hkcu, kRecentKey, recentName(i), record.gRecentFile[i]);

    registry.regSetLong(hkcu, kOptionKey, QStringLiteral("ZeqImage"), record.gZeqImage);
    registry.regSetLong(hkcu, kOptionKey, QStringLiteral("ZeqSparatorDisable"), record.gZeqSparatorDisable);
    for (int i = 0; i < 3; ++i)
        registry.regSetString(hkcu, kOptionKey, separatorName(i), record.gUserSparator[i]);
    registry.regSetLong(hkcu, kOptionKey, QStringLiteral("FontColor"), record.gFontColor);
    registry.regSetLong(hkcu, kOptionKey, QStringLiteral("TextBackColor"), record.gTextBackColor);
    registry.regSetLong(hkcu, kOptionKey, QStringLiteral("RchBackColor"), record.gRchBackColor);
    registry.regSetLong(hkcu, kOptionKey, QStringLiteral("KanjiColor"), record.gKanjiColor);
    registry.regSetLong(hkcu, kOptionKey, QStringLiteral("HiraColor"), record.gHiraColor);
    registry.regSetLong(hkcu, kOptionKey, QStringLiteral("SepaColor"), record.gSepaColor);
    registry.regSetString(hkcu, kOptionKey, QStringLiteral("ZeqFontName"), record.gZeqFontName);
    registry.regSetLong(hkcu, kOptionKey, QStringLiteral("ZeqFontSize"), record.gZeqFontSize);
}

} // namespace zeq
