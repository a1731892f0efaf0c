#pragma once
// The Edit menu's commands on the edit area: clipboard, delete, extended
// delete, separator insertion and select all. Each works through the text
// box's selection and makes at most one change, so it is one entry in the
// undo history.

#include "ruby/rubytext.h"

#include <QString>

namespace zeq {

class EditControl;
class ModalSeam;
struct FindState;

// The clipboard as the commands use it: plain text only. The window layer
// implements it over the system clipboard.
class Clipboard {
public:
    virtual ~Clipboard() = default;
    // The text on the clipboard; empty when it holds none.
    virtual QString text() const = 0;
    virtual void setText(const QString &text) = 0;
};

// The longest text the edit area accepts, in characters. Far more than a
// document that can be saved (32700 bytes), so an oversized document can
// still be edited down; the cap only keeps a runaway paste from exhausting
// memory or freezing the widget's layout.
inline constexpr qint32 kMaxEditLength = 1 << 20;

// Puts the selection on the clipboard (an empty selection, an empty text).
void editCopy(EditControl &note, Clipboard &clipboard);
// Copies the selection, then removes it.
void editCut(EditControl &note, Clipboard &clipboard);
// Replaces the selection with the clipboard's text. When the result would be
// longer than kMaxEditLength the edit area refuses it: the text stays as it
// was and the user is told through modal. Returns whether it was accepted.
bool editPaste(EditControl &note, Clipboard &clipboard, ModalSeam &modal);

// Removes the selection, or the character after the caret (a CR LF as one).
void deleteForward(EditControl &note);
// Right after a closing separator removes the whole annotated group,
// otherwise acts as backspace (a CR LF as one). The search string and
// direction are borrowed for finding the group's other separators and
// restored afterwards.
void deleteGroup(const SeparatorTriple &separators, FindState &find, EditControl &note);
// Inserts the separator session.nextSeparator points at and moves it on, 0 1 2 0.
void insertSeparator(const SeparatorTriple &separators, int &next, EditControl &note);
void selectAll(EditControl &note);

} // namespace zeq
