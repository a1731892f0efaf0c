#pragma once
// Session-wide state: one object per run of the editor (and one per test),
// so that nothing lives in hidden globals.

#include "search/findstate.h"
#include "settings/settings.h"

#include <QString>

namespace zeq {

struct Session {
    SettingsRecord settings;

    // The display image must be rebuilt before it is shown again.
    bool gImageDirty = false;
    // The find dialog's state, also borrowed by extended delete.
    FindState find;
    // Which separator the separator command inserts next: 0, 1 or 2.
    int nextSeparator = 0;

    // The display image's formatting rectangle in pixels; only its right
    // edge carries information.
    struct Rect {
        qint32 left = 0;
        qint32 top = 0;
        qint32 right = 0;
        qint32 bottom = 0;
    } gEditRect;
};

} // namespace zeq
