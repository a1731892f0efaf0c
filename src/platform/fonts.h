#pragma once
// Fonts and colours as the settings store them, turned into Qt's. The stored
// font names are the Japanese Windows faces; on Linux an installed Mincho or
// Gothic face stands in for them through Qt's font substitution, so the
// names round-trip unchanged through the settings.

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>

namespace zeq {

// Registers the stand-in faces; call once after the application object exists.
void installFontSubstitutes();

// The font for a stored face name and whole point size; a size below one
// point falls back to 12 so that the window's row arithmetic stays defined.
QFont storedFont(const QString &faceName, int points);

// The families of the application font, whose captions are all Japanese:
// the desktop's own face first and the Gothic stand-ins after it. A desktop
// face that never loads (fontconfig's generic "Sans Serif", what Qt gives
// without a desktop theme, or a face not installed) leaves every script to
// the first installed Gothic face, so that face alone is named: with a list,
// Qt asks fontconfig for the fallbacks of each family for each script as it
// loads the faces, several milliseconds before the window can be sized.
QStringList captionFamilies(const QString &desktopFamily, const QStringList &installedFamilies);

// Colours are stored as 0x00BBGGRR.
QColor colorFromRef(qint32 colorRef);
qint32 colorToRef(const QColor &color);

} // namespace zeq
