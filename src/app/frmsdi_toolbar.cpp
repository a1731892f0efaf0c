#include "app/frmsdi.h"

#include "document/document.h"

#include "app/toolbar.h"

#include <QEvent>
#include <QLabel>

#include <functional>

// The main window's side of the tool bar: which button is lit, what a click
// runs, and how the buttons follow the undo history and the display image.

namespace zeq {

namespace {

// Calls back on every mouse move that reaches the watched widget, leaving
// the event to go on as before.
class MouseMoveHook : public QObject {
public:
    MouseMoveHook(QObject *parent, std::function<void()> onMove) : QObject(parent), m_onMove(std::move(onMove)) {}

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::MouseMove)
            m_onMove();
        return false;
    }

private:
    std::function<void()> m_onMove;
};

using Command = void (frmSDI::*)();

// What each button runs: the same handlers as the menus.
constexpr std::array<Command, kToolButtonCount> kCommands = {
    &frmSDI::mnuFileNew_Click,      &frmSDI::mnuFileOpen_Click,       &frmSDI::mnuFileSave_Click,
    &frmSDI::mnuFileSaveAs_Click,   &frmSDI::mnuEditCut_Click,        &frmSDI::mnuEditCopy_Click,
    &frmSDI::mnuEditPaste_Click,    &frmSDI::mnuEditDelete_Click,     &frmSDI::mnuEditDeleteEx_Click,
    &frmSDI::mnuEditSelectAll_Click, &frmSDI::mnuInsertSPA_Click,     &frmSDI::mnuSearchFind_Click,
    &frmSDI::mnuSearchFindNext_Click, &frmSDI::mnuUndo_Click,         &frmSDI::mnuRedo_Click,
    &frmSDI::mnuZeqShow_Click,      &frmSDI::mnuSettei_Click,         &frmSDI::mnuFileExit_Click,
};

// The tips the buttons start with; undo and redo change theirs as the
// history allows.
const std::array<QString, kToolButtonCount> &initialTips()
{
    static const std::array<QString, kToolButtonCount> tips = {
        QStringLiteral("新規作成"),     QStringLiteral("ファイルを開く"), QStringLiteral("保存"),
        QStringLiteral("名前を付けて保存"), QStringLiteral("切り取り"),   QStringLiteral("コピー"),
        QStringLiteral("貼り付け"),     QStringLiteral("削除（通常）"),   QStringLiteral("拡張削除"),
        QStringLiteral("すべて選択"),   QStringLiteral("漢字セパレータ挿入"), QStringLiteral("検索"),
        QStringLiteral("次を検索"),     QStringLiteral("元に戻す"),       QStringLiteral("やり直し"),
        QStringLiteral("Zeq表示イメージ"), QStringLiteral("設定"),        QStringLiteral("終了"),
    };
    return tips;
}

constexpr int kUndoButton = 13;
constexpr int kRedoButton = 14;
constexpr int kImageButton = 15;

const QString kCanUndo = QStringLiteral("元に戻す");
const QString kCannotUndo = QStringLiteral("元に戻せません");
const QString kCanRedo = QStringLiteral("やり直す");
const QString kCannotRedo = QStringLiteral("やり直せません");

bool isButton(int index)
{
    return index >= 0 && index < kToolButtonCount;
}

} // namespace

void frmSDI::createToolbar()
{
    auto *strip = qobject_cast<ToolbarStrip *>(picToolbar);
    if (!strip)
        return;
    for (int i = 0; i < kToolButtonCount; ++i) {
        Image1[i] = strip->hotSpot(i);
        Image1[i]->setToolTip(initialTips()[i]);
        imgButton[i] = strip->highlight(i);
    }
    connect(strip, &ToolbarStrip::buttonMouseMoved, this, &frmSDI::Image1_MouseMove);
    connect(strip, &ToolbarStrip::buttonClicked, this, &frmSDI::Image1_Click);
    connect(strip, &ToolbarStrip::stripMouseMoved, this, &frmSDI::picToolbar_MouseMove);

    // The window's background: the client area around the controls.
    client->setMouseTracking(true);
    client->installEventFilter(new MouseMoveHook(this, [this] { Form_MouseMove(); }));
}

void frmSDI::Image1_MouseMove(int index)
{
    if (!isButton(index) || !Image1[index])
        return;
    if (index != hotButton)
        releaseHotButton();

    if (index == kUndoButton) {
        if (m_document->canUndo()) {
            imgButton[index]->show();
            Image1[index]->setToolTip(kCanUndo);
        } else {
            Image1[index]->setToolTip(kCannotUndo);
        }
    } else if (index == kRedoButton) {
        if (m_document->canRedo()) {
            imgButton[index]->show();
            Image1[index]->setToolTip(kCanRedo);
        } else {
            Image1[index]->setToolTip(kCannotRedo);
        }
    } else {
        imgButton[index]->show();
    }
    hotButton = index;
}

void frmSDI::Image1_Click(int index)
{
    if (!isButton(index) || !Image1[index])
        return;
    Image1[index]->setBorderStyle(1);
    (this->*kCommands[index])();
    // While the display image is in front its button keeps the frame; the
    // display image takes it away when it gives the edit view back. A
    // second click on it during a rendering must not take it early.
    const bool imageOwnsFrame = imageShown || (index == kImageButton && imageMode);
    if (hotButton >= 0 && !imageOwnsFrame)
        Image1[index]->setBorderStyle(0);
}

void frmSDI::releaseHotButton()
{
    if (!isButton(hotButton) || !imgButton[hotButton])
        return;
    // The display image keeps its button lit for as long as it is requested.
    if (imageMode && hotButton == kImageButton)
        return;
    imgButton[hotButton]->hide();
}

void frmSDI::syncToolbar()
{
    if (!Image1[0])
        return;

    const ImageToolButtons &image = imageToolButtons;
    for (int i = 0; i < kToolButtonCount; ++i)
        Image1[i]->setEnabled(image.enabled[i]);
    Image1[kImageButton]->setBorderStyle(image.button15Border);
    imgButton[kImageButton]->setVisible(image.button15Lit);

    // Buttons whose history has run out go dark and say so.
    if (!m_document->canUndo()) {
        imgButton[kUndoButton]->hide();
        Image1[kUndoButton]->setToolTip(kCannotUndo);
    }
    if (!m_document->canRedo()) {
        imgButton[kRedoButton]->hide();
        Image1[kRedoButton]->setToolTip(kCannotRedo);
    }
}

void frmSDI::Form_MouseMove()
{
    releaseHotButton();
}

void frmSDI::picToolbar_MouseMove()
{
    releaseHotButton();
}

} // namespace zeq
