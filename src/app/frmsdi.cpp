#include "app/frmsdi.h"

#include "app/layout.h"
#include "app/statuspanels.h"
#include "app/title.h"
#include "app/toolbar.h"
#include "document/docfile.h"
#include "document/recent.h"
#include "editing/undo.h"
#include "platform/fonts.h"
#include "platform/modal.h"
#include "platform/textbox.h"
#include "platform/textpos.h"
#include "ruby/imagerender.h"
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

int twipsToPixels(double twips)
{
    return int(std::lround(twips / kTwipsPerPixel));
}

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

frmSDI::frmSDI(Program &program, ModalSeam &modal, RegStore &store, QWidget *parent)
    : QMainWindow(parent), m_program(program), m_modal(modal), m_store(store),
      m_registry(std::make_unique<Registry>(store, modal)),
      m_placement(std::make_unique<FramePlacement>(this))
{
    setObjectName(QStringLiteral("frmSDI"));
    createControls();
    createMenus();
    // Design client area: 609 x 408 pixels below the menu bar.
    resize(609, 408 + menuBar()->sizeHint().height());
    qApp->installEventFilter(this);
}

frmSDI::~frmSDI()
{
    qApp->removeEventFilter(this);
}

void frmSDI::createControls()
{
    client = new ClientArea(this, [this] {
        arrangeControls();
        refreshLineNumbers();
    });
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);

    txtNote2 = new QTextEdit(client);
    txtNote2->setObjectName(QStringLiteral("txtNote2"));
    txtNote2->setReadOnly(true);
    txtNote2->setLineWrapMode(QTextEdit::NoWrap);
    txtNote2->setUndoRedoEnabled(false);
    txtNote2->hide();

    txtNote = new QPlainTextEdit(client);
    txtNote->setObjectName(QStringLiteral("txtNote"));
    txtNote->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtNote->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtNote->setFont(storedFont(kDefaultFontName, 12));
    m_note = new TextBox(txtNote, this);
    // Mouse moves without a button reach the tool bar's hover handling.
    txtNote->viewport()->setMouseTracking(true);
    connect(m_note, &TextBox::Change, this, &frmSDI::txtNote_Change);

    Text1 = new QPlainTextEdit(client);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setFocusPolicy(Qt::NoFocus);
    Text1->setReadOnly(true);
    Text1->setUndoRedoEnabled(false);
    Text1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Text1->setFrameShape(QFrame::NoFrame);
    Text1->setFont(storedFont(QStringLiteral("ＭＳ ゴシック"), 12));
    {
        QPalette palette = Text1->palette();
        palette.setColor(QPalette::Text, QColor(0, 0, 255));
        palette.setColor(QPalette::Base, palette.color(QPalette::Button));
        Text1->setPalette(palette);
    }
    Text1->setPlainText(QStringLiteral("1\n"));

    picToolbar = new ToolbarStrip(client);
    picToolbar->setObjectName(QStringLiteral("picToolbar"));
    picToolbar->move(0, 0);
    createToolbar();

    StatusBar1 = new StatusPanels(client);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));

    ProgressBar1 = new QProgressBar(client);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setTextVisible(false);
    ProgressBar1->hide();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(150);
    connect(Timer1, &QTimer::timeout, this, &frmSDI::refreshLineNumbers);

    txtNote->setFocus();
}

void frmSDI::createMenus()
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

    mnuFile = menuBar()->addMenu(QStringLiteral("ﾌｧｲﾙ(&F)"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    mnuFileNew = action(mnuFile, "mnuFileNew", QStringLiteral("新規作成(&N)"));
    mnuFileOpen = action(mnuFile, "mnuFileOpen", QStringLiteral("開く(&O)"));
    mnuFileSave = action(mnuFile, "mnuFileSave", QStringLiteral("保存(&S)"));
    mnuFileSaveAs = action(mnuFile, "mnuFileSaveAs", QStringLiteral("名前を付けて保存(&A)"));
    mnuFSep1 = separator(mnuFile, "mnuFSep1");
    mnuZeqShow = action(mnuFile, "mnuZeqShow", QStringLiteral("表示イメージ"), QKeySequence(Qt::CTRL | Qt::Key_T));
    mnuFileExit = action(mnuFile, "mnuFileExit", QStringLiteral("終了(&X)"));
    mnuRecentFile[0] = separator(mnuFile, "mnuRecentFile0");
    mnuRecentFile[0]->setVisible(false);
    for (int i = 1; i <= 5; ++i) {
        mnuRecentFile[i] = action(mnuFile, QStringLiteral("mnuRecentFile%1").arg(i).toLatin1().constData(), QString());
        setRecentCaption(i, QStringLiteral("RecentFile%1").arg(i));
        mnuRecentFile[i]->setVisible(false);
    }
    connect(mnuFileNew, &QAction::triggered, this, &frmSDI::mnuFileNew_Click);
    connect(mnuFileOpen, &QAction::triggered, this, &frmSDI::mnuFileOpen_Click);
    connect(mnuFileSave, &QAction::triggered, this, &frmSDI::mnuFileSave_Click);
    connect(mnuFileSaveAs, &QAction::triggered, this, &frmSDI::mnuFileSaveAs_Click);
    connect(mnuZeqShow, &QAction::triggered, this, &frmSDI::mnuZeqShow_Click);
    connect(mnuFileExit, &QAction::triggered, this, &frmSDI::mnuFileExit_Click);
    for (int i = 1; i <= 5; ++i)
        connect(mnuRecentFile[i], &QAction::triggered, this, [this, i] { mnuRecentFile_Click(i); });

    mnuEdit = menuBar()->addMenu(QStringLiteral("編集(&E)"));
    mnuEdit->setObjectName(QStringLiteral("mnuEdit"));
    mnuUndo = action(mnuEdit, "mnuUndo", QStringLiteral("元に戻す"), QKeySequence(Qt::CTRL | Qt::Key_Z));
    mnuRedo = action(mnuEdit, "mnuRedo", QStringLiteral("やり直し"), QKeySequence(Qt::CTRL | Qt::Key_R));
    connect(mnuUndo, &QAction::triggered, this, &frmSDI::mnuUndo_Click);
    connect(mnuRedo, &QAction::triggered, this, &frmSDI::mnuRedo_Click);
    mnuEditCut = action(mnuEdit, "mnuEditCut", QStringLiteral("切り取り(&T)"), QKeySequence(Qt::CTRL | Qt::Key_X));
    mnuEditCopy = action(mnuEdit, "mnuEditCopy", QStringLiteral("ｺﾋﾟｰ(&C)"), QKeySequence(Qt::CTRL | Qt::Key_C));
    mnuEditPaste = action(mnuEdit, "mnuEditPaste", QStringLiteral("貼り付け(&P)"), QKeySequence(Qt::CTRL | Qt::Key_V));
    mnuInsertSPA = action(mnuEdit, "mnuInsertSPA", QStringLiteral("漢字セパレータ挿入"), QKeySequence(Qt::CTRL | Qt::Key_Y));
    mnuEditDelete = action(mnuEdit, "mnuEditDelete", QStringLiteral("削除(&L)"), QKeySequence(Qt::Key_Delete));
    mnuEditDeleteEx = action(mnuEdit, "mnuEditDeleteEx", QStringLiteral("拡張削除(&D)"), QKeySequence(Qt::CTRL | Qt::Key_D));
    mnuEditSep1 = separator(mnuEdit, "mnuEditSep1");
    mnuEditSelectAll = action(mnuEdit, "mnuEditSelectAll", QStringLiteral("すべての範囲を選択(&A)"));
    connect(mnuEditCut, &QAction::triggered, this, &frmSDI::mnuEditCut_Click);
    connect(mnuEditCopy, &QAction::triggered, this, &frmSDI::mnuEditCopy_Click);
    connect(mnuEditPaste, &QAction::triggered, this, &frmSDI::mnuEditPaste_Click);
    connect(mnuInsertSPA, &QAction::triggered, this, &frmSDI::mnuInsertSPA_Click);
    connect(mnuEditDelete, &QAction::triggered, this, &frmSDI::mnuEditDelete_Click);
    connect(mnuEditDeleteEx, &QAction::triggered, this, &frmSDI::mnuEditDeleteEx_Click);
    connect(mnuEditSelectAll, &QAction::triggered, this, &frmSDI::mnuEditSelectAll_Click);

    mnuSearch = menuBar()->addMenu(QStringLiteral("検索(&S)"));
    mnuSearch->setObjectName(QStringLiteral("mnuSearch"));
    mnuSearchFind = action(mnuSearch, "mnuSearchFind", QStringLiteral("検索(&F)"));
    mnuSearchFindNext = action(mnuSearch, "mnuSearchFindNext", QStringLiteral("次を検索(&N)"), QKeySequence(Qt::Key_F3));
    connect(mnuSearchFind, &QAction::triggered, this, &frmSDI::mnuSearchFind_Click);
    connect(mnuSearchFindNext, &QAction::triggered, this, &frmSDI::mnuSearchFindNext_Click);

    mnuOptions = menuBar()->addMenu(QStringLiteral("ｵﾌﾟｼｮﾝ(&O)"));
    mnuOptions->setObjectName(QStringLiteral("mnuOptions"));
    mnuOptionsToolbar = action(mnuOptions, "mnuOptionsToolbar", QStringLiteral("ﾂｰﾙﾊﾞｰ表示(&T)"));
    mnuOptionsToolbar->setCheckable(true);
    mnuOptionsToolbar->setChecked(true);
    mnuSettei = action(mnuOptions, "mnuSettei", QStringLiteral("設定(&S)"));
    connect(mnuOptions, &QMenu::aboutToShow, this, &frmSDI::mnuOptions_Click);
    connect(mnuOptionsToolbar, &QAction::triggered, this, &frmSDI::mnuOptionsToolbar_Click);

    mnuHelp = menuBar()->addMenu(QStringLiteral("ヘルプ(&H)"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    mnuShowHelp = action(mnuHelp, "mnuShowHelp", QStringLiteral("ヘルプの表示(&H)"));
    mnuShowVersion = action(mnuHelp, "mnuShowVersion", QStringLiteral("バージョン情報(&A)"));
    connect(mnuSettei, &QAction::triggered, this, &frmSDI::mnuSettei_Click);
    connect(mnuShowHelp, &QAction::triggered, this, &frmSDI::mnuShowHelp_Click);
    connect(mnuShowVersion, &QAction::triggered, this, &frmSDI::mnuShowVersion_Click);

    // The menu's keys act before the edit area's own editing keys.
    QList<QKeySequence> keys;
    for (QAction *item : findChildren<QAction *>()) {
        if (!item->shortcut().isEmpty())
            keys.append(item->shortcut());
    }
    m_note->setWindowShortcuts(keys);
}

void frmSDI::Form_Load(const QString &argument)
{
    const QString startDir = QDir::currentPath();

    setWindowTitle(kCleanPrefix + kUntitled);
    const QString settingsLost = loadSettings(m_program.settings, *m_registry, *m_placement);
    if (!settingsLost.isEmpty())
        m_modal.msgBox(settingsLost, MsgExclamation);
    QDir::setCurrent(QCoreApplication::applicationDirPath());
    m_program.gModified = false;
    showRecentFiles();
    m_program.find.gFindDirection = 1;
    topLine = 0;
    mInUndo = false;
    m_program.gImeInsertFailed = false;
    m_program.gSkipChange = false;
    imageAbort = false;
    imageBusy = false;
    imageShown = false;
    m_program.undo.clear();
    applySettings();
    hotButton = -1;
    arrangeControls();
    refreshLineNumbers();
    Timer1->start();

    if (argument.isEmpty())
        return;
    // A relative name means the folder the editor was started from, not the
    // program's own folder that has just become the working directory.
    const QString path = QDir::cleanPath(QDir(startDir).absoluteFilePath(argument));
    if (documentFileSize(path) > MAX_FILE_BYTES) {
        m_modal.msgBox(QStringLiteral("ファイルが大きすぎるため、開くことができません。"), MsgExclamation);
        return;
    }
    prepareLoad();
    const bool exists = QFileInfo(path).isFile();
    readDocument(path);
    // A name that leads nowhere is reported by the read and is not worth
    // offering again in the recent list.
    if (exists)
        rememberFile(path);
    refreshLineNumbers();
    refreshLineCount();
}

void frmSDI::applySettings()
{
    const SettingsRecord &rec = m_program.settings;
    const QFont font = storedFont(rec.gZeqFontName, rec.gZeqFontSize);
    txtNote->setFont(font);
    QPalette notePalette = txtNote->palette();
    notePalette.setColor(QPalette::Text, colorFromRef(rec.gFontColor));
    notePalette.setColor(QPalette::Base, colorFromRef(rec.gTextBackColor));
    txtNote->setPalette(notePalette);

    QPalette imagePalette = txtNote2->palette();
    imagePalette.setColor(QPalette::Base, colorFromRef(rec.gRchBackColor));
    txtNote2->setPalette(imagePalette);
    QFont imageFont = txtNote2->font();
    imageFont.setPointSize(font.pointSize());
    txtNote2->setFont(imageFont);

    QFont gutterFont = Text1->font();
    gutterFont.setPointSize(font.pointSize());
    Text1->setFont(gutterFont);
}

void frmSDI::arrangeControls()
{
    const double clientWidth = client->width() * kTwipsPerPixel;
    const double clientHeight = client->height() * kTwipsPerPixel;
    if (!layoutApplies(clientWidth))
        return;

    const ClientLayout layout = arrangeLayout(clientWidth, clientHeight, !picToolbar->isHidden(),
                                              picToolbar->height() * kTwipsPerPixel,
                                              StatusBar1->height() > 0 ? kStatusBarHeight : 0);
    auto place = [](QWidget *widget, const TwipsRect &r) {
        // A window too small for the design leaves controls with no room;
        // they shrink to nothing instead of taking negative sizes.
        widget->setGeometry(twipsToPixels(r.left), twipsToPixels(r.top),
                            qMax(0, twipsToPixels(r.width)), qMax(0, twipsToPixels(r.height)));
    };
    place(txtNote, layout.note);
    place(Text1, layout.gutter);
    StatusBar1->setGeometry(0, client->height() - twipsToPixels(kStatusBarHeight), client->width(),
                            twipsToPixels(kStatusBarHeight));
    txtNote2->setGeometry(txtNote->geometry());
    txtNote2->setFont([&] {
        QFont font = txtNote2->font();
        font.setFamily(txtNote->font().family());
        font.setPointSize(txtNote->font().pointSize());
        return font;
    }());
    // Gutter rows share the edit area's row height so the numbers stay level
    // with the lines they count.
    Text1->document()->setDocumentMargin(txtNote->document()->documentMargin());
    // The preview keeps the width its widest line was given.
    applyImageRightEdge(txtNote2, m_program.gEditRect.right);
    update();
}

void frmSDI::refreshLineNumbers()
{
    QWidget *front = imageShown ? static_cast<QWidget *>(txtNote2) : static_cast<QWidget *>(txtNote);
    if (imageShown)
        topLine = imageFirstVisibleLine(txtNote2);
    else
        topLine = m_note->firstVisibleLine();
    const int count = visibleRowCount(front->height() * kTwipsPerPixel, front->font().pointSizeF());
    // Rebuilt every tick: only touch the gutter when its numbers change.
    const QString text = toLfText(gutterText(topLine, count));
    if (Text1->toPlainText() != text)
        Text1->setPlainText(text);
}

void frmSDI::refreshLineCount()
{
    m_program.gLineCount = m_note->lineCount();
    StatusBar1->setPanelText(1, QStringLiteral("全行数：") + QString::number(m_program.gLineCount));
    refreshLineNumbers();
}

void frmSDI::txtNote_Change()
{
    if (zeq::txtNote_Change(m_program, *m_note, mInUndo) != ChangeKind::Recorded)
        return;
    setWindowTitle(modifiedTitle(windowTitle()));
    refreshLineCount();
}

void frmSDI::mnuUndo_Click()
{
    zeq::mnuUndo_Click(m_program, *m_note, mInUndo);
    // The undo button goes dark once nothing is left to undo.
    syncToolbar();
}

void frmSDI::mnuRedo_Click()
{
    zeq::mnuRedo_Click(m_program, *m_note, mInUndo);
    // The redo button goes dark once nothing is left to redo.
    syncToolbar();
}

void frmSDI::Form_KeyPress(int &keyAscii)
{
    if (keyAscii != 27)
        return;
    imageAbort = true;
    keyAscii = 0;
    if (!imageBusy)
        mnuFileExit_Click();
}

void frmSDI::mnuFileExit_Click()
{
    close();
}

void frmSDI::Form_QueryUnload(bool &cancel)
{
    imageAbort = true;
    if (m_program.gModified)
        cancel = confirmSave();
}

void frmSDI::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    Timer1->stop();
    showRecentFiles();
    saveSettings(m_program.settings, *m_registry, *m_placement);
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window != this && window->isVisible())
            window->close();
    }
}

void frmSDI::closeEvent(QCloseEvent *event)
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
    Form_QueryUnload(cancel);
    if (cancel) {
        event->ignore();
        return;
    }
    Form_Unload();
    event->accept();
}

bool frmSDI::eventFilter(QObject *watched, QEvent *event)
{
    // The edit area's own events, as its handlers expect them.
    if (watched == txtNote || watched == txtNote->viewport()) {
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
                txtNote_OLEDragDrop(files);
            return true;
        }
        case QEvent::KeyRelease:
            txtNote_KeyUp();
            break;
        case QEvent::KeyPress:
            if (watched == txtNote && txtNote_KeyPress(static_cast<QKeyEvent *>(event)))
                return true;
            break;
        case QEvent::InputMethod:
            if (watched == txtNote && txtNote_InputMethod(static_cast<QInputMethodEvent *>(event)))
                return true;
            break;
        case QEvent::MouseMove:
            txtNote_MouseMove();
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
            Form_KeyPress(keyAscii);
            if (keyAscii == 0)
                return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmSDI::mnuOptions_Click()
{
    mnuOptionsToolbar->setChecked(!picToolbar->isHidden());
}

void frmSDI::mnuOptionsToolbar_Click()
{
    picToolbar->setVisible(picToolbar->isHidden());
    mnuOptionsToolbar->setChecked(!picToolbar->isHidden());
    arrangeControls();
}

} // namespace zeq
