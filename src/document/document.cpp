#include "document/document.h"

#include <QFileInfo>

namespace zeq {

namespace {
// Raises a flag for the length of a scope, so an early return cannot leave
// it set.
class FlagScope {
public:
    explicit FlagScope(bool &flag) : m_flag(flag) { m_flag = true; }
    ~FlagScope() { m_flag = false; }
    FlagScope(const FlagScope &) = delete;
    FlagScope &operator=(const FlagScope &) = delete;

private:
    bool &m_flag;
};
} // namespace

Document::Document(EditControl &text, QObject *parent)
    : QObject(parent), m_text(text)
{
    connect(&m_text, &EditControl::changed, this, &Document::onTextChanged);
}

void Document::onTextChanged(const TextChange &change)
{
    if (!m_replaying) {
        // The clean state sat among the entries this edit makes unreachable.
        if (m_cleanIndex > m_history.index())
            m_cleanIndex = -1;
        m_history.push(change);
    }
    emit contentsChanged();
    if (!m_replaying)
        announceState();
}

void Document::undo()
{
    if (!m_history.canUndo())
        return;
    const TextChange change = m_history.undo();
    {
        FlagScope replaying(m_replaying);
        m_text.setSelStart(change.position);
        m_text.setSelLength(int(change.inserted.size()));
        m_text.setSelText(change.removed);
        m_text.setSelStart(change.selectionStart);
        m_text.setSelLength(change.selectionLength);
    }
    announceState();
}

void Document::redo()
{
    if (!m_history.canRedo())
        return;
    const TextChange change = m_history.redo();
    {
        FlagScope replaying(m_replaying);
        m_text.setSelStart(change.position);
        m_text.setSelLength(int(change.removed.size()));
        m_text.setSelText(change.inserted);
    }
    announceState();
}

void Document::load(const QString &text, const QString &path)
{
    {
        FlagScope replaying(m_replaying);
        m_text.setText(text);
    }
    m_history.clear();
    markClean(path);
    rememberDiskState();
}

DocumentRead Document::openFile(const QString &path, const std::function<bool(const DocumentRead &)> &convert)
{
    DocumentRead read = openDocumentFile(path);
    if (read.status == DocumentRead::Ok && !read.otherEncoding.isEmpty() && convert && !convert(read)) {
        read.status = DocumentRead::Declined;
        read.text.clear();
    }
    if (read.status == DocumentRead::Ok)
        load(read.text, path);
    return read;
}

void Document::rememberDiskState()
{
    const QFileInfo info(m_path);
    m_diskSize = info.exists() ? info.size() : -1;
    m_diskTime = info.exists() ? info.lastModified() : QDateTime();
}

bool Document::changedOnDisk() const
{
    if (m_path.isEmpty())
        return false;
    const QFileInfo info(m_path);
    if (!info.exists())
        return false;
    return info.size() != m_diskSize || info.lastModified() != m_diskTime;
}

DocumentWrite Document::saveFile(const QString &path)
{
    DocumentWrite written = writeDocumentFile(path, m_text.Text());
    if (written.status == DocumentWrite::Ok) {
        markClean(path);
        rememberDiskState();
    }
    return written;
}

void Document::markClean(const QString &path)
{
    m_cleanIndex = m_history.index();
    if (path != m_path) {
        m_path = path;
        emit pathChanged(m_path);
    }
    announceState();
}

void Document::announceState()
{
    if (isModified() != m_announcedModified) {
        m_announcedModified = isModified();
        emit modifiedChanged(m_announcedModified);
    }
    if (canUndo() != m_announcedUndo) {
        m_announcedUndo = canUndo();
        emit undoAvailable(m_announcedUndo);
    }
    if (canRedo() != m_announcedRedo) {
        m_announcedRedo = canRedo();
        emit redoAvailable(m_announcedRedo);
    }
}

} // namespace zeq
