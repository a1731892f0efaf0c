#pragma once
// A per-user stand-in for the Windows registry: a hierarchy of keys with
// typed values, kept in one UTF-8 text file in the .reg export format
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_CURRENT_USER\Software\ZeqSoft\ZeqEditor\Env]
//   "EditorTop"=dword:000003e8
//   "ZeqFontName"="ＭＳ 明朝"
//
// The calls mirror the registry functions the settings code was written
// against: each returns 0 on success or a Windows error code, opening never
// creates a key, and creation reports whether the key is new. Value data is
// kept raw (REG_SZ as CP932 bytes with their NUL, REG_DWORD as 4 little-endian
// bytes) so that reads behave as the registry's do.
//
// Texts the editor writes for itself (setText) are kept exactly as given;
// only texts written as bytes, like the companion program's, pass through
// CP932.
//
// Several editors may share the file: every change locks the file's folder,
// re-reads the file, applies that one change and rewrites it atomically (a
// new file renamed over the old one, mode 0600), so a value another process
// wrote meanwhile is kept. Reads use what was read at first use or at the
// last change.
//
// A file of which some lines cannot be read keeps every value that can be;
// a copy of the file as it was is kept beside it with a timestamp before it
// is ever rewritten. A file that cannot be read at all is moved aside whole.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace zeq {

inline constexpr quint32 HKEY_CURRENT_USER = 0x80000001u;

// Windows error codes the store reports.
inline constexpr long kErrorSuccess = 0;
inline constexpr long kErrorFileNotFound = 2;   // no such key or value
inline constexpr long kErrorAccessDenied = 5;   // the store cannot be written
inline constexpr long kErrorInvalidParameter = 87;
inline constexpr long kErrorMoreData = 234;     // value larger than the buffer
inline constexpr long kErrorBadPathName = 161;

inline constexpr quint32 REG_SZ = 1;
inline constexpr quint32 REG_DWORD = 4;

inline constexpr quint32 REG_CREATED_NEW_KEY = 1;
inline constexpr quint32 REG_OPENED_EXISTING_KEY = 2;

struct RegValue {
    quint32 type = REG_SZ;
    QByteArray data;
};

class RegStore {
public:
    // The store lives in filePath; nothing is read or created until first use.
    explicit RegStore(QString filePath);

    // $XDG_CONFIG_HOME/ZeqSoft/registry.reg, with ~/.config when unset.
    static QString defaultPath();

    QString filePath() const;

    // Creates every missing key along path. disposition receives
    // REG_CREATED_NEW_KEY or REG_OPENED_EXISTING_KEY.
    long createKey(quint32 root, const QString &path, quint32 *disposition);
    // Succeeds only for an existing key; never creates one.
    long openKey(quint32 root, const QString &path) const;
    // Copies the value's raw data when it fits in maxBytes; kErrorMoreData
    // when it does not, kErrorFileNotFound for a missing key or value.
    long queryValue(quint32 root, const QString &path, const QString &name,
                    qsizetype maxBytes, RegValue *out) const;
    // Replaces the value whatever its type; the key must exist.
    long setValue(quint32 root, const QString &path, const QString &name, const RegValue &value);

    // A text value exactly as it was written with setText, whatever
    // characters it holds; a value stored as bytes is read as CP932 up to
    // its first NUL. No size limit.
    long queryText(quint32 root, const QString &path, const QString &name, QString *out) const;
    // Stores a REG_SZ that queryText gives back unchanged (queryValue gives
    // its CP932 bytes, as for any text).
    long setText(quint32 root, const QString &path, const QString &name, const QString &text);

    // What the first read of the file could not use: the whole file (then
    // nothing was read), or these lines of it, numbered from 1.
    struct LoadDamage {
        bool wholeFile = false;
        QList<int> lines;
    };
    LoadDamage loadDamage() const;

    // Where the file as it was before an unreadable part was found is kept
    // (moved there when nothing of it could be read, copied otherwise);
    // empty when nothing was set aside.
    QString quarantinedPath() const;

private:
    // One stored value. Texts read from the file are kept as the file has
    // them and converted to CP932 only when queried, so a hand-written
    // character that CP932 lacks is not lost when the file is rewritten.
    struct Entry {
        quint32 type = REG_SZ;
        bool textForm = false;  // REG_SZ held as text rather than raw bytes
        QString text;
        QByteArray raw;
    };
    struct Key {
        QStringList valueOrder;  // file order, new values appended
        QHash<QString, Entry> values;
    };
    // Keys by full path ("HKEY_CURRENT_USER\Software\..."), in file order.
    struct Tree {
        QHash<QString, Key> keys;
        QStringList keyOrder;
    };

    struct ReadOutcome {
        Tree tree;
        QString wholeFileProblem;  // why nothing could be read
        QList<int> badLines;       // lines skipped, from 1
        QByteArray bytes;          // the file as read, when lines were skipped
    };
    static ReadOutcome readFile(const QString &path);

    void ensureLoaded() const;
    QString asideName() const;
    bool keepCopyAside(const QString &why, const QList<int> &lines, const QByteArray &bytes) const;
    const Entry *findEntry(quint32 root, const QString &path, const QString &name, long &error) const;
    long store(quint32 root, const QString &path, const QString &name, const Entry &entry);
    // Under the lock: reads the file afresh, lets change edit that tree and
    // writes it back when change says so. Memory follows the file.
    long update(const std::function<long(Tree &tree, bool &changed)> &change);
    // Writes tree to the file; the caller adopts it only when this succeeds.
    long persist(const Tree &tree);

    static QByteArray rawData(const Entry &entry);
    static Entry entryFor(const RegValue &value);

    QString m_path;
    mutable bool m_loaded = false;
    // Set when an unreadable file could not be moved aside: the store then
    // refuses every write rather than replace a file it never understood.
    mutable bool m_readOnly = false;
    mutable QString m_quarantined;
    mutable LoadDamage m_damage;
    mutable QByteArray m_asideBytes;
    mutable Tree m_tree;
};

} // namespace zeq
