#pragma once
// The one document of the editor: its text (held by the edit area), its
// path, its edit history and the point where it was last loaded or saved.
// Whether it is modified follows from that point: undoing back to it makes
// the document clean again, redoing away from it modified again.
//
// The window listens to the signals and never keeps any of this itself.

#include "document/docfile.h"
#include "editing/undostack.h"

#include <QDateTime>
#include <QObject>
#include <QString>

#include <functional>

namespace zeq {

class Document : public QObject {
    Q_OBJECT
public:
    explicit Document(EditControl &text, QObject *parent = nullptr);

    EditControl &text() const { return m_text; }

    // "" for a document that has never been loaded from or saved to a file.
    QString path() const { return m_path; }
    bool isUntitled() const { return m_path.isEmpty(); }
    bool isModified() const { return m_history.index() != m_cleanIndex; }

    bool canUndo() const { return m_history.canUndo(); }
    bool canRedo() const { return m_history.canRedo(); }
    // Both give back the text exactly, with the caret and selection the
    // change left or replaced; each does nothing when there is nothing to do.
    void undo();
    void redo();
    const UndoStack &history() const { return m_history; }

    // Replaces the whole text without recording it: a fresh history, and
    // the new text is the clean state. New is load of an empty text.
    void load(const QString &text, const QString &path);
    void newDocument() { load(QString(), QString()); }

    // Reads a file and, when it holds text and fits the edit area, loads
    // it; a read that failed leaves text, history, path and modified state
    // exactly as they were.
    // A file in another encoding (UTF-8, UTF-16) is loaded only when
    // convert, asked with what was read, agrees; otherwise the status is
    // Declined and nothing changes. Without convert it is loaded.
    DocumentRead openFile(const QString &path,
                          const std::function<bool(const DocumentRead &)> &convert = {});
    // Writes the text to path; when that worked, path becomes the
    // document's path and the current text its clean state.
    DocumentWrite saveFile(const QString &path);

    // True when the file at path() is no longer the one last loaded or
    // saved: another program wrote it (its size or time changed). False
    // for an untitled document and for a file that has gone.
    bool changedOnDisk() const;

signals:
    // After every change of the text, recorded or not (edits, undo, redo,
    // loads).
    void contentsChanged();
    void modifiedChanged(bool modified);
    void pathChanged(const QString &path);
    void undoAvailable(bool available);
    void redoAvailable(bool available);

private:
    void onTextChanged(const TextChange &change);
    void markClean(const QString &path);
    void announceState();

    void rememberDiskState();

    EditControl &m_text;
    QString m_path;
    // The file as it was when last loaded or saved.
    qint64 m_diskSize = -1;
    QDateTime m_diskTime;
    UndoStack m_history;
    // History index of the clean state; -1 once that state can no longer
    // be reached (an edit after undoing past it dropped it).
    qsizetype m_cleanIndex = 0;
    // Set while undo, redo or a load changes the text: those changes are
    // not edits of their own.
    bool m_replaying = false;

    bool m_announcedModified = false;
    bool m_announcedUndo = false;
    bool m_announcedRedo = false;
};

} // namespace zeq
