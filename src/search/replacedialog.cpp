#include "search/replacedialog.h"

#include "search/findstate.h"
#include "search/replace.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace zeq {

ReplaceDialog::ReplaceDialog(FindState &find, EditControl &note, ModalSeam &modal, QWidget *parent)
    : QDialog(parent), m_find(find), m_note(note), m_modal(modal)
{
    setObjectName(QStringLiteral("ReplaceDialog"));
    setWindowTitle(QStringLiteral("文字列の置換"));
    // A fixed tool window like the find dialog: no resizing, no help button.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    auto *findLabel = new QLabel(QStringLiteral("検索する文字列(&N):"), this);
    findEdit = new QLineEdit(this);
    findEdit->setObjectName(QStringLiteral("findEdit"));
    findEdit->setToolTip(QStringLiteral("検索する文字列を入力します"));
    findEdit->setMinimumWidth(220);
    findLabel->setBuddy(findEdit);

    auto *replaceLabel = new QLabel(QStringLiteral("置換後の文字列(&P):"), this);
    replaceEdit = new QLineEdit(this);
    replaceEdit->setObjectName(QStringLiteral("replaceEdit"));
    replaceEdit->setToolTip(QStringLiteral("置換後の文字列を入力します"));
    replaceLabel->setBuddy(replaceEdit);

    caseCheck = new QCheckBox(QStringLiteral("大文字と小文字を区別する(&C)"), this);
    caseCheck->setObjectName(QStringLiteral("caseCheck"));
    caseCheck->setToolTip(QStringLiteral("大文字と小文字を区別します"));

    findNextButton = new QPushButton(QStringLiteral("次を検索(&F)"), this);
    findNextButton->setObjectName(QStringLiteral("findNextButton"));
    findNextButton->setToolTip(QStringLiteral("次の文字列を文書の末尾方向に検索します"));
    findNextButton->setDefault(true);
    replaceButton = new QPushButton(QStringLiteral("置換して次に(&R)"), this);
    replaceButton->setObjectName(QStringLiteral("replaceButton"));
    replaceButton->setToolTip(QStringLiteral("選択している文字列を置換し、次を検索します"));
    replaceAllButton = new QPushButton(QStringLiteral("すべて置換(&A)"), this);
    replaceAllButton->setObjectName(QStringLiteral("replaceAllButton"));
    replaceAllButton->setToolTip(QStringLiteral("文書の中の文字列をすべて置換します"));
    cancelButton = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    cancelButton->setObjectName(QStringLiteral("cancelButton"));
    cancelButton->setToolTip(QStringLiteral("編集画面に戻ります"));

    // The two strings on the left, the case option below them, the buttons
    // down the right as in the find dialog.
    auto *grid = new QGridLayout(this);
    grid->addWidget(findLabel, 0, 0);
    grid->addWidget(findEdit, 0, 1);
    grid->addWidget(replaceLabel, 1, 0);
    grid->addWidget(replaceEdit, 1, 1);
    grid->addWidget(caseCheck, 2, 0, 1, 2, Qt::AlignBottom);
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(findNextButton);
    buttons->addWidget(replaceButton);
    buttons->addWidget(replaceAllButton);
    buttons->addWidget(cancelButton);
    buttons->addStretch();
    grid->addLayout(buttons, 0, 2, 4, 1);
    grid->setRowStretch(3, 1);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(findEdit, replaceEdit);
    setTabOrder(replaceEdit, caseCheck);
    setTabOrder(caseCheck, findNextButton);
    setTabOrder(findNextButton, replaceButton);
    setTabOrder(replaceButton, replaceAllButton);
    setTabOrder(replaceAllButton, cancelButton);

    reload();
    replaceEdit->setText(m_find.replacement);

    connect(findEdit, &QLineEdit::textChanged, this, &ReplaceDialog::searchTextEdited);
    connect(replaceEdit, &QLineEdit::textChanged, this, [this](const QString &text) { m_find.replacement = text; });
    connect(caseCheck, &QCheckBox::toggled, this, [this](bool on) { m_find.gFindCase = on; });
    connect(findNextButton, &QPushButton::clicked, this, &ReplaceDialog::findNext);
    connect(replaceButton, &QPushButton::clicked, this, &ReplaceDialog::replace);
    connect(replaceAllButton, &QPushButton::clicked, this, &ReplaceDialog::replaceAll);
    // Esc reaches reject() too, through QDialog's own key handling.
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

void ReplaceDialog::showWith(const QString &searchText)
{
    findEdit->setText(searchText);
    searchTextEdited(searchText);
    findEdit->selectAll();
    replaceEdit->setText(m_find.replacement);
    caseCheck->setChecked(m_find.gFindCase);
    m_find.gNewSearch = true;
    show();
    raise();
    activateWindow();
    findEdit->setFocus();
}

void ReplaceDialog::reload()
{
    // Setting the same text again would still count as an edit and make
    // the next search a fresh one.
    if (findEdit->text() != m_find.gFindText)
        findEdit->setText(m_find.gFindText);
    caseCheck->setChecked(m_find.gFindCase);
    searchTextEdited(findEdit->text());
}

void ReplaceDialog::searchTextEdited(const QString &text)
{
    if (m_find.gFindText != text) {
        m_find.gFindText = text;
        m_find.gNewSearch = true;
    }
    const bool searchable = !text.isEmpty();
    findNextButton->setEnabled(searchable);
    replaceButton->setEnabled(searchable);
    replaceAllButton->setEnabled(searchable);
}

void ReplaceDialog::findNext()
{
    findDownwards(m_find, m_note, &m_modal);
}

void ReplaceDialog::replace()
{
    replaceNext(m_find, replaceEdit->text(), m_note, &m_modal);
}

void ReplaceDialog::replaceAll()
{
    zeq::replaceAll(m_find, replaceEdit->text(), m_note, &m_modal);
}

} // namespace zeq
