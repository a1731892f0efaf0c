#pragma once
// The window title carries the document's name after a fixed 21-character
// prefix that tells whether the text has unsaved changes.

#include <QString>

namespace zeq {

inline const QString kCleanPrefix = QStringLiteral("Zeq Text Editor〔－－〕－ ");
inline const QString kModifiedPrefix = QStringLiteral("Zeq Text Editor〔更新〕－ ");
inline const QString kUntitled = QStringLiteral("無題");
inline constexpr qsizetype kTitlePrefixLength = 21;

// Everything after the prefix: a path, or 無題.
QString titleNamePart(const QString &title);
// A document without a file: its name part begins with 無題.
bool isUntitled(const QString &title);
// The same name under the modified prefix.
QString modifiedTitle(const QString &title);
// Title after a file has been loaded: the path with its letters in upper case.
QString loadedTitle(const QString &path);
// Title after a file has been written: the path exactly as written.
QString writtenTitle(const QString &path);

} // namespace zeq
