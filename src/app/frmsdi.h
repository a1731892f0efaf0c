#pragma once
// The editor's one main window: edit area with its line-number gutter, the
// display-image view lying over it, tool bar strip, status bar and menus;
// start-up, layout and the close sequence.

#include "app/program.h"
#include "document/docfile.h"
#include "ime/capture.h"
#include "settings/settings.h"

#include <QMainWindow>
#include <QPointer>

#include <array>

class QAction;
class QInputMethodEvent;
class QKeyEvent;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QTextEdit;
class QTimer;

namespace zeq {

class Document;
class ModalSeam;
class RegStore;
class Registry;
class StatusPanels;
class TextBox;

class frmSDI : public QMainWindow {
    Q_OBJECT
public:
    frmSDI(Program &program, ModalSeam &modal, RegStore &store, QWidget *parent = nullptr);
    ~frmSDI() override;

    // Start-up: settings, placement, menus, the file named on the command line.
    void Form_Load(const QString &argument = QString());

    void arrangeControls();
    void refreshLineNumbers();
    void refreshLineCount();

    // Esc: asks a running rendering to stop, or closes the window.
    void Form_KeyPress(int &keyAscii);
    // The close request; sets cancel when the window must stay open.
    void Form_QueryUnload(bool &cancel);
    void Form_Unload();
    void mnuFileExit_Click();
    void mnuOptions_Click();
    void mnuOptionsToolbar_Click();

    // Every change of the text, whoever made it: line count, gutter and
    // the display image follow it.
    void onContentsChanged();
    // The title: clean or modified prefix and the document's name.
    void updateTitle();
    void mnuUndo_Click();
    void mnuRedo_Click();

    // --- documents and recent files (document/frmsdi_document.cpp) ---
    // Loads a file after the size and text checks, telling the user what
    // kept it from loading (the document is untouched then) or what to know
    // about what was loaded.
    DocumentRead::Status loadFile(const QString &path);
    // Writes the document to path; false when it was not written (the
    // user has been told why).
    bool writeDocument(const QString &path);
    // The save dialog with a proposed name; "" when cancelled.
    QString askSaveName(const QString &proposed);
    // The save-changes prompt; true means the caller must not go on.
    bool confirmSave();
    void newDocument();
    void openDocument();
    bool saveDocument();
    void mnuFileNew_Click();
    void mnuFileOpen_Click();
    void mnuFileSave_Click();
    void mnuFileSaveAs_Click();
    // Files dropped onto the edit area, in the order the drop listed them.
    void txtNote_OLEDragDrop(const QStringList &files);
    void showRecentFiles();
    bool isRecentFile(const QString &path) const;
    void rememberFile(const QString &path);
    void mnuRecentFile_Click(int index);
    // --- display image (ruby/frmsdi_image.cpp) ---
    void mnuZeqShow_Click();
    // Widens the control's formatting rectangle so a line of maxLen bytes fits.
    void justWidthEx(QTextEdit *control, int maxLen);
    // A line of the edit area without its line end, read in full.
    QString getLine(const TextBox &control, int index) const;
    // The tool bar's buttons as the display image leaves them, for the tool
    // bar to show: which of buttons 0..17 take clicks, and whether button 15
    // is lit (its overlay image shown) and framed (border style 1).
    struct ImageToolButtons {
        ImageToolButtons() { enabled.fill(true); }
        std::array<bool, 18> enabled{};
        bool button15Lit = false;
        int button15Border = 0;
    } imageToolButtons;
    // A close request came while a rendering ran; the window closes once the
    // rendering has unwound.
    bool imageClosePending = false;

    // --- editing commands (editing/frmsdi_edit.cpp) ---
    void mnuEditCut_Click();
    void mnuEditCopy_Click();
    void mnuEditPaste_Click();
    void mnuEditDelete_Click();
    void mnuEditDeleteEx_Click();
    void mnuInsertSPA_Click();
    void mnuEditSelectAll_Click();
    void txtNote_KeyUp();
    void txtNote_MouseMove();

    // --- find (search/frmsdi_search.cpp) ---
    void mnuSearchFind_Click();
    void mnuSearchFindNext_Click();
    // The find dialog while it is open; it deletes itself when it closes.
    QPointer<class frmFind> findDialog;

    // --- tool bar (app/frmsdi_toolbar.cpp, app/toolbar.h) ---
    // Builds the eighteen buttons on picToolbar; called once by the constructor.
    void createToolbar();
    void Image1_MouseMove(int index);
    void Image1_Click(int index);
    void releaseHotButton();
    // Brings the buttons in line with the history and the display image.
    void syncToolbar();
    // Mouse moves over the window's background and over the strip between
    // its buttons: both put out the lit button.
    void Form_MouseMove();
    void picToolbar_MouseMove();
    // The hot spots (tip, mouse, frame) and highlight pictures of the
    // eighteen buttons; children of picToolbar.
    std::array<class ToolHotSpot *, 18> Image1{};
    std::array<QWidget *, 18> imgButton{};

    // --- settings dialog (settings/frmsdi_settings.cpp) ---
    void mnuSettei_Click();
    // Applies the settings record to the edit area, gutter and preview.
    void applySettings();
    // The settings dialog while it is open; it deletes itself when it closes.
    QPointer<class frmOption> optionDialog;
    // The colour chooser opens at the colour last chosen in it, for the whole
    // run (black the first time); the settings never set it.
    qint32 chooserColor = 0;

    // --- about box and help (about/frmsdi_about.cpp) ---
    void mnuShowHelp_Click();
    void mnuShowVersion_Click();

    // --- input-method capture (ime/frmsdi_ime.cpp) ---
    // The key filter: typed characters outside 1..126 never reach the text.
    // Returns true when the key was swallowed.
    bool txtNote_KeyPress(QKeyEvent *event);
    // Follows the input method; a confirmed conversion is inserted with its
    // readings instead of as plain text. Returns true when it handled the event.
    bool txtNote_InputMethod(QInputMethodEvent *event);
    void setReadingConv(int mode);
    // Aligns a confirmed conversion and inserts it at the caret.
    void captureIme(const ConfirmedConversion &conversion);

    // The window's outer placement in twips, as the settings store it.
    WindowPlacement &placement() { return *m_placement; }

    Program &program() { return m_program; }
    TextBox &note() { return *m_note; }
    Document &document() { return *m_document; }
    // The real path of the document on disk ("" when untitled); the title
    // shows it in upper case after a load.
    QString documentPath() const;

    // Controls.
    QWidget *client = nullptr;
    QPlainTextEdit *txtNote = nullptr;
    QPlainTextEdit *Text1 = nullptr;
    QTextEdit *txtNote2 = nullptr;
    QWidget *picToolbar = nullptr;
    StatusPanels *StatusBar1 = nullptr;
    QProgressBar *ProgressBar1 = nullptr;
    QTimer *Timer1 = nullptr;

    // Menus.
    QMenu *mnuFile = nullptr;
    QAction *mnuFileNew = nullptr;
    QAction *mnuFileOpen = nullptr;
    QAction *mnuFileSave = nullptr;
    QAction *mnuFileSaveAs = nullptr;
    QAction *mnuFSep1 = nullptr;
    QAction *mnuZeqShow = nullptr;
    QAction *mnuFileExit = nullptr;
    std::array<QAction *, 6> mnuRecentFile{};
    QMenu *mnuEdit = nullptr;
    QAction *mnuUndo = nullptr;
    QAction *mnuRedo = nullptr;
    QAction *mnuEditCut = nullptr;
    QAction *mnuEditCopy = nullptr;
    QAction *mnuEditPaste = nullptr;
    QAction *mnuInsertSPA = nullptr;
    QAction *mnuEditDelete = nullptr;
    QAction *mnuEditDeleteEx = nullptr;
    QAction *mnuEditSep1 = nullptr;
    QAction *mnuEditSelectAll = nullptr;
    QMenu *mnuSearch = nullptr;
    QAction *mnuSearchFind = nullptr;
    QAction *mnuSearchFindNext = nullptr;
    QMenu *mnuOptions = nullptr;
    QAction *mnuOptionsToolbar = nullptr;
    QAction *mnuSettei = nullptr;
    QMenu *mnuHelp = nullptr;
    QAction *mnuShowHelp = nullptr;
    QAction *mnuShowVersion = nullptr;

    // Form-level state.
    int maxLineBytes = 0;
    int topLine = 0;
    int hotButton = -1;
    bool imageShown = false;
    bool imageMode = false;
    bool imageBusy = false;
    bool imageAbort = false;

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControls();
    void createMenus();
    QString recentCaption(int index) const;
    void setRecentCaption(int index, const QString &path);

    Program &m_program;
    ModalSeam &m_modal;
    RegStore &m_store;
    std::unique_ptr<Registry> m_registry;
    CompositionTracker m_ime;
    // Set while the capture hands the widget its own edited copy of an
    // input-method event, so that copy is not captured again.
    bool m_imeReentry = false;
    std::unique_ptr<WindowPlacement> m_placement;
    TextBox *m_note = nullptr;
    Document *m_document = nullptr;
    // The name the title shows: the path in upper case after a load, as
    // written after a save, 無題 for a new document.
    QString m_titleName;
    bool m_unloaded = false;
};

} // namespace zeq
