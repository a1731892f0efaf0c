#include "platform/regstore.h"

#include "platform/codepage.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QtEndian>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>

namespace zeq {

namespace {

const QString kHeader = QStringLiteral("Windows Registry Editor Version 5.00");
const QString kRootName = QStringLiteral("HKEY_CURRENT_USER");

// A larger file is not something this store wrote; reading it whole would
// only make start-up hang.
constexpr qint64 kMaxFileBytes = 64 * 1024 * 1024;

constexpr quint32 REG_BINARY = 3;

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

// The file's text: UTF-8 (an optional byte-order mark is skipped), or the
// UTF-16LE that the Windows registry editor exports.
std::optional<QString> decodeFile(const QByteArray &bytes)
{
    if (bytes.startsWith("\xFF\xFE")) {
        if (bytes.size() % 2 != 0)
            return std::nullopt;
        QStringDecoder decoder(QStringDecoder::Utf16LE);
        QString text = decoder.decode(bytes.sliced(2));
        if (decoder.hasError())
            return std::nullopt;
        return text;
    }
    QByteArrayView body(bytes);
    if (body.startsWith("\xEF\xBB\xBF"))
        body = body.sliced(3);
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(body);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

bool writeAll(int fd, const QByteArray &bytes)
{
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        left -= n;
    }
    return true;
}

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

void RegStore::ensureLoaded() const
{
    if (m_loaded)
        return;
    m_loaded = true;
    m_tree = Tree();
    m_tree.keys.insert(kRootName, Key());
    m_tree.keyOrder.append(kRootName);

    // Nothing there yet (a link to a file not yet written included): the
    // first write creates it.
    QFileInfo info(m_path);
    if (!info.exists())
        return;

    QString problem;
    Tree tree;
    tree.keys.insert(kRootName, Key());
    tree.keyOrder.append(kRootName);

    QFile file(m_path);
    QByteArray bytes;
    if (info.isDir()) {
        problem = QStringLiteral("a folder stands where the file should be");
    } else if (!info.isFile()) {
        // A pipe or device could block start-up forever.
        problem = QStringLiteral("not a regular file");
    } else if (info.exists() && info.size() > kMaxFileBytes) {
        problem = QStringLiteral("the file is too large");
    } else if (!file.open(QIODevice::ReadOnly)) {
        problem = file.errorString();
    } else {
        bytes = file.readAll();
        if (file.error() != QFileDevice::NoError)
            problem = file.errorString();
        file.close();
    }

    auto addKey = [&tree](const QString &fullName) {
        const QStringList chain = selfAndAncestors(fullName);
        for (auto it = chain.crbegin(); it != chain.crend(); ++it) {
            if (!tree.keys.contains(*it)) {
                tree.keys.insert(*it, Key());
                tree.keyOrder.append(*it);
            }
        }
    };

    if (problem.isEmpty()) {
        const std::optional<QString> text = decodeFile(bytes);
        if (!text) {
            problem = QStringLiteral("the file is not valid UTF-8");
        } else if (!text->trimmed().isEmpty()) {
            // Nothing in an empty file is worth keeping; anything else must
            // parse completely or is left alone for the user to inspect.
            QStringList lines = text->split(QLatin1Char('\n'));
            for (QString &line : lines) {
                if (line.endsWith(QLatin1Char('\r')))
                    line.chop(1);
            }
            QString current;  // full name of the section being read
            qsizetype index = 0;
            auto fail = [&](const QString &why) {
                problem = QStringLiteral("line %1: %2").arg(index + 1).arg(why);
            };
            if (lines.first().trimmed() != kHeader) {
                fail(QStringLiteral("the first line is not \"%1\"").arg(kHeader));
            } else {
                for (index = 1; index < lines.size() && problem.isEmpty(); ++index) {
                    const QStringView line = QStringView(lines.at(index));
                    const QStringView trimmed = line.trimmed();
                    if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char(';')))
                        continue;
                    if (trimmed.startsWith(QLatin1Char('['))) {
                        if (!trimmed.endsWith(QLatin1Char(']'))) {
                            fail(QStringLiteral("a key line must end with ]"));
                            break;
                        }
                        const QString name = trimmed.sliced(1, trimmed.size() - 2).toString();
                        std::optional<QString> full;
                        if (name == kRootName)
                            full = kRootName;
                        else if (name.startsWith(kRootName + QLatin1Char('\\')))
                            full = fullKeyName(name.sliced(kRootName.size() + 1));
                        if (!full) {
                            fail(QStringLiteral("not a key under %1").arg(kRootName));
                            break;
                        }
                        current = *full;
                        addKey(current);
                        continue;
                    }
                    if (current.isEmpty()) {
                        fail(QStringLiteral("a value before any key"));
                        break;
                    }
                    // "name"=data or @=data
                    qsizetype pos = skipBlanks(line, 0);
                    QString valueName;
                    if (line.at(pos) == QLatin1Char('@')) {
                        ++pos;
                    } else if (!readQuoted(line, pos, valueName)) {
                        fail(QStringLiteral("a value name must be quoted"));
                        break;
                    }
                    pos = skipBlanks(line, pos);
                    if (pos >= line.size() || line.at(pos) != QLatin1Char('=')) {
                        fail(QStringLiteral("= expected after the value name"));
                        break;
                    }
                    pos = skipBlanks(line, pos + 1);
                    const QStringView data = line.sliced(pos);
                    Entry entry;
                    if (data.startsWith(QLatin1Char('"'))) {
                        qsizetype textPos = pos;
                        if (!readQuoted(line, textPos, entry.text) || !onlyBlanksFrom(line, textPos)) {
                            fail(QStringLiteral("unterminated text or text followed by more"));
                            break;
                        }
                        entry.type = REG_SZ;
                        entry.textForm = true;
                    } else if (data.startsWith(QLatin1String("dword:"), Qt::CaseInsensitive)) {
                        const QStringView digits = data.sliced(6).trimmed();
                        bool ok = digits.size() >= 1 && digits.size() <= 8;
                        for (QChar c : digits)
                            ok = ok && hexDigit(c) >= 0;
                        if (!ok) {
                            fail(QStringLiteral("dword: needs 1 to 8 hexadecimal digits"));
                            break;
                        }
                        entry.type = REG_DWORD;
                        entry.raw.resize(4);
                        qToLittleEndian<quint32>(digits.toUInt(nullptr, 16), entry.raw.data());
                    } else if (data.startsWith(QLatin1String("hex"), Qt::CaseInsensitive)) {
                        const qsizetype colon = data.indexOf(QLatin1Char(':'));
                        const QStringView kind = colon < 0 ? QStringView() : data.first(colon);
                        bool ok = colon >= 0;
                        if (ok && kind.compare(QLatin1String("hex"), Qt::CaseInsensitive) == 0) {
                            entry.type = REG_BINARY;
                        } else if (ok && kind.size() > 5 && kind.at(3) == QLatin1Char('(')
                                   && kind.endsWith(QLatin1Char(')'))) {
                            entry.type = kind.sliced(4, kind.size() - 5).toUInt(&ok, 16);
                        } else {
                            ok = false;
                        }
                        // Long hex data continues on the next line after a
                        // trailing backslash, as exports wrap it.
                        QString list = data.sliced(colon + 1).trimmed().toString();
                        while (ok && list.endsWith(QLatin1Char('\\'))) {
                            list.chop(1);
                            if (index + 1 >= lines.size()) {
                                ok = false;
                                break;
                            }
                            list += lines.at(++index).trimmed();
                        }
                        if (!ok || !parseHexList(list, entry.raw)) {
                            fail(QStringLiteral("malformed hex data"));
                            break;
                        }
                        // The raw bytes of a REG_SZ are CP932 here, as
                        // everywhere else in the store.
                        if (entry.type == REG_SZ) {
                            RegValue value{REG_SZ, entry.raw};
                            entry = entryFor(value);
                        }
                    } else {
                        fail(QStringLiteral("unknown value data"));
                        break;
                    }
                    Key &key = tree.keys[current];
                    if (!key.values.contains(valueName))
                        key.valueOrder.append(valueName);
                    key.values.insert(valueName, entry);
                }
            }
        }
    }

    if (problem.isEmpty()) {
        m_tree = tree;
        return;
    }

    // Keep what the user had, under a name that says when it was set aside.
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QString base = m_path + QStringLiteral(".corrupt-") + stamp;
    QString aside = base;
    for (int n = 2; QFileInfo::exists(aside) || QFileInfo(aside).isSymLink(); ++n)
        aside = base + QStringLiteral("-%1").arg(n);
    if (::rename(QFile::encodeName(m_path).constData(), QFile::encodeName(aside).constData()) == 0) {
        m_quarantined = aside;
        qWarning("Settings file %s could not be read (%s); it was moved to %s and the defaults are used.",
                 qPrintable(m_path), qPrintable(problem), qPrintable(aside));
    } else {
        m_readOnly = true;
        qWarning("Settings file %s could not be read (%s) nor moved aside (%s); settings will not be saved.",
                 qPrintable(m_path), qPrintable(problem), strerror(errno));
    }
}

long RegStore::createKey(quint32 root, const QString &path, quint32 *disposition)
{
    if (root != HKEY_CURRENT_USER)
        return kErrorInvalidParameter;
    const std::optional<QString> full = fullKeyName(path);
    if (!full)
        return kErrorBadPathName;
    ensureLoaded();
    if (m_tree.keys.contains(*full)) {
        if (disposition)
            *disposition = REG_OPENED_EXISTING_KEY;
        return kErrorSuccess;
    }
    Tree changed = m_tree;
    const QStringList chain = selfAndAncestors(*full);
    for (auto it = chain.crbegin(); it != chain.crend(); ++it) {
        if (!changed.keys.contains(*it)) {
            changed.keys.insert(*it, Key());
            changed.keyOrder.append(*it);
        }
    }
    if (const long error = persist(changed))
        return error;
    m_tree = std::move(changed);
    if (disposition)
        *disposition = REG_CREATED_NEW_KEY;
    return kErrorSuccess;
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

long RegStore::queryValue(quint32 root, const QString &path, const QString &name,
                          qsizetype maxBytes, RegValue *out) const
{
    if (const long error = openKey(root, path))
        return error;
    const Key &key = *m_tree.keys.constFind(*fullKeyName(path));
    const auto it = key.values.constFind(name);
    if (it == key.values.cend())
        return kErrorFileNotFound;
    QByteArray data = rawData(*it);
    if (data.size() > maxBytes)
        return kErrorMoreData;
    if (out) {
        out->type = it->type;
        out->data = std::move(data);
    }
    return kErrorSuccess;
}

long RegStore::setValue(quint32 root, const QString &path, const QString &name, const RegValue &value)
{
    if (const long error = openKey(root, path))
        return error;
    if (!validValueName(name))
        return kErrorInvalidParameter;
    const QString full = *fullKeyName(path);
    const Entry entry = entryFor(value);
    // Exit writes every setting back; most are unchanged, and rewriting the
    // file for them would only cost a sync each.
    const Key &current = *m_tree.keys.constFind(full);
    const auto existing = current.values.constFind(name);
    if (existing != current.values.cend() && existing->type == entry.type
        && existing->textForm == entry.textForm && existing->text == entry.text && existing->raw == entry.raw)
        return kErrorSuccess;
    Tree changed = m_tree;
    Key &key = changed.keys[full];
    if (!key.values.contains(name))
        key.valueOrder.append(name);
    key.values.insert(name, entry);
    if (const long error = persist(changed))
        return error;
    m_tree = std::move(changed);
    return kErrorSuccess;
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
