#pragma once
// What the find dialog and Find Next remember between searches.

#include <QString>

namespace zeq {

struct FindState {
    QString gFindText;
    // Match case.
    bool gFindCase = false;
    // 1 searches downwards, 0 upwards.
    int gFindDirection = 1;
    // The next search starts afresh from the caret.
    bool gNewSearch = true;
    // Where the last match started, -1 before any.
    qint32 gLastFindPos = -1;
};

} // namespace zeq
