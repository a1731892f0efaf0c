#pragma once
// Unsaved text kept on disk while the editor runs, so that a crash (of the
// editor, the session or the machine) does not take it along. Each running
// editor owns one file in the folder, held by a lock; a file whose lock is
// free belongs to an editor that ended without cleaning up, and is offered
// at the next start.

#include <QDateTime>
#include <QList>
#include <QLockFile>
#include <QString>

#include <memory>

namespace zeq {

struct RecoveredText {
    QString file;       // the recovery file itself
    QString path;       // the document's path, "" for an untitled one
    QString text;
    QDateTime written;
};

class RecoveryStore {
public:
    // folder is created (mode 0700) on the first write.
    explicit RecoveryStore(const QString &folder);
    ~RecoveryStore();
    RecoveryStore(const RecoveryStore &) = delete;
    RecoveryStore &operator=(const RecoveryStore &) = delete;

    // $XDG_STATE_HOME/ZeqSoft/ZeqEditor/recovery (~/.local/state when unset).
    static QString defaultFolder();

    // Replaces this editor's recovery file in one step (mode 0600); false
    // when it could not be written.
    bool write(const QString &path, const QString &text);
    // Removes this editor's recovery file; after a clean save or close.
    void remove();
    // This editor's recovery file, "" before the first write.
    QString fileName() const { return m_file; }

    // The recovery files of editors that are no longer running, newest
    // first. Damaged files are skipped.
    QList<RecoveredText> orphans() const;
    // Takes an orphan away for good (restored or declined).
    static void discard(const RecoveredText &orphan);

private:
    QString m_folder;
    QString m_file;
    std::unique_ptr<QLockFile> m_lock;
};

} // namespace zeq
