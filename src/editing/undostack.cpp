#include "editing/undostack.h"

namespace zeq {

void UndoStack::push(const TextChange &change)
{
    if (m_index < m_entries.size()) {
        m_pool.truncate(m_entries.at(m_index).textOffset);
        m_entries.resize(m_index);
    }
    m_entries.append(Entry{change.position, qint32(change.removed.size()), qint32(change.inserted.size()),
                           change.selectionStart, change.selectionLength, m_pool.size()});
    m_pool += change.removed;
    m_pool += change.inserted;
    m_index = m_entries.size();
}

void UndoStack::clear()
{
    m_entries.clear();
    m_pool.clear();
    m_index = 0;
}

TextChange UndoStack::changeAt(qsizetype index) const
{
    const Entry &entry = m_entries.at(index);
    TextChange change;
    change.position = entry.position;
    change.removed = m_pool.mid(entry.textOffset, entry.removedLength);
    change.inserted = m_pool.mid(entry.textOffset + entry.removedLength, entry.insertedLength);
    change.selectionStart = entry.selectionStart;
    change.selectionLength = entry.selectionLength;
    return change;
}

TextChange UndoStack::undo()
{
    Q_ASSERT(canUndo());
    return changeAt(--m_index);
}

TextChange UndoStack::redo()
{
    Q_ASSERT(canRedo());
    return changeAt(m_index++);
}

} // namespace zeq
