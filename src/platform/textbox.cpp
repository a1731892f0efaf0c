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
    : QObject(parent), m_edit(edit)
{
    m_edit->setUndoRedoEnabled(false);
    m_edit->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_edit->installEventFilter(this);
    connect(m_edit->document(), &QTextDocument::contentsChanged, this, &TextBox::onContentsChanged);
    m_revision = m_edit->document()->revision();
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
    ownEdit([&] {
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
    const QTextDocument *doc = m_edit->document();
    if (editorPosition <= 0)
        return 0;
    // Block i starts at document position p(i) and editor position p(i) + i:
    // find the last block whose editor start is at or before the position.
    int lo = 0;
    int hi = doc->blockCount() - 1;
    while (lo < hi) {
        const int mid = (lo + hi + 1) / 2;
        if (doc->findBlockByNumber(mid).position() + mid <= editorPosition)
            lo = mid;
        else
            hi = mid - 1;
    }
    const QTextBlock block = doc->findBlockByNumber(lo);
    const int offset = editorPosition - (block.position() + lo);
    // A position between CR and LF cannot stand on its own: a caret falls
    // back before the pair, the end of a selection takes the whole pair.
    if (offset > block.length() - 1 && pastLineEnd && block.next().isValid())
        return block.next().position();
    return block.position() + qMin(offset, block.length() - 1);
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
    ownEdit([&] {
        QTextCursor cursor = m_edit->textCursor();
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
    if (watched == m_edit && event->type() == QEvent::InputMethod && m_ownEditDepth == 0) {
        // An input method redraws its preedit through edit blocks that leave
        // the text as it was; only a real difference is a change.
        const QString before = m_edit->document()->toPlainText();
        ++m_ownEditDepth;
        static_cast<QObject *>(m_edit)->event(event);
        --m_ownEditDepth;
        m_revision = m_edit->document()->revision();
        if (m_edit->document()->toPlainText() != before)
            emit Change();
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

template <typename Edit>
void TextBox::ownEdit(Edit &&edit)
{
    ++m_ownEditDepth;
    const int revisionBefore = m_edit->document()->revision();
    edit();
    --m_ownEditDepth;
    if (m_ownEditDepth == 0 && m_edit->document()->revision() != revisionBefore) {
        m_revision = m_edit->document()->revision();
        emit Change();
    }
}

void TextBox::onContentsChanged()
{
    // Our own edits announce themselves once, when they are complete. An
    // input method's preedit also marks the document dirty without changing
    // its text: only a new revision is a change.
    if (m_ownEditDepth > 0 || m_edit->document()->revision() == m_revision)
        return;
    m_revision = m_edit->document()->revision();
    emit Change();
}

} // namespace zeq
