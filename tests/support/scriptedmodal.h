#pragma once
// The modal seam as tests script it.

#include "platform/modal.h"

#include <QList>
#include <QStringList>

#include <deque>
#include <functional>

namespace zeq {

// A scripted stand-in for tests: every question is recorded in order, and
// answered from the queue of its kind (or with the default when the queue is
// empty: OK for message boxes, cancel for the choosers).
class ScriptedModal : public ModalSeam {
public:
    enum class Kind { Message, OpenFile, SaveFile, Color, Font, Integer, Text, Help };
    struct Call {
        Kind kind;
        QString text;       // message text, proposed file name, help keyword, label of a question
        int style = 0;      // message style, help context, proposed integer
        QString title;      // title as shown (kAppTitle filled in)
        FileDialogRequest file;
    };

    int msgBox(const QString &text, int style, const QString &title = QString()) override;
    QString openFileName(const FileDialogRequest &request) override;
    QString saveFileName(const FileDialogRequest &request) override;
    std::optional<qint32> chooseColor(qint32 initial) override;
    std::optional<FontChoice> chooseFont(const FontChoice &initial) override;
    // Answers from integerAnswers, clamped to min..max as a spin box would.
    std::optional<int> askInteger(const QString &title, const QString &label, int value, int min, int max) override;
    std::optional<QString> askText(const QString &title, const QString &label, const QString &value) override;
    void showHelp(int context, const QString &keyword) override;

    std::deque<int> messageAnswers;
    std::deque<QString> openAnswers;   // "" answers cancel
    std::deque<QString> saveAnswers;   // "" answers cancel
    std::deque<std::optional<qint32>> colorAnswers;
    std::deque<std::optional<FontChoice>> fontAnswers;
    std::deque<std::optional<int>> integerAnswers;
    std::deque<std::optional<QString>> textAnswers;

    QList<Call> calls;
    // Runs inside every message box, as the events a real one's nested
    // event loop would deliver.
    std::function<void()> whileMessageOpen;

    // The texts of the message boxes shown so far, in order.
    QStringList messages() const;
};

} // namespace zeq
