#include "editing/commands.h"

#include "platform/editcontrol.h"
#include "platform/modal.h"
#include "platform/textpos.h"
#include "search/findstate.h"
#include "search/findtext.h"

namespace zeq {

namespace {

const QString kTooLarge = QStringLiteral("ファイルが大きくなり過ぎました。");

// Separators that extended delete can look for: a space or nothing cannot
// mark a group.
bool marksGroup(const QString &separator)
{
    return !separator.isEmpty() && separator != QStringLiteral(" ");
}

} // namespace

void editCopy(EditControl &note, Clipboard &clipboard)
{
    clipboard.setText(note.SelText());
}

void editCut(EditControl &note, Clipboard &clipboard)
{
    clipboard.setText(note.SelText());
    note.setSelText(QString());
}

bool editPaste(EditControl &note, Clipboard &clipboard, ModalSeam &modal)
{
    // Measured as the edit area will hold it (every line end a CR LF) and
    // before anything changes, so a refused paste leaves the selection be.
    const QString text = toCrLfText(toLfText(clipboard.text()));
    const qint64 resulting = qint64(note.textLength()) - note.SelLength() + text.size();
    if (resulting > kMaxEditLength) {
        modal.msgBox(kTooLarge, MsgExclamation);
        return false;
    }
    note.setSelText(text);
    return true;
}

void deleteForward(EditControl &note)
{
    if (note.SelStart() == note.textLength())
        return;
    if (note.SelLength() == 0) {
        note.setSelLength(2);
        const QString next = note.SelText();
        // A line end and a character outside the BMP each go whole.
        const bool pair = next.size() == 2
            && (next.startsWith(u'\r') || (next.at(0).isHighSurrogate() && next.at(1).isLowSurrogate()));
        note.setSelLength(pair ? 2 : 1);
    }
    note.setSelText(QString());
}

void deleteGroup(const SeparatorTriple &sep, FindState &find, EditControl &note)
{
    const qint32 ss = note.SelStart();
    if (ss == 0)
        return;
    note.setSelStart(ss - 1);
    note.setSelLength(1);

    int closing = 0;
    for (int i = 2; i >= 0; --i) {
        if (marksGroup(sep[i])) {
            closing = i;
            break;
        }
    }

    if (note.SelText() != sep[closing]) {
        // Backspace. A line end goes as a whole (the caret after an LF takes
        // its CR with it), and so does a character outside the BMP.
        const QString previous = note.SelText();
        if (ss >= 2 && (previous.endsWith(u'\n') || (previous.size() == 1 && previous.at(0).isLowSurrogate()))) {
            note.setSelStart(ss - 2);
            note.setSelLength(2);
            const QString two = note.SelText();
            if (!two.startsWith(u'\r') && !two.at(0).isHighSurrogate()) {
                note.setSelStart(ss - 1);
                note.setSelLength(1);
            }
        }
        note.setSelText(QString());
        return;
    }

    // The character before the caret closes a group: find where it opens.
    const qint32 closingPos = ss - 1;
    note.setSelStart(ss);
    const QString savedText = find.gFindText;
    const int savedDirection = find.gFindDirection;
    find.gFindDirection = 0;

    bool searched = false;
    if (closing - 1 >= 0 && marksGroup(sep[closing - 1])) {
        find.gFindText = sep[closing - 1];
        find.gNewSearch = true;
        findText(find, note, nullptr);
        searched = true;
    }
    if (closing - 2 >= 0 && marksGroup(sep[closing - 2])) {
        find.gFindText = sep[closing - 2];
        // Continues from the middle separator when one was looked for;
        // otherwise this is the first search and starts at the caret, not
        // wherever an earlier search happened to leave off.
        if (!searched)
            find.gNewSearch = true;
        findText(find, note, nullptr);
    }

    const qint32 length = closingPos - note.SelStart() + 1;
    if (length == 0) {
        // Nothing found: only the closing separator goes.
        note.setSelStart(closingPos);
        note.setSelLength(1);
    } else {
        note.setSelLength(length);
    }
    note.setSelText(QString());
    find.gFindText = savedText;
    find.gFindDirection = savedDirection;
}

void insertSeparator(const SeparatorTriple &separators, int &next, EditControl &note)
{
    note.setSelText(separators[next]);
    next = (next + 1) % 3;
}

void selectAll(EditControl &note)
{
    note.setSelStart(0);
    note.setSelLength(note.textLength());
}

} // namespace zeq
