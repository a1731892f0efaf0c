#include "about/helpfile.h"

#include <QDir>
#include <QFileInfo>

#ifndef ZEQ_INSTALLED_HELP_DIR
#define ZEQ_INSTALLED_HELP_DIR "../share/zeqedit/help"
#endif

namespace zeq {

QString locateHelpFile(const QString &programDir)
{
    const QDir dir(programDir);
    const QString beside = QDir::cleanPath(dir.filePath(QStringLiteral("help/") + kHelpFileName));
    if (QFileInfo::exists(beside))
        return beside;
    // Relative to the program, so a package installed under any prefix (or
    // unpacked into a DESTDIR) finds its own help.
    const QString installed =
        QDir::cleanPath(dir.filePath(QStringLiteral(ZEQ_INSTALLED_HELP_DIR "/") + kHelpFileName));
    if (QFileInfo::exists(installed))
        return installed;
    return beside;
}

} // namespace zeq
