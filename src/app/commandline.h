#pragma once
// What the program was asked to do by its command line, decided before any
// window (or display) exists.

#include <QString>
#include <QStringList>

namespace zeq {

struct CommandLine {
    enum Kind {
        Editor,   // open the editor on files
        Tool,     // the checker (--check, --annotate ...) or --help
        Version,  // print the version and stop
    };
    Kind kind = Editor;
    // Tool: --help was given; it wins over every other option.
    bool help = false;
    // Editor: the files to open, in the order given.
    QStringList files;
    // Editor: an option the editor does not know, "" when there is none.
    QString unknownOption;
};

// arguments: without the program's name. Options count wherever they stand,
// up to a "--", after which everything names a file. --version wins over
// everything, then --help and the checker's options.
CommandLine parseCommandLine(const QStringList &arguments);

// "Zeq Text Editor 1.02", as --version prints it.
QString versionLine();

} // namespace zeq
