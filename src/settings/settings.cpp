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

using Value = std::variant<qint32, QString>;

QString storedId(const StoredName &value) { return value.key + QLatin1Char('\\') + value.name; }

// Reads and writes of the editor's own values, noting what the file holds.
class StoredAccess {
public:
    StoredAccess(Registry &registry, StoredValues &fileValues) : m_registry(registry), m_file(fileValues) {}

    qint32 readLong(const StoredName &value, qint32 fallback)
    {
        qint32 number = 0;
        if (m_registry.regGetLong(HKEY_CURRENT_USER, value.key, value.name, number) != 1)
            return fallback;
        m_file.insert(storedId(value), number);
        return number;
    }
    QString readText(const StoredName &value, const QString &fallback)
    {
        QString text;
        if (m_registry.regGetText(HKEY_CURRENT_USER, value.key, value.name, text) != 1)
            return fallback;
        m_file.insert(storedId(value), text);
        return text;
    }
    void write(const StoredName &value, const Value &data)
    {
        const int result = std::holds_alternative<qint32>(data)
                               ? m_registry.regSetLong(HKEY_CURRENT_USER, value.key, value.name, std::get<qint32>(data))
                               : m_registry.regSetText(HKEY_CURRENT_USER, value.key, value.name, std::get<QString>(data));
        if (result == 1)
            m_file.insert(storedId(value), data);
    }

private:
    Registry &m_registry;
    StoredValues &m_file;
};

// What the user is told when the settings file could not be read in full:
// which settings now have their defaults, and where the file as it was is.
QString describeLoss(const RegStore &store, const StoredValues &fileValues)
{
    const RegStore::LoadDamage damage = store.loadDamage();
    if (!damage.wholeFile && damage.lines.isEmpty())
        return QString();
    QString text;
    if (damage.wholeFile) {
        text = QStringLiteral("設定ファイル %1 を読むことができませんでした。すべての設定を既定の値で始めます。")
                   .arg(store.filePath());
    } else {
        QStringList lines;
        for (int line : damage.lines)
            lines.append(QStringLiteral("%1行目").arg(line));
        QStringList lost;
        for (const StoredName *value : kEditorValues) {
            if (!fileValues.contains(storedId(*value)) && !lost.contains(value->label))
                lost.append(value->label);
        }
        text = QStringLiteral("設定ファイル %1 に読めない行がありました（%2）。")
                   .arg(store.filePath(), lines.join(QStringLiteral("、")));
        text += lost.isEmpty() ? QStringLiteral("読めた設定はすべてそのまま使います。")
                               : QStringLiteral("読めた設定はそのまま使い、次の設定は既定の値に戻ります：%1。")
                                     .arg(lost.join(QStringLiteral("、")));
    }
    const QString aside = store.quarantinedPath();
    text += QLatin1Char('\n');
    text += aside.isEmpty() ? QStringLiteral("元のファイルを残せなかったため、設定は保存されません。")
                            : QStringLiteral("元のファイルは %1 に残してあります。").arg(aside);
    return text;
}

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
    record.rubyPreview = false;
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

QString loadSettings(SettingsRecord &record, Registry &registry, WindowPlacement &window)
{
    constexpr quint32 hkcu = HKEY_CURRENT_USER;
    using namespace stored;

    // The companion's text is its own, written as CP932: read as such.
    record.gSeparator = registry.getSettingString(hkcu, kCompanionOptionKey, kCompanionSeparatorName,
                                                  kDefaultSeparator);
    record.fileValues.clear();
    StoredAccess access(registry, record.fileValues);

    qint32 disposition = 0;
    if (registry.regCreateKey(hkcu, kEnvKey, disposition) != 1) {
        // regCreateKey has already named the error; say what happens next.
        registry.modal().msgBox(kCannotCreate, MsgExclamation);
        registry.modal().msgBox(kStartWithDefaults, MsgOkOnly);
        setDefaultSettings(record);
        // A file that could be neither read nor moved aside is why.
        return describeLoss(registry.store(), record.fileValues);
    }

    // A first run has none of the editor's keys. A file that lost only its
    // Env key (a damaged key line, say) still holds values worth keeping.
    const bool firstRun = disposition == qint32(REG_CREATED_NEW_KEY)
                          && registry.store().openKey(hkcu, kRecentKey) != kErrorSuccess
                          && registry.store().openKey(hkcu, kOptionKey) != kErrorSuccess;
    if (firstRun) {
        access.write(kEditorTop, roundTwips(window.top()));
        access.write(kEditorLeft, roundTwips(window.left()));
        access.write(kEditorHeight, roundTwips(window.height()));
        access.write(kEditorWidth, roundTwips(window.width()));

        qint32 ignored = 0;
        registry.regCreateKey(hkcu, kRecentKey, ignored);
        for (const StoredName &file : kRecentFile)
            access.write(file, QString());

        registry.regCreateKey(hkcu, kOptionKey, ignored);
        access.write(kZeqImage, 0);
        access.write(kZeqSparatorDisable, 0);
        // The separators chosen now are stored now: a run that never
        // reaches a clean exit must not leave the next one without any.
        for (const StoredName &separator : kUserSparator)
            access.write(separator, record.gSeparator);
        access.write(kFontColor, kDefaultFontColor);
        access.write(kTextBackColor, kDefaultTextBackColor);
        access.write(kRchBackColor, kDefaultRchBackColor);
        access.write(kKanjiColor, kDefaultKanjiColor);
        access.write(kHiraColor, kDefaultHiraColor);
        access.write(kSepaColor, kDefaultSepaColor);
        access.write(kZeqFontName, kDefaultFontName);
        access.write(kZeqFontSize, kDefaultFontSize);
        access.write(kRubyPreview, 0);

        setDefaultSettings(record);
        return describeLoss(registry.store(), record.fileValues);
    }

    // A key lost from the file (one cut short, say) is made again, so that
    // the values read as defaults can be stored at exit.
    qint32 ignored = 0;
    if (registry.store().openKey(hkcu, kRecentKey) != kErrorSuccess)
        registry.regCreateKey(hkcu, kRecentKey, ignored);
    if (registry.store().openKey(hkcu, kOptionKey) != kErrorSuccess)
        registry.regCreateKey(hkcu, kOptionKey, ignored);

    // Each placement value is applied as soon as it is read, so a missing
    // one keeps whatever the window has at that moment.
    window.setTop(access.readLong(kEditorTop, roundTwips(window.top())));
    window.setLeft(access.readLong(kEditorLeft, roundTwips(window.left())));
    window.setHeight(access.readLong(kEditorHeight, roundTwips(window.height())));
    window.setWidth(access.readLong(kEditorWidth, roundTwips(window.width())));

    for (int i = 0; i < 5; ++i)
        record.gRecentFile[i] = access.readText(kRecentFile[i], QString());

    record.gZeqImage = access.readLong(kZeqImage, 0);
    record.gZeqSparatorDisable = access.readLong(kZeqSparatorDisable, 0);
    for (int i = 0; i < 3; ++i)
        record.gUserSparator[i] = access.readText(kUserSparator[i], QString());
    record.gFontColor = access.readLong(kFontColor, kDefaultFontColor);
    record.gTextBackColor = access.readLong(kTextBackColor, kDefaultTextBackColor);
    record.gRchBackColor = access.readLong(kRchBackColor, kDefaultRchBackColor);
    record.gKanjiColor = access.readLong(kKanjiColor, kDefaultKanjiColor);
    record.gHiraColor = access.readLong(kHiraColor, kDefaultHiraColor);
    record.gSepaColor = access.readLong(kSepaColor, kDefaultSepaColor);
    record.gZeqFontName = access.readText(kZeqFontName, kDefaultFontName);
    record.gZeqFontSize = access.readLong(kZeqFontSize, kDefaultFontSize);
    record.rubyPreview = access.readLong(kRubyPreview, 0) != 0;
    return describeLoss(registry.store(), record.fileValues);
}

void saveSettings(SettingsRecord &record, Registry &registry, const WindowPlacement &window)
{
    using namespace stored;
    // Only what this process changed is written: a value equal to what the
    // file held when it was read is left to whoever may have changed it since.
    StoredAccess access(registry, record.fileValues);
    auto put = [&](const StoredName &value, const Value &data) {
        const auto known = record.fileValues.constFind(storedId(value));
        if (known == record.fileValues.cend() || *known != data)
            access.write(value, data);
    };

    put(kEditorTop, roundTwips(window.top()));
    put(kEditorLeft, roundTwips(window.left()));
    put(kEditorHeight, roundTwips(window.height()));
    put(kEditorWidth, roundTwips(window.width()));

    for (int i = 0; i < 5; ++i)
        put(kRecentFile[i], record.gRecentFile[i]);

    put(kZeqImage, record.gZeqImage);
    put(kZeqSparatorDisable, record.gZeqSparatorDisable);
    for (int i = 0; i < 3; ++i)
        put(kUserSparator[i], record.gUserSparator[i]);
    put(kFontColor, record.gFontColor);
    put(kTextBackColor, record.gTextBackColor);
    put(kRchBackColor, record.gRchBackColor);
    put(kKanjiColor, record.gKanjiColor);
    put(kHiraColor, record.gHiraColor);
    put(kSepaColor, record.gSepaColor);
    put(kZeqFontName, record.gZeqFontName);
    put(kZeqFontSize, record.gZeqFontSize);
    put(kRubyPreview, qint32(record.rubyPreview ? 1 : 0));
}

} // namespace zeq
