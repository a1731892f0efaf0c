#include "platform/textbox.h"

#include "platform/textpos.h"

#include <QAbstractTextDocumentLayout>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>

namespace zeq {

TextBox::TextBox(QPlainTextEdit *edit, QObject *parent)
    : EditControl(parent), m_edit(edit)
{
    m_edit->setUndoRedoEnabled(false);
    m_edit->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_edit->installEventFilter(this);
    m_mirror.assign(m_edit->document()->toPlainText());
    connect(m_edit->document(), &QTextDocument::contentsChange, this, &TextBox::onContentsChange);
    connect(m_edit, &QPlainTextEdit::cursorPositionChanged, this, &TextBox::rememberSelection);
    connect(m_edit, &QPlainTextEdit::selectionChanged, this, &TextBox::rememberSelection);
    rememberSelection();
}

QString TextBox::Text() const
{
    return toCrLfText(m_edit->document()->toPlainText());
}

int TextBox::textLength() const
{
    const QTextDocument *doc = m_edit->document();
    // characterCount counts one separator per block plus a final one.
    return doc->characterCount() - 1 + (doc->blockCount() - 1);
}

void TextBox::setText(const QString &text)
{
    const QString lfText = toLfText(text);
    // Setting the text it already has is no change: no event, as with any
    // text box; the caret still goes to the start.
    if (lfText == m_edit->document()->toPlainText()) {
        m_edit->setTextCursor(QTextCursor(m_edit->document()));
        return;
    }
    batch([&] {
        QTextCursor cursor(m_edit->document());
        cursor.beginEditBlock();
        cursor.select(QTextCursor::Document);
        cursor.insertText(lfText);
        cursor.endEditBlock();
        // A text box puts the caret at the start when its text is replaced.
        m_edit->setTextCursor(QTextCursor(m_edit->document()));
    });
}

int TextBox::toEditorPosition(int documentPosition) const
{
    const QTextBlock block = m_edit->document()->findBlock(documentPosition);
    return documentPosition + (block.isValid() ? block.blockNumber() : m_edit->document()->blockCount() - 1);
}

int TextBox::toDocumentPosition(int editorPosition, bool pastLineEnd) const
{
    if (editorPosition <= 0)
        return 0;
    const int lo = lineAt(editorPosition);
    const QTextBlock block = m_edit->document()->findBlockByNumber(lo);
    const int offset = editorPosition - (block.position() + lo);
    // A position between CR and LF cannot stand on its own: a caret falls
    // back before the pair, the end of a selection takes the whole pair.
    if (offset > block.length() - 1 && pastLineEnd && block.next().isValid())
        return block.next().position();
    return block.position() + qMin(offset, block.length() - 1);
}

int TextBox::lineAt(int position) const
{
    // Block i starts at document position p(i) and editor position p(i) + i:
    // find the last block whose editor start is at or before the position.
    const QTextDocument *doc = m_edit->document();
    int lo = 0;
    int hi = doc->blockCount() - 1;
    while (lo < hi) {
        const int mid = (lo + hi + 1) / 2;
        if (doc->findBlockByNumber(mid).position() + mid <= position)
            lo = mid;
        else
            hi = mid - 1;
    }
    return lo;
}

int TextBox::lineStart(int index) const
{
    const QTextBlock block = m_edit->document()->findBlockByNumber(index);
    return block.isValid() ? block.position() + index : textLength();
}

int TextBox::SelStart() const
{
    return toEditorPosition(m_edit->textCursor().selectionStart());
}

void TextBox::setSelStart(int position)
{
    QTextCursor cursor = m_edit->textCursor();
    cursor.setPosition(toDocumentPosition(qBound(0, position, textLength())));
    m_edit->setTextCursor(cursor);
}

int TextBox::SelLength() const
{
    const QTextCursor cursor = m_edit->textCursor();
    return toEditorPosition(cursor.selectionEnd()) - toEditorPosition(cursor.selectionStart());
}

void TextBox::setSelLength(int length)
{
    QTextCursor cursor = m_edit->textCursor();
    const int start = toEditorPosition(cursor.selectionStart());
    const int end = qBound(start, start + qMax(0, length), textLength());
    cursor.setPosition(toDocumentPosition(start));
    cursor.setPosition(toDocumentPosition(end, end > start), QTextCursor::KeepAnchor);
    m_edit->setTextCursor(cursor);
}

QString TextBox::SelText() const
{
    return toCrLfText(m_edit->textCursor().selection().toPlainText());
}

void TextBox::setSelText(const QString &text)
{
    batch([&] {
        QTextCursor cursor = m_edit->textCursor();
        cursor.insertText(toLfText(text));
        m_edit->setTextCursor(cursor);
    });
}

void TextBox::replaceText(int start, int length, const QString &text)
{
    start = qBound(0, start, textLength());
    const int end = qBound(start, start + qMax(0, length), textLength());
    batch([&] {
        // A cursor of its own: the widget's still holds the selection the
        // change is to remember.
        QTextCursor cursor(m_edit->document());
        cursor.setPosition(toDocumentPosition(start));
        cursor.setPosition(toDocumentPosition(end, end > start), QTextCursor::KeepAnchor);
        cursor.insertText(toLfText(text));
        m_edit->setTextCursor(cursor);
    });
}

int TextBox::lineCount() const
{
    return m_edit->document()->blockCount();
}

int TextBox::firstVisibleLine() const
{
    // Lines never wrap, so the scroll bar counts lines.
    return m_edit->verticalScrollBar()->value();
}

QString TextBox::line(int index) const
{
    const QTextBlock block = m_edit->document()->findBlockByNumber(index);
    return block.isValid() ? block.text() : QString();
}

void TextBox::lineScroll(int lines)
{
    QScrollBar *bar = m_edit->verticalScrollBar();
    bar->setValue(bar->value() + lines);
}

void TextBox::setWindowShortcuts(const QList<QKeySequence> &keys)
{
    m_windowKeys = keys;
}

bool TextBox::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_edit && event->type() == QEvent::InputMethod && m_batchDepth == 0) {
        // An input method may commit, replace and redraw its preedit in one
        // event, which Qt reports in pieces; the user made one change.
        batch([&] { static_cast<QObject *>(m_edit)->event(event); });
        return true;
    }
    if (watched == m_edit && event->type() == QEvent::ShortcutOverride) {
        auto *key = static_cast<QKeyEvent *>(event);
        const QKeySequence pressed(key->keyCombination());
        for (const QKeySequence &own : m_windowKeys) {
            if (own.matches(pressed) == QKeySequence::ExactMatch) {
                // Leave the event unaccepted so the window's shortcut runs.
                event->ignore();
                return true;
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

int TextBox::documentLength() const
{
    return m_edit->document()->characterCount() - 1;
}

QString TextBox::documentText(int position, int length) const
{
    if (length <= 0)
        return QString();
    QTextCursor cursor(m_edit->document());
    cursor.setPosition(position);
    cursor.setPosition(position + length, QTextCursor::KeepAnchor);
    QString text = cursor.selectedText();
    for (QChar &ch : text) {
        if (ch == QChar::ParagraphSeparator || ch == QChar::LineSeparator)
            ch = u'\n';
    }
    return text;
}

void TextBox::rememberSelection()
{
    const QTextCursor cursor = m_edit->textCursor();
    m_selectionStart = toEditorPosition(cursor.selectionStart());
    m_selectionLength = toEditorPosition(cursor.selectionEnd()) - m_selectionStart;
}

void TextBox::onContentsChange(int position, int charsRemoved, int charsAdded)
{
    Q_UNUSED(charsAdded);
    const int oldLength = int(m_mirror.size());
    const int newLength = documentLength();
    // Qt's counts can take in the document's closing separator (a whole
    // text replaced) or cover formatting only; the lengths on both sides
    // decide. When they cannot be reconciled, the whole text is compared.
    int removed = qBound(0, charsRemoved, qMax(0, oldLength - position));
    int added = newLength - (oldLength - removed);
    if (position < 0 || position > oldLength || added < 0 || position + added > newLength) {
        position = 0;
        removed = oldLength;
        added = newLength;
    }

    if (!m_pending) {
        m_pending = true;
        m_pendingStart = position;
        m_pendingRemoved = m_mirror.mid(position, removed);
        m_pendingLength = added;
        m_pendingSelectionStart = m_selectionStart;
        m_pendingSelectionLength = m_selectionLength;
    } else {
        // Widen the merged change to take this one in. Outside the merged
        // region the mirror still holds the old text, shifted past it.
        const int pendingEnd = m_pendingStart + m_pendingLength;
        const int changeEnd = position + removed;
        if (position < m_pendingStart)
            m_pendingRemoved.prepend(m_mirror.mid(position, m_pendingStart - position));
        if (changeEnd > pendingEnd)
            m_pendingRemoved.append(m_mirror.mid(pendingEnd, changeEnd - pendingEnd));
        const int start = qMin(position, m_pendingStart);
        const int end = qMax(pendingEnd, changeEnd);
        m_pendingStart = start;
        m_pendingLength = end - start - removed + added;
    }
    m_mirror.replace(position, removed, documentText(position, added));
    if (m_batchDepth == 0)
        announce();
}

void TextBox::announce()
{
    if (!m_pending)
        return;
    m_pending = false;
    QString removed = std::move(m_pendingRemoved);
    QString inserted = m_mirror.mid(m_pendingStart, m_pendingLength);
    // Only what really differs is the change: formatting and an input
    // method's preedit are reported as changes of text that stays the same.
    qsizetype prefix = 0;
    const qsizetype shorter = qMin(removed.size(), inserted.size());
    while (prefix < shorter && removed.at(prefix) == inserted.at(prefix))
        ++prefix;
    if (prefix > 0 && removed.at(prefix - 1).isHighSurrogate())
        --prefix;
    qsizetype suffix = 0;
    while (suffix < shorter - prefix
           && removed.at(removed.size() - 1 - suffix) == inserted.at(inserted.size() - 1 - suffix))
        ++suffix;
    if (suffix > 0 && removed.at(removed.size() - suffix).isLowSurrogate())
        --suffix;
    removed = removed.mid(prefix, removed.size() - prefix - suffix);
    inserted = inserted.mid(prefix, inserted.size() - prefix - suffix);
    if (removed.isEmpty() && inserted.isEmpty())
        return;

    TextChange change;
    change.position = toEditorPosition(m_pendingStart + int(prefix));
    change.removed = toCrLfText(removed);
    change.inserted = toCrLfText(inserted);
    change.selectionStart = m_pendingSelectionStart;
    change.selectionLength = m_pendingSelectionLength;
    emit changed(change);
}

template <typename Edit>
void TextBox::batch(Edit &&edit)
{
    ++m_batchDepth;
    edit();
    --m_batchDepth;
    if (m_batchDepth == 0)
        announce();
}

} // namespace zeq
