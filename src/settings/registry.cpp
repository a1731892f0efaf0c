#include "settings/registry.h"

#include "platform/codepage.h"
#include "platform/modal.h"
#include "platform/regstore.h"

namespace zeq {

namespace {

const QString kCreateFailed = QStringLiteral("レジストリの作成に失敗しました。");
const QString kSetFailed = QStringLiteral("レジストリのセットに失敗しました。");

} // namespace

Registry::Registry(RegStore &store, ModalSeam &modal) : m_store(store), m_modal(modal) {}

int Registry::regCreateKey(quint32 root, const QString &path, qint32 &disposition)
{
    quint32 created = 0;
    const long result = m_store.createKey(root, path, &created);
    if (result == kErrorSuccess) {
        disposition = qint32(created);
        return 1;
    }
    m_modal.msgBox(QString::number(result) + QLatin1Char(' ') + path + kCreateFailed, MsgOkOnly);
    return 0;
}

int Registry::regGetLong(quint32 root, const QString &path, const QString &name, qint32 &number)
{
    RegValue value;
    if (m_store.queryValue(root, path, name, 4, &value) != kErrorSuccess)
        return 0;
    // Whatever the stored type, its bytes land in the low-order bytes of the
    // number and the rest keeps what it held, as a 4-byte query buffer would.
    quint32 bits = quint32(number);
    for (qsizetype i = 0; i < value.data.size(); ++i) {
        const int shift = int(i) * 8;
        bits = (bits & ~(0xFFu << shift)) | (quint32(quint8(value.data.at(i))) << shift);
    }
    number = qint32(bits);
    return 1;
}

int Registry::regGetString(quint32 root, const QString &path, const QString &name, QString &text)
{
    RegValue value;
    if (m_store.queryValue(root, path, name, kTextReadLimit, &value) != kErrorSuccess)
        return 0;
    const qsizetype end = value.data.indexOf('\0');
    text = decodeCp932(end < 0 ? value.data : value.data.first(end)).text;
    return 1;
}

int Registry::regSetLong(quint32 root, const QString &path, const QString &name, qint32 number)
{
    long result = m_store.openKey(root, path);
    if (result == kErrorSuccess) {
        RegValue value{REG_DWORD, QByteArray(4, '\0')};
        const quint32 bits = quint32(number);
        for (int i = 0; i < 4; ++i)
            value.data[i] = char((bits >> (8 * i)) & 0xFF);
        result = m_store.setValue(root, path, name, value);
    }
    if (result == kErrorSuccess)
        return 1;
    m_modal.msgBox(path + QLatin1Char('\\') + name + kSetFailed, MsgOkOnly);
    return 0;
}

int Registry::regSetString(quint32 root, const QString &path, const QString &name, const QString &text)
{
    long result = m_store.openKey(root, path);
    if (result == kErrorSuccess) {
        RegValue value{REG_SZ, encodeCp932(text).bytes};
        value.data.append('\0');
        result = m_store.setValue(root, path, name, value);
    }
    if (result == kErrorSuccess)
        return 1;
    m_modal.msgBox(path + QLatin1Char('\\') + name + kSetFailed, MsgOkOnly);
    return 0;
}

int Registry::regGetText(quint32 root, const QString &path, const QString &name, QString &text)
{
    return m_store.queryText(root, path, name, &text) == kErrorSuccess ? 1 : 0;
}

int Registry::regSetText(quint32 root, const QString &path, const QString &name, const QString &text)
{
    long result = m_store.openKey(root, path);
    if (result == kErrorSuccess)
        result = m_store.setText(root, path, name, text);
    if (result == kErrorSuccess)
        return 1;
    m_modal.msgBox(path + QLatin1Char('\\') + name + kSetFailed, MsgOkOnly);
    return 0;
}

qint32 Registry::getSettingLong(quint32 root, const QString &path, const QString &name, qint32 fallback)
{
    qint32 number = 0;
    return regGetLong(root, path, name, number) == 1 ? number : fallback;
}

QString Registry::getSettingString(quint32 root, const QString &path, const QString &name,
                                   const QString &fallback)
{
    QString text;
    return regGetString(root, path, name, text) == 1 ? text : fallback;
}

} // namespace zeq
