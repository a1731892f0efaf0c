#include "document/recovery.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUuid>

#include <algorithm>

namespace zeq {

namespace {

const QByteArray kMagic = QByteArrayLiteral("zeq-recovery 1\n");
const QString kSuffix = QStringLiteral(".recovery");

QString lockName(const QString &file)
{
    return file + QStringLiteral(".lock");
}

} // namespace

RecoveryStore::RecoveryStore(const QString &folder) : m_folder(folder) {}

RecoveryStore::~RecoveryStore() = default;

QString RecoveryStore::defaultFolder()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || QDir::isRelativePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/ZeqSoft/ZeqEditor/recovery");
}

bool RecoveryStore::write(const QString &path, const QString &text)
{
    if (m_file.isEmpty()) {
        // Unsaved text is private: the folder is the user's alone.
        if (!QDir().mkpath(m_folder))
            return false;
        QFile::setPermissions(m_folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        const QString file = QDir(m_folder).filePath(QUuid::createUuid().toString(QUuid::WithoutBraces) + kSuffix);
        auto lock = std::make_unique<QLockFile>(lockName(file));
        lock->setStaleLockTime(0);
        if (!lock->tryLock(0))
            return false;
        m_file = file;
        m_lock = std::move(lock);
    }
    QSaveFile out(m_file);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    out.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    out.write(kMagic);
    out.write(path.toUtf8() + '\n');
    out.write(text.toUtf8());
    return out.commit();
}

void RecoveryStore::remove()
{
    if (m_file.isEmpty())
        return;
    QFile::remove(m_file);
    m_lock.reset();
    m_file.clear();
}

QList<RecoveredText> RecoveryStore::orphans() const
{
    QList<RecoveredText> found;
    const QDir dir(m_folder);
    const QStringList names = dir.entryList({QStringLiteral("*") + kSuffix}, QDir::Files);
    for (const QString &name : names) {
        const QString file = dir.filePath(name);
        if (file == m_file)
            continue;
        // A running editor holds its lock; the lock of one that died is
        // stale and can be taken.
        QLockFile lock(lockName(file));
        lock.setStaleLockTime(0);
        if (!lock.tryLock(0))
            continue;
        QFile in(file);
        if (!in.open(QIODevice::ReadOnly))
            continue;
        const QByteArray bytes = in.readAll();
        if (!bytes.startsWith(kMagic))
            continue;
        const qsizetype pathEnd = bytes.indexOf('\n', kMagic.size());
        if (pathEnd < 0)
            continue;
        RecoveredText orphan;
        orphan.file = file;
        orphan.path = QString::fromUtf8(bytes.mid(kMagic.size(), pathEnd - kMagic.size()));
        orphan.text = QString::fromUtf8(bytes.mid(pathEnd + 1));
        orphan.written = QFileInfo(file).lastModified();
        found.append(orphan);
    }
    std::sort(found.begin(), found.end(),
              [](const RecoveredText &a, const RecoveredText &b) { return a.written > b.written; });
    return found;
}

void RecoveryStore::discard(const RecoveredText &orphan)
{
    QFile::remove(orphan.file);
    QFile::remove(lockName(orphan.file));
}

} // namespace zeq
