#pragma once
// The command-line checker: checks or resolves ruby text files without a
// window, with the same reader, the same line checker and the same separator
// triple as the editor.
//
//   zeqedit --check [--separators ABC] FILE...
//   zeqedit --resolve [--separators ABC] FILE...
//   zeqedit --readings [--separators ABC] FILE...
//   zeqedit --annotate [--separators ABC] [-o OUT | --in-place] FILE...
//   zeqedit --convert --from aozora|html|brackets [--separators ABC] [-o OUT] FILE...
//   zeqedit --convert --to html|aozora|brackets [--separators ABC] [-o OUT] FILE...
//   zeqedit --help

#include "ruby/rubytext.h"

#include <QString>
#include <QStringList>
#include <QTextStream>

#include <optional>

namespace zeq {

inline constexpr int kCheckAllWellFormed = 0;
inline constexpr int kCheckSomeMalformed = 1;
inline constexpr int kCheckCannotRun = 2;  // a file could not be read, or bad usage

// arguments excludes the program name. Reports and resolved text go to out
// (as UTF-8), read failures and usage errors to err. storePath is the
// settings store the editor uses; it is only read, never created or changed.
// Returns one of the kCheck* codes; a file that cannot be read outranks a
// malformed line. learntPath names the user's learnt readings, which
// --annotate prefers (only read); empty for none.
int runCheckCommand(const QStringList &arguments, QTextStream &out, QTextStream &err, const QString &storePath,
                    const QString &learntPath = QString());

// The triple the editor would start with: the user's separators once the
// editor has run, otherwise three times the companion program's separator.
// Reads the store without creating or changing anything; problems with the
// store are described on err and the companion default is used.
SeparatorTriple storedSeparatorTriple(const QString &storePath, QTextStream &err);

// Parses the value of --separators: exactly three characters, "-" standing
// for an empty separator. Nothing for anything else.
std::optional<SeparatorTriple> parseSeparatorArgument(const QString &text);

} // namespace zeq
