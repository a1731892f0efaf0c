#include "platform/datafiles.h"

#include <QDir>
#include <QFileInfo>

namespace zeq {

QString locateDataFile(const QString &programDir, const QString &folder, const QString &installedFolder,
                       const QString &name)
{
    const QDir dir(programDir);
    for (const QString &candidate : {folder, installedFolder}) {
        const QString path = QDir::cleanPath(dir.filePath(candidate + u'/' + name));
        if (QFileInfo::exists(path))
            return path;
    }
    return QString();
}

} // namespace zeq
