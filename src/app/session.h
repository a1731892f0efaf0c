#pragma once
// What is program-wide: the settings, the find state (which extended delete
// borrows) and the separator command's place in the triple. One object per
// run of the editor, and one per test, so nothing lives in hidden globals.

#include "search/findstate.h"
#include "settings/settings.h"

#include <QString>

namespace zeq {

struct Session {
    SettingsRecord settings;

    // The find dialog's state, also borrowed by extended delete.
    FindState find;
    // Which separator the separator command inserts next: 0, 1 or 2.
    int nextSeparator = 0;
};

} // namespace zeq
