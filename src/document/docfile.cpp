#include "document/docfile.h"

#include "platform/codepage.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <unistd.h>

#include <cerrno>

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

namespace {

// Length in UTF-16 units of the character at index: a surrogate pair is one
// character, and so is a surrogate standing alone.
qsizetype characterLength(const QString &text, qsizetype index)
{
    if (text.at(index).isHighSurrogate() && index + 1 < text.size() && text.at(index + 1).isLowSurrogate())
        return 2;
    return 1;
}

bool isLineEnd(QChar ch)
{
    return ch == u'\r' || ch == u'\n';
}

// Fills in where the character at index sits: its line and column, 1-based,
// with CR LF, a lone CR and a lone LF each ending a line.
void locate(const QString &text, qsizetype index, DocumentWrite &result)
{
    int line = 1;
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i < index; ++i) {
        const QChar ch = text.at(i);
        if (!isLineEnd(ch))
            continue;
        if (ch == u'\r' && i + 1 < index && text.at(i + 1) == u'\n')
            ++i;
        ++line;
        lineStart = i + 1;
    }
    int column = 1;
    for (qsizetype i = lineStart; i < index; i += characterLength(text, i))
        ++column;
    result.line = line;
    result.column = column;
}

// The characters without a code that follow one another from index on.
QString unmappableRun(const QString &text, qsizetype index)
{
    QString run;
    int count = 0;
    while (index < text.size() && count < kUnmappableShown) {
        const qsizetype length = characterLength(text, index);
        const QString character = text.mid(index, length);
        if (encodeCp932(character).ok)
            break;
        run += character;
        ++count;
        index += length;
    }
    return run;
}

} // namespace

DocumentWrite writeDocumentFile(const QString &path, const QString &text)
{
    DocumentWrite result;
    const Cp932Encoded encoded = encodeCp932(text);
    if (!encoded.ok) {
        result.status = DocumentWrite::Unmappable;
        result.characters = unmappableRun(text, encoded.firstUnmappable);
        locate(text, encoded.firstUnmappable, result);
        return result;
    }

    // The new content goes to a temporary file beside the document, which
    // then takes the document's place; until then the old file is untouched.
    // The bytes go through the descriptor rather than QSaveFile::write():
    // when the system writes only part of a buffer (a size limit, a nearly
    // full disk), QSaveFile's own flush loses the error and commit() goes on
    // to replace the document with the truncated copy.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        result.status = DocumentWrite::Failed;
        result.error = file.errorString();
        return result;
    }
    auto fail = [&result](int error) {
        result.status = DocumentWrite::Failed;
        result.error = qt_error_string(error);
        // Leaving without commit() removes the temporary file.
        return result;
    };
    const int fd = file.handle();
    const char *data = encoded.bytes.constData();
    qsizetype left = encoded.bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, size_t(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return fail(errno);
        }
        data += written;
        left -= written;
    }
    // Blocks a file system allocates late can still fail here (ENOSPC).
    if (::fsync(fd) != 0)
        return fail(errno);
    if (!file.commit()) {
        result.status = DocumentWrite::Failed;
        result.error = file.errorString();
    }
    return result;
}

QString unmappableMessage(const DocumentWrite &result)
{
    QStringList codes;
    for (qsizetype i = 0; i < result.characters.size(); i += characterLength(result.characters, i)) {
        const qsizetype length = characterLength(result.characters, i);
        const char32_t codePoint = length == 2
                ? QChar::surrogateToUcs4(result.characters.at(i), result.characters.at(i + 1))
                : result.characters.at(i).unicode();
        codes.append(QStringLiteral("U+%1").arg(quint32(codePoint), 4, 16, QLatin1Char('0')).toUpper());
    }
    const bool several = codes.size() > 1;
    // The code points name characters that cannot be seen (a zero-width
    // space) or look like others (a wave dash beside a full-width tilde).
    return QStringLiteral("%1 行目 %2 文字目%3「%4」(%5) は Shift-JIS で保存できない文字です。")
               .arg(QString::number(result.line), QString::number(result.column),
                    several ? QStringLiteral("からの") : QStringLiteral("の"), result.characters,
                    codes.join(u' '))
        + QStringLiteral("\r\n")
        + (several ? QStringLiteral("これらの文字") : QStringLiteral("この文字"))
        + QStringLiteral("を書き換えてから保存して下さい。ファイルは保存されていません。");
}

} // namespace zeq
