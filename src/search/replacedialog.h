#pragma once
// The replace dialog "文字列の置換": search string, replacement and match
// case. It is modeless, so the user can go on editing while it is open. The
// search string and case are the find state itself, shared with the find
// dialog and Find Next: whatever one of them last set, the other uses.
// Closing hides the dialog; the window shows the same one again.

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace zeq {

class EditControl;
class ModalSeam;
struct FindState;

class ReplaceDialog : public QDialog {
    Q_OBJECT
public:
    // Replaces in note with find; messages go through modal.
    ReplaceDialog(FindState &find, EditControl &note, ModalSeam &modal, QWidget *parent = nullptr);

    // Shows the dialog with searchText in the search box, fully selected,
    // and the replacement and case from the find state; the next search
    // starts at the caret.
    void showWith(const QString &searchText);
    // Takes the search string and case again from the find state, after
    // the find dialog changed them.
    void reload();

    QLineEdit *findEdit = nullptr;
    QLineEdit *replaceEdit = nullptr;
    QCheckBox *caseCheck = nullptr;
    QPushButton *findNextButton = nullptr;
    QPushButton *replaceButton = nullptr;
    QPushButton *replaceAllButton = nullptr;
    QPushButton *cancelButton = nullptr;

    void findNext();
    void replace();
    void replaceAll();

private:
    void searchTextEdited(const QString &text);

    FindState &m_find;
    EditControl &m_note;
    ModalSeam &m_modal;
};

} // namespace zeq
