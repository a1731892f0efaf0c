#pragma once
// Ruby text to and from the notations other tools write: Aozora Bunko
// (｜漢字《かんじ》), HTML <ruby>, and brackets (漢字[かんじ]).
//
// Imports give ruby text in the separator triple they are handed; whatever
// they cannot turn into ruby text is listed as a problem and kept in the
// text, never dropped without a word. Exports take ruby text in its triple;
// a line the checker rejects cannot be cut into groups and is written as
// plain text, with a problem. Every line of a well-formed document reads
// back the same after an export and the matching import; an export that
// cannot promise that for a line (brackets have no escapes) says so.
//
// All functions are pure and thread-safe.

#include "ruby/rubytext.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace zeq {

enum class RubyNotation { Aozora, Html, Brackets };

struct ConversionProblem {
    // 1-based; the column counts UTF-16 units of the line being converted
    // (the notation's line on import, the ruby text's line on export).
    int line = 0;
    int column = 0;
    QString what;
};

struct ImportedRuby {
    // Ruby text; its lines end as the input's did (HTML: CR LF, as the
    // editor saves documents).
    QString text;
    QList<ConversionProblem> problems;
    // Aozora only: editorial annotations ［＃…］ (emphasis, indentation,
    // headings, notes) that have no place in ruby text and were left out.
    int droppedAnnotations = 0;
};

ImportedRuby importAozora(const QString &aozora, const SeparatorTriple &separators);
ImportedRuby importHtml(const QString &html, const SeparatorTriple &separators);
ImportedRuby importBrackets(const QString &brackets, const SeparatorTriple &separators);
ImportedRuby importRuby(RubyNotation from, const QString &input, const SeparatorTriple &separators);

// The text of a file in another notation, which other tools write: UTF-8
// when the bytes are valid UTF-8 (a byte order mark is dropped), CP932
// otherwise. Nothing when they are neither, or hold a NUL byte.
std::optional<QString> decodeNotationBytes(const QByteArray &bytes);

// problems, when given, receives the lines that could not be exported as
// groups and what cannot be read back the same.
QString exportAozora(const QString &text, const SeparatorTriple &separators,
                     QList<ConversionProblem> *problems = nullptr);
// How the exported page looks; the File menu passes the preview's font and
// colours from the settings so that the page looks as the preview does.
struct HtmlPageStyle {
    QString title;
    QString fontFamily = QStringLiteral("ＭＳ 明朝");
    int pointSize = 12;
    qint32 textColor = 0x000000;  // 0x00BBGGRR, as the settings keep colours
    qint32 backColor = 0xFFFFFF;
};

// A standalone UTF-8 page, one <p> per line, a <ruby> per group.
QString exportHtml(const QString &text, const SeparatorTriple &separators,
                   QList<ConversionProblem> *problems = nullptr, const HtmlPageStyle &style = HtmlPageStyle());
QString exportBrackets(const QString &text, const SeparatorTriple &separators,
                       QList<ConversionProblem> *problems = nullptr);
QString exportRuby(RubyNotation to, const QString &text, const SeparatorTriple &separators,
                   QList<ConversionProblem> *problems = nullptr);

} // namespace zeq
