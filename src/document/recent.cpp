#include "document/recent.h"

namespace zeq {

void pushRecentFile(RecentFiles &files, const QString &path)
{
    for (int n = 4; n >= 1; --n)
        files[n] = files[n - 1];
    files[0] = path;
}

int recentFileCount(const RecentFiles &files)
{
    int count = 0;
    while (count < int(files.size()) && !files[count].isEmpty())
        ++count;
    return count;
}

bool isRecentFile(const RecentFiles &files, const QString &path)
{
    const int count = qMin(recentFileCount(files), 4);
    for (int i = 0; i < count; ++i) {
        if (files[i] == path)
            return true;
    }
    return false;
}

} // namespace zeq
