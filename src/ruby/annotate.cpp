#include "ruby/annotate.h"

#include "ruby/linecheck.h"
#include "ruby/readings.h"
#include "ruby/rubygroups.h"
#include "ruby/userdict.h"
#include "platform/strconv.h"

#include <QStringList>

#include <algorithm>

namespace zeq {

namespace {

bool kanjiAt(QStringView text, qsizetype at)
{
    const qsizetype length =
        text.at(at).isHighSurrogate() && at + 1 < text.size() && text.at(at + 1).isLowSurrogate() ? 2 : 1;
    return isKanji(text.sliced(at, length)) == 1;
}

bool smallKe(QChar c)
{
    return c == QChar(0x30F6) || c == QChar(0x30F5);
}

// A kanji, or the small ヶ or ヵ written between a number and a kanji and
// read with it (３ヶ月 ..かげつ, 一ヵ所 ..かしょ): it belongs inside the
// group, where a reader expects its reading.
bool runCharacterAt(QStringView text, qsizetype at)
{
    const QChar c = text.at(at);
    if (smallKe(c))
        return at + 1 < text.size() && kanjiAt(text, at + 1);
    // The full-size カ and ケ only as counters: after a number, or at the
    // start of a word (カ月, ケ所) that the analyser cut after the number.
    if (c == QChar(0x30AB) || c == QChar(0x30B1))
        return at + 1 < text.size() && kanjiAt(text, at + 1) && (at == 0 || text.at(at - 1).isDigit());
    return kanjiAt(text, at);
}

// ヶ and ヵ are written in words read か, が or こ (三ヶ月, 関ヶ原, 一ヵ所).
bool kanaMatches(QChar written, QChar read)
{
    if (written == read)
        return true;
    if (written == QChar(0x30F6) || written == QChar(0x30F5) || written == QChar(0x3096) || written == QChar(0x3095))
        return read == QChar(0x304B) || read == QChar(0x304C) || read == QChar(0x3053);
    return false;
}

struct Run {
    qsizetype start;
    qsizetype length;
    bool kanji;
};

QList<Run> splitRuns(QStringView word)
{
    QList<Run> runs;
    for (qsizetype at = 0; at < word.size();) {
        const qsizetype length =
            word.at(at).isHighSurrogate() && at + 1 < word.size() && word.at(at + 1).isLowSurrogate() ? 2 : 1;
        const bool kanji = runCharacterAt(word, at);
        if (!runs.isEmpty() && runs.back().kanji == kanji)
            runs.back().length += length;
        else
            runs.append({at, length, kanji});
        at += length;
    }
    return runs;
}

// Matches runs[index...] against reading[from...]: each kanji run takes at
// least one character, each other run must reappear as written. Earlier
// kanji runs take as little as they can, so 行き来 reads い, き, き.
bool matchRuns(const QList<Run> &runs, qsizetype index, const QString &written, const QString &reading,
               qsizetype from, QList<ReadingPiece> &pieces)
{
    if (index == runs.size())
        return from == reading.size();
    const Run &run = runs[index];
    if (!run.kanji) {
        if (from + run.length > reading.size())
            return false;
        for (qsizetype i = 0; i < run.length; ++i) {
            if (!kanaMatches(written.at(run.start + i), reading.at(from + i)))
                return false;
        }
        return matchRuns(runs, index + 1, written, reading, from + run.length, pieces);
    }
    for (qsizetype take = 1; from + take <= reading.size(); ++take) {
        pieces.append({run.start, run.length, reading.mid(from, take)});
        if (matchRuns(runs, index + 1, written, reading, from + take, pieces))
            return true;
        pieces.removeLast();
    }
    return false;
}

} // namespace

QList<ReadingPiece> placeReading(QStringView word, QStringView reading)
{
    QList<ReadingPiece> pieces;
    if (word.isEmpty() || reading.isEmpty())
        return pieces;
    const QList<Run> runs = splitRuns(word);
    if (std::none_of(runs.cbegin(), runs.cend(), [](const Run &run) { return run.kanji; }))
        return pieces;

    // Compared in hiragana so that katakana okurigana and readings match.
    const QString written = strConv(word.toString(), ConvHiragana);
    const QString read = strConv(reading.toString(), ConvHiragana);
    if (matchRuns(runs, 0, written, read, 0, pieces))
        return pieces;

    // The kana do not fit: the stretch from the first kanji to the last
    // takes the reading without the kana that do match at either end.
    pieces.clear();
    const Run &first = *std::find_if(runs.cbegin(), runs.cend(), [](const Run &run) { return run.kanji; });
    const Run &last = *std::find_if(runs.crbegin(), runs.crend(), [](const Run &run) { return run.kanji; });
    const qsizetype head = first.start;
    const qsizetype tail = word.size() - (last.start + last.length);
    qsizetype readingStart = 0;
    qsizetype readingEnd = read.size();
    if (head > 0 && read.startsWith(written.first(head)))
        readingStart = head;
    if (tail > 0 && read.endsWith(written.last(tail)) && readingEnd - tail > readingStart)
        readingEnd -= tail;
    if (readingEnd <= readingStart)
        return pieces;
    pieces.append({first.start, last.start + last.length - first.start, read.sliced(readingStart, readingEnd - readingStart)});
    return pieces;
}

namespace {

// The text a line reads as, with its groups' kanji in place and their
// readings and separators left out, so that the analyser sees the sentence.
struct LineView {
    QString resolved;
    QList<qsizetype> lineAt;  // position in the line of each resolved character
    QList<bool> plain;        // outside every group
};

LineView viewOf(QStringView line, const QList<RubyGroup> &groups)
{
    LineView view;
    view.resolved.reserve(line.size());
    qsizetype next = 0;
    for (const RubyGroup &group : groups) {
        for (qsizetype at = next; at < group.open; ++at) {
            view.resolved.append(line.at(at));
            view.lineAt.append(at);
            view.plain.append(true);
        }
        for (qsizetype at = group.kanjiStart; at < group.kanjiStart + group.kanjiLength; ++at) {
            view.resolved.append(line.at(at));
            view.lineAt.append(at);
            view.plain.append(false);
        }
        next = group.end;
    }
    for (qsizetype at = next; at < line.size(); ++at) {
        view.resolved.append(line.at(at));
        view.lineAt.append(at);
        view.plain.append(true);
    }
    return view;
}

// The reading of [start, start + length) of the analysed text from its
// words: the pieces of the words must cover the span exactly.
std::optional<QString> readingOfSpan(const QList<Word> &words, qsizetype start, qsizetype length)
{
    QString reading;
    qsizetype covered = start;
    const qsizetype end = start + length;
    for (const Word &word : words) {
        if (word.start + word.length <= start)
            continue;
        if (word.start >= end)
            break;
        QList<ReadingPiece> pieces = placeReading(word.surface, word.reading);
        // A word of the run without kanji of its own: the ヶ of ３ヶ月.
        if (pieces.isEmpty() && word.start >= start && word.start + word.length <= end && !word.reading.isEmpty())
            pieces.append({0, word.length, word.reading});
        for (const ReadingPiece &piece : std::as_const(pieces)) {
            const qsizetype pieceStart = word.start + piece.start;
            const qsizetype pieceEnd = pieceStart + piece.length;
            if (pieceEnd <= start || pieceStart >= end)
                continue;
            if (pieceStart != covered || pieceEnd > end)
                return std::nullopt;
            reading += piece.reading;
            covered = pieceEnd;
        }
    }
    if (covered != end || reading.isEmpty())
        return std::nullopt;
    return reading;
}

struct LineResult {
    QString text;
    int annotated = 0;
    int unread = 0;
};

// Annotates the plain kanji runs of one well-formed line that reach into
// [from, to) (line positions).
LineResult annotateLine(QStringView line, const QList<RubyGroup> &groups, qsizetype from, qsizetype to,
                        const SeparatorTriple &separators, ReadingAnalyser &analyser, const AnnotateOptions &options)
{
    const LineView view = viewOf(line, groups);

    // Plain kanji runs, in resolved positions; a run never crosses a group.
    struct KanjiRun {
        qsizetype start;
        qsizetype length;
        QString reading;
    };
    QList<KanjiRun> runs;
    for (qsizetype at = 0; at < view.resolved.size();) {
        if (!view.plain[at] || !runCharacterAt(view.resolved, at)) {
            ++at;
            continue;
        }
        qsizetype end = at + 1;
        while (end < view.resolved.size() && view.plain[end] && view.lineAt[end] == view.lineAt[end - 1] + 1
               && (view.resolved.at(end).isLowSurrogate() || runCharacterAt(view.resolved, end)))
            ++end;
        const qsizetype lineStart = view.lineAt[at];
        const qsizetype lineEnd = view.lineAt[end - 1] + 1;
        if (lineEnd > from && lineStart < to)
            runs.append({at, end - at, QString()});
        at = end;
    }

    LineResult result;
    if (runs.isEmpty()) {
        result.text = line.toString();
        return result;
    }

    const QList<Word> words = analyser.analyse(view.resolved, options.contextRules);
    const QStringView resolved(view.resolved);
    // Pieces of runs that could only be read in part, replacing them.
    QList<KanjiRun> partial;
    for (KanjiRun &run : runs) {
        if (options.learnt) {
            if (const auto learnt = options.learnt->readingOfRun(resolved.sliced(run.start, run.length),
                                                                 resolved.first(run.start),
                                                                 resolved.sliced(run.start + run.length))) {
                run.reading = *learnt;
                continue;
            }
        }
        if (const auto reading = readingOfSpan(words, run.start, run.length)) {
            run.reading = *reading;
            continue;
        }
        // The sentence's words reach beyond the run (into a group, or a
        // reading the kana do not fit): the run is read on its own.
        const QList<Word> alone = analyser.analyse(resolved.sliced(run.start, run.length), options.contextRules);
        if (const auto reading = readingOfSpan(alone, 0, run.length)) {
            run.reading = *reading;
            continue;
        }
        if (alone.isEmpty())
            continue;
        // A word the dictionary cannot read (a rare kanji) must not cost the
        // words beside it theirs: each stretch of readable words gets its
        // own group, and only the unreadable rest stays plain.
        qsizetype at = 0;
        while (at < alone.size()) {
            qsizetype end = at;
            while (end < alone.size() && !alone[end].reading.isEmpty())
                ++end;
            if (end == at) {
                partial.append({run.start + alone[at].start, alone[at].length, QString()});
                ++at;
                continue;
            }
            const qsizetype start = alone[at].start;
            const qsizetype length = alone[end - 1].start + alone[end - 1].length - start;
            const auto reading = readingOfSpan(alone.mid(at, end - at), start, length);
            partial.append({run.start + start, length, reading.value_or(QString())});
            at = end;
        }
        run.length = 0;
    }
    if (!partial.isEmpty()) {
        runs.removeIf([](const KanjiRun &run) { return run.length == 0; });
        runs.append(partial);
        std::sort(runs.begin(), runs.end(), [](const KanjiRun &a, const KanjiRun &b) { return a.start < b.start; });
    }

    QString out;
    out.reserve(line.size() * 2);
    qsizetype next = 0;
    qsizetype unreadEnd = -1;
    for (const KanjiRun &run : runs) {
        if (run.reading.isEmpty()) {
            // Two unreadable words side by side are one plain stretch.
            if (run.start != unreadEnd)
                ++result.unread;
            unreadEnd = run.start + run.length;
            continue;
        }
        const qsizetype lineStart = view.lineAt[run.start];
        const qsizetype lineEnd = view.lineAt[run.start + run.length - 1] + 1;
        out.append(line.sliced(next, lineStart - next));
        out.append(separators[0]);
        out.append(line.sliced(lineStart, lineEnd - lineStart));
        out.append(separators[1]);
        out.append(run.reading);
        out.append(separators[2]);
        next = lineEnd;
        ++result.annotated;
    }
    out.append(line.sliced(next));
    result.text = std::move(out);
    return result;
}

// The edit that turns before into after, without the ends they share.
TextEdit smallestEdit(QStringView before, QStringView after, qsizetype offset)
{
    qsizetype head = 0;
    const qsizetype shorter = std::min(before.size(), after.size());
    while (head < shorter && before.at(head) == after.at(head))
        ++head;
    qsizetype tail = 0;
    while (tail < shorter - head && before.at(before.size() - 1 - tail) == after.at(after.size() - 1 - tail))
        ++tail;
    // Never split a surrogate pair.
    if (head > 0 && head < before.size() && before.at(head).isLowSurrogate())
        --head;
    if (tail > 0 && before.size() - tail > 0 && before.at(before.size() - tail).isLowSurrogate())
        --tail;
    return {offset + head, before.size() - head - tail, after.sliced(head, after.size() - head - tail).toString()};
}

} // namespace

Annotation annotateDocument(const QString &document, qsizetype from, qsizetype to, const SeparatorTriple &separators,
                            ReadingAnalyser &analyser, const AnnotateOptions &options)
{
    Annotation annotation;
    const QStringView text(document);
    if (from > to)
        std::swap(from, to);
    from = std::clamp<qsizetype>(from, 0, text.size());
    to = std::clamp<qsizetype>(to, 0, text.size());
    const bool whole = from == to;
    if (whole) {
        from = 0;
        to = text.size();
    }

    const QList<LineSpan> lines = splitDocumentLines(text);
    qsizetype firstChanged = -1;
    qsizetype lastChanged = -1;
    QString replacement;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const LineSpan &span = lines[i];
        const qsizetype lineEnd = span.start + span.length;
        // A selection ending at the very start of a line does not take it in.
        if (lineEnd < from || span.start > to || (!whole && span.start == to && to > from))
            continue;
        const QStringView line = text.sliced(span.start, span.length);
        const RubyLine groups = findGroups(line, separators);
        if (!groups.wellFormed) {
            annotation.malformedLines.append(int(i + 1));
            continue;
        }
        if (!analyser.ensureLoaded()) {
            annotation.analyserReady = false;
            annotation.message = analyser.errorString();
            return annotation;
        }
        LineResult result = annotateLine(line, groups.groups, from - span.start, to - span.start, separators,
                                         analyser, options);
        annotation.annotatedRuns += result.annotated;
        annotation.unreadRuns += result.unread;
        if (result.unread > 0)
            annotation.unreadLines.append(int(i + 1));
        if (result.annotated == 0)
            continue;
        // Lines between two changed ones are copied unchanged.
        if (firstChanged < 0) {
            firstChanged = span.start;
        } else {
            replacement.append(text.sliced(lastChanged, span.start - lastChanged));
        }
        replacement.append(result.text);
        lastChanged = lineEnd;
    }

    if (firstChanged >= 0) {
        annotation.edit = smallestEdit(text.sliced(firstChanged, lastChanged - firstChanged), replacement, firstChanged);
        annotation.changed = true;
    }
    annotation.message = annotationReport(annotation);
    return annotation;
}

QString annotationReport(const Annotation &annotation)
{
    if (!annotation.analyserReady)
        return annotation.message;
    QStringList parts;
    if (annotation.annotatedRuns > 0)
        parts.append(QStringLiteral("%1 か所に読みを付けました。").arg(annotation.annotatedRuns));
    else
        parts.append(QStringLiteral("読みを付ける漢字はありませんでした。"));
    // The first ten line numbers: enough to find the lines.
    auto lineNumbers = [](const QList<int> &lines) {
        QStringList numbers;
        for (qsizetype i = 0; i < lines.size() && i < 10; ++i)
            numbers.append(QString::number(lines[i]));
        if (lines.size() > 10)
            numbers.append(QStringLiteral("…"));
        return numbers.join(QStringLiteral(", "));
    };
    if (annotation.unreadRuns > 0)
        parts.append(QStringLiteral("読みの分からない漢字 %1 か所 (%2 行目) はそのままにしました。")
                         .arg(annotation.unreadRuns)
                         .arg(lineNumbers(annotation.unreadLines)));
    if (!annotation.malformedLines.isEmpty())
        parts.append(QStringLiteral("セパレータに誤りのある %1 行 (%2 行目) はそのままにしました。")
                         .arg(annotation.malformedLines.size())
                         .arg(lineNumbers(annotation.malformedLines)));
    return parts.join(QLatin1Char('\n'));
}

QString annotateText(const QString &text, const SeparatorTriple &separators, ReadingAnalyser &analyser,
                     const AnnotateOptions &options, Annotation *details)
{
    Annotation annotation = annotateDocument(text, 0, 0, separators, analyser, options);
    QString result = text;
    if (annotation.changed)
        result.replace(annotation.edit.start, annotation.edit.length, annotation.edit.text);
    if (details)
        *details = std::move(annotation);
    return result;
}

std::optional<TextEdit> nextReading(QStringView line, qsizetype caret, const SeparatorTriple &separators,
                                    ReadingAnalyser &analyser, const UserDictionary *learnt)
{
    const RubyLine scanned = findGroups(line, separators);
    const auto group = std::find_if(scanned.groups.cbegin(), scanned.groups.cend(), [caret](const RubyGroup &g) {
        return g.open <= caret && caret <= g.end;
    });
    if (group == scanned.groups.cend() || group->kanjiLength == 0 || !analyser.ensureLoaded())
        return std::nullopt;

    const LineView view = viewOf(line, scanned.groups);
    const qsizetype start = view.lineAt.indexOf(group->kanjiStart);
    const qsizetype length = group->kanjiLength;
    const QStringView resolved(view.resolved);

    QStringList readings;
    auto add = [&readings](const std::optional<QString> &reading) {
        if (reading && !reading->isEmpty() && !readings.contains(*reading))
            readings.append(*reading);
    };
    add(readingOfSpan(analyser.analyse(resolved, true), start, length));
    for (const QList<Word> &path : analyser.nBest(resolved, 30))
        add(readingOfSpan(path, start, length));
    for (const Word &word : analyser.wordsFrom(resolved, start)) {
        if (word.length < length)
            continue;
        QList<Word> alone{word};
        add(readingOfSpan(alone, start, length));
    }
    add(readingOfSpan(analyser.analyse(resolved.sliced(start, length), true), 0, length));
    // A learnt reading is one of the choices, never the first: putting it
    // first would turn every step of the cycle into a choice between two.
    if (learnt)
        add(learnt->readingOfRun(resolved.sliced(start, length), resolved.first(start),
                                 resolved.sliced(start + length)));

    const QString current = line.sliced(group->readingStart, group->readingLength).toString();
    const qsizetype at = readings.indexOf(current);
    QString next;
    if (at >= 0) {
        if (readings.size() < 2)
            return std::nullopt;
        next = readings[(at + 1) % readings.size()];
    } else {
        if (readings.isEmpty())
            return std::nullopt;
        next = readings.first();
    }
    return TextEdit{group->readingStart, group->readingLength, next};
}

} // namespace zeq
