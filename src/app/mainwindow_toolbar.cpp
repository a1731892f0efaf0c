#include "app/mainwindow.h"

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

using Command = void (MainWindow::*)();

// What each button runs: the same handlers as the menus.
constexpr std::array<Command, kToolButtonCount> kCommands = {
    &MainWindow::newFile,      &MainWindow::openFile,       &MainWindow::save,
    &MainWindow::saveAs,   &MainWindow::cut,        &MainWindow::copy,
    &MainWindow::paste,    &MainWindow::deleteForward,     &MainWindow::deleteGroup,
    &MainWindow::selectAll, &MainWindow::insertSeparator,     &MainWindow::find,
    &MainWindow::findNext, &MainWindow::undo,         &MainWindow::redo,
    &MainWindow::togglePreview,      &MainWindow::showSettings,         &MainWindow::exit,
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

void MainWindow::createToolbar()
{
    auto *strip = qobject_cast<ToolbarStrip *>(toolStrip);
    if (!strip)
        return;
    for (int i = 0; i < kToolButtonCount; ++i) {
        toolButtons[i] = strip->hotSpot(i);
        toolButtons[i]->setToolTip(initialTips()[i]);
        // The tip of undo and redo changes with the history; what the
        // button does does not. From the keyboard, each command is reached
        // through its menu item.
        toolButtons[i]->setAccessibleName(initialTips()[i]);
        toolHighlights[i] = strip->highlight(i);
    }
    connect(strip, &ToolbarStrip::buttonMouseMoved, this, &MainWindow::hoverToolButton);
    connect(strip, &ToolbarStrip::buttonClicked, this, &MainWindow::clickToolButton);
    connect(strip, &ToolbarStrip::stripMouseMoved, this, &MainWindow::stripMouseMoved);

    // The window's background: the client area around the controls.
    client->setMouseTracking(true);
    client->installEventFilter(new MouseMoveHook(this, [this] { windowMouseMoved(); }));
}

void MainWindow::hoverToolButton(int index)
{
    if (!isButton(index) || !toolButtons[index])
        return;
    if (index != hotButton)
        releaseHotButton();

    if (index == kUndoButton) {
        if (m_document->canUndo()) {
            toolHighlights[index]->show();
            toolButtons[index]->setToolTip(kCanUndo);
        } else {
            toolButtons[index]->setToolTip(kCannotUndo);
        }
    } else if (index == kRedoButton) {
        if (m_document->canRedo()) {
            toolHighlights[index]->show();
            toolButtons[index]->setToolTip(kCanRedo);
        } else {
            toolButtons[index]->setToolTip(kCannotRedo);
        }
    } else {
        toolHighlights[index]->show();
    }
    hotButton = index;
}

void MainWindow::clickToolButton(int index)
{
    if (!isButton(index) || !toolButtons[index])
        return;
    toolButtons[index]->setBorderStyle(1);
    (this->*kCommands[index])();
    // While the display image is in front its button keeps the frame; the
    // display image takes it away when it gives the edit view back. A
    // second click on it during a rendering must not take it early.
    const bool imageOwnsFrame = imageShown || (index == kImageButton && imageMode);
    if (hotButton >= 0 && !imageOwnsFrame)
        toolButtons[index]->setBorderStyle(0);
}

void MainWindow::releaseHotButton()
{
    if (!isButton(hotButton) || !toolHighlights[hotButton])
        return;
    // The display image keeps its button lit for as long as it is requested.
    if (imageMode && hotButton == kImageButton)
        return;
    toolHighlights[hotButton]->hide();
}

void MainWindow::syncToolbar()
{
    if (!toolButtons[0])
        return;

    const ImageToolButtons &image = imageToolButtons;
    for (int i = 0; i < kToolButtonCount; ++i)
        toolButtons[i]->setEnabled(image.enabled[i]);
    toolButtons[kImageButton]->setBorderStyle(image.button15Border);
    toolHighlights[kImageButton]->setVisible(image.button15Lit);

    // Buttons whose history has run out go dark and say so.
    if (!m_document->canUndo()) {
        toolHighlights[kUndoButton]->hide();
        toolButtons[kUndoButton]->setToolTip(kCannotUndo);
    }
    if (!m_document->canRedo()) {
        toolHighlights[kRedoButton]->hide();
        toolButtons[kRedoButton]->setToolTip(kCannotRedo);
    }
}

void MainWindow::windowMouseMoved()
{
    releaseHotButton();
}

void MainWindow::stripMouseMoved()
{
    releaseHotButton();
}

} // namespace zeq
