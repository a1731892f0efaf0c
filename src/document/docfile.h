#pragma once
// Documents on disk: CP932 text, read and written whole.

#include <QString>

namespace zeq {

// Files larger than this are not opened.
inline constexpr qint64 MAX_FILE_BYTES = 32700;

struct DocumentRead {
    enum Status { Ok, CannotOpen, NotText };
    Status status = Ok;
    QString text;
};

// Reads and decodes a whole document. A file holding a NUL byte or a byte
// sequence that CP932 does not define is not a text file.
DocumentRead readDocumentFile(const QString &path);

// Size of the file in bytes, or -1 when it does not exist.
qint64 documentFileSize(const QString &path);

} // namespace zeq
