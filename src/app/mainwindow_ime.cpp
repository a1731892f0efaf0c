#include "app/mainwindow.h"

#include "editing/commands.h"
#include "ime/prediction.h"
#include "platform/modal.h"
#include "platform/textbox.h"
#include "ruby/userdict.h"
#include "ruby/readings.h"
#include "ruby/rubytext.h"

#include <QCoreApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTextCharFormat>

// The edit area's side of the input method: confirmed conversions go in with
// their readings, and Japanese characters never arrive one by one.

namespace zeq {

namespace {

// Whether a character may reach the text by typing.
bool typeable(QChar ch)
{
    return ch.unicode() >= 1 && ch.unicode() <= 126;
}

// Delete comes with U+007F as its text (with Shift or Ctrl too): control
// characters keep their editing meaning.
bool keptInKey(QChar ch)
{
    return typeable(ch) || ch.unicode() == 0x7F;
}

// What an input method may commit outside a composition (SKK commits the
// kana typed without conversion at once): nothing that needs a reading and
// no half-typed romaji.
bool keptInUncomposedCommit(QChar ch)
{
    if (typeable(ch) || isKana(ch))
        return true;
    // Japanese punctuation and brackets (、。「」・); 々 and 〆 are kanji.
    return ch.unicode() >= 0x3000 && ch.unicode() <= 0x303F && isKanji(QStringView(&ch, 1)) != 1;
}

ImeEventData eventData(const QInputMethodEvent &event)
{
    ImeEventData data;
    data.preedit = event.preeditString();
    data.commit = event.commitString();
    for (const QInputMethodEvent::Attribute &attribute : event.attributes()) {
        if (attribute.type != QInputMethodEvent::TextFormat)
            continue;
        const QTextCharFormat format = attribute.value.value<QTextFormat>().toCharFormat();
        const bool background = format.hasProperty(QTextFormat::BackgroundBrush)
            && format.background().style() != Qt::NoBrush;
        data.formats.append({attribute.start, attribute.length, background});
    }
    return data;
}

} // namespace

bool MainWindow::filterTypedKey(QKeyEvent *event)
{
    // A bare modifier passes on its own while the engine works (SKK's
    // Shift); any other key means the engine let it through.
    switch (event->key()) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_Meta:
        break;
    default:
        m_ime.keyPassed();
        // The key comes after a commit still waiting for the queue, and
        // the focus stayed: the commit goes first (SKK lets Return through
        // right after its commit).
        insertPendingConversion();
    }
    const QString text = event->text();
    QString kept;
    for (const QChar ch : text) {
        if (keptInKey(ch))
            kept += ch;
    }
    if (kept.size() == text.size())
        return false;
    if (!kept.isEmpty()) {
        // Only the characters that could not be typed go.
        QKeyEvent filtered(event->type(), event->key(), event->modifiers(), kept, event->isAutoRepeat(),
                           ushort(event->count()));
        QCoreApplication::sendEvent(textEdit, &filtered);
    }
    return true;
}

void MainWindow::forwardInputMethodEvent(const QInputMethodEvent &event, const QString &commit)
{
    QInputMethodEvent edited(event.preeditString(), event.attributes());
    if (!commit.isEmpty())
        edited.setCommitString(commit, event.replacementStart(), event.replacementLength());
    m_imeForwarding = true;
    QCoreApplication::sendEvent(textEdit, &edited);
    m_imeForwarding = false;
}

bool MainWindow::captureInputMethod(QInputMethodEvent *event)
{
    if (m_imeForwarding)
        return false;
    if (m_imeReentry) {
        // A message of the capture is open. Whatever the input method sends
        // meanwhile (ibus re-commits its preedit when the message takes the
        // focus) never reaches the text; the composition is over.
        m_imeInterrupted = true;
        forwardInputMethodEvent(QInputMethodEvent(), QString());
        return true;
    }

    // Another event from the input method: the focus stayed.
    insertPendingConversion();
    const bool wasComposing = m_ime.composing();
    m_ime.readingMode = 36;
    const std::optional<ConfirmedConversion> confirmed = m_ime.feed(eventData(*event));
    if (!wasComposing && m_ime.composing())
        holdSelectionForComposition();
    const bool ended = wasComposing && !m_ime.composing();

    if (!confirmed && !m_ime.lastCommitWasUncomposed()) {
        if (!ended || !m_heldSelection)
            return false;
        // A cancelled composition gives back the selection it replaced,
        // once the widget has taken its preedit away.
        forwardInputMethodEvent(*event, QString());
        restoreHeldSelection();
        return true;
    }

    if (!confirmed) {
        // Text that no composition produced goes in only as far as it needs
        // no reading. Typed characters go in at once; Japanese ones (SKK
        // commits kana typed outside a word at once) only once the queue
        // shows the focus stayed: ibus commits a cancelled reading again,
        // outside any composition, when the focus leaves.
        QString typed;
        QString japanese;
        for (const QChar ch : event->commitString()) {
            if (typeable(ch))
                typed += ch;
            else if (keptInUncomposedCommit(ch))
                japanese += ch;
        }
        if (japanese.isEmpty()) {
            forwardInputMethodEvent(*event, typed);
            return true;
        }
        forwardInputMethodEvent(*event, QString());
        ConfirmedConversion plain;
        for (const QChar ch : event->commitString()) {
            if (keptInUncomposedCommit(ch))
                plain.result += ch;
        }
        plain.reading = plain.result;
        insertWhenFocusStays(plain);
        return true;
    }
    if (confirmed->afterClearedPreedit) {
        // Either the engine confirms this way, or ibus re-commits a
        // cancelled reading because the focus is leaving.
        forwardInputMethodEvent(*event, QString());
        insertWhenFocusStays(*confirmed);
        return true;
    }
    // In before the widget shows the next composition's preedit, if any.
    insertConversion(*confirmed);
    // A message was open meanwhile and the input method gave up: whatever
    // preedit this event carried is gone too.
    if (m_imeInterrupted)
        forwardInputMethodEvent(QInputMethodEvent(), QString());
    else
        forwardInputMethodEvent(*event, QString());
    return true;
}

void MainWindow::insertWhenFocusStays(const ConfirmedConversion &conversion)
{
    // When the focus leaves, Qt has the input method commit and then tells
    // the edit area, all before the queue runs again.
    insertPendingConversion();
    m_pendingConversion = conversion;
    QMetaObject::invokeMethod(this, &MainWindow::insertPendingConversion, Qt::QueuedConnection);
}

void MainWindow::insertPendingConversion()
{
    if (!m_pendingConversion)
        return;
    const ConfirmedConversion pending = *m_pendingConversion;
    m_pendingConversion.reset();
    insertConversion(pending);
}

void MainWindow::inputMethodFocusLeaving()
{
    m_pendingConversion.reset();
    m_heldSelection.reset();
}

void MainWindow::holdSelectionForComposition()
{
    // The widget would delete the selection as soon as a preedit shows, and
    // nothing would give it back on Escape. The caret moves to its start
    // instead; the selection is chosen again when the composition ends.
    m_heldSelection.reset();
    if (m_note->SelLength() == 0)
        return;
    m_heldSelection = std::pair<int, int>(m_note->SelStart(), m_note->SelLength());
    m_note->setSelStart(m_heldSelection->first);
}

void MainWindow::restoreHeldSelection()
{
    if (!m_heldSelection)
        return;
    const auto [start, length] = *m_heldSelection;
    m_heldSelection.reset();
    if (start + length > m_note->textLength())
        return;
    m_note->setSelStart(start);
    m_note->setSelLength(length);
}

void MainWindow::insertConversion(ConfirmedConversion conversion)
{
    m_imeInterrupted = false;
    restoreHeldSelection();
    // A prediction: what was typed is only the start of the reading.
    const std::optional<ConfirmedConversion> read = readPrediction(conversion, ReadingAnalyser::shared());
    if (!read) {
        m_imeReentry = true;
        m_modal.msgBox(kClauseFailureMessage, MsgExclamation);
        m_imeReentry = false;
        m_ime.reset();
        return;
    }
    conversion = *read;
    captureIme(conversion);
}

void MainWindow::captureIme(const ConfirmedConversion &conversion)
{
    m_imeReentry = true;
    const QString annotated = alignReading(conversion.result, conversion.reading, conversion.clauses,
                                           m_session.settings.gUserSparator, m_modal, conversion.needsReading);
    m_imeReentry = false;
    // Events dropped while a message was open belonged to a composition the
    // input method has given up.
    if (m_imeInterrupted)
        m_ime.reset();
    if (annotated.isEmpty())
        return;
    // The same ceiling as paste: the edit area refuses what would take it
    // past the most text it holds.
    if (m_note->textLength() - m_note->SelLength() + annotated.size() > kMaxEditLength) {
        m_modal.msgBox(QStringLiteral("ファイルが大きくなりすぎました。"), MsgExclamation);
        return;
    }
    m_note->setSelText(annotated);
    // What the user typed is what they mean to read: the automatic readings
    // prefer it from now on.
    learntReadings().learnGroups(annotated, m_session.settings.gUserSparator);
}

} // namespace zeq
