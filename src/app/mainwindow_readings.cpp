#include "app/mainwindow.h"

#include "editing/commands.h"
#include "platform/modal.h"
#include "platform/textbox.h"
#include "ruby/annotate.h"
#include "ruby/readings.h"
#include "ruby/rubygroups.h"
#include "ruby/rubytext.h"
#include "ruby/userdict.h"

#include <QApplication>

#include <QPlainTextEdit>
#include <QTextCursor>

#include <algorithm>
#include <utility>

// The Edit menu's automatic readings: annotating the selection or the whole
// document, and stepping one group through the analyser's alternatives. The
// readings the user settles on are remembered for the next time.

namespace zeq {

namespace {

const QString kTooLargeMessage = QStringLiteral("ファイルが大きくなりすぎました。");
const QString kNoGroupMessage = QStringLiteral("カーソルの位置に読みの付いた漢字がありません。");
const QString kNoOtherReadingMessage = QStringLiteral("ほかの読みの候補はありません。");

// Where a position inside the replaced stretch lands in its replacement.
// The annotation only inserts (separators and readings), so the original
// characters reappear in order and are matched greedily. Between two
// characters that an insertion now parts, the caret keeps to the outside of
// the group: before the opening separator of a run it stood before, after
// the reading of a run it stood after.
qsizetype mapIntoReplacement(QStringView replaced, QStringView replacement, qsizetype offset)
{
    const qsizetype size = replacement.size();
    qsizetype at = 0;
    for (qsizetype i = 0; i < offset && i < replaced.size(); ++i) {
        while (at < size && replacement.at(at) != replaced.at(i))
            ++at;
        at = std::min(at + 1, size);
    }
    if (offset >= replaced.size())
        return at;
    const qsizetype length = replaced.at(offset).isHighSurrogate() && offset + 1 < replaced.size() ? 2 : 1;
    if (isKanji(replaced.sliced(offset, length)) == 1)
        return at;
    while (at < size && replacement.at(at) != replaced.at(offset))
        ++at;
    return at;
}

// The line of text that holds position, as [start, end) without its line end.
std::pair<qsizetype, qsizetype> lineAround(const QString &text, qsizetype position)
{
    const qsizetype before = position > 0 ? text.lastIndexOf(QLatin1String("\r\n"), position - 1) : -1;
    const qsizetype start = before < 0 ? 0 : before + 2;
    const qsizetype after = text.indexOf(QLatin1String("\r\n"), position);
    return {start, after < 0 ? text.size() : after};
}

// Selects [start, end) with the caret at its end.
void select(TextBox &note, qsizetype start, qsizetype end)
{
    note.setSelStart(int(start));
    note.setSelLength(int(end - start));
}

} // namespace

UserDictionary &MainWindow::learntReadings()
{
    if (!m_learnt) {
        m_learnt = std::make_unique<UserDictionary>(UserDictionary::defaultPath());
        // A file that cannot be read leaves the choices of this run only.
        m_learnt->load();
    }
    return *m_learnt;
}

void MainWindow::trackHandEdit(const TextChange &change)
{
    const auto within = [](const QString &text) {
        return !text.contains(QLatin1Char('\r')) && !text.contains(QLatin1Char('\n'));
    };
    // A change across lines, or one that replaced the whole text (a load),
    // leaves no line to compare: line numbers have moved, and a pending
    // correction is dropped rather than compared with another line.
    if (!within(change.removed) || !within(change.inserted)
        || (change.position == 0 && m_note->textLength() == change.inserted.size())) {
        m_editedLine = -1;
        return;
    }
    // Found from the edit area's own lines: a keystroke copies no text.
    const int line = m_note->lineAt(change.position);
    if (line == m_editedLine)
        return;
    learnEditedLine();
    QString before = m_note->line(line);
    before.replace(change.position - m_note->lineStart(line), change.inserted.size(), change.removed);
    m_editedLine = line;
    m_editedLineBefore = before;
}

void MainWindow::learnHandCorrections()
{
    // Half-typed readings are not choices: only a line left behind counts.
    if (m_editedLine >= 0 && textEdit->textCursor().blockNumber() != m_editedLine)
        learnEditedLine();
}

void MainWindow::learnEditedLine()
{
    const int line = std::exchange(m_editedLine, -1);
    if (line >= 0 && line < m_note->lineCount())
        learntReadings().learnCorrections(m_editedLineBefore, m_note->line(line), m_session.settings.gUserSparator);
}

void MainWindow::saveLearntReadings()
{
    learnEditedLine();
    if (m_learnt)
        m_learnt->save();
}

void MainWindow::addReadings()
{
    ReadingAnalyser &analyser = m_analyser ? *m_analyser : ReadingAnalyser::shared();
    const SeparatorTriple &separators = m_session.settings.gUserSparator;
    const QString text = m_note->Text();
    const qsizetype selStart = m_note->SelStart();
    const qsizetype selEnd = selStart + m_note->SelLength();

    AnnotateOptions options;
    options.learnt = &learntReadings();
    // The first use opens the dictionary, which takes a moment.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const Annotation annotation = annotateDocument(text, selStart, selEnd, separators, analyser, options);
    QApplication::restoreOverrideCursor();
    if (!annotation.analyserReady) {
        m_modal.msgBox(annotation.message, MsgExclamation);
        return;
    }

    if (annotation.changed) {
        const TextEdit &edit = annotation.edit;
        const qsizetype editEnd = edit.start + edit.length;
        const qsizetype growth = edit.text.size() - edit.length;
        if (text.size() + growth > kMaxEditLength) {
            m_modal.msgBox(kTooLargeMessage, MsgExclamation);
            return;
        }
        m_note->setSelStart(int(edit.start));
        m_note->setSelLength(int(edit.length));
        m_note->setSelText(edit.text);

        if (selEnd > selStart) {
            // The selection grows to take in its annotated runs, also a run
            // that reached over one of its ends.
            select(*m_note, std::min(selStart, edit.start), std::max(selEnd, editEnd) + growth);
        } else if (selStart <= edit.start) {
            m_note->setSelStart(int(selStart));
        } else if (selStart >= editEnd) {
            m_note->setSelStart(int(selStart + growth));
        } else {
            m_note->setSelStart(int(edit.start + mapIntoReplacement(QStringView(text).sliced(edit.start, edit.length),
                                                                    edit.text, selStart - edit.start)));
        }
    }
    m_modal.msgBox(annotation.message, MsgInformation);
}

void MainWindow::nextReadingCandidate()
{
    ReadingAnalyser &analyser = m_analyser ? *m_analyser : ReadingAnalyser::shared();
    const SeparatorTriple &separators = m_session.settings.gUserSparator;
    const QString text = m_note->Text();
    const qsizetype caret = m_note->SelStart();
    const auto [lineStart, lineEnd] = lineAround(text, caret);
    const QStringView line = QStringView(text).sliced(lineStart, lineEnd - lineStart);

    const RubyLine scanned = findGroups(line, separators);
    const bool inGroup = scanned.wellFormed && std::any_of(scanned.groups.cbegin(), scanned.groups.cend(),
                                                           [&](const RubyGroup &group) {
                                                               return group.kanjiLength > 0
                                                                   && group.open <= caret - lineStart
                                                                   && caret - lineStart <= group.end;
                                                           });
    if (!inGroup) {
        m_modal.msgBox(kNoGroupMessage, MsgExclamation);
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool ready = analyser.ensureLoaded();
    const std::optional<TextEdit> edit =
        ready ? nextReading(line, caret - lineStart, separators, analyser, &learntReadings()) : std::nullopt;
    QApplication::restoreOverrideCursor();
    if (!ready) {
        m_modal.msgBox(analyser.errorString(), MsgExclamation);
        return;
    }
    if (!edit) {
        m_modal.msgBox(kNoOtherReadingMessage, MsgExclamation);
        return;
    }
    if (text.size() + edit->text.size() - edit->length > kMaxEditLength) {
        m_modal.msgBox(kTooLargeMessage, MsgExclamation);
        return;
    }

    const qsizetype start = lineStart + edit->start;
    m_note->setSelStart(int(start));
    m_note->setSelLength(int(edit->length));
    m_note->setSelText(edit->text);
    // The new reading stays selected: it shows what changed, and the caret
    // stays in the group for the next step.
    select(*m_note, start, start + edit->text.size());

    QString changed = line.toString();
    changed.replace(edit->start, edit->length, edit->text);
    learntReadings().learnCorrections(line, changed, separators);
}

} // namespace zeq
