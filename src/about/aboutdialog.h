#pragma once
// The version box and the two ways into the help.
//
// Every text of the box is drawn twice, as a dark copy and a white copy one
// pixel up and to the left, which gives the texts an embossed look. The two
// copies of a text are two elements of one label array: the lower element is
// the dark copy in front, the other one the white copy behind it.

#include <QDialog>
#include <QString>
#include <QUrl>

#include <array>
#include <functional>

class QLabel;
class QPushButton;

namespace zeq {

class ModalSeam;

// The editor's version as the version box shows it.
inline const QString kEditorVersion = QStringLiteral("1.02");
// The project's home page, opened by a click on the version box's address.
inline const QString kHomePageAddress = QStringLiteral("https://zeq-text-editor.example/");
// The one-line rights notice of the version box.
inline const QString kRightsNotice = QStringLiteral("Copyright (C) 2026 The Zeq Text Editor Project");

// The help topics: the general topic by its context number, the settings
// topic by its keyword. The help file carries them as the anchors
// "context-1" and "設定".
inline constexpr int kHelpGeneralContext = 1;
inline const QString kHelpSettingsKeyword = QStringLiteral("設定");

// Opens the general topic of the help (the Help menu).
void showGeneralHelp(ModalSeam &modal);
// Opens the settings topic of the help (the settings dialog's help button).
void showSettingsHelp(ModalSeam &modal);

class About : public QDialog {
    Q_OBJECT
public:
    explicit About(QWidget *parent = nullptr);
    ~About() override;

    // Sets the version texts.
    void startUp();
    // OK: closes the box.
    void Command1_Click();
    // A click on any element of Label2 opens the address shown in element 4.
    void Label2_Click(int index);

    // Opens an address in the system's web browser. Tests replace it; its
    // result is ignored, as a failed start is left to the platform.
    std::function<void(const QUrl &)> urlOpener;

    std::array<QLabel *, 4> Label1{};
    std::array<QLabel *, 8> Label2{};
    std::array<QLabel *, 2> Label3{};
    QLabel *toolButtons = nullptr;
    QLabel *Image3 = nullptr;
    QLabel *Image4 = nullptr;
    QPushButton *Command1 = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControls();
    void placeControls();
    // Opens the address the way a shell "open" does, without a word on failure.
    void shellOpen(const QString &address);
};

} // namespace zeq
