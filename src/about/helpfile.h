#pragma once
// Where the help file is: beside the program in a build tree, under the
// data folder once installed.

#include <QString>

namespace zeq {

// The help file's name inside its folder.
inline const QString kHelpFileName = QStringLiteral("zqhelp.html");

// programDir/help/zqhelp.html when it exists (a build tree), else the
// installed copy found from programDir (bin/ → share/zeqedit/help/). When
// neither exists, the path beside the program, for the help window to name.
QString locateHelpFile(const QString &programDir);

} // namespace zeq
