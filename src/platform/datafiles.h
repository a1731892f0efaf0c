#pragma once
// Files the program ships beside itself (help, reading tables): in a build
// tree they lie in a folder next to the program, once installed under the
// data folder, found by a path relative to the program's folder so that a
// package unpacked under any prefix (or into a DESTDIR) finds its own.

#include <QString>

namespace zeq {

// programDir/folder/name when it exists, else programDir/installedFolder/name
// when that exists, else an empty string.
QString locateDataFile(const QString &programDir, const QString &folder, const QString &installedFolder,
                       const QString &name);

} // namespace zeq
