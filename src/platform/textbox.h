#pragma once
// The edit area as the editor's commands see it: a plain text box whose text
// has lines ending in CR LF (two characters each), a caret and selection
// addressed by 0-based positions in that text, and one change notification
// per change of the text, whoever made it. The widget's own undo is off: the
// editor keeps its own history.

#include "platform/editcontrol.h"
#include "platform/gapbuffer.h"

#include <QKeySequence>
#include <QList>
#include <QObject>
#include <QString>

class QPlainTextEdit;
class QTextBlock;

namespace zeq {

class TextBox : public EditControl {
    Q_OBJECT
public:
    explicit TextBox(QPlainTextEdit *edit, QObject *parent = nullptr);

    QPlainTextEdit *widget() const { return m_edit; }

    QString Text() const override;
    void setText(const QString &text) override;
    // Length of Text() without building it.
    int textLength() const override;

    int SelStart() const override;
    // Moves the caret and drops any selection.
    void setSelStart(int position) override;
    int SelLength() const override;
    // Selects length characters from SelStart (clamped to the text); a
    // selection never ends between the CR and the LF of a line end.
    void setSelLength(int length) override;
    QString SelText() const override;
    // Replaces the selection (or inserts at the caret); the caret ends up
    // after the inserted text.
    void setSelText(const QString &text) override;
    void replaceText(int start, int length, const QString &text) override;

    // Number of lines; an empty text has one.
    int lineCount() const override;
    // 0-based index of the first line in view.
    int firstVisibleLine() const;
    // The text of a line without its line end; empty past the last line.
    QString line(int index) const;
    // The line a position of Text() stands on (a position between CR and
    // LF belongs to the line the pair ends), and where a line starts.
    int lineAt(int position) const;
    int lineStart(int index) const;
    // Scrolls the view down by the given number of lines (up when negative).
    void lineScroll(int lines);

    // Keys that belong to the window's menu: the widget must not take them
    // for its own editing so that the menu's commands run instead.
    void setWindowShortcuts(const QList<QKeySequence> &keys);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int toEditorPosition(int documentPosition) const;
    int toDocumentPosition(int editorPosition, bool pastLineEnd = false) const;
    int documentLength() const;
    QString documentText(int position, int length) const;
    void onContentsChange(int position, int charsRemoved, int charsAdded);
    void rememberSelection();
    // Runs an edit, ours or the widget's handling of one event, so that
    // whatever pieces Qt reports it in, exactly one change follows it.
    template <typename Edit>
    void batch(Edit &&edit);
    void announce();

    QPlainTextEdit *m_edit;
    QList<QKeySequence> m_windowKeys;
    // The text as of the last change Qt reported, with single LFs: Qt has
    // forgotten what a change removed by the time it reports it.
    GapBuffer m_mirror;
    // The selection before the change under way, in the CR LF positions;
    // Qt moves the caret only after it reports the change.
    int m_selectionStart = 0;
    int m_selectionLength = 0;
    // A batch's changes merged into one, in the mirror's positions: from
    // m_pendingStart, m_pendingRemoved gave way to m_pendingLength
    // characters of the mirror.
    int m_batchDepth = 0;
    bool m_pending = false;
    int m_pendingStart = 0;
    QString m_pendingRemoved;
    int m_pendingLength = 0;
    int m_pendingSelectionStart = 0;
    int m_pendingSelectionLength = 0;
};

} // namespace zeq
