#pragma once
// The editor's one main window: edit area with its line-number gutter, the
// display-image view lying over it, tool bar strip, status bar and menus;
// start-up, layout and the close sequence.

#include "app/gutter.h"
#include "app/session.h"
#include "document/docfile.h"
#include "ime/capture.h"
#include "ruby/linefaults.h"
#include "settings/settings.h"

#include <QMainWindow>
#include <QPointer>

#include <array>
#include <functional>
#include <memory>

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
class RecoveryStore;
class RegStore;
class ReadingAnalyser;
class Registry;
class StatusPanels;
class TextBox;
class UserDictionary;
struct TextChange;
enum class RubyNotation;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    MainWindow(Session &session, ModalSeam &modal, RegStore &store, QWidget *parent = nullptr);
    ~MainWindow() override;

    // Start-up: settings, placement, menus, the file named on the command line.
    void startUp(const QString &argument = QString());

    void arrangeControls();
    void refreshLineNumbers();
    void refreshLineCount();

    // Esc: asks a running rendering to stop, or closes the window.
    void escapePressed(int &keyAscii);
    // The close request; sets cancel when the window must stay open.
    void queryClose(bool &cancel);
    void shutDown();
    void exit();
    void updateOptionsMenu();
    void toggleToolStrip();

    // Every change of the text, whoever made it: line count, gutter and
    // the display image follow it.
    void onContentsChanged();
    // The title: clean or modified prefix and the document's name.
    void updateTitle();
    void undo();
    void redo();

    // --- malformed lines in the edit view (mainwindow_faults.cpp) ---
    // F8 / Shift+F8: the caret to the start of the next / previous malformed
    // line, going on past the end / start of the text.
    void goToNextFault();
    void goToPreviousFault();
    // Which lines are malformed, in step with the text.
    const LineFaults &lineFaults() const { return m_faults; }

    // --- documents and recent files (mainwindow_document.cpp) ---
    // Loads a file after the size and text checks, telling the user what
    // kept it from loading (the document is untouched then) or what to know
    // about what was loaded.
    DocumentRead::Status loadFile(const QString &path);
    // Writes the document to path; false when it was not written (the
    // user has been told why).
    bool writeDocument(const QString &path);
    // Before a write: lists the characters CP932 cannot hold and offers to
    // replace those that have a standard equivalent, as one undoable change.
    // False when some are left (the first one is selected).
    bool resolveUnmappable();
    // Keeps unsaved text in store a few seconds after every change, and
    // removes it once the document is clean or the window has closed.
    // Without a store (the default) nothing is written.
    void enableRecovery(RecoveryStore *store);
    // Offers the newest text an editor left behind when it ended without
    // saving; Yes puts it into this window as one undoable change over the
    // file it belonged to. Either way it is not offered again.
    void offerRecovery();
    void writeRecovery();
    QTimer *recoveryTimer = nullptr;
    // The save dialog with a proposed name; "" when cancelled.
    QString askSaveName(const QString &proposed);
    // The save-changes prompt; true means the caller must not go on.
    bool confirmSave();
    void newDocument();
    void openDocument();
    bool saveDocument();
    void newFile();
    void openFile();
    void save();
    void saveAs();
    // Files dropped onto the edit area, in the order the drop listed them.
    void dropFiles(const QStringList &files);
    void showRecentFiles();
    void rememberFile(const QString &path);
    void openRecentFile(int index);
    // --- other notations (mainwindow_convert.cpp) ---
    // A file in another notation becomes a new untitled document of ruby
    // text, as one undoable change; what could not be converted is listed.
    void importFile(RubyNotation from);
    // Writes the document in another notation, as UTF-8, to a file the user
    // names; what does not read back the same is listed.
    void exportFile(RubyNotation to);
    // --- display image (mainwindow_preview.cpp) ---
    void togglePreview();
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

    // --- ruby preview (mainwindow_rubypreview.cpp) ---
    // The display image's second mode: readings set above their kanji, as a
    // printed book shows them. The mode is kept in the settings record.
    void createRubyPreview();
    // Chooses the mode; with the display image in front, it is shown again
    // in the mode chosen, at the same line.
    void setRubyPreviewMode(bool on);
    // Shows the document in the ruby preview in the display image's place
    // when that mode is chosen; false (nothing done) when it is not.
    bool showRubyPreview();
    void hideRubyPreview();
    bool rubyPreviewShown() const;
    // Places the numbers of the ruby preview's lines in view beside them in
    // the gutter, faulty ones in the checker's colour; takes them away when
    // the preview is not in front.
    void placeRubyPreviewNumbers();
    class RubyPreview *rubyPreview = nullptr;
    QAction *rubyPreviewAction = nullptr;

    // --- editing commands (mainwindow_edit.cpp) ---
    void cut();
    void copy();
    void paste();
    void deleteForward();
    void deleteGroup();
    void insertSeparator();
    void selectAll();
    void editKeyReleased();
    void editMouseMoved();
    // The caret's line and column (characters, as messages count them) in
    // the status bar.
    void showCaretPosition();

    // --- automatic readings (mainwindow_readings.cpp) ---
    // Gives every kanji run of the selection (the whole document when
    // nothing is selected) outside a group its reading, as one change.
    void addReadings();
    // Replaces the reading of the group at the caret with the analyser's
    // next alternative, and remembers it as the user's choice.
    void nextReadingCandidate();
    // The readings the user chose, loaded on first use and written at
    // shutdown.
    UserDictionary &learntReadings();
    // The analyser the two commands use (the program's shared one unless a
    // test hands in another).
    void setReadingAnalyser(ReadingAnalyser *analyser) { m_analyser = analyser; }
    // Readings corrected by hand are learnt when the caret leaves their
    // line: the line as it was before its first edit against the line now.
    void trackHandEdit(const TextChange &change);
    void learnHandCorrections();
    // Learns what is pending and writes the learnt readings (at shutdown).
    void saveLearntReadings();

    // --- find (mainwindow_find.cpp) ---
    void find();
    void findNext();
    // Asks a line number and puts the caret at the start of that line.
    void goToLine();
    // Opens the replace dialog (modeless, one per window, kept when closed)
    // with the selection as its search string when that is on one line.
    void replace();
    // The find dialog while it is open; it deletes itself when it closes.
    QPointer<class FindDialog> findDialog;
    QPointer<class ReplaceDialog> replaceDialog;

    // --- tool bar (mainwindow_toolbar.cpp, toolbar.h) ---
    // Builds the eighteen buttons on toolStrip; called once by the constructor.
    void createToolbar();
    void hoverToolButton(int index);
    void clickToolButton(int index);
    void releaseHotButton();
    // Brings the buttons in line with the history and the display image.
    void syncToolbar();
    // Mouse moves over the window's background and over the strip between
    // its buttons: both put out the lit button.
    void windowMouseMoved();
    void stripMouseMoved();
    // The hot spots (tip, mouse, frame) and highlight pictures of the
    // eighteen buttons; children of toolStrip.
    std::array<class ToolHotSpot *, 18> toolButtons{};
    std::array<QWidget *, 18> toolHighlights{};

    // --- settings dialog (mainwindow_settings.cpp) ---
    void showSettings();
    // The settings dialog over this window's record and controls, not shown.
    class SettingsDialog *createSettingsDialog();
    // Applies the settings record to the edit area, gutter and preview.
    void applySettings();
    // The settings dialog while it is open; it deletes itself when it closes.
    QPointer<class SettingsDialog> optionDialog;
    // The colour chooser opens at the colour last chosen in it, for the whole
    // run (black the first time); the settings never set it.
    qint32 chooserColor = 0;

    // --- about box and help (mainwindow_about.cpp) ---
    void showHelp();
    void showAbout();

    // --- input-method capture (mainwindow_ime.cpp) ---
    // The key filter: typed characters outside 1..126 never reach the text.
    // Returns true when the key was swallowed.
    bool filterTypedKey(QKeyEvent *event);
    // Follows the input method; a confirmed conversion is inserted with its
    // readings instead of as plain text. Returns true when it handled the event.
    bool captureInputMethod(QInputMethodEvent *event);
    // Aligns a confirmed conversion and inserts it at the caret.
    void captureIme(const ConfirmedConversion &conversion);
    // A prediction's reading found again, the held selection back, then
    // captureIme.
    void insertConversion(ConfirmedConversion conversion);
    // Sends the edit area its own copy of an input-method event.
    void forwardInputMethodEvent(const QInputMethodEvent &event, const QString &commit);
    void insertWhenFocusStays(const ConfirmedConversion &conversion);
    void insertPendingConversion();
    void holdSelectionForComposition();
    void restoreHeldSelection();
    // The edit area is losing the focus: a commit just before is ibus
    // giving back a cancelled composition, not a confirmation.
    void inputMethodFocusLeaving();

    // The window's outer placement in twips, as the settings store it.
    WindowPlacement &placement() { return *m_placement; }

    Session &session() { return m_session; }
    TextBox &note() { return *m_note; }
    Document &document() { return *m_document; }
    // The real path of the document on disk ("" when untitled); the title
    // shows it in upper case after a load.
    QString documentPath() const;

    // Controls.
    QWidget *client = nullptr;
    QPlainTextEdit *textEdit = nullptr;
    LineNumberGutter *lineNumbers = nullptr;
    QTextEdit *preview = nullptr;
    QWidget *toolStrip = nullptr;
    StatusPanels *statusPanels = nullptr;
    QProgressBar *progressBar = nullptr;
    QTimer *gutterTimer = nullptr;

    // Menus.
    QMenu *fileMenu = nullptr;
    QAction *newAction = nullptr;
    QAction *openAction = nullptr;
    QAction *saveAction = nullptr;
    QAction *saveAsAction = nullptr;
    QAction *fileSeparator = nullptr;
    QMenu *importMenu = nullptr;
    QAction *importAozoraAction = nullptr;
    QAction *importHtmlAction = nullptr;
    QAction *importBracketsAction = nullptr;
    QMenu *exportMenu = nullptr;
    QAction *exportHtmlAction = nullptr;
    QAction *exportAozoraAction = nullptr;
    QAction *exportBracketsAction = nullptr;
    QAction *previewAction = nullptr;
    QAction *exitAction = nullptr;
    std::array<QAction *, 6> recentFileActions{};
    QMenu *editMenu = nullptr;
    QAction *undoAction = nullptr;
    QAction *redoAction = nullptr;
    QAction *cutAction = nullptr;
    QAction *copyAction = nullptr;
    QAction *pasteAction = nullptr;
    QAction *insertSeparatorAction = nullptr;
    QAction *deleteAction = nullptr;
    QAction *deleteGroupAction = nullptr;
    QAction *editSeparator = nullptr;
    QAction *selectAllAction = nullptr;
    QAction *addReadingsAction = nullptr;
    QAction *nextReadingAction = nullptr;
    QMenu *searchMenu = nullptr;
    QAction *findAction = nullptr;
    QAction *findNextAction = nullptr;
    QAction *nextFaultAction = nullptr;
    QAction *previousFaultAction = nullptr;
    QAction *goToLineAction = nullptr;
    QAction *replaceAction = nullptr;
    QMenu *optionsMenu = nullptr;
    QAction *toolStripAction = nullptr;
    QAction *settingsAction = nullptr;
    QMenu *helpMenu = nullptr;
    QAction *helpAction = nullptr;
    QAction *aboutAction = nullptr;

    // Form-level state.
    // The display image must be rebuilt before it is shown again.
    bool imageDirty = false;
    // The display image's right edge in pixels, shared with the settings
    // dialog's sample.
    int previewRightEdge = 0;
    int maxLineBytes = 0;
    int topLine = 0;
    int hotButton = -1;
    bool imageShown = false;
    bool imageMode = false;
    bool imageBusy = false;
    bool imageAbort = false;
    // How often, in milliseconds, a long rendering lets input through and
    // shows its progress, and the clock it goes by (empty: the system's).
    int imageProgressInterval = 50;
    std::function<qint64()> imageClock;

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createFaultCommands();
    // Checks every line again, for new separators.
    void recheckFaults();
    void followFaults(const TextChange &change);
    // The gutter's numbers of malformed lines in the message colour.
    void markGutterFaults();
    // Puts the caret at the start of a line (0-based, clamped) and shows it.
    void moveCaretToLine(int line);
    // The gutter's tool tips and the display image's double-click.
    bool handleFaultEvent(QObject *watched, QEvent *event);
    LineFaults m_faults;

    void createControls();
    void createMenus();
    void setRecentCaption(int index, const QString &path);

    Session &m_session;
    ModalSeam &m_modal;
    RegStore &m_store;
    std::unique_ptr<Registry> m_registry;
    CompositionTracker m_ime;
    // Set while the capture hands the widget its own edited copy of an
    // input-method event, so that copy is not captured again.
    bool m_imeForwarding = false;
    // Set while a conversion is aligned and inserted: a message may be open.
    bool m_imeReentry = false;
    bool m_imeInterrupted = false;
    // A commit that followed a cleared preedit, inserted once the event
    // queue shows the focus stayed.
    std::optional<ConfirmedConversion> m_pendingConversion;
    // The selection a composition replaces (start, length).
    std::optional<std::pair<int, int>> m_heldSelection;
    std::unique_ptr<WindowPlacement> m_placement;
    TextBox *m_note = nullptr;
    Document *m_document = nullptr;
    // The name the title shows: the path in upper case after a load, as
    // written after a save, 無題 for a new document.
    QString m_titleName;
    bool m_unloaded = false;
    void learnEditedLine();

    ReadingAnalyser *m_analyser = nullptr;
    std::unique_ptr<UserDictionary> m_learnt;
    // The line being edited by hand (-1: none) and its text before.
    int m_editedLine = -1;
    QString m_editedLineBefore;
    RecoveryStore *m_recovery = nullptr;
};

} // namespace zeq
