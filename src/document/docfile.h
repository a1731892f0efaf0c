#pragma once
// Documents on disk: CP932 text, read and written whole.

#include "editing/commands.h"

#include <QString>

namespace zeq {

// The companion program reads at most this many bytes of a document. The
// editor opens and saves larger files, but says that the companion will not
// take them whole.
inline constexpr qint64 MAX_FILE_BYTES = 32700;

// The largest file the editor opens. A CP932 file never decodes to more
// characters than it has bytes, so a file of this size always fits in the
// edit area, whatever it holds.
inline constexpr qint64 kMaxOpenBytes = kMaxEditLength;

// What the size of a file means for opening it.
enum class OpenSize {
    Fits,            // the companion reads it whole
    OverCompanion,   // opens, with largeFileOpenWarning()
    TooLarge,        // refused before reading, with tooLargeToOpenMessage()
};
OpenSize classifyOpenSize(qint64 bytes);

// "ファイルが大きすぎるため、開くことができません。" with the file's size and the limit.
QString tooLargeToOpenMessage(qint64 bytes);
// Shown after opening a file the companion does not read whole.
QString largeFileOpenWarning(qint64 bytes);
// Shown after saving a file the companion does not read whole; the file was
// saved.
QString largeFileSaveWarning(const QString &path, qint64 bytes);

struct DocumentRead {
    // Declined: the user chose not to convert a file in another encoding;
    // nothing was loaded and there is nothing to report.
    enum Status { Ok, CannotOpen, TooLarge, NotText, Declined };
    Status status = Ok;
    QString text;
    // Ok: the encoding the file was written in, "" for CP932 ("UTF-8",
    // "UTF-8 (BOM 付き)", "UTF-16LE", "UTF-16BE"). The text is decoded
    // already; saving writes it as CP932.
    QString otherEncoding;
    // Size of the file in bytes; -1 when it could not be opened.
    qint64 size = -1;
    // NotText: where the first byte that is not text sits. The line is
    // 1-based; the column counts the characters of that line before the
    // byte, plus one.
    int line = 0;
    int column = 0;
};

// Reads and decodes a whole document, whatever its size. A file that
// starts with a UTF-8 or UTF-16 byte-order mark is decoded as such; one
// holding Japanese that is valid UTF-8 as UTF-8 (CP932 text almost never
// is); anything else as CP932. A file holding a NUL byte (outside UTF-16)
// or a byte sequence its encoding does not define is not a text file.
DocumentRead readDocumentFile(const QString &path);

// What the window loads: readDocumentFile() for a file of at most
// kMaxOpenBytes; a larger one is refused as TooLarge without being read.
DocumentRead openDocumentFile(const QString &path);

// The message for a read that did not succeed (status other than Ok):
//   CannotOpen  path + " ﾌｧｲﾙを開けません。"
//   TooLarge    tooLargeToOpenMessage()
//   NotText     "テキストファイルだけを指定して下さい。" and where the first
//               byte that is not text sits
QString readFailureMessage(const QString &path, const DocumentRead &read);

// The warning to show after a successful open, empty when there is none.
QString openWarning(const DocumentRead &read);

// The question before a file in another encoding is loaded (Yes converts).
QString convertEncodingQuestion(const QString &path, const DocumentRead &read);

// Size of the file in bytes, or -1 when it does not exist.
qint64 documentFileSize(const QString &path);

struct DocumentWrite {
    enum Status {
        Ok,
        // The text holds characters CP932 has no code for; nothing was
        // written, the file on disk is as it was.
        Unmappable,
        // The file system refused. The file on disk is as it was unless
        // damaged is set.
        Failed,
    };
    Status status = Ok;
    // Failed: the system's own description of what went wrong.
    QString error;
    // Failed: what the editor was doing when it went wrong, in the user's
    // words (creating the temporary file, writing, ...).
    QString step;
    // Failed: the file was being overwritten in place and part of the old
    // content may be lost.
    bool damaged = false;
    // Ok: the number of bytes the file now holds.
    qint64 bytes = 0;
    // Ok: the file was overwritten in place, because no temporary file could
    // be created beside it (a folder the user may not write).
    bool inPlace = false;
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
// size limit, a crash) leaves the previous content whole. Only when no
// temporary file can be created beside an existing file that the user may
// write is the file overwritten in place. Either way the file keeps its
// mode, and its owner and group where the system permits. Text that CP932
// cannot hold is refused before anything is touched: writing '?' instead
// would lose the user's characters without a word.
DocumentWrite writeDocumentFile(const QString &path, const QString &text);

// The message that tells the user which characters kept the document from
// being saved and where they are.
QString unmappableMessage(const DocumentWrite &result);

// The message for a write that did not succeed (status other than Ok): the
// characters for Unmappable, otherwise the file, that it was not saved, the
// step and the system's reason.
QString writeFailureMessage(const QString &path, const DocumentWrite &result);

// The warning to show after a successful save, empty when there is none.
QString saveWarning(const QString &path, const DocumentWrite &result);

} // namespace zeq
