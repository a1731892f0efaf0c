#pragma once
// The editor's seven registry operations. Primitives answer 1 for success and
// 0 for failure; the two readers fall back to the caller's default. Creation
// and write failures are reported to the user through the modal seam; reads
// fail silently.

#include <QString>

namespace zeq {

class RegStore;
class ModalSeam;

class Registry {
public:
    Registry(RegStore &store, ModalSeam &modal);

    int regCreateKey(quint32 root, const QString &path, qint32 &disposition);
    int regGetLong(quint32 root, const QString &path, const QString &name, qint32 &number);
    int regGetString(quint32 root, const QString &path, const QString &name, QString &text);
    int regSetLong(quint32 root, const QString &path, const QString &name, qint32 number);
    int regSetString(quint32 root, const QString &path, const QString &name, const QString &text);

    // The editor's own texts, kept exactly: no CP932 round trip and no
    // size limit. Messages and results as for the string operations.
    int regGetText(quint32 root, const QString &path, const QString &name, QString &text);
    int regSetText(quint32 root, const QString &path, const QString &name, const QString &text);

    qint32 getSettingLong(quint32 root, const QString &path, const QString &name, qint32 fallback);
    QString getSettingString(quint32 root, const QString &path, const QString &name,
                             const QString &fallback);

    // Where the settings code reports what the registry failures mean.
    ModalSeam &modal() const { return m_modal; }
    RegStore &store() const { return m_store; }

    // Bytes of value data a text read accepts, terminator included.
    static constexpr qsizetype kTextReadLimit = 512;

private:
    RegStore &m_store;
    ModalSeam &m_modal;
};

} // namespace zeq
