#include "document/docfile.h"

#include "platform/codepage.h"

#include <QFile>
#include <QFileInfo>

namespace zeq {

DocumentRead readDocumentFile(const QString &path)
{
    DocumentRead result;
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        result.status = DocumentRead::CannotOpen;
        return result;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError || bytes.contains('\0')) {
        result.status = DocumentRead::NotText;
        return result;
    }
    Cp932Decoded decoded = decodeCp932(bytes);
    if (!decoded.ok) {
        result.status = DocumentRead::NotText;
        return result;
    }
    result.text = std::move(decoded.text);
    return result;
}

qint64 documentFileSize(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() ? info.size() : -1;
}

} // namespace zeq
