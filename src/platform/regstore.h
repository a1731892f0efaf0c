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
// Every change rewrites the file atomically (a new file renamed over the old
// one, mode 0600). A file that cannot be parsed is renamed aside with a
// timestamp and the store starts empty, never overwriting what the user had.

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

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

    // Where an unreadable file was moved aside during the last load; empty
    // when nothing was moved.
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

    void ensureLoaded() const;
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
    mutable Tree m_tree;
};

} // namespace zeq
