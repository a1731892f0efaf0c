#pragma once
// Program-wide state: one object per run of the editor (and one per test),
// so that nothing lives in hidden globals.

#include "ime/alignment.h"
#include "search/findstate.h"
#include "settings/settings.h"

#include <QString>

namespace zeq {

struct Program {
    SettingsRecord settings;

    // The display image must be rebuilt before it is shown again.
    bool gImageDirty = false;
    // The find dialog's state, also borrowed by extended delete.
    FindState find;
    // Which separator the separator command inserts next: 0, 1 or 2.
    int nextSpa = 0;

    // The display image's formatting rectangle in pixels; only its right
    // edge carries information.
    struct Rect {
        qint32 left = 0;
        qint32 top = 0;
        qint32 right = 0;
        qint32 bottom = 0;
    } gEditRect;
    // The last captured conversion could not be inserted.
    bool gImeInsertFailed = false;
    // Clause ends of the last confirmed conversion, in its reading.
    ClauseTable gClauses;
    // Mode the captured reading is converted with (36: full-width hiragana).
    int gReadingConv = 36;
};

} // namespace zeq
