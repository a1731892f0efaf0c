#include "search/finddialog.h"

#include "search/findstate.h"
#include "search/findtext.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace zeq {

FindDialog::FindDialog(FindState &find, EditControl &note, ModalSeam &modal, QWidget *parent)
    : QDialog(parent), m_find(find), m_note(note), m_modal(modal)
{
    setObjectName(QStringLiteral("FindDialog"));
    setWindowTitle(QStringLiteral("文字列の検索"));
    setAttribute(Qt::WA_DeleteOnClose);
    // A fixed tool window like a message box: no resizing, no help button.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    Label1 = new QLabel(QStringLiteral("検索する文字列(&N):"), this);
    Label1->setObjectName(QStringLiteral("Label1"));

    txtFind = new QLineEdit(this);
    txtFind->setObjectName(QStringLiteral("txtFind"));
    txtFind->setToolTip(QStringLiteral("検索する文字列を入力します"));
    txtFind->setMinimumWidth(220);
    Label1->setBuddy(txtFind);

    chkCase = new QCheckBox(QStringLiteral("大文字と小文字を区別する(&C)"), this);
    chkCase->setObjectName(QStringLiteral("chkCase"));
    chkCase->setToolTip(QStringLiteral("大文字と小文字を区別します"));

    Frame1 = new QGroupBox(QStringLiteral("検索方向"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    optDirection[0] = new QRadioButton(QStringLiteral("上方向(&U)"), Frame1);
    optDirection[0]->setObjectName(QStringLiteral("optDirection0"));
    optDirection[0]->setToolTip(QStringLiteral("文書の先頭方向に検索します"));
    optDirection[1] = new QRadioButton(QStringLiteral("下方向(&D)"), Frame1);
    optDirection[1]->setObjectName(QStringLiteral("optDirection1"));
    optDirection[1]->setToolTip(QStringLiteral("文書の末尾方向に検索します"));
    optDirection[1]->setChecked(true);
    auto *directions = new QHBoxLayout(Frame1);
    directions->addWidget(optDirection[0]);
    directions->addWidget(optDirection[1]);

    cmdFind = new QPushButton(QStringLiteral("検索(&F)"), this);
    cmdFind->setObjectName(QStringLiteral("cmdFind"));
    cmdFind->setToolTip(QStringLiteral("検索を開始します"));
    cmdFind->setDefault(true);
    cmdcancel = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    cmdcancel->setObjectName(QStringLiteral("cmdcancel"));
    cmdcancel->setToolTip(QStringLiteral("[ﾒﾓ帳] に戻ります"));

    // Search string across the top, options below it, buttons on the right.
    auto *grid = new QGridLayout(this);
    auto *searchRow = new QHBoxLayout;
    searchRow->addWidget(Label1);
    searchRow->addWidget(txtFind, 1);
    grid->addLayout(searchRow, 0, 0, 1, 2);
    grid->addWidget(chkCase, 1, 0, Qt::AlignBottom);
    grid->addWidget(Frame1, 1, 1);
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(cmdFind);
    buttons->addWidget(cmdcancel);
    buttons->addStretch();
    grid->addLayout(buttons, 0, 2, 2, 1);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(txtFind, chkCase);
    setTabOrder(chkCase, optDirection[0]);
    setTabOrder(optDirection[0], optDirection[1]);
    setTabOrder(optDirection[1], cmdFind);
    setTabOrder(cmdFind, cmdcancel);

    startUp();

    connect(txtFind, &QLineEdit::textChanged, this, &FindDialog::txtFind_Change);
    connect(chkCase, &QCheckBox::toggled, this, &FindDialog::chkCase_Click);
    for (int index = 0; index < 2; ++index) {
        connect(optDirection[index], &QRadioButton::toggled, this, [this, index](bool on) {
            if (on)
                optDirection_Click(index);
        });
    }
    connect(cmdFind, &QPushButton::clicked, this, &FindDialog::cmdFind_Click);
    connect(cmdcancel, &QPushButton::clicked, this, &FindDialog::cmdCancel_Click);
}

void FindDialog::showDialog()
{
    setWindowModality(Qt::ApplicationModal);
    show();
    raise();
    activateWindow();
    txtFind->setFocus();
}

void FindDialog::startUp()
{
    cmdFind->setEnabled(false);
    optDirection[m_find.gFindDirection == 0 ? 0 : 1]->setChecked(true);
}

void FindDialog::txtFind_Change()
{
    m_find.gNewSearch = true;
    cmdFind->setEnabled(!txtFind->text().isEmpty());
}

void FindDialog::chkCase_Click()
{
    m_find.gFindCase = chkCase->isChecked();
}

void FindDialog::optDirection_Click(int index)
{
    m_find.gFindDirection = index;
}

void FindDialog::cmdFind_Click()
{
    m_find.gFindText = txtFind->text();
    findText(m_find, m_note, &m_modal);
}

void FindDialog::cmdCancel_Click()
{
    m_find.gFindText = txtFind->text();
    m_find.gFindCase = chkCase->isChecked();
    close();
}

void FindDialog::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        cmdcancel->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace zeq
