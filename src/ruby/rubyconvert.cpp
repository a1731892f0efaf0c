#include "ruby/rubyconvert.h"

#include "platform/codepage.h"
#include "ruby/linecheck.h"

#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringList>
#include <QStringView>

#include <algorithm>
#include <utility>

namespace zeq {

namespace {

// ---------------------------------------------------------------------------
// Shared: writing groups, guarding against separators in the text

// A character of the text that equals a separator would read as one: the
// import keeps it (dropping it would lose text) and says where it is.
class SeparatorGuard {
public:
    explicit SeparatorGuard(const SeparatorTriple &separators)
    {
        for (const QString &separator : separators) {
            if (separator.size() == 1)
                m_units[m_unitCount++] = separator.at(0).unicode();
            else if (!separator.isEmpty())
                m_long.append(separator);
        }
    }

    bool isSeparator(char16_t unit) const
    {
        for (int i = 0; i < m_unitCount; ++i) {
            if (m_units[i] == unit)
                return true;
        }
        return false;
    }

    // Checks text that came from column (1-based) of line; each hit is one
    // problem at the column the text started from plus its offset when
    // offsets are meaningful (exact is true), else at column.
    void check(QStringView text, int line, int column, bool exact, QList<ConversionProblem> &problems) const
    {
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (isSeparator(text.at(i).unicode()))
                report(text.sliced(i, 1), line, exact ? column + int(i) : column, problems);
        }
        for (const QString &separator : m_long) {
            for (qsizetype at = text.indexOf(separator); at >= 0; at = text.indexOf(separator, at + 1))
                report(separator, line, exact ? column + int(at) : column, problems);
        }
    }

    static void report(QStringView what, int line, int column, QList<ConversionProblem> &problems)
    {
        problems.append({line, column,
                         QStringLiteral("the separator \"%1\" stands in the text; the line will not check")
                             .arg(what)});
    }

private:
    char16_t m_units[3] = {};
    int m_unitCount = 0;
    QStringList m_long;
};

void appendGroup(QString &out, QStringView base, QStringView reading, const SeparatorTriple &separators)
{
    out.append(separators[0]);
    out.append(base);
    out.append(separators[1]);
    out.append(reading);
    out.append(separators[2]);
}

// One part of a ruby line: plain text, or a group.
struct RubyPart {
    bool group = false;
    QStringView plain;
    QStringView base;
    QStringView reading;
};

qsizetype characterLength(QStringView text, qsizetype at)
{
    return text.at(at).isHighSurrogate() && at + 1 < text.size() && text.at(at + 1).isLowSurrogate() ? 2 : 1;
}

bool hasEmptySeparator(const SeparatorTriple &separators)
{
    return std::any_of(separators.begin(), separators.end(), [](const QString &s) { return s.isEmpty(); });
}

// Cuts a line into plain text and groups with the scan the checker makes.
// Only for triples without an empty member (an empty opening separator
// leaves no way to tell where a kanji run began). False when the line is not
// well formed; for a uniform triple that is exactly the checker's verdict.
bool splitRubyLine(QStringView line, const SeparatorTriple &separators, QList<RubyPart> &parts)
{
    parts.clear();
    int state = kPlainText;
    bool misplacedKanji = false;
    qsizetype partStart = 0;
    RubyPart group;
    group.group = true;
    for (qsizetype at = 0; at < line.size();) {
        const qsizetype length = characterLength(line, at);
        const QStringView ch = line.sliced(at, length);
        if (isSeparator(ch, state, separators)) {
            const QStringView part = line.sliced(partStart, at - partStart);
            if (state == kPlainText) {
                if (!part.isEmpty())
                    parts.append({false, part, {}, {}});
            } else if (state == kKanjiPart) {
                group.base = part;
            } else {
                group.reading = part;
                parts.append(group);
            }
            state = (state + 1) % 3;
            partStart = at + length;
        } else if (!misplacedKanji && state != kKanjiPart && isKanji(ch) == 1) {
            misplacedKanji = true;
        }
        at += length;
    }
    if (state != kPlainText || misplacedKanji)
        return false;
    if (partStart < line.size())
        parts.append({false, line.sliced(partStart), {}, {}});
    return true;
}

// The line end that follows a line, as it stands in the document.
QStringView lineEnd(QStringView document, const LineSpan &span)
{
    return document.sliced(span.start + span.length, span.endLength);
}

// Drives an export line by line: splits each line, lets the notation write
// it (or its raw text when it is not well formed), and checks that what was
// written reads back as the line did.
template <typename WriteParts, typename WritePlain, typename ReadBack>
QString exportLines(const QString &text, const SeparatorTriple &separators, QList<ConversionProblem> *problems,
                    WriteParts writeParts, WritePlain writePlain, ReadBack readBack, const QString &notation)
{
    QList<ConversionProblem> found;
    const QStringView document(text);
    const bool splittable = !hasEmptySeparator(separators);
    if (!splittable && !text.isEmpty()) {
        found.append({1, 1,
                      QStringLiteral("groups cannot be found while a separator is empty; the text is written "
                                     "without readings")});
    }
    QString out;
    out.reserve(text.size() * 5 / 4);
    QList<RubyPart> parts;
    int lineNumber = 0;
    for (const LineSpan &span : splitDocumentLines(document)) {
        ++lineNumber;
        const QStringView line = document.sliced(span.start, span.length);
        const qsizetype written = out.size();
        if (splittable && splitRubyLine(line, separators, parts)) {
            writeParts(out, parts);
        } else {
            if (splittable) {
                QString why = QStringLiteral("the separators do not add up");
                if (isUniform(separators)) {
                    why = checkLine(line, true, separators).message();
                    if (why.startsWith(QLatin1String("!!")))
                        why.remove(0, 2);
                }
                found.append({lineNumber, 1, why + QStringLiteral(" The line is written without readings.")});
            }
            parts.clear();
            if (!line.isEmpty())
                parts.append({false, line, {}, {}});
            writePlain(out, parts);
        }
        if (!readBack(QStringView(out).sliced(written), line)) {
            found.append({lineNumber, 1,
                          QStringLiteral("%1 cannot write this line so that it reads back the same").arg(notation)});
        }
        out.append(lineEnd(document, span));
    }
    if (problems)
        problems->append(found);
    return out;
}

// Runs an import line by line, keeping each line end as it was.
template <typename ImportLine>
ImportedRuby importLines(const QString &input, ImportLine importLine)
{
    ImportedRuby result;
    result.text.reserve(input.size() + input.size() / 8);
    const QStringView document(input);
    int lineNumber = 0;
    for (const LineSpan &span : splitDocumentLines(document)) {
        importLine(document.sliced(span.start, span.length), ++lineNumber, result);
        result.text.append(lineEnd(document, span));
    }
    return result;
}

// ---------------------------------------------------------------------------
// Aozora Bunko notation

constexpr char16_t kBar = u'｜';
constexpr char16_t kOpenReading = u'《';
constexpr char16_t kCloseReading = u'》';
constexpr char16_t kOpenNote = u'［';
constexpr char16_t kCloseNote = u'］';
constexpr char16_t kHash = u'＃';
constexpr char16_t kNoteMark = u'※';

// The notation's own characters, written as the notes Aozora Bunko uses for
// them when they are text.
struct AozoraEscape {
    char16_t character;
    const char16_t *note;  // what stands between ［＃ and ］
};
constexpr AozoraEscape kAozoraEscapes[] = {
    {kOpenReading, u"始め二重山括弧、1-1-52"},
    {kCloseReading, u"終わり二重山括弧、1-1-53"},
    {kBar, u"縦線、1-1-35"},
    {kOpenNote, u"始め角括弧、1-1-46"},
    {kCloseNote, u"終わり角括弧、1-1-47"},
    {kHash, u"井げた、1-1-84"},
    {kNoteMark, u"米印、1-2-8"},
};

// The runs an Aozora reading without ｜ attaches to: the characters of one
// kind right before 《.
enum class RunKind { Kanji, Hiragana, Katakana, WideAlnum, NarrowAlnum, NarrowKatakana, None };

RunKind runKind(char16_t unit)
{
    if (unit < 0x80) {
        const bool alnum = (unit >= u'0' && unit <= u'9') || (unit >= u'A' && unit <= u'Z')
            || (unit >= u'a' && unit <= u'z');
        return alnum ? RunKind::NarrowAlnum : RunKind::None;
    }
    const QChar ch(unit);
    if (isKanji(QStringView(&ch, 1)) == 1)
        return RunKind::Kanji;
    if (unit >= 0x3041 && unit <= 0x3096)
        return RunKind::Hiragana;
    if ((unit >= 0x30A1 && unit <= 0x30FA) || unit == 0x30FC || (unit >= 0x31F0 && unit <= 0x31FF))
        return RunKind::Katakana;
    if ((unit >= 0xFF10 && unit <= 0xFF19) || (unit >= 0xFF21 && unit <= 0xFF3A) || (unit >= 0xFF41 && unit <= 0xFF5A))
        return RunKind::WideAlnum;
    if (unit >= 0xFF66 && unit <= 0xFF9F)
        return RunKind::NarrowKatakana;
    return RunKind::None;
}

// The end of the note that starts with ［＃ at at (the index of its ］), or -1.
// Notes may hold bracketed notes of their own.
qsizetype noteEnd(QStringView line, qsizetype at)
{
    int depth = 0;
    for (qsizetype i = at; i < line.size(); ++i) {
        if (line.at(i) == kOpenNote)
            ++depth;
        else if (line.at(i) == kCloseNote && --depth == 0)
            return i;
    }
    return -1;
}

bool startsNote(QStringView line, qsizetype at)
{
    return at + 1 < line.size() && line.at(at) == kOpenNote && line.at(at + 1) == kHash;
}

// A note that describes a character by its code point (…、U+6318、…).
QString codePointOfNote(QStringView note)
{
    const qsizetype at = note.indexOf(QLatin1String("U+"), 0, Qt::CaseInsensitive);
    if (at < 0)
        return QString();
    qsizetype end = at + 2;
    auto isHexDigit = [](char16_t unit) {
        return (unit >= u'0' && unit <= u'9') || (unit >= u'a' && unit <= u'f') || (unit >= u'A' && unit <= u'F');
    };
    while (end < note.size() && end - at - 2 < 6 && isHexDigit(note.at(end).unicode()))
        ++end;
    bool ok = false;
    const uint code = note.sliced(at + 2, end - at - 2).toUInt(&ok, 16);
    if (!ok || end - at - 2 < 4 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return QString();
    const char32_t character = code;
    return QString::fromUcs4(&character, 1);
}

class AozoraLineReader {
public:
    AozoraLineReader(const SeparatorTriple &separators, const SeparatorGuard &guard)
        : m_separators(separators), m_guard(guard)
    {
    }

    void read(QStringView line, int lineNumber, ImportedRuby &result)
    {
        m_line = line;
        m_lineNumber = lineNumber;
        m_result = &result;
        QString &out = result.text;
        const qsizetype lineStart = out.size();
        m_plainStart = lineStart;
        m_bar = -1;
        for (qsizetype at = 0; at < line.size();) {
            const char16_t unit = line.at(at).unicode();
            if (unit == kBar) {
                keepStrayBar();
                m_bar = out.size();
                ++at;
            } else if (unit == kOpenReading) {
                at = readReading(at);
            } else if (unit == kNoteMark && startsNote(line, at + 1)) {
                at = readNote(at + 1, out, true);
            } else if (unit == kOpenNote && startsNote(line, at)) {
                at = readNote(at, out, false);
            } else {
                if (m_guard.isSeparator(unit))
                    SeparatorGuard::report(line.sliced(at, 1), lineNumber, int(at) + 1, result.problems);
                out.append(QChar(unit));
                ++at;
            }
        }
        keepStrayBar();
    }

private:
    // A ｜ that no reading followed is text.
    void keepStrayBar()
    {
        if (m_bar >= 0)
            m_result->text.insert(m_bar, QChar(kBar));
        m_bar = -1;
    }

    void problem(qsizetype at, const QString &what)
    {
        m_result->problems.append({m_lineNumber, int(at) + 1, what});
    }

    // The note ［＃…］ at at; noteMark when ※ stands before it. Returns where
    // reading goes on.
    qsizetype readNote(qsizetype at, QString &out, bool noteMark)
    {
        const qsizetype end = noteEnd(m_line, at);
        if (end < 0) {
            problem(at, QStringLiteral("［＃ without its ］ is kept as text"));
            if (noteMark)
                out.append(QChar(kNoteMark));
            out.append(QChar(kOpenNote));
            return at + 1;
        }
        const QStringView note = m_line.sliced(at + 2, end - at - 2);
        if (!noteMark) {
            ++m_result->droppedAnnotations;
            return end + 1;
        }
        for (const AozoraEscape &escape : kAozoraEscapes) {
            if (note == QStringView(escape.note)) {
                out.append(QChar(escape.character));
                return end + 1;
            }
        }
        const QString character = codePointOfNote(note);
        if (!character.isEmpty()) {
            m_guard.check(character, m_lineNumber, int(at), false, m_result->problems);
            out.append(character);
            return end + 1;
        }
        // A character described in words only: the ※ keeps its place.
        problem(at - 1, QStringLiteral("the character described as ※［＃%1］ is kept as ※").arg(note));
        out.append(QChar(kNoteMark));
        return end + 1;
    }

    qsizetype readReading(qsizetype open)
    {
        QString &out = m_result->text;
        // A reading holds no 《: one that comes first leaves this one open.
        const qsizetype close = m_line.indexOf(kCloseReading, open + 1);
        const qsizetype reopen = m_line.indexOf(kOpenReading, open + 1);
        if (close < 0 || (reopen >= 0 && reopen < close)) {
            problem(open, QStringLiteral("《 without its 》 is kept as text"));
            out.append(QChar(kOpenReading));
            return open + 1;
        }

        // The reading may hold escaped characters and notes of its own.
        QString reading;
        for (qsizetype at = open + 1; at < close;) {
            const char16_t unit = m_line.at(at).unicode();
            if (unit == kNoteMark && startsNote(m_line, at + 1) && noteEnd(m_line, at + 1) >= 0
                && noteEnd(m_line, at + 1) < close) {
                at = readNote(at + 1, reading, true);
            } else if (startsNote(m_line, at) && noteEnd(m_line, at) >= 0 && noteEnd(m_line, at) < close) {
                at = readNote(at, reading, false);
            } else {
                reading.append(QChar(unit));
                ++at;
            }
        }

        qsizetype baseStart = m_bar;
        if (baseStart < 0) {
            baseStart = out.size();
            const RunKind kind = baseStart > m_plainStart ? runKind(out.at(baseStart - 1).unicode()) : RunKind::None;
            if (kind != RunKind::None) {
                while (baseStart > m_plainStart && runKind(out.at(baseStart - 1).unicode()) == kind)
                    --baseStart;
            }
        }
        if (baseStart == out.size() && m_bar < 0) {
            problem(open, QStringLiteral("the reading 《%1》 follows no word and is kept as text").arg(reading));
            out.append(m_line.sliced(open, close - open + 1));
            return close + 1;
        }
        m_guard.check(reading, m_lineNumber, int(open) + 2, false, m_result->problems);
        const QString base = out.sliced(baseStart);
        out.truncate(baseStart);
        appendGroup(out, base, reading, m_separators);
        m_plainStart = out.size();
        m_bar = -1;
        return close + 1;
    }

    const SeparatorTriple &m_separators;
    const SeparatorGuard &m_guard;
    QStringView m_line;
    int m_lineNumber = 0;
    ImportedRuby *m_result = nullptr;
    qsizetype m_plainStart = 0;
    qsizetype m_bar = -1;
};

// Text for Aozora notation: the notation's characters become notes.
void appendAozoraText(QString &out, QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text.at(i).unicode();
        // A ［ at the end of a part never meets a ＃: the next part starts
        // with ｜, a kanji or 《, or the part ends the reading with 》.
        const bool markup = unit == kBar || unit == kOpenReading || unit == kCloseReading
            || (unit == kOpenNote && i + 1 < text.size() && text.at(i + 1) == kHash);
        if (!markup) {
            out.append(QChar(unit));
            continue;
        }
        for (const AozoraEscape &escape : kAozoraEscapes) {
            if (escape.character == unit) {
                out.append(QChar(kNoteMark));
                out.append(QChar(kOpenNote));
                out.append(QChar(kHash));
                out.append(QStringView(escape.note));
                out.append(QChar(kCloseNote));
                break;
            }
        }
    }
}

bool allKanji(QStringView text)
{
    return !text.isEmpty()
        && std::all_of(text.begin(), text.end(), [](QChar ch) { return runKind(ch.unicode()) == RunKind::Kanji; });
}

void writeAozoraParts(QString &out, const QList<RubyPart> &parts)
{
    for (const RubyPart &part : parts) {
        if (!part.group) {
            appendAozoraText(out, part.plain);
            continue;
        }
        // 漢字《かんじ》 where that reads back unambiguously; ｜ otherwise.
        const bool implicit = allKanji(part.base)
            && (out.isEmpty() || runKind(out.back().unicode()) != RunKind::Kanji);
        if (!implicit)
            out.append(QChar(kBar));
        appendAozoraText(out, part.base);
        out.append(QChar(kOpenReading));
        appendAozoraText(out, part.reading);
        out.append(QChar(kCloseReading));
    }
}

// ---------------------------------------------------------------------------
// HTML

bool isHtmlSpace(char16_t unit)
{
    return unit == u' ' || unit == u'\t' || unit == u'\n' || unit == u'\r' || unit == u'\f';
}

// Text that collapses its white space as a browser shows it: a run becomes
// one space, none at either end.
struct CollapsingText {
    QString text;
    bool pendingSpace = false;

    void space()
    {
        if (!text.isEmpty())
            pendingSpace = true;
    }
    void flushSpace()
    {
        if (pendingSpace)
            text.append(u' ');
        pendingSpace = false;
    }
    void append(QStringView characters)
    {
        flushSpace();
        text.append(characters);
    }
    void clear()
    {
        text.clear();
        pendingSpace = false;
    }
};

struct NamedEntity {
    const char *name;
    char16_t character;
};
constexpr NamedEntity kNamedEntities[] = {
    {"amp", u'&'},      {"lt", u'<'},       {"gt", u'>'},       {"quot", u'"'},    {"apos", u'\''},
    {"nbsp", 0x00A0},   {"ensp", 0x2002},   {"emsp", 0x2003},   {"thinsp", 0x2009}, {"hellip", 0x2026},
    {"mdash", 0x2014},  {"ndash", 0x2013},  {"lsquo", 0x2018},  {"rsquo", 0x2019}, {"ldquo", 0x201C},
    {"rdquo", 0x201D},  {"middot", 0x00B7}, {"times", 0x00D7},  {"divide", 0x00F7}, {"copy", 0x00A9},
    {"reg", 0x00AE},    {"yen", 0x00A5},    {"sect", 0x00A7},   {"para", 0x00B6},  {"deg", 0x00B0},
    {"plusmn", 0x00B1}, {"larr", 0x2190},   {"uarr", 0x2191},   {"rarr", 0x2192},  {"darr", 0x2193},
    {"hearts", 0x2665}, {"zwj", 0x200D},    {"zwnj", 0x200C},   {"shy", 0x00AD},
};

bool isBlockElement(QStringView name)
{
    static const char *const kBlocks[] = {
        "p",       "div",    "h1",     "h2",     "h3",    "h4",     "h5",    "h6",         "li",
        "ul",      "ol",     "dl",     "dt",     "dd",    "blockquote", "pre", "table",    "tr",
        "section", "article", "header", "footer", "nav",  "aside",  "main",  "figure",     "figcaption",
        "hr",      "address", "body",   "html",   "caption", "tbody", "thead",     "tfoot",
    };
    for (const char *block : kBlocks) {
        if (name == QLatin1String(block))
            return true;
    }
    return false;
}

// Elements whose content is never text of the page.
bool isHiddenElement(QStringView name)
{
    return name == QLatin1String("head") || name == QLatin1String("script") || name == QLatin1String("style")
        || name == QLatin1String("template") || name == QLatin1String("noscript");
}

class HtmlReader {
public:
    HtmlReader(const QString &html, const SeparatorTriple &separators)
        : m_html(html), m_separators(separators), m_guard(separators)
    {
    }

    ImportedRuby read()
    {
        m_result.text.reserve(m_html.size());
        const qsizetype size = m_html.size();
        qsizetype at = 0;
        while (at < size) {
            const char16_t unit = m_html.at(at).unicode();
            if (unit == u'<') {
                at = readMarkup(at);
            } else if (unit == u'&') {
                at = readReference(at);
            } else if (isHtmlSpace(unit) && m_preDepth == 0) {
                if (m_hiddenDepth == 0 && m_rpDepth == 0)
                    current().space();
                ++at;
            } else {
                if (m_preDepth > 0 && unit == u'\n') {
                    hardBreak();
                } else if (m_preDepth > 0 && unit == u'\r') {
                    // CR LF in a <pre> is one line end, the LF ends the line.
                } else {
                    text(m_html.sliced(at, 1), at);
                }
                ++at;
            }
        }
        closeRuby(size);
        softBreak();
        return std::move(m_result);
    }

private:
    CollapsingText &current()
    {
        if (!m_inRuby)
            return m_line;
        return m_inReading ? m_reading : m_base;
    }

    void text(QStringView characters, qsizetype at)
    {
        if (m_hiddenDepth > 0 || m_rpDepth > 0)
            return;
        if (!m_inRuby) {
            for (QChar ch : characters) {
                if (m_guard.isSeparator(ch.unicode()))
                    SeparatorGuard::report(QStringView(&ch, 1), lineOf(at), columnOf(at), m_result.problems);
            }
        }
        current().append(characters);
    }

    // Ends the line being built unless nothing is on it (block elements).
    void softBreak()
    {
        if (!m_line.text.isEmpty())
            hardBreak();
    }

    // Ends the line being built, empty or not (<br>, a line end in <pre>).
    void hardBreak()
    {
        if (m_inRuby)
            return;
        m_result.text.append(m_line.text);
        m_result.text.append(QLatin1String("\r\n"));
        m_line.clear();
    }

    void emitGroup(qsizetype at)
    {
        const QString base = m_base.text;
        const QString reading = m_reading.text;
        m_guard.check(base, lineOf(at), columnOf(at), false, m_result.problems);
        m_guard.check(reading, lineOf(at), columnOf(at), false, m_result.problems);
        m_line.flushSpace();
        appendGroup(m_line.text, base, reading, m_separators);
        m_base.clear();
        m_reading.clear();
        m_inReading = false;
    }

    void closeReading(qsizetype at)
    {
        if (m_inReading)
            emitGroup(at);
    }

    // </ruby>: a base that no reading followed is plain text.
    void closeRuby(qsizetype at)
    {
        if (!m_inRuby)
            return;
        closeReading(at);
        m_inRuby = false;
        m_rpDepth = 0;
        if (!m_base.text.isEmpty()) {
            m_guard.check(m_base.text, lineOf(at), columnOf(at), false, m_result.problems);
            m_line.append(m_base.text);
        }
        m_base.clear();
    }

    qsizetype skipPast(qsizetype from, QLatin1String end)
    {
        const qsizetype found = m_html.indexOf(end, from);
        return found < 0 ? m_html.size() : found + end.size();
    }

    qsizetype readMarkup(qsizetype at)
    {
        const QStringView html(m_html);
        if (html.sliced(at).startsWith(QLatin1String("<!--")))
            return skipPast(at + 4, QLatin1String("-->"));
        if (at + 1 < html.size() && (html.at(at + 1) == u'!' || html.at(at + 1) == u'?'))
            return skipPast(at + 2, QLatin1String(">"));

        qsizetype i = at + 1;
        const bool closing = i < html.size() && html.at(i) == u'/';
        if (closing)
            ++i;
        const qsizetype nameStart = i;
        while (i < html.size() && html.at(i).unicode() < 0x80 && html.at(i).isLetterOrNumber())
            ++i;
        if (i == nameStart || !html.at(nameStart).isLetter()) {
            // Not a tag: a lone < is text.
            text(html.sliced(at, 1), at);
            return at + 1;
        }
        const QString name = html.sliced(nameStart, i - nameStart).toString().toLower();
        // Attributes: quoted values may hold '>'.
        QChar quote;
        while (i < html.size()) {
            const QChar ch = html.at(i);
            if (!quote.isNull()) {
                if (ch == quote)
                    quote = QChar();
            } else if (ch == u'"' || ch == u'\'') {
                quote = ch;
            } else if (ch == u'>') {
                break;
            }
            ++i;
        }
        qsizetype end = std::min(i + 1, html.size());
        tag(name, closing, at);
        // A line end right after <pre> is not part of its text.
        if (!closing && name == QLatin1String("pre")) {
            if (html.sliced(end).startsWith(QLatin1String("\r\n")))
                end += 2;
            else if (html.sliced(end).startsWith(u'\n'))
                end += 1;
        }
        // Raw text elements: their content is not markup.
        if (!closing && (name == QLatin1String("script") || name == QLatin1String("style"))) {
            const QString close = QStringLiteral("</") + name;
            const qsizetype found = m_html.indexOf(close, end, Qt::CaseInsensitive);
            return found < 0 ? m_html.size() : found;
        }
        return end;
    }

    void tag(const QString &name, bool closing, qsizetype at)
    {
        if (isHiddenElement(name)) {
            m_hiddenDepth = std::max(0, m_hiddenDepth + (closing ? -1 : 1));
            return;
        }
        if (name == QLatin1String("title")) {
            m_hiddenDepth = std::max(0, m_hiddenDepth + (closing ? -1 : 1));
            return;
        }
        if (m_hiddenDepth > 0)
            return;
        if (name == QLatin1String("ruby")) {
            if (closing)
                closeRuby(at);
            else if (!m_inRuby) {
                m_inRuby = true;
                m_base.clear();
                m_reading.clear();
            }
            return;
        }
        if (name == QLatin1String("rt")) {
            if (!m_inRuby) {
                if (!closing)
                    problem(at, QStringLiteral("<rt> outside <ruby>: its reading is kept as text"));
                return;
            }
            if (closing) {
                closeReading(at);
            } else {
                closeReading(at);
                m_rpDepth = 0;
                m_inReading = true;
            }
            return;
        }
        if (name == QLatin1String("rp")) {
            if (!m_inRuby)
                return;
            if (closing) {
                m_rpDepth = 0;
            } else {
                closeReading(at);
                m_rpDepth = 1;
            }
            return;
        }
        if (name == QLatin1String("br")) {
            if (!closing)
                hardBreak();
            return;
        }
        if (name == QLatin1String("pre"))
            m_preDepth = std::max(0, m_preDepth + (closing ? -1 : 1));
        if (isBlockElement(name)) {
            closeRuby(at);
            softBreak();
        }
    }

    qsizetype readReference(qsizetype at)
    {
        const QStringView html(m_html);
        const qsizetype semicolon = html.indexOf(u';', at + 1);
        if (semicolon < 0 || semicolon - at > 32) {
            text(html.sliced(at, 1), at);
            return at + 1;
        }
        const QStringView body = html.sliced(at + 1, semicolon - at - 1);
        QString character;
        if (body.startsWith(u'#')) {
            bool ok = false;
            const bool hex = body.size() > 1 && (body.at(1) == u'x' || body.at(1) == u'X');
            const uint code = body.sliced(hex ? 2 : 1).toUInt(&ok, hex ? 16 : 10);
            if (ok && code > 0 && code <= 0x10FFFF && !(code >= 0xD800 && code <= 0xDFFF)) {
                const char32_t c = code;
                character = QString::fromUcs4(&c, 1);
            }
        } else {
            for (const NamedEntity &entity : kNamedEntities) {
                if (body == QLatin1String(entity.name)) {
                    character = QChar(entity.character);
                    break;
                }
            }
        }
        if (character.isEmpty()) {
            problem(at, QStringLiteral("the character reference &%1; is unknown and kept as text").arg(body));
            text(html.sliced(at, semicolon - at + 1), at);
            return semicolon + 1;
        }
        // A written reference is a character of the text, white space or
        // not: it never collapses.
        text(character, at);
        return semicolon + 1;
    }

    void problem(qsizetype at, const QString &what)
    {
        if (m_hiddenDepth == 0)
            m_result.problems.append({lineOf(at), columnOf(at), what});
    }

    // Where an offset of the page lies; problems come in order, so the
    // search goes on from the last one.
    void locate(qsizetype at)
    {
        if (at < m_locatedAt) {
            m_locatedAt = 0;
            m_locatedLine = 1;
            m_locatedLineStart = 0;
        }
        for (; m_locatedAt < at && m_locatedAt < m_html.size(); ++m_locatedAt) {
            if (m_html.at(m_locatedAt) == u'\n') {
                ++m_locatedLine;
                m_locatedLineStart = m_locatedAt + 1;
            }
        }
    }
    int lineOf(qsizetype at)
    {
        locate(at);
        return m_locatedLine;
    }
    int columnOf(qsizetype at)
    {
        locate(at);
        return int(at - m_locatedLineStart) + 1;
    }

    const QString &m_html;
    const SeparatorTriple &m_separators;
    SeparatorGuard m_guard;
    ImportedRuby m_result;
    CollapsingText m_line;
    CollapsingText m_base;
    CollapsingText m_reading;
    bool m_inRuby = false;
    bool m_inReading = false;
    int m_rpDepth = 0;
    int m_hiddenDepth = 0;
    int m_preDepth = 0;
    qsizetype m_locatedAt = 0;
    int m_locatedLine = 1;
    qsizetype m_locatedLineStart = 0;
};

// Text for HTML: markup characters escaped, and white space written so that
// it survives the collapsing a reader does (a literal space only between two
// other characters of the same part).
void appendHtmlText(QString &out, QStringView text, bool openStart, bool openEnd)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text.at(i).unicode();
        switch (unit) {
        case u'&': out.append(QLatin1String("&amp;")); continue;
        case u'<': out.append(QLatin1String("&lt;")); continue;
        case u'>': out.append(QLatin1String("&gt;")); continue;
        case u'"': out.append(QLatin1String("&quot;")); continue;
        default: break;
        }
        if (unit == u' ') {
            const bool before = i > 0 ? !isHtmlSpace(text.at(i - 1).unicode()) : openStart;
            const bool after = i + 1 < text.size() ? !isHtmlSpace(text.at(i + 1).unicode()) : openEnd;
            if (before && after)
                out.append(u' ');
            else
                out.append(QLatin1String("&#32;"));
        } else if (isHtmlSpace(unit)) {
            out.append(QStringLiteral("&#%1;").arg(int(unit)));
        } else {
            out.append(QChar(unit));
        }
    }
}

void writeHtmlParts(QString &out, const QList<RubyPart> &parts)
{
    out.append(QLatin1String("<p>"));
    if (parts.isEmpty())
        out.append(QLatin1String("<br>"));
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const RubyPart &part = parts[i];
        if (!part.group) {
            appendHtmlText(out, part.plain, i > 0, i + 1 < parts.size());
            continue;
        }
        out.append(QLatin1String("<ruby>"));
        appendHtmlText(out, part.base, false, false);
        out.append(QLatin1String("<rp>(</rp><rt>"));
        appendHtmlText(out, part.reading, false, false);
        out.append(QLatin1String("</rt><rp>)</rp></ruby>"));
    }
    out.append(QLatin1String("</p>"));
}

QString cssColor(qint32 bgr)
{
    const int red = bgr & 0xFF;
    const int green = (bgr >> 8) & 0xFF;
    const int blue = (bgr >> 16) & 0xFF;
    return QStringLiteral("#%1%2%3")
        .arg(red, 2, 16, QLatin1Char('0'))
        .arg(green, 2, 16, QLatin1Char('0'))
        .arg(blue, 2, 16, QLatin1Char('0'));
}

QString htmlEscaped(const QString &text)
{
    QString out;
    appendHtmlText(out, text, true, true);
    return out;
}

// ---------------------------------------------------------------------------
// Brackets: 漢字[かんじ], the word starting after a space, at the start of
// the line or right after the previous group. The space before a word is
// its delimiter and not text.

void readBracketsLine(QStringView line, int lineNumber, ImportedRuby &result, const SeparatorTriple &separators,
                      const SeparatorGuard &guard)
{
    QString &out = result.text;
    qsizetype wordStart = out.size();
    bool afterSpace = false;
    for (qsizetype at = 0; at < line.size(); ++at) {
        const char16_t unit = line.at(at).unicode();
        if (unit == u'[' && out.size() > wordStart) {
            const qsizetype close = line.indexOf(u']', at + 1);
            if (close > at + 1) {
                const QStringView reading = line.sliced(at + 1, close - at - 1);
                guard.check(reading, lineNumber, int(at) + 2, true, result.problems);
                const QString base = out.sliced(wordStart);
                out.truncate(afterSpace ? wordStart - 1 : wordStart);
                appendGroup(out, base, reading, separators);
                wordStart = out.size();
                afterSpace = false;
                at = close;
                continue;
            }
        }
        if (guard.isSeparator(unit))
            SeparatorGuard::report(line.sliced(at, 1), lineNumber, int(at) + 1, result.problems);
        out.append(QChar(unit));
        if (unit == u' ') {
            wordStart = out.size();
            afterSpace = true;
        }
    }
}

void writeBracketsParts(QString &out, const QList<RubyPart> &parts)
{
    const qsizetype lineStart = out.size();
    for (const RubyPart &part : parts) {
        if (!part.group) {
            out.append(part.plain);
            continue;
        }
        if (out.size() > lineStart)
            out.append(u' ');
        out.append(part.base);
        out.append(u'[');
        out.append(part.reading);
        out.append(u']');
    }
}

// The import of one line alone, for the read-back check of the exports.
template <typename Reader>
bool readsBackAs(QStringView written, QStringView line, Reader reader)
{
    ImportedRuby one;
    reader(written, one);
    return QStringView(one.text) == line;
}

} // namespace

ImportedRuby importAozora(const QString &aozora, const SeparatorTriple &separators)
{
    const SeparatorGuard guard(separators);
    AozoraLineReader reader(separators, guard);
    return importLines(aozora, [&](QStringView line, int lineNumber, ImportedRuby &result) {
        reader.read(line, lineNumber, result);
    });
}

ImportedRuby importHtml(const QString &html, const SeparatorTriple &separators)
{
    return HtmlReader(html, separators).read();
}

ImportedRuby importBrackets(const QString &brackets, const SeparatorTriple &separators)
{
    const SeparatorGuard guard(separators);
    return importLines(brackets, [&](QStringView line, int lineNumber, ImportedRuby &result) {
        readBracketsLine(line, lineNumber, result, separators, guard);
    });
}

ImportedRuby importRuby(RubyNotation from, const QString &input, const SeparatorTriple &separators)
{
    switch (from) {
    case RubyNotation::Aozora: return importAozora(input, separators);
    case RubyNotation::Html: return importHtml(input, separators);
    case RubyNotation::Brackets: return importBrackets(input, separators);
    }
    return {};
}

std::optional<QString> decodeNotationBytes(const QByteArray &bytes)
{
    if (bytes.contains('\0'))
        return std::nullopt;
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError()) {
        if (text.startsWith(QChar(0xFEFF)))
            text.remove(0, 1);
        return text;
    }
    Cp932Decoded decoded = decodeCp932(bytes);
    if (!decoded.ok)
        return std::nullopt;
    return std::move(decoded.text);
}

QString exportAozora(const QString &text, const SeparatorTriple &separators, QList<ConversionProblem> *problems)
{
    const SeparatorGuard guard(separators);
    AozoraLineReader reader(separators, guard);
    return exportLines(
        text, separators, problems, writeAozoraParts, writeAozoraParts,
        [&](QStringView written, QStringView line) {
            return readsBackAs(written, line, [&](QStringView one, ImportedRuby &result) {
                reader.read(one, 1, result);
            });
        },
        QStringLiteral("Aozora notation"));
}

QString exportHtml(const QString &text, const SeparatorTriple &separators, QList<ConversionProblem> *problems,
                   const HtmlPageStyle &style)
{
    const QString body = exportLines(
        text, separators, problems, writeHtmlParts, writeHtmlParts,
        [&](QStringView written, QStringView line) {
            ImportedRuby one = HtmlReader(written.toString(), separators).read();
            one.text.chop(2);  // the CR LF every line gets
            return QStringView(one.text) == line;
        },
        QStringLiteral("HTML"));

    QString page;
    page.reserve(body.size() + 600);
    page += QLatin1String("<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"utf-8\">\n<title>");
    page += htmlEscaped(style.title);
    page += QLatin1String("</title>\n<style>\nbody { ");
    page += QStringLiteral("font-family: \"%1\", serif; font-size: %2pt; color: %3; background: %4; ")
                .arg(QString(style.fontFamily).remove(QRegularExpression(QStringLiteral("[\"<>\\\\;{}]"))))
                .arg(style.pointSize)
                .arg(cssColor(style.textColor), cssColor(style.backColor));
    page += QLatin1String("}\np { margin: 0; white-space: pre-wrap; line-height: 2; }\n"
                          "rt { font-size: 50%; }\n</style>\n</head>\n<body>\n");
    // Line ends in the body are only for whoever reads the source: every
    // line is a <p>, and a reader ignores white space between them.
    QString withBreaks = body;
    withBreaks.replace(QLatin1String("</p>\r\n"), QLatin1String("</p>\n"));
    page += withBreaks;
    if (!withBreaks.isEmpty() && !withBreaks.endsWith(u'\n'))
        page += u'\n';
    page += QLatin1String("</body>\n</html>\n");
    return page;
}

QString exportBrackets(const QString &text, const SeparatorTriple &separators, QList<ConversionProblem> *problems)
{
    const SeparatorGuard guard(separators);
    return exportLines(
        text, separators, problems, writeBracketsParts, writeBracketsParts,
        [&](QStringView written, QStringView line) {
            return readsBackAs(written, line, [&](QStringView one, ImportedRuby &result) {
                readBracketsLine(one, 1, result, separators, guard);
            });
        },
        QStringLiteral("the brackets notation"));
}

QString exportRuby(RubyNotation to, const QString &text, const SeparatorTriple &separators,
                   QList<ConversionProblem> *problems)
{
    switch (to) {
    case RubyNotation::Aozora: return exportAozora(text, separators, problems);
    case RubyNotation::Html: return exportHtml(text, separators, problems);
    case RubyNotation::Brackets: return exportBrackets(text, separators, problems);
    }
    return {};
}

} // namespace zeq
