#pragma once
// The settings record: the options that outlive a run, read once at start-up
// and written once at exit. Every other part reads these fields directly.

#include "settings/settingskeys.h"

#include <QHash>
#include <QString>

#include <array>
#include <variant>

namespace zeq {

class Registry;

// "ＭＳ 明朝": full-width ＭＳ, one ordinary space, 明朝.
inline const QString kDefaultFontName = QStringLiteral("ＭＳ 明朝");

// Default colours (0x00BBGGRR) and font size of the record.
inline constexpr qint32 kDefaultFontColor = 0;            // black
inline constexpr qint32 kDefaultTextBackColor = 0xFFFFFF; // white
inline constexpr qint32 kDefaultRchBackColor = 0xC0FFFF;  // light yellow
inline constexpr qint32 kDefaultKanjiColor = 0xFF0000;    // blue
inline constexpr qint32 kDefaultHiraColor = 255;          // red
inline constexpr qint32 kDefaultSepaColor = 0;            // black
inline constexpr qint32 kDefaultFontSize = 12;

// The editor's values as the settings file held them when this process last
// read or wrote them, by key path and value name; a value the file lacked is
// absent. saveSettings writes only the values that differ from it, so that
// what another editor stored meanwhile survives this one's exit.
using StoredValues = QHash<QString, std::variant<qint32, QString>>;

struct SettingsRecord {
    QString gSeparator;
    std::array<QString, 5> gRecentFile;
    qint32 gZeqImage = 0;
    qint32 gZeqSparatorDisable = 0;
    std::array<QString, 3> gUserSparator;
    qint32 gFontColor = 0;      // colours are 0x00BBGGRR
    qint32 gTextBackColor = 0;
    qint32 gRchBackColor = 0;
    qint32 gKanjiColor = 0;
    qint32 gHiraColor = 0;
    qint32 gSepaColor = 0;
    QString gZeqFontName;
    qint32 gZeqFontSize = 0;
    // The display image sets readings above their kanji.
    bool rubyPreview = false;
    StoredValues fileValues;
};

// The main window's outer placement, in twips, as loadSettings and
// saveSettings see it. Reads may be fractional; the settings round them.
class WindowPlacement {
public:
    virtual ~WindowPlacement() = default;
    virtual double top() const = 0;
    virtual double left() const = 0;
    virtual double height() const = 0;
    virtual double width() const = 0;
    virtual void setTop(qint32 twips) = 0;
    virtual void setLeft(qint32 twips) = 0;
    virtual void setHeight(qint32 twips) = 0;
    virtual void setWidth(qint32 twips) = 0;
};

void setDefaultSettings(SettingsRecord &record);
// The six colours back to their first-run values, nothing else (the
// settings dialog's default button leaves font and separators to itself).
void restoreDefaultColors(SettingsRecord &record);
// Returns, in words for the user, what the settings file lost because part
// or all of it could not be read; empty when nothing was lost.
QString loadSettings(SettingsRecord &record, Registry &registry, WindowPlacement &window);
// Writes the values that differ from what the file held when this process
// last read or wrote it, and notes them as written.
void saveSettings(SettingsRecord &record, Registry &registry, const WindowPlacement &window);

} // namespace zeq
