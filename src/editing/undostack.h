#pragma once
// The edit history: every change of the text as what was removed and what
// was inserted at one position, with the selection it replaced, so that undo
// gives back exactly the previous text and redo exactly the next one.
//
// Entries keep their texts in one shared pool instead of two strings each:
// a keystroke costs a few dozen bytes, not a few hundred, however long the
// history grows.

#include "platform/editcontrol.h"

#include <QList>
#include <QString>

namespace zeq {

class UndoStack {
public:
    // Records a change after the current entry; anything that could have
    // been redone is dropped.
    void push(const TextChange &change);
    void clear();

    bool canUndo() const { return m_index > 0; }
    bool canRedo() const { return m_index < m_entries.size(); }
    // Entries currently applied: 0 when nothing can be undone.
    qsizetype index() const { return m_index; }
    qsizetype count() const { return m_entries.size(); }

    // The change the next undo reverts, and steps back over it.
    TextChange undo();
    // The change the next redo applies again, and steps forward over it.
    TextChange redo();

private:
    struct Entry {
        qint32 position;
        qint32 removedLength;
        qint32 insertedLength;
        qint32 selectionStart;
        qint32 selectionLength;
        // Where the removed text starts in the pool; the inserted text
        // follows it.
        qsizetype textOffset;
    };
    TextChange changeAt(qsizetype index) const;

    QList<Entry> m_entries;
    QString m_pool;
    qsizetype m_index = 0;
};

} // namespace zeq
