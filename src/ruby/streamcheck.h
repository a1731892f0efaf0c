#pragma once
// The line checker for files of any size: the file is read and decoded in
// pieces and each line is judged as its end arrives, so memory stays the
// same whatever the file holds. Judges exactly as checkLine does; only what
// --check needs is worked out (no resolved text).

#include "ruby/linecheck.h"
#include "ruby/rubytext.h"

#include <QString>

#include <functional>

namespace zeq {

// Judges decoded text fed in pieces of any size. Lines end as in
// splitDocumentLines: CR LF or a lone LF; a lone CR is part of its line.
class LineFaultScanner {
public:
    // line is 1-based.
    using Sink = std::function<void(qint64 line, LineFault fault)>;

    // separators must be uniform (nothing else can be judged).
    LineFaultScanner(const SeparatorTriple &separators, Sink sink);

    void feed(const char16_t *units, qsizetype count);
    // The last line, when the text does not end with a line end.
    void finish();

    qint64 malformedLines() const { return m_malformed; }

private:
    void endLine();

    Sink m_sink;
    // The separator as one UTF-16 unit; -1 when it is longer (a character
    // beyond the BMP, which CP932 text cannot hold, or several characters).
    int m_separator = -1;
    int m_state = kPlainText;
    bool m_misplacedKanji = false;
    // The separator is CR itself and a CR was met: whether it ends the line
    // (before LF) or counts depends on the next unit.
    bool m_pendingCr = false;
    bool m_lineOpen = false;
    qint64 m_line = 0;
    qint64 m_malformed = 0;
};

struct StreamedCheck {
    enum Status { Ok, CannotOpen, NotText };
    Status status = Ok;
    qint64 malformedLines = 0;
};

// Reads the CP932 file at path piece by piece and reports each malformed
// line to sink as it is found (with a uniform triple; otherwise the file is
// only read through). Like readDocumentFile, a NUL byte, a byte sequence
// that CP932 does not define or a read error make it NotText; reports made
// before that was found have then already gone to sink.
StreamedCheck checkFileStreaming(const QString &path, const SeparatorTriple &separators,
                                 const LineFaultScanner::Sink &sink);

} // namespace zeq
