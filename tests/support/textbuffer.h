#pragma once
// An in-memory text box with the same positions and line-end rules as the
// edit area, raising one change per change of the text: the commands and
// the document model run on it without a display.

#include "platform/editcontrol.h"

#include <functional>

namespace zeq {

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
    void replaceText(int start, int length, const QString &text) override;
    int lineCount() const override;

    // Called after every change, once the change signal has gone out.
    std::function<void()> onChange;

private:
    void replace(int start, int length, const QString &text);

    QString m_text;
    int m_start = 0;
    int m_length = 0;
};

} // namespace zeq
