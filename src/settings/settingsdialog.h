#pragma once
// The settings dialog "Zeq Text Editor 設定": font, the colours of the edit
// area and of the display image, and the three user separators, with two
// live samples (the edit area's plain text, and the display image's coloured
// rendering of a faulty line).
//
// Colours and font go into the settings record as soon as they are chosen;
// the separators are edited in a working copy that only OK commits. OK also
// applies the record to the main window. Cancel, Esc and the close box drop
// the working separators and put every colour and the font back as they were
// when the dialog opened.
//
// The dialog is modal to the whole application but shown without a nested
// event loop, like the find dialog: the menu command returns at once, and
// whoever drives the dialog (the user, or a test) works its controls until
// it closes. It deletes itself when it closes.

#include "ruby/rubytext.h"

#include "settings/settings.h"

#include <QDialog>
#include <QFont>

#include <functional>

#include <array>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTextEdit;

namespace zeq {

class ModalSeam;

// What the dialog works on, owned by the window that opens it.
struct SettingsDialogContext {
    SettingsRecord &settings;
    // The display image's right edge in pixels; the dialog's sample shares it.
    int &previewRightEdge;
    // Set when a change shows in the display image, so it is rebuilt.
    bool &imageDirty;
    // The colour chooser opens at the colour last chosen in it, for the
    // whole run.
    qint32 &chooserColor;
    // Brings the record to the window's controls; the display image takes
    // the font given.
    std::function<void(const QFont &previewFont)> apply;
};

class SettingsDialog : public QDialog {
    Q_OBJECT
public:
    // The choosers, the help and the refusal message go through modal.
    // Constructing the dialog loads it (startUp); showing it the first time
    // activates it.
    SettingsDialog(const SettingsDialogContext &context, ModalSeam &modal, QWidget *parent = nullptr);

    // Shows the dialog application-modal and returns at once.
    void showDialog();

    // Controls, by the names the form gives them.
    QGroupBox *Frame1 = nullptr;
    QGroupBox *Frame2 = nullptr;
    QGroupBox *Frame3 = nullptr;
    QGroupBox *Frame4 = nullptr;
    QGroupBox *Frame5 = nullptr;
    QGroupBox *Frame6 = nullptr;
    QPushButton *Command1 = nullptr;   // font
    QPushButton *Command2 = nullptr;   // edit-area background
    QPushButton *Command3 = nullptr;   // display-image background
    QPushButton *Command4 = nullptr;   // text colour
    QPushButton *Command5 = nullptr;   // kanji colour
    QPushButton *Command6 = nullptr;   // hiragana colour
    QPushButton *Command7 = nullptr;   // separator colour
    QPushButton *Command8 = nullptr;   // OK
    QPushButton *Command9 = nullptr;   // cancel
    QPushButton *Command10 = nullptr;  // defaults
    QPushButton *Command11 = nullptr;  // help
    QPlainTextEdit *Text2 = nullptr;       // edit-area sample
    QTextEdit *RichTextBox1 = nullptr;     // display-image sample
    // Separator before the kanji, between kanji and reading, after the reading.
    std::array<QLineEdit *, 3> separatorBoxes{};
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;

    // The working copy of the user separators; OK commits it.
    SeparatorTriple editSparator;
    // The edit-area sample's text (lines joined by CR LF).
    QString sampleText;

    void startUp();
    void Form_Activate();
    // The colour chosen, or kNoColor when the chooser was cancelled.
    qint32 pickColor();
    // Repaints the display-image sample and rebuilds the edit-area sample;
    // kNoColor stands for the record's current value.
    void paintSample(qint32 kanji, qint32 hiragana, qint32 separator, qint32 background);
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void Command7_Click();
    void Command8_Click();
    void Command9_Click();
    void Command10_Click();
    void Command11_Click();
    void Text1_Change(int index);
    void Text1_GotFocus(int index);
    void Text1_LostFocus(int index);

public slots:
    // Esc and the close box end up here, as the cancel button does.
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControls();
    void setSampleText();
    void setSeparatorBox(int index, const QString &text);
    void setSampleFont(const QString &faceName, int points);
    void setRichFontSize(int points);

    // The colours and font of the record as the dialog opened, for cancel.
    struct Opened {
        qint32 fontColor, textBackColor, rchBackColor, kanjiColor, hiraColor, sepaColor;
        QString fontName;
        qint32 fontSize;
        int imageRightEdge;
    };
    Opened m_opened{};

    SettingsDialogContext m_context;
    ModalSeam &m_modal;
    // Set while a refused entry is put back, so the box's change handling
    // does not judge the restored value again.
    bool m_restoring = false;
    bool m_activated = false;
};

} // namespace zeq
