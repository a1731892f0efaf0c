#include "app/mainwindow.h"

#include "editing/commands.h"
#include "platform/modal.h"
#include "platform/textbox.h"
#include "ruby/userdict.h"

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
    const QString text = event->text();
    if (text.isEmpty())
        return false;
    for (const QChar ch : text) {
        if (!typeable(ch))
            return true;
    }
    return false;
}

bool MainWindow::captureInputMethod(QInputMethodEvent *event)
{
    if (m_imeReentry)
        return false;
    m_ime.readingMode = 36;
    const std::optional<ConfirmedConversion> confirmed = m_ime.feed(eventData(*event));
    if (!confirmed && !m_ime.lastCommitWasUncomposed())
        return false;

    // The widget still gets the event for its preedit, but never the commit:
    // a confirmed conversion goes in annotated, and text that no composition
    // produced goes in only as far as it could have been typed.
    QString allowed;
    if (!confirmed) {
        for (const QChar ch : event->commitString()) {
            if (typeable(ch))
                allowed += ch;
        }
    }
    QInputMethodEvent edited(event->preeditString(), event->attributes());
    if (!allowed.isEmpty())
        edited.setCommitString(allowed, event->replacementStart(), event->replacementLength());

    m_imeReentry = true;
    if (confirmed)
        captureIme(*confirmed);
    QCoreApplication::sendEvent(textEdit, &edited);
    m_imeReentry = false;
    return true;
}

void MainWindow::captureIme(const ConfirmedConversion &conversion)
{
    const QString annotated = alignReading(conversion.result, conversion.reading, conversion.clauses,
                                           m_session.settings.gUserSparator, m_modal);
    // The same ceiling as paste: the edit area refuses what would take it
    // past the most text it holds.
    if (m_note->textLength() - m_note->SelLength() + annotated.size() > kMaxEditLength) {
        m_modal.msgBox(QStringLiteral("ファイルが大きくなりすぎました。"), MsgExclamation);
        return;
    }
    m_note->setSelText(annotated);
    // What the user typed is what they mean to read: the automatic readings
    // prefer it from now on.
    if (!annotated.isEmpty())
        learntReadings().learnGroups(annotated, m_session.settings.gUserSparator);
}

} // namespace zeq
