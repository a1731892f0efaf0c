#include "about/helpfile.h"

#include "platform/datafiles.h"

#include <QDir>

#ifndef ZEQ_INSTALLED_HELP_DIR
#define ZEQ_INSTALLED_HELP_DIR "../share/zeqedit/help"
#endif

namespace zeq {

QString locateHelpFile(const QString &programDir)
{
    const QString found = locateDataFile(programDir, QStringLiteral("help"),
                                         QStringLiteral(ZEQ_INSTALLED_HELP_DIR), kHelpFileName);
    return found.isEmpty() ? QDir::cleanPath(QDir(programDir).filePath(QStringLiteral("help/") + kHelpFileName))
                           : found;
}

} // namespace zeq
