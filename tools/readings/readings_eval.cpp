// Scores the automatic readings on a development set: one sentence a line,
// the sentence, a tab, and the sentence with every word that holds a kanji
// replaced by its reading (tools/readings/kwdlc_devset.py builds one).
//
//   zeq_readings_eval [--baseline | --no-table] [--errors | --annotated | --words] DEVSET.tsv
//
// Each sentence is annotated as the editor does it, then its readings are
// put in place of its groups (kanji left without a reading stay as written); the result is compared with the reference
// exactly (sentence accuracy) and by edit distance (character error rate:
// edits over reference characters). --baseline scores the analyser's
// first-best path without the context rules, --no-table the rules without
// the preference table (what the table is learnt from); --errors lists the sentences
// that differ, --annotated every sentence as annotated, --words the
// analyser's words for every sentence.

#include "ruby/annotate.h"
#include "ruby/rubygroups.h"
#include "ruby/readings.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>
#include <QTextStream>

#include <algorithm>
#include <vector>

namespace {

qsizetype editDistance(const QString &a, const QString &b)
{
    std::vector<qsizetype> row(size_t(b.size()) + 1);
    for (qsizetype j = 0; j <= b.size(); ++j)
        row[size_t(j)] = j;
    for (qsizetype i = 1; i <= a.size(); ++i) {
        qsizetype diagonal = row[0];
        row[0] = i;
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const qsizetype above = row[size_t(j)];
            row[size_t(j)] = std::min({above + 1, row[size_t(j - 1)] + 1,
                                       diagonal + (a.at(i - 1) == b.at(j - 1) ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[size_t(b.size())];
}

// The sentence with each group replaced by its reading. Kanji the analyser
// could not read stay as written, outside every group: the checker calls
// such a line faulty, but the rest of its readings are there and count.
QString readingsOf(const QString &annotated, const zeq::SeparatorTriple &separators)
{
    const zeq::RubyLine line = zeq::findGroups(annotated, separators);
    if (!line.wellFormed)
        return annotated;
    QString reading;
    qsizetype next = 0;
    for (const zeq::RubyGroup &group : line.groups) {
        reading += QStringView(annotated).sliced(next, group.open - next);
        reading += QStringView(annotated).sliced(group.readingStart, group.readingLength);
        next = group.end;
    }
    reading += QStringView(annotated).sliced(next);
    return reading;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList arguments = app.arguments().mid(1);
    const bool baseline = arguments.removeAll(QStringLiteral("--baseline")) > 0;
    const bool listErrors = arguments.removeAll(QStringLiteral("--errors")) > 0;
    const bool listAnnotated = arguments.removeAll(QStringLiteral("--annotated")) > 0;
    const bool listWords = arguments.removeAll(QStringLiteral("--words")) > 0;
    const bool withoutTable = arguments.removeAll(QStringLiteral("--no-table")) > 0;
    if (arguments.size() != 1) {
        err << "usage: zeq_readings_eval [--baseline | --no-table] [--errors | --annotated | --words] DEVSET.tsv\n";
        return 2;
    }
    QFile file(arguments.first());
    if (!file.open(QIODevice::ReadOnly)) {
        err << arguments.first() << ": " << file.errorString() << '\n';
        return 2;
    }

    zeq::ReadingAnalyser analyser;
    if (withoutTable)
        analyser.usePreferenceTable(QString());
    if (!analyser.ensureLoaded()) {
        err << analyser.errorString() << '\n';
        return 2;
    }
    // Back-quotes are safe: the set is checked for them below.
    const zeq::SeparatorTriple separators{QStringLiteral("`"), QStringLiteral("`"), QStringLiteral("`")};
    zeq::AnnotateOptions options;
    options.contextRules = !baseline;

    qsizetype sentences = 0;
    qsizetype exact = 0;
    qsizetype edits = 0;
    qsizetype characters = 0;
    const QString text = QString::fromUtf8(file.readAll());
    for (const QString &line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList columns = line.split(QLatin1Char('\t'));
        if (columns.size() != 2 || columns[0].contains(QLatin1Char('`')))
            continue;
        if (listWords) {
            // What the rules work from: each word with its reading and the
            // dictionary's classes.
            for (const zeq::Word &word : analyser.analyse(columns[0], !baseline))
                out << word.surface << '\t' << word.reading << '\t' << word.partOfSpeech << ',' << word.subCategory << ',' << word.usage
                    << '\t' << word.origin << '\t' << word.initialChange << '\t' << word.finalChange << '\n';
            out << '\n';
        }
        const QString annotated = zeq::annotateText(columns[0], separators, analyser, options);
        const QString reading = readingsOf(annotated, separators);
        if (listAnnotated)
            out << annotated << '\n';
        const QString &reference = columns[1];
        ++sentences;
        characters += reference.size();
        if (reading == reference) {
            ++exact;
            continue;
        }
        edits += editDistance(reading, reference);
        if (listErrors)
            out << columns[0] << "\n  want " << reference << "\n  got  " << reading << '\n';
    }
    if (sentences == 0) {
        err << "no sentences\n";
        return 2;
    }
    out << QStringLiteral("%1 sentences, %2 exact (%3 %), CER %4 %\n")
               .arg(sentences)
               .arg(exact)
               .arg(100.0 * double(exact) / double(sentences), 0, 'f', 1)
               .arg(100.0 * double(edits) / double(characters), 0, 'f', 2);
    return 0;
}
