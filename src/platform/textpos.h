#pragma once
// The document is edited as lines ending in CR LF, each CR LF counting as two
// characters, while Qt's text widgets keep one separator between lines. These
// helpers translate whole texts between the two forms.

#include <QString>

namespace zeq {

// Qt's plain text (lines joined by LF) to the editor's form (CR LF).
QString toCrLfText(const QString &lfText);

// Any line ends (CR LF, lone CR, lone LF, Unicode line and paragraph
// separators) to single LFs, as Qt's text widgets take them.
QString toLfText(const QString &anyText);

} // namespace zeq
