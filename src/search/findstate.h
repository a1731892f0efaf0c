#pragma once
// What the find dialog and Find Next remember between searches while the
// editor runs. Extended delete borrows the string and direction for its own
// searches and puts them back afterwards.

#include <QString>

namespace zeq {

struct FindState {
    // The search string as the user typed it.
    QString gFindText;
    // Match case; otherwise both sides are upper-cased before comparing.
    bool gFindCase = false;
    // 1 searches towards the end of the text, anything else towards the start.
    int gFindDirection = 1;
    // The next search starts exactly at the caret, even when the caret still
    // stands on the match the previous search selected.
    bool gNewSearch = false;
    // The caret position (selection start) when the last search ended. A
    // search that finds the caret still there skips the match it stands on.
    qint32 gLastFindPos = 0;
    // What the replace dialog last replaced matches with, proposed again
    // when it is next opened.
    QString replacement;
};

} // namespace zeq
