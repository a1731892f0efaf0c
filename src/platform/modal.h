#pragma once
// The one door through which the editor asks the user anything modal:
// message boxes, file, colour and font choosers, help. The window layer
// installs the Qt implementation; tests install ScriptedModal, which answers
// from a queue and remembers every question, so whole user flows run without
// a person at the keyboard.

#include <QList>
#include <QString>
#include <QStringList>

#include <deque>
#include <optional>

namespace zeq {

// The application title that a message box without a title of its own gets.
inline const QString kAppTitle = QStringLiteral("Zqe");

// Button and icon styles, numbered as the editor's messages name them.
enum MsgStyle : int {
    MsgOkOnly = 0,
    MsgCritical = 16,      // OK with the stop icon
    MsgExclamation = 48,   // OK with the exclamation icon
    MsgInformation = 64,   // OK with the information icon
    MsgYesNoCancelExclamation = 51,
    MsgYesNoExclamation = 52,
};

// What a message box answers.
enum MsgAnswer : int {
    AnswerOk = 1,
    AnswerCancel = 2,
    AnswerYes = 6,
    AnswerNo = 7,
};

struct FileDialogRequest {
    QString caption;
    QString fileName;         // proposed name (save) or empty
    QStringList filters;      // "ﾃｷｽﾄ ﾌｧｲﾙ (*.txt)", ...
    QString defaultSuffix;    // without the dot; only for the text filter
    QString directory;        // where the dialog starts
};

// A font as the chooser gives it: a family name and its size in points,
// which may be fractional (the settings store whole points).
struct FontChoice {
    QString family;
    double pointSize = 12;
};

class ModalSeam {
public:
    virtual ~ModalSeam() = default;

    // Shows a message box; an empty title means kAppTitle. Returns a MsgAnswer.
    virtual int msgBox(const QString &text, int style, const QString &title = QString()) = 0;
    // The chosen path, or an empty string when the user cancelled.
    virtual QString openFileName(const FileDialogRequest &request) = 0;
    virtual QString saveFileName(const FileDialogRequest &request) = 0;
    // Colours are 0x00BBGGRR.
    virtual std::optional<qint32> chooseColor(qint32 initial) = 0;
    virtual std::optional<FontChoice> chooseFont(const FontChoice &initial) = 0;
    // A whole number between min and max, proposed as value; nothing when
    // the user cancelled.
    virtual std::optional<int> askInteger(const QString &title, const QString &label, int value, int min,
                                          int max) = 0;
    // A line of text, proposed as value; nothing when the user cancelled.
    virtual std::optional<QString> askText(const QString &title, const QString &label, const QString &value) = 0;
    // Opens the help at a topic: a context number, or a keyword when given.
    virtual void showHelp(int context, const QString &keyword) = 0;
};

} // namespace zeq
