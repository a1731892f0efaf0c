#include "app/mainwindow.h"

#include "app/gutter.h"
#include "app/layout.h"
#include "app/statuspanels.h"
#include "app/title.h"
#include "app/toolbar.h"
#include "document/docfile.h"
#include "document/recent.h"
#include "document/document.h"
#include "document/recovery.h"
#include "platform/fonts.h"
#include "platform/modal.h"
#include "platform/textbox.h"
#include "platform/textpos.h"
#include "ruby/imagerender.h"
#include "ruby/rubyconvert.h"
#include "ruby/rubypreview.h"
#include "ruby/userdict.h"
#include "settings/registry.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDropEvent>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMimeData>
#include <QUrl>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScrollBar>
#include <QTextEdit>
#include <QTimer>

namespace zeq {

namespace {

// Re-lays out the window whenever the client area changes size.
class ClientArea : public QWidget {
public:
    ClientArea(QWidget *parent, std::function<void()> onResize)
        : QWidget(parent), m_onResize(std::move(onResize)) {}

protected:
    void resizeEvent(QResizeEvent *) override { m_onResize(); }

private:
    std::function<void()> m_onResize;
};

// The main window's outer frame, measured in twips.
class FramePlacement : public WindowPlacement {
public:
    explicit FramePlacement(QWidget *window) : m_window(window) {}

    double top() const override { return m_window->frameGeometry().top() * kTwipsPerPixel; }
    double left() const override { return m_window->frameGeometry().left() * kTwipsPerPixel; }
    double height() const override { return m_window->frameGeometry().height() * kTwipsPerPixel; }
    double width() const override { return m_window->frameGeometry().width() * kTwipsPerPixel; }

    void setTop(qint32 twips) override { m_window->move(m_window->frameGeometry().left(), twipsToPixels(twips)); }
    void setLeft(qint32 twips) override { m_window->move(twipsToPixels(twips), m_window->frameGeometry().top()); }
    void setHeight(qint32 twips) override
    {
        m_window->resize(m_window->width(), qMax(1, twipsToPixels(twips) - frameExtra().height()));
    }
    void setWidth(qint32 twips) override
    {
        m_window->resize(qMax(1, twipsToPixels(twips) - frameExtra().width()), m_window->height());
    }

private:
    QSize frameExtra() const { return m_window->frameGeometry().size() - m_window->geometry().size(); }

    QWidget *m_window;
};

} // namespace

MainWindow::MainWindow(Session &session, ModalSeam &modal, RegStore &store, QWidget *parent)
    : QMainWindow(parent), m_session(session), m_modal(modal), m_store(store),
      m_registry(std::make_unique<Registry>(store, modal)),
      m_placement(std::make_unique<FramePlacement>(this))
{
    setObjectName(QStringLiteral("MainWindow"));
    createControls();
    createMenus();
    // Design client area: 609 x 408 pixels below the menu bar.
    resize(609, 408 + menuBar()->sizeHint().height());
    qApp->installEventFilter(this);
}

MainWindow::~MainWindow()
{
    qApp->removeEventFilter(this);
}

void MainWindow::createControls()
{
    client = new ClientArea(this, [this] {
        arrangeControls();
        refreshLineNumbers();
    });
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);

    preview = new QTextEdit(client);
    preview->setObjectName(QStringLiteral("preview"));
    preview->setAccessibleName(QStringLiteral("表示イメージ"));
    preview->setReadOnly(true);
    preview->setLineWrapMode(QTextEdit::NoWrap);
    preview->setUndoRedoEnabled(false);
    preview->hide();

    textEdit = new QPlainTextEdit(client);
    textEdit->setObjectName(QStringLiteral("textEdit"));
    textEdit->setAccessibleName(QStringLiteral("本文"));
    textEdit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    textEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    textEdit->setFont(storedFont(kDefaultFontName, 12));
    m_note = new TextBox(textEdit, this);
    // Mouse moves without a button reach the tool bar's hover handling.
    textEdit->viewport()->setMouseTracking(true);
    m_document = new Document(*m_note, this);
    m_titleName = kUntitled;
    connect(m_document, &Document::contentsChanged, this, &MainWindow::onContentsChanged);
    connect(m_document, &Document::modifiedChanged, this, &MainWindow::updateTitle);
    connect(m_document, &Document::undoAvailable, this, &MainWindow::syncToolbar);
    connect(m_document, &Document::redoAvailable, this, &MainWindow::syncToolbar);
    connect(m_note, &EditControl::changed, this, &MainWindow::trackHandEdit);
    connect(textEdit, &QPlainTextEdit::cursorPositionChanged, this, &MainWindow::learnHandCorrections);

    lineNumbers = new LineNumberGutter(client);
    lineNumbers->setObjectName(QStringLiteral("lineNumbers"));
    lineNumbers->setAccessibleName(QStringLiteral("行番号"));
    lineNumbers->setFocusPolicy(Qt::NoFocus);
    lineNumbers->setReadOnly(true);
    lineNumbers->setUndoRedoEnabled(false);
    lineNumbers->setLineWrapMode(QPlainTextEdit::NoWrap);
    lineNumbers->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    lineNumbers->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    lineNumbers->setFrameShape(QFrame::NoFrame);
    lineNumbers->setFont(storedFont(QStringLiteral("ＭＳ ゴシック"), 12));
    {
        QPalette palette = lineNumbers->palette();
        palette.setColor(QPalette::Text, QColor(0, 0, 255));
        palette.setColor(QPalette::Base, palette.color(QPalette::Button));
        lineNumbers->setPalette(palette);
    }
    lineNumbers->setPlainText(QStringLiteral("1\n"));

    toolStrip = new ToolbarStrip(client);
    toolStrip->setObjectName(QStringLiteral("toolStrip"));
    toolStrip->setAccessibleName(QStringLiteral("ツールバー"));
    toolStrip->move(0, 0);
    createToolbar();

    statusPanels = new StatusPanels(client);
    statusPanels->setObjectName(QStringLiteral("statusPanels"));
    connect(textEdit, &QPlainTextEdit::cursorPositionChanged, this, &MainWindow::showCaretPosition);
    showCaretPosition();

    progressBar = new QProgressBar(client);
    progressBar->setObjectName(QStringLiteral("progressBar"));
    progressBar->setTextVisible(false);
    progressBar->hide();

    gutterTimer = new QTimer(this);
    gutterTimer->setObjectName(QStringLiteral("gutterTimer"));
    gutterTimer->setInterval(150);
    connect(gutterTimer, &QTimer::timeout, this, &MainWindow::refreshLineNumbers);

    textEdit->setFocus();
}

void MainWindow::createMenus()
{
    auto action = [this](QMenu *menu, const char *name, const QString &caption,
                         const QKeySequence &shortcut = QKeySequence()) {
        auto *item = menu->addAction(caption);
        item->setObjectName(QLatin1String(name));
        if (!shortcut.isEmpty())
            item->setShortcut(shortcut);
        return item;
    };
    auto separator = [](QMenu *menu, const char *name) {
        QAction *item = menu->addSeparator();
        item->setObjectName(QLatin1String(name));
        return item;
    };

    fileMenu = menuBar()->addMenu(QStringLiteral("ﾌｧｲﾙ(&F)"));
    fileMenu->setObjectName(QStringLiteral("fileMenu"));
    newAction = action(fileMenu, "newAction", QStringLiteral("新規作成(&N)"), QKeySequence(Qt::CTRL | Qt::Key_N));
    openAction = action(fileMenu, "openAction", QStringLiteral("開く(&O)"), QKeySequence(Qt::CTRL | Qt::Key_O));
    saveAction = action(fileMenu, "saveAction", QStringLiteral("保存(&S)"), QKeySequence(Qt::CTRL | Qt::Key_S));
    saveAsAction = action(fileMenu, "saveAsAction", QStringLiteral("名前を付けて保存(&A)"),
                          QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    importMenu = fileMenu->addMenu(QStringLiteral("取り込み"));
    importMenu->setObjectName(QStringLiteral("importMenu"));
    importMenu->menuAction()->setObjectName(QStringLiteral("importMenuAction"));
    importAozoraAction = action(importMenu, "importAozoraAction", QStringLiteral("青空文庫形式"));
    importHtmlAction = action(importMenu, "importHtmlAction", QStringLiteral("HTML ruby"));
    importBracketsAction = action(importMenu, "importBracketsAction", QStringLiteral("括弧形式"));
    exportMenu = fileMenu->addMenu(QStringLiteral("書き出し"));
    exportMenu->setObjectName(QStringLiteral("exportMenu"));
    exportMenu->menuAction()->setObjectName(QStringLiteral("exportMenuAction"));
    exportHtmlAction = action(exportMenu, "exportHtmlAction", QStringLiteral("HTML ページ"));
    exportAozoraAction = action(exportMenu, "exportAozoraAction", QStringLiteral("青空文庫形式"));
    exportBracketsAction = action(exportMenu, "exportBracketsAction", QStringLiteral("括弧形式"));
    connect(importAozoraAction, &QAction::triggered, this, [this] { importFile(RubyNotation::Aozora); });
    connect(importHtmlAction, &QAction::triggered, this, [this] { importFile(RubyNotation::Html); });
    connect(importBracketsAction, &QAction::triggered, this, [this] { importFile(RubyNotation::Brackets); });
    connect(exportHtmlAction, &QAction::triggered, this, [this] { exportFile(RubyNotation::Html); });
    connect(exportAozoraAction, &QAction::triggered, this, [this] { exportFile(RubyNotation::Aozora); });
    connect(exportBracketsAction, &QAction::triggered, this, [this] { exportFile(RubyNotation::Brackets); });
    // An import replaces the document, as New and Open do, so it is
    // switched off whenever they are (the display image in front).
    connect(newAction, &QAction::enabledChanged, importMenu, &QMenu::setEnabled);
    fileSeparator = separator(fileMenu, "fileSeparator");
    previewAction = action(fileMenu, "previewAction", QStringLiteral("表示イメージ"), QKeySequence(Qt::CTRL | Qt::Key_T));
    exitAction = action(fileMenu, "exitAction", QStringLiteral("終了(&X)"), QKeySequence(Qt::CTRL | Qt::Key_Q));
    recentFileActions[0] = separator(fileMenu, "recentFileActions0");
    recentFileActions[0]->setVisible(false);
    for (int i = 1; i <= 5; ++i) {
        recentFileActions[i] = action(fileMenu, QStringLiteral("recentFileActions%1").arg(i).toLatin1().constData(), QString());
        setRecentCaption(i, QStringLiteral("RecentFile%1").arg(i));
        recentFileActions[i]->setVisible(false);
    }
    connect(newAction, &QAction::triggered, this, &MainWindow::newFile);
    connect(openAction, &QAction::triggered, this, &MainWindow::openFile);
    connect(saveAction, &QAction::triggered, this, &MainWindow::save);
    connect(saveAsAction, &QAction::triggered, this, &MainWindow::saveAs);
    connect(previewAction, &QAction::triggered, this, &MainWindow::togglePreview);
    connect(exitAction, &QAction::triggered, this, &MainWindow::exit);
    for (int i = 1; i <= 5; ++i)
        connect(recentFileActions[i], &QAction::triggered, this, [this, i] { openRecentFile(i); });

    editMenu = menuBar()->addMenu(QStringLiteral("編集(&E)"));
    editMenu->setObjectName(QStringLiteral("editMenu"));
    undoAction = action(editMenu, "undoAction", QStringLiteral("元に戻す"), QKeySequence(Qt::CTRL | Qt::Key_Z));
    redoAction = action(editMenu, "redoAction", QStringLiteral("やり直し"), QKeySequence(Qt::CTRL | Qt::Key_R));
    connect(undoAction, &QAction::triggered, this, &MainWindow::undo);
    connect(redoAction, &QAction::triggered, this, &MainWindow::redo);
    cutAction = action(editMenu, "cutAction", QStringLiteral("切り取り(&T)"), QKeySequence(Qt::CTRL | Qt::Key_X));
    copyAction = action(editMenu, "copyAction", QStringLiteral("ｺﾋﾟｰ(&C)"), QKeySequence(Qt::CTRL | Qt::Key_C));
    pasteAction = action(editMenu, "pasteAction", QStringLiteral("貼り付け(&P)"), QKeySequence(Qt::CTRL | Qt::Key_V));
    insertSeparatorAction = action(editMenu, "insertSeparatorAction", QStringLiteral("漢字セパレータ挿入"), QKeySequence(Qt::CTRL | Qt::Key_Y));
    deleteAction = action(editMenu, "deleteAction", QStringLiteral("削除(&L)"), QKeySequence(Qt::Key_Delete));
    deleteGroupAction = action(editMenu, "deleteGroupAction", QStringLiteral("拡張削除(&D)"), QKeySequence(Qt::CTRL | Qt::Key_D));
    editSeparator = separator(editMenu, "editSeparator");
    selectAllAction = action(editMenu, "selectAllAction", QStringLiteral("すべての範囲を選択(&A)"), QKeySequence(Qt::CTRL | Qt::Key_A));
    connect(cutAction, &QAction::triggered, this, &MainWindow::cut);
    connect(copyAction, &QAction::triggered, this, &MainWindow::copy);
    connect(pasteAction, &QAction::triggered, this, &MainWindow::paste);
    connect(insertSeparatorAction, &QAction::triggered, this, &MainWindow::insertSeparator);
    connect(deleteAction, &QAction::triggered, this, &MainWindow::deleteForward);
    connect(deleteGroupAction, &QAction::triggered, this, &MainWindow::deleteGroup);
    connect(selectAllAction, &QAction::triggered, this, &MainWindow::selectAll);
    separator(editMenu, "readingsSeparator");
    addReadingsAction = action(editMenu, "addReadingsAction", QStringLiteral("読みを自動で付ける"), QKeySequence(Qt::CTRL | Qt::Key_K));
    nextReadingAction = action(editMenu, "nextReadingAction", QStringLiteral("次の読み候補"), QKeySequence(Qt::CTRL | Qt::Key_L));
    connect(addReadingsAction, &QAction::triggered, this, &MainWindow::addReadings);
    connect(nextReadingAction, &QAction::triggered, this, &MainWindow::nextReadingCandidate);

    searchMenu = menuBar()->addMenu(QStringLiteral("検索(&S)"));
    searchMenu->setObjectName(QStringLiteral("searchMenu"));
    findAction = action(searchMenu, "findAction", QStringLiteral("検索(&F)"), QKeySequence(Qt::CTRL | Qt::Key_F));
    findNextAction = action(searchMenu, "findNextAction", QStringLiteral("次を検索(&N)"), QKeySequence(Qt::Key_F3));
    connect(findAction, &QAction::triggered, this, &MainWindow::find);
    connect(findNextAction, &QAction::triggered, this, &MainWindow::findNext);
    replaceAction = action(searchMenu, "replaceAction", QStringLiteral("置換(&H)"), QKeySequence(Qt::CTRL | Qt::Key_H));
    connect(replaceAction, &QAction::triggered, this, &MainWindow::replace);
    goToLineAction = action(searchMenu, "goToLineAction", QStringLiteral("行へ移動(&G)"), QKeySequence(Qt::CTRL | Qt::Key_G));
    connect(goToLineAction, &QAction::triggered, this, &MainWindow::goToLine);

    optionsMenu = menuBar()->addMenu(QStringLiteral("ｵﾌﾟｼｮﾝ(&O)"));
    optionsMenu->setObjectName(QStringLiteral("optionsMenu"));
    toolStripAction = action(optionsMenu, "toolStripAction", QStringLiteral("ﾂｰﾙﾊﾞｰ表示(&T)"));
    toolStripAction->setCheckable(true);
    toolStripAction->setChecked(true);
    settingsAction = action(optionsMenu, "settingsAction", QStringLiteral("設定(&S)"));
    connect(optionsMenu, &QMenu::aboutToShow, this, &MainWindow::updateOptionsMenu);
    connect(toolStripAction, &QAction::triggered, this, &MainWindow::toggleToolStrip);

    helpMenu = menuBar()->addMenu(QStringLiteral("ヘルプ(&H)"));
    helpMenu->setObjectName(QStringLiteral("helpMenu"));
    helpAction = action(helpMenu, "helpAction", QStringLiteral("ヘルプの表示(&H)"), QKeySequence(Qt::Key_F1));
    aboutAction = action(helpMenu, "aboutAction", QStringLiteral("バージョン情報(&A)"));
    connect(settingsAction, &QAction::triggered, this, &MainWindow::showSettings);
    connect(helpAction, &QAction::triggered, this, &MainWindow::showHelp);
    connect(aboutAction, &QAction::triggered, this, &MainWindow::showAbout);

    createFaultCommands();
    createRubyPreview();

    // The menu's keys act before the edit area's own editing keys.
    QList<QKeySequence> keys;
    for (QAction *item : findChildren<QAction *>()) {
        if (!item->shortcut().isEmpty())
            keys.append(item->shortcut());
    }
    m_note->setWindowShortcuts(keys);
}

void MainWindow::startUp(const QString &argument)
{
    const QString startDir = QDir::currentPath();

    updateTitle();
    const QString settingsLost = loadSettings(m_session.settings, *m_registry, *m_placement);
    if (!settingsLost.isEmpty())
        m_modal.msgBox(settingsLost, MsgExclamation);
    QDir::setCurrent(QCoreApplication::applicationDirPath());
    showRecentFiles();
    m_session.find.gFindDirection = 1;
    topLine = 0;
    imageAbort = false;
    imageBusy = false;
    imageShown = false;
    applySettings();
    hotButton = -1;
    arrangeControls();
    refreshLineNumbers();
    gutterTimer->start();

    if (argument.isEmpty())
        return;
    // A relative name means the folder the editor was started from, not the
    // program's own folder that has just become the working directory.
    const QString path = QDir::cleanPath(QDir(startDir).absoluteFilePath(argument));
    // A name that leads nowhere is reported by the read and is not worth
    // offering again in the recent list.
    const DocumentRead::Status status = loadFile(path);
    if (status == DocumentRead::Ok || status == DocumentRead::NotText)
        rememberFile(path);
}

void MainWindow::applySettings()
{
    const SettingsRecord &rec = m_session.settings;
    const QFont font = storedFont(rec.gZeqFontName, rec.gZeqFontSize);
    textEdit->setFont(font);
    QPalette notePalette = textEdit->palette();
    notePalette.setColor(QPalette::Text, colorFromRef(rec.gFontColor));
    notePalette.setColor(QPalette::Base, colorFromRef(rec.gTextBackColor));
    textEdit->setPalette(notePalette);

    QPalette imagePalette = preview->palette();
    imagePalette.setColor(QPalette::Base, colorFromRef(rec.gRchBackColor));
    preview->setPalette(imagePalette);
    QFont imageFont = preview->font();
    imageFont.setPointSize(font.pointSize());
    preview->setFont(imageFont);

    QFont gutterFont = lineNumbers->font();
    gutterFont.setPointSize(font.pointSize());
    lineNumbers->setFont(gutterFont);
    recheckFaults();
}

void MainWindow::arrangeControls()
{
    const double clientWidth = client->width() * kTwipsPerPixel;
    const double clientHeight = client->height() * kTwipsPerPixel;
    if (!layoutApplies(clientWidth))
        return;

    const ClientLayout layout = arrangeLayout(clientWidth, clientHeight, !toolStrip->isHidden(),
                                              toolStrip->height() * kTwipsPerPixel,
                                              statusPanels->height() > 0 ? kStatusBarHeight : 0);
    auto place = [](QWidget *widget, const TwipsRect &r) {
        // A window too small for the design leaves controls with no room;
        // they shrink to nothing instead of taking negative sizes.
        widget->setGeometry(twipsToPixels(r.left), twipsToPixels(r.top),
                            qMax(0, twipsToPixels(r.width)), qMax(0, twipsToPixels(r.height)));
    };
    place(textEdit, layout.note);
    place(lineNumbers, layout.gutter);
    statusPanels->setGeometry(0, client->height() - twipsToPixels(kStatusBarHeight), client->width(),
                            twipsToPixels(kStatusBarHeight));
    preview->setGeometry(textEdit->geometry());
    rubyPreview->setGeometry(textEdit->geometry());
    preview->setFont([&] {
        QFont font = preview->font();
        font.setFamily(textEdit->font().family());
        font.setPointSize(textEdit->font().pointSize());
        return font;
    }());
    // Gutter rows share the edit area's row height so the numbers stay level
    // with the lines they count.
    lineNumbers->document()->setDocumentMargin(textEdit->document()->documentMargin());
    // The preview keeps the width its widest line was given.
    applyImageRightEdge(preview, previewRightEdge);
    update();
}

void MainWindow::refreshLineNumbers()
{
    QWidget *front = imageShown ? static_cast<QWidget *>(preview) : static_cast<QWidget *>(textEdit);
    if (imageShown)
        topLine = rubyPreviewShown() ? rubyPreview->firstVisibleLine() : imageFirstVisibleLine(preview, topLine);
    else
        topLine = m_note->firstVisibleLine();
    // The ruby preview's rows are taller than the gutter's: its numbers are
    // placed beside its lines instead of filling the gutter's rows.
    const bool ruby = rubyPreviewShown();
    const int count = ruby ? 0 : visibleRowCount(front->height() * kTwipsPerPixel, front->font().pointSizeF());
    // Rebuilt every tick: only touch the gutter when its numbers change.
    const QString text = toLfText(gutterText(topLine, count));
    if (lineNumbers->toPlainText() != text)
        lineNumbers->setPlainText(text);
    placeRubyPreviewNumbers();
    markGutterFaults();
}

void MainWindow::refreshLineCount()
{
    statusPanels->setPanelText(1, QStringLiteral("全行数：") + QString::number(m_note->lineCount()));
    refreshLineNumbers();
}

void MainWindow::onContentsChanged()
{
    imageDirty = true;
    refreshLineCount();
}

void MainWindow::updateTitle()
{
    setWindowTitle((m_document->isModified() ? kModifiedPrefix : kCleanPrefix) + m_titleName);
}

QString MainWindow::documentPath() const
{
    return m_document->path();
}

void MainWindow::undo()
{
    m_document->undo();
}

void MainWindow::redo()
{
    m_document->redo();
}

void MainWindow::escapePressed(int &keyAscii)
{
    if (keyAscii != 27)
        return;
    imageAbort = true;
    keyAscii = 0;
    if (!imageBusy)
        exit();
}

void MainWindow::exit()
{
    close();
}

void MainWindow::queryClose(bool &cancel)
{
    imageAbort = true;
    if (m_document->isModified())
        cancel = confirmSave();
}

void MainWindow::shutDown()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    gutterTimer->stop();
    showRecentFiles();
    saveSettings(m_session.settings, *m_registry, *m_placement);
    saveLearntReadings();
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window != this && window->isVisible())
            window->close();
    }
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // A rendering runs the event loop once per line: the window must outlive
    // it. It is asked to stop, and the window closes once it has unwound.
    if (imageBusy) {
        imageAbort = true;
        imageClosePending = true;
        event->ignore();
        return;
    }
    bool cancel = false;
    queryClose(cancel);
    if (cancel) {
        event->ignore();
        return;
    }
    shutDown();
    // Saved, or the user chose not to: nothing is left to recover.
    if (m_recovery)
        m_recovery->remove();
    event->accept();
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (handleFaultEvent(watched, event))
        return true;
    // The edit area's own events, as its handlers expect them.
    if (watched == textEdit || watched == textEdit->viewport()) {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            // Every drag is answered with the copy effect; what a drop
            // carries is the drop handler's business.
            auto *drag = static_cast<QDragMoveEvent *>(event);
            drag->setDropAction(Qt::CopyAction);
            drag->accept();
            return true;
        }
        case QEvent::Drop: {
            auto *drop = static_cast<QDropEvent *>(event);
            QStringList files;
            for (const QUrl &url : drop->mimeData()->urls()) {
                if (url.isLocalFile())
                    files.append(url.toLocalFile());
            }
            drop->setDropAction(Qt::CopyAction);
            drop->accept();
            // Dragged text and other drops without files are left alone.
            if (!files.isEmpty())
                dropFiles(files);
            return true;
        }
        case QEvent::KeyRelease:
            editKeyReleased();
            break;
        case QEvent::KeyPress:
            if (watched == textEdit && filterTypedKey(static_cast<QKeyEvent *>(event)))
                return true;
            break;
        case QEvent::InputMethod:
            if (watched == textEdit && captureInputMethod(static_cast<QInputMethodEvent *>(event)))
                return true;
            break;
        case QEvent::FocusAboutToChange:
        case QEvent::FocusOut:
            if (watched == textEdit)
                inputMethodFocusLeaving();
            break;
        case QEvent::MouseMove:
            editMouseMoved();
            break;
        default:
            break;
        }
    }

    // The window previews keys before the focused control sees them.
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()
        && static_cast<QWidget *>(watched)->window() == this) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier) {
            int keyAscii = 27;
            escapePressed(keyAscii);
            if (keyAscii == 0)
                return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::updateOptionsMenu()
{
    toolStripAction->setChecked(!toolStrip->isHidden());
}

void MainWindow::toggleToolStrip()
{
    toolStrip->setVisible(toolStrip->isHidden());
    toolStripAction->setChecked(!toolStrip->isHidden());
    arrangeControls();
}

} // namespace zeq
