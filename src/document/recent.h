#pragma once
// The five most recent files, newest first; the first empty entry ends the list.

#include <QString>

#include <array>

namespace zeq {

using RecentFiles = std::array<QString, 5>;

// Puts path at the top; the oldest entry falls off.
void pushRecentFile(RecentFiles &files, const QString &path);

// Whether path is one of the first four entries. The fifth is left out on
// purpose: a path found only there is pushed again and so comes back to the
// top.
bool isRecentFile(const RecentFiles &files, const QString &path);

// How many leading entries are in use.
int recentFileCount(const RecentFiles &files);

} // namespace zeq
