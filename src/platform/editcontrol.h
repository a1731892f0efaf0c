#pragma once
// What the editor's commands need of a text box: its text with lines ending
// in CR LF (two characters each), a caret and a selection addressed by 0-based
// positions in that text, and replacement of the selection. The window's edit
// area implements it over a Qt widget; TextBuffer implements it in memory so
// that the commands can be tested without a display.

#include <QString>

#include <functional>

namespace zeq {

class EditControl {
public:
    virtual ~EditControl() = default;

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

    // Number of lines; an empty text has one.
    virtual int lineCount() const = 0;
};

// An in-memory text box with the same positions and line-end rules as the
// edit area, raising onChange once per change of the text.
class TextBuffer : public EditControl {
public:
    QString Text() const override { return m_text; }
    void setText(const QString &text) override;
    int textLength() const override { return int(m_text.size()); }
    int SelStart() const override { return m_start; }
    void setSelStart(int position) override;
    int SelLength() const override { return m_length; }
    void setSelLength(int length) override;
    QString SelText() const override { return m_text.mid(m_start, m_length); }
    void setSelText(const QString &text) override;
    int lineCount() const override;

    std::function<void()> onChange;

private:
    void changed();

    QString m_text;
    int m_start = 0;
    int m_length = 0;
};

} // namespace zeq
