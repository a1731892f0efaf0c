#pragma once
// The editor's own multi-level history. Every change of the edit area is
// recorded as one entry derived only from the lengths of the text before and
// after it and the caret afterwards; undo and redo replay entries through the
// text box's selection.

#include <QList>
#include <QString>

namespace zeq {

class EditControl;
struct Program;

struct UndoRecord {
    enum Kind : qint16 { Insertion = 1, Deletion = 2 };

    // The inserted or deleted text.
    QString Content;
    // Caret position right after the change. Positions and counters are
    // 32-bit, so documents and histories of any size stay exact.
    qint32 Pos = 0;
    qint16 Kind = Insertion;
};

struct UndoHistory {
    // Entries 1..gUndoTop are used; entry 0 never is.
    QList<UndoRecord> gUndo;
    // Entries currently applied: the next undo takes gUndo[gUndoCount].
    qint32 gUndoCount = 0;
    // Newest recorded entry: redo is possible while gUndoCount < gUndoTop.
    qint32 gUndoTop = 0;

    UndoHistory() { clear(); }
    // Empties the history: room for entries 0..10, both counters 0.
    void clear();
    // Highest index the array holds.
    qint32 upperBound() const { return qint32(gUndo.size()) - 1; }
    bool canUndo() const { return gUndoCount != 0; }
    bool canRedo() const { return gUndoTop > gUndoCount; }
};

// Works out the entry for a change from prev to the current text, with the
// caret at selStart afterwards.
UndoRecord entryForChange(const QString &prev, const QString &current, int selStart);

// Appends an entry after gUndoCount, dropping anything that could have been
// redone, and grows the array ten entries at a time.
void recordEntry(UndoHistory &history, const UndoRecord &entry);

enum class ChangeKind {
    Recorded,   // an edit: put into the history
    Load,       // a document replaced the text: not recorded
    UndoRedo,   // undo or redo changed the text: not recorded
};

// The edit area's change handler. Every change marks the document modified
// and the display image stale and moves the snapshots along; edits that are
// neither loads nor undo/redo are recorded. The caller updates the title and
// line count for a recorded change.
ChangeKind txtNote_Change(Program &program, const EditControl &note, bool mInUndo);

// Undo and redo through the text box; mInUndo is set while they change the
// text so that their own change events are not recorded. Each returns
// whether it changed anything.
bool mnuUndo_Click(Program &program, EditControl &note, bool &mInUndo);
bool mnuRedo_Click(Program &program, EditControl &note, bool &mInUndo);

} // namespace zeq
