#include "document/docfile.h"

#include "platform/codepage.h"
#include "platform/fileio.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStringConverter>
#include <QStringDecoder>
#include <QStringList>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace zeq {

namespace {

// 32700 -> "32,700": sizes are read more easily in groups.
QString grouped(qint64 number)
{
    QString digits = QString::number(number);
    for (qsizetype i = digits.size() - 3; i > 0 && digits.at(i - 1).isDigit(); i -= 3)
        digits.insert(i, u',');
    return digits;
}

const QString kNewLine = QStringLiteral("\r\n");

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

struct Position {
    int line = 1;
    int column = 1;
};

// Where the character at index sits: its line and column, 1-based, with
// CR LF, a lone CR and a lone LF each ending a line. index may be the end of
// the text.
Position locate(const QString &text, qsizetype index)
{
    Position position;
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i < index; ++i) {
        const QChar ch = text.at(i);
        if (!isLineEnd(ch))
            continue;
        if (ch == u'\r' && i + 1 < index && text.at(i + 1) == u'\n')
            ++i;
        ++position.line;
        lineStart = i + 1;
    }
    for (qsizetype i = lineStart; i < index; i += characterLength(text, i))
        ++position.column;
    return position;
}

// Decodes the bytes into result, or fills in where the first byte that is
// not text sits. A NUL byte counts: CP932 maps it, but no text file holds
// one.
// Decodes UTF-8 or UTF-16 strictly: false at the first malformed sequence.
bool decodeUnicode(QStringConverter::Encoding encoding, QByteArrayView bytes, QString &text)
{
    QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
    text = decoder.decode(bytes);
    // UTF-16 surrogates standing alone come through unflagged.
    return !decoder.hasError() && !text.contains(QChar(0)) && QStringView(text).isValidUtf16();
}

bool hasNonAscii(const QByteArray &bytes)
{
    for (const char byte : bytes) {
        if (uchar(byte) >= 0x80)
            return true;
    }
    return false;
}

// Files written by other tools: a byte-order mark says what they are; valid
// UTF-8 beyond ASCII is UTF-8, since CP932 Japanese is never valid UTF-8 in
// practice (its lead bytes are UTF-8 continuation bytes or need them).
// Returns false when the file is to be read as CP932.
bool decodeOtherEncoding(const QByteArray &bytes, DocumentRead &result)
{
    struct Mark {
        QByteArray bytes;
        QStringConverter::Encoding encoding;
        const char *name;
    };
    const Mark marks[] = {
        {QByteArray("\xEF\xBB\xBF"), QStringConverter::Utf8, "UTF-8 (BOM 付き)"},
        {QByteArray("\xFF\xFE"), QStringConverter::Utf16LE, "UTF-16LE"},
        {QByteArray("\xFE\xFF"), QStringConverter::Utf16BE, "UTF-16BE"},
    };
    for (const Mark &mark : marks) {
        if (!bytes.startsWith(mark.bytes))
            continue;
        if (!decodeUnicode(mark.encoding, QByteArrayView(bytes).sliced(mark.bytes.size()), result.text)) {
            result.status = DocumentRead::NotText;
            result.text.clear();
            return true;
        }
        result.otherEncoding = QString::fromUtf8(mark.name);
        return true;
    }
    if (hasNonAscii(bytes) && decodeUnicode(QStringConverter::Utf8, bytes, result.text)) {
        result.otherEncoding = QStringLiteral("UTF-8");
        return true;
    }
    result.text.clear();
    return false;
}

void decodeText(const QByteArray &bytes, DocumentRead &result)
{
    if (decodeOtherEncoding(bytes, result))
        return;
    const qsizetype nul = bytes.indexOf('\0');
    Cp932Decoded decoded = decodeCp932(bytes);
    if (decoded.ok && nul < 0) {
        result.text = std::move(decoded.text);
        return;
    }
    qsizetype bad = decoded.firstInvalidByte;
    if (nul >= 0 && (bad < 0 || nul < bad))
        bad = nul;
    // Everything before the first bad byte decodes cleanly, character for
    // character, so its text gives the position.
    const QString before = decodeCp932(bytes.left(bad)).text;
    const Position position = locate(before, before.size());
    result.status = DocumentRead::NotText;
    result.line = position.line;
    result.column = position.column;
}

DocumentRead readFile(const QString &path, qint64 limit)
{
    DocumentRead result;
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        result.status = DocumentRead::CannotOpen;
        return result;
    }
    result.size = file.size();
    if (limit >= 0 && result.size > limit) {
        result.status = DocumentRead::TooLarge;
        return result;
    }
    // A file that grows between the size check and the read is cut at one
    // byte past the limit, which is enough to know that it is too large.
    const QByteArray bytes = limit >= 0 ? file.read(limit + 1) : file.readAll();
    if (file.error() != QFileDevice::NoError) {
        result.status = DocumentRead::NotText;
        return result;
    }
    result.size = bytes.size();
    if (limit >= 0 && result.size > limit) {
        result.status = DocumentRead::TooLarge;
        return result;
    }
    decodeText(bytes, result);
    return result;
}

} // namespace

OpenSize classifyOpenSize(qint64 bytes)
{
    if (bytes > kMaxOpenBytes)
        return OpenSize::TooLarge;
    if (bytes > MAX_FILE_BYTES)
        return OpenSize::OverCompanion;
    return OpenSize::Fits;
}

QString tooLargeToOpenMessage(qint64 bytes)
{
    return QStringLiteral("ファイルが大きすぎるため、開くことができません。") + kNewLine
        + QStringLiteral("このファイルは %1 バイトあります。開けるのは %2 バイトまでです。")
              .arg(grouped(bytes), grouped(kMaxOpenBytes));
}

QString largeFileOpenWarning(qint64 bytes)
{
    return QStringLiteral("このファイルは %1 バイトあります。").arg(grouped(bytes)) + kNewLine
        + QStringLiteral("Zeq が読み込めるのは %1 バイトまでです。Zeq で使うには、%1 バイト以下に減らしてから保存して下さい。")
              .arg(grouped(MAX_FILE_BYTES));
}

QString largeFileSaveWarning(const QString &path, qint64 bytes)
{
    return QStringLiteral("ファイル [%1] を保存しました。大きさは %2 バイトです。").arg(path, grouped(bytes)) + kNewLine
        + QStringLiteral("Zeq が読み込めるのは %1 バイトまでです。Zeq で使うには、%1 バイト以下に減らして下さい。")
              .arg(grouped(MAX_FILE_BYTES));
}

DocumentRead readDocumentFile(const QString &path)
{
    return readFile(path, -1);
}

DocumentRead openDocumentFile(const QString &path)
{
    return readFile(path, kMaxOpenBytes);
}

QString readFailureMessage(const QString &path, const DocumentRead &read)
{
    switch (read.status) {
    case DocumentRead::CannotOpen:
        return path + QStringLiteral(" ﾌｧｲﾙを開けません。");
    case DocumentRead::TooLarge:
        return tooLargeToOpenMessage(read.size);
    case DocumentRead::NotText:
        break;
    case DocumentRead::Ok:
    case DocumentRead::Declined:
        return QString();
    }
    QString message = QStringLiteral("テキストファイルだけを指定して下さい。");
    // A read error (not the content) leaves no position to name.
    if (read.line > 0) {
        message += kNewLine
            + QStringLiteral("%1 行目 %2 文字目に、文字として読めないバイトがあります。")
                  .arg(QString::number(read.line), QString::number(read.column));
    }
    return message;
}

QString openWarning(const DocumentRead &read)
{
    if (read.status != DocumentRead::Ok || classifyOpenSize(read.size) != OpenSize::OverCompanion)
        return QString();
    return largeFileOpenWarning(read.size);
}

QString convertEncodingQuestion(const QString &path, const DocumentRead &read)
{
    return QStringLiteral("ファイル [%1] は %2 で書かれています。").arg(path, read.otherEncoding) + kNewLine
        + QStringLiteral("Shift-JIS (CP932) に変換して開きますか？") + kNewLine
        + QStringLiteral("保存すると Shift-JIS で書き込まれます。保存しなければファイルはそのままです。");
}

qint64 documentFileSize(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() ? info.size() : -1;
}

namespace {

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

// Closes a descriptor however the scope is left.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return m_fd; }
    // Closes now and reports the error: on some file systems (NFS) the
    // write's failure only shows here.
    bool close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

// Creates a file that did not exist, named base + a random suffix, and
// stores its name in name.
int createTemporary(const QByteArray &base, mode_t mode, QByteArray &name)
{
    for (int attempt = 0; attempt < 64; ++attempt) {
        name = base + '.' + QByteArray::number(QRandomGenerator::global()->generate64(), 36);
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

const QString kStepNotWritable = QStringLiteral("ファイルに書き込めません");
const QString kStepCreate = QStringLiteral("フォルダにファイルを作成できませんでした");
const QString kStepWrite = QStringLiteral("書き込みに失敗しました");
const QString kStepFlush = QStringLiteral("ディスクへの書き出しに失敗しました");
const QString kStepMode = QStringLiteral("ファイルの属性を設定できませんでした");
const QString kStepReplace = QStringLiteral("元のファイルと置き換えられませんでした");
const QString kStepOpen = QStringLiteral("ファイルを書き込み用に開けませんでした");

DocumentWrite failed(const QString &step, int error, bool damaged = false)
{
    DocumentWrite result;
    result.status = DocumentWrite::Failed;
    result.step = step;
    result.error = qt_error_string(error);
    result.damaged = damaged;
    return result;
}

// Overwrites the file itself. Writing before truncating reuses the file's
// own blocks, so a nearly full disk is less likely to stop it half way; if
// it stops all the same, the caller learns that the file is damaged.
DocumentWrite writeInPlace(const QByteArray &target, const QByteArray &bytes)
{
    Descriptor file(::open(target.constData(), O_WRONLY | O_CLOEXEC));
    if (file.get() < 0)
        return failed(kStepOpen, errno);
    if (!writeAll(file.get(), bytes) || ::ftruncate(file.get(), bytes.size()) != 0)
        return failed(kStepWrite, errno, true);
    if (::fsync(file.get()) != 0 || !file.close())
        return failed(kStepFlush, errno, true);
    DocumentWrite result;
    result.bytes = bytes.size();
    result.inPlace = true;
    return result;
}

// Gives the new file the old one's owner, group and mode. The owner can be
// given away only by root; the group only to one the user belongs to. What
// the system refuses there stays the saver's, as when anyone else rewrites a
// file. Owner before mode: a change of owner clears set-id bits.
bool takeOverAttributes(int fd, const struct stat &old)
{
    if (::fchown(fd, old.st_uid, old.st_gid) != 0)
        (void)::fchown(fd, uid_t(-1), old.st_gid);
    return ::fchmod(fd, old.st_mode & 07777) == 0;
}

} // namespace

DocumentWrite writeDocumentFile(const QString &path, const QString &text)
{
    const Cp932Encoded encoded = encodeCp932(text);
    if (!encoded.ok) {
        DocumentWrite result;
        result.status = DocumentWrite::Unmappable;
        result.characters = unmappableRun(text, encoded.firstUnmappable);
        const Position position = locate(text, encoded.firstUnmappable);
        result.line = position.line;
        result.column = position.column;
        return result;
    }

    // Through a link, the file it leads to is the one replaced.
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    const QString targetPath = canonical.isEmpty() ? info.absoluteFilePath() : canonical;
    const QByteArray target = QFile::encodeName(targetPath);
    struct stat old {};
    const bool exists = ::stat(target.constData(), &old) == 0;
    // A file the user may not write is not replaced behind its back.
    if (exists && ::access(target.constData(), W_OK) != 0)
        return failed(kStepNotWritable, errno);

    // The new content goes to a temporary file beside the document, which
    // then takes the document's place; until then the old file is untouched.
    const QFileInfo targetInfo(targetPath);
    // A new document gets the mode every new file gets (the umask applies);
    // a replacement starts private and takes the old file's mode before it
    // holds anything.
    QByteArray temporary;
    Descriptor file(createTemporary(target, exists ? 0600 : 0666, temporary));
    if (file.get() < 0) {
        const int error = errno;
        // A folder the user may not write, holding a file the user may:
        // the only way to save is over the file itself.
        if (exists && S_ISREG(old.st_mode))
            return writeInPlace(target, encoded.bytes);
        return failed(kStepCreate, error);
    }
    auto discard = [&temporary](const QString &step, int error) {
        ::unlink(temporary.constData());
        return failed(step, error);
    };
    if (exists && !takeOverAttributes(file.get(), old))
        return discard(kStepMode, errno);
    if (!writeAll(file.get(), encoded.bytes))
        return discard(kStepWrite, errno);
    // Blocks a file system allocates late can still fail here (ENOSPC).
    if (::fsync(file.get()) != 0 || !file.close())
        return discard(kStepFlush, errno);
    if (::rename(temporary.constData(), target.constData()) != 0)
        return discard(kStepReplace, errno);
    // The rename reaches the disk with the folder; without this a crash
    // could bring the old file back. The content is saved either way.
    Descriptor folder(::open(QFile::encodeName(targetInfo.absolutePath()).constData(),
                             O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() >= 0)
        (void)::fsync(folder.get());

    DocumentWrite result;
    result.bytes = encoded.bytes.size();
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
        + kNewLine
        + (several ? QStringLiteral("これらの文字") : QStringLiteral("この文字"))
        + QStringLiteral("を書き換えてから保存して下さい。ファイルは保存されていません。");
}

QString writeFailureMessage(const QString &path, const DocumentWrite &result)
{
    switch (result.status) {
    case DocumentWrite::Ok:
        return QString();
    case DocumentWrite::Unmappable:
        return unmappableMessage(result);
    case DocumentWrite::Failed:
        break;
    }
    QString message = QStringLiteral("ファイル [%1] は保存されていません。").arg(path) + kNewLine
        + result.step + QStringLiteral(": ") + result.error;
    if (result.damaged) {
        message += kNewLine
            + QStringLiteral("上書きの途中で止まったため、このファイルの元の内容は失われている可能性があります。"
                             "別の名前で保存して下さい。");
    }
    return message;
}

QString saveWarning(const QString &path, const DocumentWrite &result)
{
    if (result.status != DocumentWrite::Ok || result.bytes <= MAX_FILE_BYTES)
        return QString();
    return largeFileSaveWarning(path, result.bytes);
}

} // namespace zeq
