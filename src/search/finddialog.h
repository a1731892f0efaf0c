#pragma once
// The find dialog "文字列の検索": the search string, match case and direction.
// Its find button searches the edit area and leaves the dialog open, so
// repeated clicks walk from match to match; cancel keeps what was typed for
// Find Next. It is modal to the whole application but shown without a nested
// event loop: the Find command returns at once, and whoever drives the
// dialog (the user, or a test) works its controls until it closes.

#include <QDialog>

#include <array>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace zeq {

class EditControl;
class ModalSeam;
struct FindState;

class FindDialog : public QDialog {
    Q_OBJECT
public:
    // Searches note with find; the not-found message goes through modal.
    // Constructing the dialog loads it from the search state.
    FindDialog(FindState &find, EditControl &note, ModalSeam &modal, QWidget *parent = nullptr);

    // Shows the dialog application-modal and returns at once; it deletes
    // itself when it closes (finished() is emitted first).
    void showDialog();

    QLabel *Label1 = nullptr;
    QLineEdit *txtFind = nullptr;
    QCheckBox *chkCase = nullptr;
    QGroupBox *Frame1 = nullptr;
    // Index 0 up, 1 down.
    std::array<QRadioButton *, 2> optDirection{};
    QPushButton *cmdFind = nullptr;
    QPushButton *cmdcancel = nullptr;

    void startUp();
    void txtFind_Change();
    void chkCase_Click();
    void optDirection_Click(int index);
    void cmdFind_Click();
    void cmdCancel_Click();

protected:
    // Esc is the cancel button; closing by the frame is not.
    void keyPressEvent(QKeyEvent *event) override;

private:
    FindState &m_find;
    EditControl &m_note;
    ModalSeam &m_modal;
};

} // namespace zeq
