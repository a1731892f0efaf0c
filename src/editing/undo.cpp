#include "editing/undo.h"

#include "app/program.h"
#include "platform/editcontrol.h"

#include <cstdlib>

namespace zeq {

namespace {
constexpr qint32 kInitialUpperBound = 10;
constexpr qint32 kGrowth = 10;

// Raises a flag for the length of a scope, so an early return cannot leave
// it set.
class FlagScope {
public:
    explicit FlagScope(bool &flag) : m_flag(flag) { m_flag = true; }
    ~FlagScope() { m_flag = false; }

private:
    bool &m_flag;
};
} // namespace

void UndoHistory::clear()
{
    gUndo = QList<UndoRecord>(kInitialUpperBound + 1);
    gUndoCount = 0;
    gUndoTop = 0;
}

UndoRecord entryForChange(const QString &prev, const QString &current, int selStart)
{
    const qsizetype oldLen = prev.size();
    const qsizetype newLen = current.size();
    const qsizetype delta = std::llabs(oldLen - newLen);
    UndoRecord entry;
    entry.Pos = selStart;
    if (oldLen > newLen) {
        // What went missing sits right after the caret in the old text.
        entry.Kind = UndoRecord::Deletion;
        entry.Content = prev.mid(selStart, delta);
    } else {
        // What arrived ends at the caret in the new text.
        entry.Kind = UndoRecord::Insertion;
        entry.Content = delta == 0 ? QString() : current.mid(selStart - delta, delta);
    }
    return entry;
}

void recordEntry(UndoHistory &history, const UndoRecord &entry)
{
    ++history.gUndoCount;
    history.gUndoTop = history.gUndoCount;
    if (history.gUndoCount > history.upperBound())
        history.gUndo.resize(history.gUndoCount + kGrowth);
    history.gUndo[history.gUndoCount] = entry;
}

ChangeKind txtNote_Change(Program &program, const EditControl &note, bool mInUndo)
{
    program.gModified = true;
    program.gImageDirty = true;
    program.gPrevText = std::move(program.gCurText);
    program.gCurText = note.Text();
    if (mInUndo)
        return ChangeKind::UndoRedo;
    if (program.gSkipChange) {
        program.gSkipChange = false;
        return ChangeKind::Load;
    }
    recordEntry(program.undo, entryForChange(program.gPrevText, program.gCurText, note.SelStart()));
    return ChangeKind::Recorded;
}

bool mnuUndo_Click(Program &program, EditControl &note, bool &mInUndo)
{
    UndoHistory &history = program.undo;
    if (history.gUndoCount == 0)
        return false;
    {
        FlagScope inUndo(mInUndo);
        const UndoRecord &entry = history.gUndo[history.gUndoCount];
        if (entry.Kind == UndoRecord::Deletion) {
            note.setSelStart(entry.Pos);
            note.setSelText(entry.Content);
        } else {
            note.setSelStart(entry.Pos - int(entry.Content.size()));
            note.setSelLength(int(entry.Content.size()));
            note.setSelText(QString());
        }
    }
    --history.gUndoCount;
    return true;
}

bool mnuRedo_Click(Program &program, EditControl &note, bool &mInUndo)
{
    UndoHistory &history = program.undo;
    if (history.gUndoCount + 1 > history.gUndoTop)
        return false;
    ++history.gUndoCount;
    const UndoRecord &entry = history.gUndo[history.gUndoCount];
    FlagScope inUndo(mInUndo);
    if (entry.Kind == UndoRecord::Insertion) {
        note.setSelStart(entry.Pos - int(entry.Content.size()));
        note.setSelText(entry.Content);
    } else {
        note.setSelStart(entry.Pos);
        note.setSelLength(int(entry.Content.size()));
        note.setSelText(QString());
    }
    return true;
}

} // namespace zeq
