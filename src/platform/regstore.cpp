#include "platform/regstore.h"

#include "platform/codepage.h"
#include "platform/fileio.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QDeadlineTimer>
#include <QStringDecoder>
#include <QtEndian>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <optional>

namespace zeq {

namespace {

const QString kHeader = QStringLiteral("Windows Registry Editor Version 5.00");
const QString kRootName = QStringLiteral("HKEY_CURRENT_USER");

// A larger file is not something this store wrote; reading it whole would
// only make start-up hang.
constexpr qint64 kMaxFileBytes = 64 * 1024 * 1024;

constexpr quint32 REG_BINARY = 3;

// Another editor holds the lock only while it rewrites the small file.
constexpr int kLockWaitMs = 5000;

// Full key name as the file spells it, or nothing when the path cannot name
// a key: empty components and control characters cannot be written back.
std::optional<QString> fullKeyName(const QString &path)
{
    if (path.isEmpty())
        return kRootName;
    const QStringList parts = path.split(QLatin1Char('\\'));
    for (const QString &part : parts) {
        if (part.isEmpty())
            return std::nullopt;
        for (QChar c : part) {
            if (c.unicode() < 0x20 || c.unicode() == 0x7F)
                return std::nullopt;
        }
    }
    return kRootName + QLatin1Char('\\') + path;
}

bool validValueName(const QString &name)
{
    for (QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return false;
    }
    return true;
}

// The key itself first, then its ancestors up to the root's child.
QStringList selfAndAncestors(const QString &fullName)
{
    QStringList names;
    QString name = fullName;
    while (name != kRootName) {
        names.append(name);
        name.truncate(name.lastIndexOf(QLatin1Char('\\')));
    }
    return names;
}

QString quoted(const QString &text)
{
    QString out;
    out.reserve(text.size() + 2);
    out += QLatin1Char('"');
    for (QChar c : text) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('"'))
            out += QLatin1Char('\\');
        out += c;
    }
    out += QLatin1Char('"');
    return out;
}

QString hexBytes(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(','));
}

bool isBlank(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); }

qsizetype skipBlanks(QStringView line, qsizetype pos)
{
    while (pos < line.size() && isBlank(line.at(pos)))
        ++pos;
    return pos;
}

bool onlyBlanksFrom(QStringView line, qsizetype pos)
{
    return skipBlanks(line, pos) == line.size();
}

// Reads a quoted string starting at pos (which holds the opening quote);
// pos ends just past the closing quote. Only \\ and \" are escapes.
bool readQuoted(QStringView line, qsizetype &pos, QString &out)
{
    if (pos >= line.size() || line.at(pos) != QLatin1Char('"'))
        return false;
    out.clear();
    for (++pos; pos < line.size(); ++pos) {
        const QChar c = line.at(pos);
        if (c == QLatin1Char('"')) {
            ++pos;
            return true;
        }
        if (c == QLatin1Char('\\')) {
            if (pos + 1 >= line.size())
                return false;
            const QChar next = line.at(pos + 1);
            if (next != QLatin1Char('\\') && next != QLatin1Char('"'))
                return false;
            out += next;
            ++pos;
            continue;
        }
        out += c;
    }
    return false;
}

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

// "41,00, 42" (spaces allowed around the commas); empty means no bytes.
bool parseHexList(QStringView text, QByteArray &out)
{
    out.clear();
    text = text.trimmed();
    if (text.isEmpty())
        return true;
    for (QStringView item : text.split(QLatin1Char(','))) {
        item = item.trimmed();
        if (item.size() != 2)
            return false;
        const int high = hexDigit(item.at(0));
        const int low = hexDigit(item.at(1));
        if (high < 0 || low < 0)
            return false;
        out.append(char(high * 16 + low));
    }
    return true;
}

// The file's lines. UTF-8 (an optional byte-order mark is skipped) is
// decoded line by line, so that one line of bad bytes costs only that line;
// the UTF-16 that the Windows registry editor exports is taken in either byte
// order. badLines receives the 0-based numbers of lines that could not be
// decoded; they come back empty.
QStringList decodeLines(const QByteArray &bytes, QList<qsizetype> &badLines)
{
    QStringList lines;
    const bool little = bytes.startsWith("\xFF\xFE");
    if (little || bytes.startsWith("\xFE\xFF")) {
        QByteArrayView body = QByteArrayView(bytes).sliced(2);
        const bool cut = body.size() % 2 != 0;
        if (cut)
            body.chop(1);
        QStringDecoder decoder(little ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE);
        const QString text = decoder.decode(body);
        lines = text.split(QLatin1Char('\n'));
        // A broken pair of surrogates cannot be pinned to its line; a file
        // cut in the middle of a character has lost its last line.
        if (decoder.hasError()) {
            for (qsizetype i = 0; i < lines.size(); ++i) {
                if (lines.at(i).contains(QChar::ReplacementCharacter)) {
                    badLines.append(i);
                    lines[i].clear();
                }
            }
        }
        if (cut && !lines.isEmpty()) {
            badLines.append(lines.size() - 1);
            lines.last().clear();
        }
    } else {
        QByteArrayView body(bytes);
        if (body.startsWith("\xEF\xBB\xBF"))
            body = body.sliced(3);
        QStringDecoder whole(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString text = whole.decode(body);
        if (!whole.hasError()) {
            lines = text.split(QLatin1Char('\n'));
        } else {
            // Only a file with bad bytes pays for decoding line by line.
            for (const QByteArray &line : body.toByteArray().split('\n')) {
                QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
                QString lineText = decoder.decode(line);
                if (decoder.hasError()) {
                    badLines.append(lines.size());
                    lineText.clear();
                }
                lines.append(lineText);
            }
        }
    }
    for (QString &line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    return lines;
}

// An exclusive lock on the settings folder, held while one process re-reads
// and rewrites the file. The folder outlives every replacement of the file
// and the kernel drops the lock with a process that dies holding it, so no
// lock file is ever left behind.
class FolderLock {
public:
    explicit FolderLock(const QString &folder)
        : m_fd(::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
    {
    }
    ~FolderLock()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FolderLock(const FolderLock &) = delete;
    FolderLock &operator=(const FolderLock &) = delete;

    bool acquire(int waitMs)
    {
        if (m_fd < 0)
            return false;
        const QDeadlineTimer deadline(waitMs);
        while (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
            if (errno == EINTR)
                continue;
            if (errno != EWOULDBLOCK || deadline.hasExpired())
                return false;
            const timespec pause{0, 2'000'000};
            ::nanosleep(&pause, nullptr);
        }
        return true;
    }

private:
    int m_fd;
};

} // namespace

RegStore::RegStore(QString filePath) : m_path(std::move(filePath)) {}

QString RegStore::defaultPath()
{
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    // A relative value is invalid by the XDG rules and would depend on the
    // working directory, which the editor changes at start-up.
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/ZeqSoft/registry.reg");
}

QString RegStore::filePath() const { return m_path; }

QString RegStore::quarantinedPath() const
{
    ensureLoaded();
    return m_quarantined;
}

QByteArray RegStore::rawData(const Entry &entry)
{
    if (!entry.textForm)
        return entry.raw;
    QByteArray bytes = encodeCp932(entry.text).bytes;
    bytes.append('\0');
    return bytes;
}

RegStore::Entry RegStore::entryFor(const RegValue &value)
{
    Entry entry;
    entry.type = value.type;
    entry.raw = value.data;
    // A REG_SZ is written as readable text when that text turns back into
    // exactly these bytes; anything else (no terminator, inner NULs, bytes
    // CP932 does not define, line breaks) keeps its raw bytes.
    if (value.type != REG_SZ || !value.data.endsWith('\0'))
        return entry;
    const QByteArray body = value.data.first(value.data.size() - 1);
    if (body.contains('\0'))
        return entry;
    const Cp932Decoded decoded = decodeCp932(body);
    if (!decoded.ok || encodeCp932(decoded.text).bytes != body)
        return entry;
    for (QChar c : decoded.text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return entry;
    }
    entry.textForm = true;
    entry.text = decoded.text;
    entry.raw.clear();
    return entry;
}

RegStore::ReadOutcome RegStore::readFile(const QString &path)
{
    ReadOutcome outcome;
    outcome.tree.keys.insert(kRootName, Key());
    outcome.tree.keyOrder.append(kRootName);

    // Nothing there yet (a link to a file not yet written included): the
    // first write creates it.
    QFileInfo info(path);
    if (!info.exists())
        return outcome;

    QFile file(path);
    QByteArray bytes;
    if (info.isDir()) {
        outcome.wholeFileProblem = QStringLiteral("a folder stands where the file should be");
    } else if (!info.isFile()) {
        // A pipe or device could block start-up forever.
        outcome.wholeFileProblem = QStringLiteral("not a regular file");
    } else if (info.size() > kMaxFileBytes) {
        outcome.wholeFileProblem = QStringLiteral("the file is too large");
    } else if (!file.open(QIODevice::ReadOnly)) {
        outcome.wholeFileProblem = file.errorString();
    } else {
        bytes = file.readAll();
        if (file.error() != QFileDevice::NoError)
            outcome.wholeFileProblem = file.errorString();
    }
    if (!outcome.wholeFileProblem.isEmpty())
        return outcome;

    Tree &tree = outcome.tree;
    QList<qsizetype> bad;
    const QStringList lines = decodeLines(bytes, bad);
    // Nothing in an empty file is worth keeping or reporting.
    if (bad.isEmpty() && std::all_of(lines.cbegin(), lines.cend(), [](const QString &l) { return l.trimmed().isEmpty(); }))
        return outcome;

    auto addKey = [&tree](const QString &fullName) {
        const QStringList chain = selfAndAncestors(fullName);
        for (auto it = chain.crbegin(); it != chain.crend(); ++it) {
            if (!tree.keys.contains(*it)) {
                tree.keys.insert(*it, Key());
                tree.keyOrder.append(*it);
            }
        }
    };

    // A line that cannot be read costs that line only; values under a key
    // line that cannot be read have no key to go to and are lost with it.
    QString current;  // full name of the section being read; empty when none
    qsizetype index = 0;
    if (lines.first().trimmed() == kHeader)
        index = 1;
    else if (!bad.contains(0))
        bad.append(0);
    for (; index < lines.size(); ++index) {
        const qsizetype lineIndex = index;
        const QStringView line = QStringView(lines.at(index));
        const QStringView trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char(';')))
            continue;
        auto fail = [&] {
            if (!bad.contains(lineIndex))
                bad.append(lineIndex);
        };
        if (trimmed.startsWith(QLatin1Char('['))) {
            current.clear();
            if (!trimmed.endsWith(QLatin1Char(']'))) {
                fail();
                continue;
            }
            const QString name = trimmed.sliced(1, trimmed.size() - 2).toString();
            std::optional<QString> full;
            if (name == kRootName)
                full = kRootName;
            else if (name.startsWith(kRootName + QLatin1Char('\\')))
                full = fullKeyName(name.sliced(kRootName.size() + 1));
            if (!full) {
                fail();
                continue;
            }
            current = *full;
            addKey(current);
            continue;
        }
        // "name"=data or @=data
        qsizetype pos = skipBlanks(line, 0);
        QString valueName;
        if (line.at(pos) == QLatin1Char('@')) {
            ++pos;
        } else if (!readQuoted(line, pos, valueName)) {
            fail();
            continue;
        }
        pos = skipBlanks(line, pos);
        if (pos >= line.size() || line.at(pos) != QLatin1Char('=')) {
            fail();
            continue;
        }
        pos = skipBlanks(line, pos + 1);
        const QStringView data = line.sliced(pos);
        Entry entry;
        bool ok = true;
        if (data.startsWith(QLatin1Char('"'))) {
            qsizetype textPos = pos;
            ok = readQuoted(line, textPos, entry.text) && onlyBlanksFrom(line, textPos);
            entry.type = REG_SZ;
            entry.textForm = true;
        } else if (data.startsWith(QLatin1String("dword:"), Qt::CaseInsensitive)) {
            const QStringView digits = data.sliced(6).trimmed();
            ok = digits.size() >= 1 && digits.size() <= 8;
            for (QChar c : digits)
                ok = ok && hexDigit(c) >= 0;
            entry.type = REG_DWORD;
            entry.raw.resize(4);
            qToLittleEndian<quint32>(ok ? digits.toUInt(nullptr, 16) : 0, entry.raw.data());
        } else if (data.startsWith(QLatin1String("hex"), Qt::CaseInsensitive)) {
            const qsizetype colon = data.indexOf(QLatin1Char(':'));
            const QStringView kind = colon < 0 ? QStringView() : data.first(colon);
            ok = colon >= 0;
            if (ok && kind.compare(QLatin1String("hex"), Qt::CaseInsensitive) == 0) {
                entry.type = REG_BINARY;
            } else if (ok && kind.size() > 5 && kind.at(3) == QLatin1Char('(') && kind.endsWith(QLatin1Char(')'))) {
                entry.type = kind.sliced(4, kind.size() - 5).toUInt(&ok, 16);
            } else {
                ok = false;
            }
            // Long hex data continues on the next line after a trailing
            // backslash, as exports wrap it.
            QString list = ok ? data.sliced(colon + 1).trimmed().toString() : QString();
            while (ok && list.endsWith(QLatin1Char('\\'))) {
                list.chop(1);
                if (index + 1 >= lines.size() || bad.contains(index + 1)) {
                    ok = false;
                    break;
                }
                list += lines.at(++index).trimmed();
            }
            ok = ok && parseHexList(list, entry.raw);
            // The raw bytes of a REG_SZ are CP932 here, as everywhere else
            // in the store.
            if (ok && entry.type == REG_SZ)
                entry = entryFor(RegValue{REG_SZ, entry.raw});
        } else {
            ok = false;
        }
        if (!ok || current.isEmpty()) {
            fail();
            continue;
        }
        Key &key = tree.keys[current];
        if (!key.values.contains(valueName))
            key.valueOrder.append(valueName);
        key.values.insert(valueName, entry);
    }

    if (!bad.isEmpty())
        outcome.bytes = bytes;
    std::sort(bad.begin(), bad.end());
    for (qsizetype i : bad)
        outcome.badLines.append(int(i + 1));
    return outcome;
}

QString RegStore::asideName() const
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QString base = m_path + QStringLiteral(".corrupt-") + stamp;
    QString aside = base;
    for (int n = 2; QFileInfo::exists(aside) || QFileInfo(aside).isSymLink(); ++n)
        aside = base + QStringLiteral("-%1").arg(n);
    return aside;
}

bool RegStore::keepCopyAside(const QString &why, const QList<int> &lines, const QByteArray &bytes) const
{
    // The damaged file is set aside once, not again at every write until
    // it is replaced.
    if (!m_quarantined.isEmpty() && bytes == m_asideBytes)
        return true;
    const QString aside = asideName();
    if (!QFile::copy(m_path, aside)) {
        qWarning("Settings file %s could not be read in part (%s) nor copied aside; settings will not be saved.",
                 qPrintable(m_path), qPrintable(why));
        return false;
    }
    QFile::setPermissions(aside, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    m_quarantined = aside;
    m_asideBytes = bytes;
    QStringList numbers;
    for (int line : lines)
        numbers.append(QString::number(line));
    qWarning("Settings file %s: line %s could not be read (%s); the rest is used, and the file as it was is kept as %s.",
             qPrintable(m_path), qPrintable(numbers.join(QLatin1Char(','))), qPrintable(why), qPrintable(aside));
    return true;
}

void RegStore::ensureLoaded() const
{
    if (m_loaded)
        return;
    m_loaded = true;
    ReadOutcome outcome = readFile(m_path);
    m_tree = std::move(outcome.tree);
    m_damage.lines = outcome.badLines;

    if (!outcome.wholeFileProblem.isEmpty()) {
        // Nothing of it can be read: it is moved aside whole, so that what
        // the user had survives the next write.
        m_damage.wholeFile = true;
        const QString aside = asideName();
        if (::rename(QFile::encodeName(m_path).constData(), QFile::encodeName(aside).constData()) == 0) {
            m_quarantined = aside;
            qWarning("Settings file %s could not be read (%s); it was moved to %s and the defaults are used.",
                     qPrintable(m_path), qPrintable(outcome.wholeFileProblem), qPrintable(aside));
        } else {
            m_readOnly = true;
            qWarning("Settings file %s could not be read (%s) nor moved aside (%s); settings will not be saved.",
                     qPrintable(m_path), qPrintable(outcome.wholeFileProblem), strerror(errno));
        }
        return;
    }
    // Part of it could not be read: the rest is used, and the next write
    // would drop the unreadable lines, so the file as it was is copied aside
    // first. Without that copy the file is never replaced.
    if (!m_damage.lines.isEmpty() && !keepCopyAside(QStringLiteral("found on first reading"), m_damage.lines, outcome.bytes))
        m_readOnly = true;
}

RegStore::LoadDamage RegStore::loadDamage() const
{
    ensureLoaded();
    return m_damage;
}

long RegStore::update(const std::function<long(Tree &tree, bool &changed)> &change)
{
    ensureLoaded();
    if (m_readOnly)
        return kErrorAccessDenied;

    const QFileInfo linkInfo(m_path);
    const QString folder = linkInfo.isSymLink() ? QFileInfo(linkInfo.symLinkTarget()).absolutePath()
                                                : linkInfo.absolutePath();
    if (!QFileInfo(folder).isDir()) {
        if (!QDir().mkpath(folder))
            return kErrorAccessDenied;
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    // Other editors write the same file: each change is made to the file as
    // it is now, under a lock, so that their values survive ours.
    FolderLock lock(folder);
    if (!lock.acquire(kLockWaitMs))
        return kErrorAccessDenied;

    ReadOutcome current = readFile(m_path);
    if (!current.wholeFileProblem.isEmpty())
        return kErrorAccessDenied;
    if (!current.badLines.isEmpty()
        && !keepCopyAside(QStringLiteral("found on re-reading before a write"), current.badLines, current.bytes))
        return kErrorAccessDenied;

    bool changed = false;
    if (const long error = change(current.tree, changed))
        return error;
    if (changed) {
        if (const long error = persist(current.tree))
            return error;
    }
    m_tree = std::move(current.tree);
    return kErrorSuccess;
}

long RegStore::createKey(quint32 root, const QString &path, quint32 *disposition)
{
    if (root != HKEY_CURRENT_USER)
        return kErrorInvalidParameter;
    const std::optional<QString> full = fullKeyName(path);
    if (!full)
        return kErrorBadPathName;
    quint32 outcome = REG_OPENED_EXISTING_KEY;
    const long error = update([&](Tree &tree, bool &changed) {
        if (tree.keys.contains(*full))
            return kErrorSuccess;
        const QStringList chain = selfAndAncestors(*full);
        for (auto it = chain.crbegin(); it != chain.crend(); ++it) {
            if (!tree.keys.contains(*it)) {
                tree.keys.insert(*it, Key());
                tree.keyOrder.append(*it);
            }
        }
        changed = true;
        outcome = REG_CREATED_NEW_KEY;
        return kErrorSuccess;
    });
    if (error == kErrorSuccess && disposition)
        *disposition = outcome;
    return error;
}

long RegStore::openKey(quint32 root, const QString &path) const
{
    if (root != HKEY_CURRENT_USER)
        return kErrorInvalidParameter;
    const std::optional<QString> full = fullKeyName(path);
    if (!full)
        return kErrorBadPathName;
    ensureLoaded();
    return m_tree.keys.contains(*full) ? kErrorSuccess : kErrorFileNotFound;
}

const RegStore::Entry *RegStore::findEntry(quint32 root, const QString &path, const QString &name, long &error) const
{
    error = openKey(root, path);
    if (error)
        return nullptr;
    const Key &key = *m_tree.keys.constFind(*fullKeyName(path));
    const auto it = key.values.constFind(name);
    if (it == key.values.cend()) {
        error = kErrorFileNotFound;
        return nullptr;
    }
    return &*it;
}

long RegStore::queryValue(quint32 root, const QString &path, const QString &name,
                          qsizetype maxBytes, RegValue *out) const
{
    long error = kErrorSuccess;
    const Entry *entry = findEntry(root, path, name, error);
    if (!entry)
        return error;
    QByteArray data = rawData(*entry);
    if (data.size() > maxBytes)
        return kErrorMoreData;
    if (out) {
        out->type = entry->type;
        out->data = std::move(data);
    }
    return kErrorSuccess;
}

long RegStore::queryText(quint32 root, const QString &path, const QString &name, QString *out) const
{
    long error = kErrorSuccess;
    const Entry *entry = findEntry(root, path, name, error);
    if (!entry)
        return error;
    if (out) {
        if (entry->textForm) {
            *out = entry->text;
        } else {
            const qsizetype end = entry->raw.indexOf('\0');
            *out = decodeCp932(end < 0 ? entry->raw : entry->raw.first(end)).text;
        }
    }
    return kErrorSuccess;
}

long RegStore::store(quint32 root, const QString &path, const QString &name, const Entry &entry)
{
    if (const long error = openKey(root, path))
        return error;
    if (!validValueName(name))
        return kErrorInvalidParameter;
    const QString full = *fullKeyName(path);
    return update([&](Tree &tree, bool &changed) {
        const auto keyIt = tree.keys.find(full);
        if (keyIt == tree.keys.end())
            return kErrorFileNotFound;  // removed by another program meanwhile
        Key &key = *keyIt;
        // Exit writes every setting back; most are unchanged, and rewriting
        // the file for them would only cost a sync each.
        const auto existing = key.values.constFind(name);
        if (existing != key.values.cend() && existing->type == entry.type && existing->textForm == entry.textForm
            && existing->text == entry.text && existing->raw == entry.raw)
            return kErrorSuccess;
        if (!key.values.contains(name))
            key.valueOrder.append(name);
        key.values.insert(name, entry);
        changed = true;
        return kErrorSuccess;
    });
}

long RegStore::setValue(quint32 root, const QString &path, const QString &name, const RegValue &value)
{
    return store(root, path, name, entryFor(value));
}

long RegStore::setText(quint32 root, const QString &path, const QString &name, const QString &text)
{
    // A line break cannot stand inside a quoted text of the file; such a
    // text is kept as CP932 bytes, as any other text the file cannot quote.
    const bool quotable = std::none_of(text.cbegin(), text.cend(),
                                       [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7F; });
    if (!quotable) {
        QByteArray bytes = encodeCp932(text).bytes;
        bytes.append('\0');
        return store(root, path, name, entryFor(RegValue{REG_SZ, bytes}));
    }
    Entry entry;
    entry.type = REG_SZ;
    entry.textForm = true;
    entry.text = text;
    return store(root, path, name, entry);
}

long RegStore::persist(const Tree &tree)
{
    if (m_readOnly)
        return kErrorAccessDenied;

    QString text = kHeader + QLatin1Char('\n');
    for (const QString &keyName : tree.keyOrder) {
        const Key &key = *tree.keys.constFind(keyName);
        if (keyName == kRootName && key.values.isEmpty())
            continue;
        text += QStringLiteral("\n[") + keyName + QStringLiteral("]\n");
        for (const QString &valueName : key.valueOrder) {
            const Entry &entry = *key.values.constFind(valueName);
            text += valueName.isEmpty() ? QStringLiteral("@") : quoted(valueName);
            text += QLatin1Char('=');
            if (entry.textForm) {
                text += quoted(entry.text);
            } else if (entry.type == REG_DWORD && entry.raw.size() == 4) {
                text += QStringLiteral("dword:%1").arg(qFromLittleEndian<quint32>(entry.raw.constData()),
                                                      8, 16, QLatin1Char('0'));
            } else {
                text += entry.type == REG_BINARY ? QStringLiteral("hex:")
                                                 : QStringLiteral("hex(%1):").arg(entry.type, 0, 16);
                text += hexBytes(entry.raw);
            }
            text += QLatin1Char('\n');
        }
    }
    const QByteArray bytes = text.toUtf8();

    // A symbolic link (a managed dotfile, say) stays a link: its target is
    // what gets replaced.
    QString target = m_path;
    const QFileInfo linkInfo(m_path);
    if (linkInfo.isSymLink())
        target = linkInfo.symLinkTarget();
    const QFileInfo info(target);
    const QString folder = info.absolutePath();
    if (!QFileInfo(folder).isDir()) {
        if (!QDir().mkpath(folder))
            return kErrorAccessDenied;
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                          | QFileDevice::ExeOwner);
    }
    const QByteArray targetName = QFile::encodeName(info.absoluteFilePath());
    // A file the user made read-only is not to be replaced behind their back.
    if (info.exists() && ::access(targetName.constData(), W_OK) != 0 && errno == EACCES)
        return kErrorAccessDenied;

    // Writes run under the lock, so any temporary file here is one a killed
    // write left behind.
    const QStringList stale = QDir(folder).entryList({info.fileName() + QStringLiteral(".tmp-*")},
                                                     QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : stale)
        QFile::remove(folder + QLatin1Char('/') + name);

    QByteArray tempName = QFile::encodeName(folder + QLatin1Char('/') + info.fileName()) + ".tmp-XXXXXX";
    const int fd = ::mkstemp(tempName.data());
    if (fd < 0)
        return kErrorAccessDenied;
    bool ok = ::fchmod(fd, S_IRUSR | S_IWUSR) == 0 && writeAll(fd, bytes) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (!ok || ::rename(tempName.constData(), targetName.constData()) != 0) {
        ::unlink(tempName.constData());
        return kErrorAccessDenied;
    }
    // The folder is not synced: a crash before the file system commits the
    // rename leaves the previous complete file, never a partial one, and
    // skipping it halves the cost of the many small writes made at exit.
    return kErrorSuccess;
}

} // namespace zeq
