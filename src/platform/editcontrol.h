#pragma once
// What the editor's commands need of a text box: its text with lines ending
// in CR LF (two characters each), a caret and a selection addressed by 0-based
// positions in that text, and replacement of the selection. The window's edit
// area implements it over a Qt widget; tests use an in-memory double with the
// same rules, so the commands run without a display.

#include <QObject>
#include <QString>

namespace zeq {

// One change of the text, in the positions of the CR LF text: at position,
// removed gave way to inserted. The selection is the one the change replaced
// or started from, so that undoing it can give it back.
struct TextChange {
    qint32 position = 0;
    QString removed;
    QString inserted;
    qint32 selectionStart = 0;
    qint32 selectionLength = 0;

    bool isEmpty() const { return removed.isEmpty() && inserted.isEmpty(); }
};

class EditControl : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~EditControl() override = default;

    virtual QString Text() const = 0;
    virtual void setText(const QString &text) = 0;
    virtual int textLength() const = 0;

    virtual int SelStart() const = 0;
    // Moves the caret and drops any selection.
    virtual void setSelStart(int position) = 0;
    virtual int SelLength() const = 0;
    // Selects length characters from SelStart, clamped to the text; a
    // selection never ends between the CR and the LF of a line end.
    virtual void setSelLength(int length) = 0;
    virtual QString SelText() const = 0;
    // Replaces the selection (or inserts at the caret) and leaves the caret
    // after the inserted text.
    virtual void setSelText(const QString &text) = 0;
    // Replaces length characters from start as one change, wherever the
    // selection is, and leaves the caret after the inserted text. The change
    // carries the selection from before it, so undoing it gives that back
    // rather than the replaced stretch.
    virtual void replaceText(int start, int length, const QString &text) = 0;

    // Number of lines; an empty text has one.
    virtual int lineCount() const = 0;

signals:
    // Exactly once for every change of the text, whoever made it, after
    // the change and with the caret where the change left it.
    void changed(const zeq::TextChange &change);
};

} // namespace zeq
