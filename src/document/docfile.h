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

struct DocumentWrite {
    enum Status {
        Ok,
        // The text holds characters CP932 has no code for; nothing was
        // written, the file on disk is as it was.
        Unmappable,
        // The file system refused; the file on disk is as it was.
        Failed,
    };
    Status status = Ok;
    // Failed: the system's own description of what went wrong.
    QString error;
    // Unmappable: the first run of characters without a code (at most
    // kUnmappableShown of them) and where it starts, 1-based; a column counts
    // characters, so a surrogate pair is one column.
    QString characters;
    int line = 0;
    int column = 0;
};

// How many characters of a run without codes a refusal names.
inline constexpr int kUnmappableShown = 8;

// Writes the text as CP932, exactly as given: nothing is added at the end.
// The file is replaced in one step, so a failure part way (a full disk, a
// size limit, a crash) leaves the previous content whole. Text that CP932
// cannot hold is refused before anything is touched: writing '?' instead
// would lose the user's characters without a word.
DocumentWrite writeDocumentFile(const QString &path, const QString &text);

// The message that tells the user which characters kept the document from
// being saved and where they are.
QString unmappableMessage(const DocumentWrite &result);

} // namespace zeq
