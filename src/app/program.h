#pragma once
// Program-wide state: one object per run of the editor (and one per test),
// so that nothing lives in hidden globals.

#include "editing/undo.h"
#include "settings/settings.h"

#include <QString>

namespace zeq {

struct Program {
    SettingsRecord settings;

    // The text has changed since the last load, save, New or start-up.
    bool gModified = false;
    // The display image must be rebuilt before it is shown again.
    bool gImageDirty = false;
    // Lines of the edit area, as last counted for the status bar.
    qint32 gLineCount = 0;

    // The edit history.
    UndoHistory undo;

    // Snapshots around the latest change, and the flag that lets a load
    // replace the text without being recorded as an edit.
    QString gPrevText;
    QString gCurText;
    bool gSkipChange = false;

    // Search direction: 1 downwards, 0 upwards.
    int gFindDirection = 1;
    // The last captured conversion could not be inserted.
    bool gImeInsertFailed = false;
};

} // namespace zeq
