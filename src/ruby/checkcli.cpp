#include "ruby/checkcli.h"

#include "document/docfile.h"
#include "platform/modal.h"
#include "platform/regstore.h"
#include "ruby/annotate.h"
#include "ruby/linecheck.h"
#include "ruby/readings.h"
#include "ruby/rubyconvert.h"
#include "ruby/streamcheck.h"
#include "ruby/userdict.h"
#include "settings/registry.h"
#include "settings/settingskeys.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringConverter>
#include <QTemporaryDir>
#include <QtGlobal>

#include <algorithm>
#include <utility>
#include <vector>

namespace zeq {

namespace {

const QString kCompanionDefaultSeparator = QStringLiteral("`");
const QString kUsageHint = QStringLiteral("Try 'zeqedit --help'.");

const char kHelpText[] =
    "Usage: zeqedit [FILE]...\n"
    "       zeqedit --check [--separators ABC] FILE...\n"
    "       zeqedit --resolve [--separators ABC] FILE...\n"
    "       zeqedit --readings [--separators ABC] FILE...\n"
    "       zeqedit --annotate [--separators ABC] [-o OUT | --in-place] FILE...\n"
    "       zeqedit --convert --from aozora|html|brackets [--separators ABC] [-o OUT] FILE...\n"
    "       zeqedit --convert --to html|aozora|brackets [--separators ABC] [-o OUT] FILE...\n"
    "       zeqedit --help | --version\n"
    "\n"
    "Without an option, opens the editor: the first FILE in this window, each\n"
    "further FILE in a window of its own. Put -- before a FILE whose name\n"
    "begins with -.\n"
    "\n"
    "The options below check ruby text files (Shift-JIS / CP932) without\n"
    "opening the editor; they need no display.\n"
    "\n"
    "  --check            print FILE:LINE: message for every malformed line\n"
    "  --resolve          print the files with their annotations resolved,\n"
    "                     kanji kept (UTF-8; malformed lines are printed raw)\n"
    "  --readings         the same, with each kanji run replaced by its reading\n"
    "  --annotate         print the files with a reading added to every kanji run\n"
    "                     that has none (UTF-8); lines whose separators are\n"
    "                     wrong are left as they are. Needs the package\n"
    "                     unidic-mecab. Readings you chose in the editor are\n"
    "                     preferred.\n"
    "  --convert --from N turn a file in notation N into ruby text in the\n"
    "                     separators (UTF-8 on standard output): aozora\n"
    "                     (｜漢字《かんじ》 and 漢字《かんじ》; its other notes\n"
    "                     ［＃…］ are left out and counted), html (<ruby> with\n"
    "                     <rt> and <rp>) or brackets (漢字[かんじ] after a space\n"
    "                     or at the start of a line). FILE may be UTF-8 or\n"
    "                     Shift-JIS (CP932). What cannot be converted is kept\n"
    "                     as text and named on standard error as\n"
    "                     FILE:LINE:COLUMN: what\n"
    "  --convert --to N   turn a ruby text file into notation N (UTF-8): html\n"
    "                     (a page to open in a browser), aozora or brackets.\n"
    "                     Lines that are not well formed are written without\n"
    "                     readings and named on standard error\n"
    "  -o OUT             with --annotate or --convert and one FILE: write OUT\n"
    "                     instead; ruby text as Shift-JIS (CP932), the\n"
    "                     notations of --to as UTF-8\n"
    "  --in-place         with --annotate: replace each FILE (CP932, in one\n"
    "                     step) instead of printing it\n"
    "  --separators ABC   use A, B and C as the opening, middle and closing\n"
    "                     separators instead of the editor's settings;\n"
    "                     - stands for an empty separator\n"
    "  --help             show this text\n"
    "  --version          show the editor's name and version\n"
    "\n"
    "Lines end with CR LF or LF. Lines can only be checked when all three\n"
    "separators are the same character.\n"
    "\n"
    "Exit status: 0 when every line of every file is well formed, 1 when one\n"
    "is not (or the separators are not all the same) or something could not\n"
    "be converted, 2 when a file cannot be read or written or the command\n"
    "line is wrong.\n";

enum class Mode { None, Check, Resolve, Readings, Annotate, Convert };

// The settings are only read here; reads never ask the user anything, but
// the registry layer wants somewhere to send its questions.
class NoQuestions : public ModalSeam {
public:
    int msgBox(const QString &, int, const QString &) override { return AnswerOk; }
    QString openFileName(const FileDialogRequest &) override { return {}; }
    QString saveFileName(const FileDialogRequest &) override { return {}; }
    std::optional<qint32> chooseColor(qint32) override { return std::nullopt; }
    std::optional<FontChoice> chooseFont(const FontChoice &) override { return std::nullopt; }
    std::optional<int> askInteger(const QString &, const QString &, int, int, int) override { return std::nullopt; }
    std::optional<QString> askText(const QString &, const QString &, const QString &) override { return std::nullopt; }
    void showHelp(int, const QString &) override {}
};

// The store moves a file it cannot parse aside and warns about that move. The
// checker reads a private copy, so the warning would name a move that never
// happened to the user's file; it is silenced and described accurately
// instead. The checker runs on one thread, before any window exists.
class QuietMessages {
public:
    QuietMessages() : m_previous(qInstallMessageHandler(&drop)) {}
    ~QuietMessages() { qInstallMessageHandler(m_previous); }
    QuietMessages(const QuietMessages &) = delete;
    QuietMessages &operator=(const QuietMessages &) = delete;

private:
    static void drop(QtMsgType, const QMessageLogContext &, const QString &) {}
    QtMessageHandler m_previous;
};

SeparatorTriple uniformTriple(const QString &separator) { return {separator, separator, separator}; }

// Only readers are called: nothing here can create a key or write a value.
SeparatorTriple readTriple(RegStore &store)
{
    NoQuestions modal;
    Registry registry(store, modal);

    // The same choice the editor makes at start-up: before its first run
    // there are no user separators yet and the companion's separator serves
    // for all three; afterwards the stored ones count, a missing one as empty.
    const bool editorHasRun = std::any_of(kEditorKeys.cbegin(), kEditorKeys.cend(), [&](const QString *key) {
        return store.openKey(HKEY_CURRENT_USER, *key) == kErrorSuccess;
    });
    if (editorHasRun) {
        SeparatorTriple triple;
        for (int i = 0; i < 3; ++i) {
            const StoredName &value = stored::kUserSparator[i];
            if (registry.regGetText(HKEY_CURRENT_USER, value.key, value.name, triple[i]) != 1)
                triple[i].clear();
        }
        return triple;
    }
    return uniformTriple(registry.getSettingString(HKEY_CURRENT_USER, kCompanionOptionKey,
                                                   kCompanionSeparatorName, kCompanionDefaultSeparator));
}

QString describeTriple(const SeparatorTriple &triple)
{
    QStringList quoted;
    for (const QString &separator : triple)
        quoted.append(QLatin1Char('"') + separator + QLatin1Char('"'));
    return quoted.join(QStringLiteral(", "));
}

QString readFailure(const QString &path, DocumentRead::Status status)
{
    if (status == DocumentRead::NotText)
        return QStringLiteral("not a Shift-JIS (CP932) text file");
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("no such file");
    if (info.isDir())
        return QStringLiteral("is a folder");
    return QStringLiteral("cannot be opened");
}

// Reports each malformed line as FILE:LINE: message; true when there is none.
bool reportMalformedLines(const QString &path, const QString &text, const SeparatorTriple &separators,
                          QTextStream &stream)
{
    const QStringView document(text);
    const QList<LineSpan> lines = splitDocumentLines(document);
    bool allWellFormed = true;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const CheckedLine checked =
            checkLine(document.sliced(lines[i].start, lines[i].length), true, separators);
        if (checked.ok)
            continue;
        allWellFormed = false;
        QString message = checked.message();
        if (message.startsWith(QLatin1String("!!")))
            message.remove(0, 2);
        stream << path << ':' << (i + 1) << ": " << message << '\n';
    }
    return allWellFormed;
}

void reportNotUniform(const QString &path, const SeparatorTriple &separators, QTextStream &stream)
{
    stream << path << ": lines cannot be checked with a non-uniform separator triple ("
           << describeTriple(separators) << "); all three must be the same character\n";
}

int usageError(QTextStream &err, const QString &problem)
{
    err << "zeqedit: " << problem << '\n' << kUsageHint << '\n';
    err.flush();
    return kCheckCannotRun;
}


struct AnnotateRequest {
    QStringList files;
    QString outputPath;
    bool inPlace = false;
    SeparatorTriple separators;
    bool uniform = false;
    QString learntPath;
};

int runAnnotate(const AnnotateRequest &request, QTextStream &out, QTextStream &err)
{
    ReadingAnalyser analyser;
    // Readings the user chose in the editor count here too; the file is
    // only read.
    UserDictionary learnt(request.learntPath);
    AnnotateOptions options;
    if (!request.learntPath.isEmpty()) {
        if (learnt.load())
            options.learnt = &learnt;
        else
            err << "zeqedit: the learnt readings in " << learnt.path() << " cannot be read; they are not used\n";
    }

    int status = kCheckAllWellFormed;
    for (const QString &path : request.files) {
        const DocumentRead document = readDocumentFile(path);
        if (document.status != DocumentRead::Ok) {
            err << path << ": " << readFailure(path, document.status) << '\n';
            status = kCheckCannotRun;
            continue;
        }
        Annotation details;
        const QString annotated = annotateText(document.text, request.separators, analyser, options, &details);
        if (!details.analyserReady) {
            err << "zeqedit: " << details.message << '\n';
            return kCheckCannotRun;
        }

        const QString target = request.inPlace ? path : request.outputPath;
        if (target.isEmpty()) {
            out << annotated;
        } else if (annotated != document.text || !request.inPlace) {
            const DocumentWrite written = writeDocumentFile(target, annotated);
            if (written.status != DocumentWrite::Ok) {
                err << target << ": "
                    << (written.status == DocumentWrite::Unmappable ? unmappableMessage(written) : written.error)
                    << '\n';
                status = kCheckCannotRun;
                continue;
            }
        }

        bool wellFormed = true;
        if (!request.uniform) {
            reportNotUniform(path, request.separators, err);
            wellFormed = false;
        } else {
            wellFormed = reportMalformedLines(path, annotated, request.separators, err);
        }
        if (details.unreadRuns > 0) {
            QStringList lines;
            for (const int line : std::as_const(details.unreadLines))
                lines.append(QString::number(line));
            err << path << ": " << details.unreadRuns << " kanji run(s) could not be read and have no reading (line "
                << lines.join(QStringLiteral(", ")) << ")\n";
        }
        if (!wellFormed)
            status = std::max(status, kCheckSomeMalformed);
    }
    return status;
}
QString faultText(LineFault fault)
{
    QString message = lineFaultMessage(fault);
    if (message.startsWith(QLatin1String("!!")))
        message.remove(0, 2);
    return message;
}

DocumentRead::Status readStatus(StreamedCheck::Status status)
{
    return status == StreamedCheck::CannotOpen ? DocumentRead::CannotOpen : DocumentRead::NotText;
}

// --check for one file, read in pieces. A file that turns out not to be
// text is reported on err only, with nothing on out, so the reports wait
// until the whole file has been read. Few files have many faulty lines; when
// the waiting reports would grow large, the file (known by then to be text)
// is read a second time and the reports go out as they are found.
int checkOneFile(const QString &path, const SeparatorTriple &separators, QTextStream &out, QTextStream &err)
{
    constexpr std::size_t kHeldReports = 16384;
    const QString messages[] = {QString(), faultText(LineFault::SeparatorCount), faultText(LineFault::KanjiPosition)};
    std::vector<std::pair<qint64, LineFault>> held;
    bool overflow = false;
    auto hold = [&](qint64 line, LineFault fault) {
        if (held.size() < kHeldReports)
            held.emplace_back(line, fault);
        else
            overflow = true;
    };
    auto print = [&](qint64 line, LineFault fault) {
        out << path << ':' << line << ": " << messages[int(fault)] << '\n';
    };

    StreamedCheck checked = checkFileStreaming(path, separators, hold);
    if (checked.status == StreamedCheck::Ok && overflow)
        checked = checkFileStreaming(path, separators, print);
    if (checked.status != StreamedCheck::Ok) {
        err << path << ": " << readFailure(path, readStatus(checked.status)) << '\n';
        return kCheckCannotRun;
    }
    if (!isUniform(separators)) {
        reportNotUniform(path, separators, out);
        return kCheckSomeMalformed;
    }
    if (!overflow) {
        for (const auto &[line, fault] : held)
            print(line, fault);
    }
    return checked.malformedLines > 0 ? kCheckSomeMalformed : kCheckAllWellFormed;
}

std::optional<RubyNotation> parseNotation(const QString &name)
{
    if (name == QLatin1String("aozora"))
        return RubyNotation::Aozora;
    if (name == QLatin1String("html"))
        return RubyNotation::Html;
    if (name == QLatin1String("brackets"))
        return RubyNotation::Brackets;
    return std::nullopt;
}

struct ConvertRequest {
    QStringList files;
    QString outputPath;
    std::optional<RubyNotation> from;
    std::optional<RubyNotation> to;
    SeparatorTriple separators;
};

bool readNotationFile(const QString &path, QString &text, QString &failure)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        failure = readFailure(path, DocumentRead::CannotOpen);
        return false;
    }
    const QByteArray bytes = file.readAll();
    std::optional<QString> decoded;
    if (file.error() == QFileDevice::NoError)
        decoded = decodeNotationBytes(bytes);
    if (!decoded) {
        failure = QStringLiteral("not a UTF-8 or Shift-JIS (CP932) text file");
        return false;
    }
    text = std::move(*decoded);
    return true;
}

bool writeUtf8File(const QString &path, const QString &text, QString &failure)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0 || !file.commit()) {
        failure = file.errorString();
        return false;
    }
    return true;
}

void reportProblems(const QString &path, const QList<ConversionProblem> &problems, QTextStream &err)
{
    for (const ConversionProblem &problem : problems)
        err << path << ':' << problem.line << ':' << problem.column << ": " << problem.what << '\n';
}

int runConvert(const ConvertRequest &request, QTextStream &out, QTextStream &err)
{
    int status = kCheckAllWellFormed;
    for (const QString &path : request.files) {
        QString converted;
        QList<ConversionProblem> problems;
        int faultyLines = 0;
        if (request.from) {
            QString input;
            QString failure;
            if (!readNotationFile(path, input, failure)) {
                err << path << ": " << failure << '\n';
                status = kCheckCannotRun;
                continue;
            }
            ImportedRuby imported = importRuby(*request.from, input, request.separators);
            converted = std::move(imported.text);
            problems = std::move(imported.problems);
            if (imported.droppedAnnotations > 0)
                err << path << ": " << imported.droppedAnnotations << " note(s) ［＃…］ left out\n";
            if (isUniform(request.separators)) {
                const QStringView text(converted);
                for (const LineSpan &span : splitDocumentLines(text))
                    faultyLines += checkLine(text.sliced(span.start, span.length), true, request.separators).ok ? 0 : 1;
            }
        } else {
            const DocumentRead document = readDocumentFile(path);
            if (document.status != DocumentRead::Ok) {
                err << path << ": " << readFailure(path, document.status) << '\n';
                status = kCheckCannotRun;
                continue;
            }
            if (*request.to == RubyNotation::Html) {
                HtmlPageStyle style;
                style.title = QFileInfo(path).completeBaseName();
                converted = exportHtml(document.text, request.separators, &problems, style);
            } else {
                converted = exportRuby(*request.to, document.text, request.separators, &problems);
            }
        }

        if (request.outputPath.isEmpty()) {
            out << converted;
        } else if (request.from) {
            const DocumentWrite written = writeDocumentFile(request.outputPath, converted);
            if (written.status != DocumentWrite::Ok) {
                err << request.outputPath << ": "
                    << (written.status == DocumentWrite::Unmappable ? unmappableMessage(written) : written.error)
                    << '\n';
                status = kCheckCannotRun;
                continue;
            }
        } else {
            QString failure;
            if (!writeUtf8File(request.outputPath, converted, failure)) {
                err << request.outputPath << ": " << failure << '\n';
                status = kCheckCannotRun;
                continue;
            }
        }

        reportProblems(path, problems, err);
        if (faultyLines > 0) {
            err << path << ": " << faultyLines
                << " line(s) of the result are not well formed (kanji without a reading: "
                   "zeqedit --annotate adds them)\n";
        }
        if (!problems.isEmpty() || faultyLines > 0)
            status = std::max(status, kCheckSomeMalformed);
    }
    return status;
}
} // namespace

std::optional<SeparatorTriple> parseSeparatorArgument(const QString &text)
{
    SeparatorTriple triple;
    int count = 0;
    for (qsizetype at = 0; at < text.size();) {
        const qsizetype length =
            text.at(at).isHighSurrogate() && at + 1 < text.size() && text.at(at + 1).isLowSurrogate() ? 2 : 1;
        if (count == 3)
            return std::nullopt;
        const QString character = text.sliced(at, length);
        triple[count++] = character == QLatin1String("-") ? QString() : character;
        at += length;
    }
    if (count != 3)
        return std::nullopt;
    return triple;
}

SeparatorTriple storedSeparatorTriple(const QString &storePath, QTextStream &err)
{
    const QFileInfo info(storePath);
    // No store yet: the editor has never run and the companion has no
    // settings either, so its default separator is the one in force.
    if (!info.exists() && !info.isSymLink())
        return uniformTriple(kCompanionDefaultSeparator);

    auto unreadable = [&](const QString &why) {
        err << "zeqedit: the settings in " << storePath << " cannot be read (" << why
            << "); the separator \"" << kCompanionDefaultSeparator << "\" is used\n";
        return uniformTriple(kCompanionDefaultSeparator);
    };
    if (!info.isFile())
        return unreadable(QStringLiteral("not a regular file"));

    // The store sets aside a file it cannot parse, renaming it; that is the
    // editor's business at start-up, not the checker's. Reading a private
    // copy leaves the user's file exactly as it was whatever it holds.
    QTemporaryDir scratch;
    if (!scratch.isValid())
        return unreadable(QStringLiteral("no temporary folder for a copy: ") + scratch.errorString());
    const QString copyPath = scratch.filePath(QStringLiteral("registry.reg"));
    QFile original(storePath);
    if (!original.copy(copyPath))
        return unreadable(original.errorString());

    RegStore store(copyPath);
    SeparatorTriple triple;
    {
        QuietMessages quiet;
        triple = readTriple(store);
    }
    const RegStore::LoadDamage damage = store.loadDamage();
    if (damage.wholeFile)
        return unreadable(QStringLiteral("the file is damaged"));
    // What can be read counts, as it does for the editor.
    if (!damage.lines.isEmpty()) {
        QStringList lines;
        for (int line : damage.lines)
            lines.append(QString::number(line));
        err << "zeqedit: some lines of the settings in " << storePath << " cannot be read (line "
            << lines.join(QStringLiteral(", ")) << "); the separators that can be read are used\n";
    }
    return triple;
}

int runCheckCommand(const QStringList &arguments, QTextStream &out, QTextStream &err, const QString &storePath,
                    const QString &learntPath)
{
    out.setEncoding(QStringConverter::Utf8);

    Mode mode = Mode::None;
    std::optional<SeparatorTriple> given;
    QStringList files;
    QString outputPath;
    bool inPlace = false;
    bool optionsEnded = false;
    std::optional<RubyNotation> from;
    std::optional<RubyNotation> to;

    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (!optionsEnded && argument == QLatin1String("-o")) {
            if (i + 1 >= arguments.size())
                return usageError(err, QStringLiteral("-o needs a file name"));
            if (!outputPath.isEmpty())
                return usageError(err, QStringLiteral("-o is given more than once"));
            outputPath = arguments[++i];
            if (outputPath.isEmpty())
                return usageError(err, QStringLiteral("-o needs a file name"));
            continue;
        }
        if (optionsEnded || !argument.startsWith(QLatin1String("--"))) {
            files.append(argument);
            continue;
        }
        if (argument == QLatin1String("--")) {
            optionsEnded = true;
        } else if (argument == QLatin1String("--help")) {
            out << kHelpText;
            out.flush();
            return kCheckAllWellFormed;
        } else if (argument == QLatin1String("--in-place")) {
            inPlace = true;
        } else if (argument == QLatin1String("--check") || argument == QLatin1String("--resolve")
                   || argument == QLatin1String("--readings") || argument == QLatin1String("--annotate")) {
            const Mode chosen = argument == QLatin1String("--check")      ? Mode::Check
                                : argument == QLatin1String("--resolve")  ? Mode::Resolve
                                : argument == QLatin1String("--readings") ? Mode::Readings
                                                                          : Mode::Annotate;
            if (mode != Mode::None && mode != chosen)
                return usageError(err,
                                  QStringLiteral("--check, --resolve, --readings and --annotate exclude each other"));
            mode = chosen;
        } else if (argument == QLatin1String("--convert")) {
            if (mode != Mode::None && mode != Mode::Convert)
                return usageError(err, QStringLiteral("--convert goes with none of --check, --resolve, --readings "
                                                      "and --annotate"));
            mode = Mode::Convert;
        } else if (argument == QLatin1String("--from") || argument == QLatin1String("--to")
                   || argument.startsWith(QLatin1String("--from=")) || argument.startsWith(QLatin1String("--to="))) {
            const bool isFrom = argument.startsWith(QLatin1String("--from"));
            const QString option = isFrom ? QStringLiteral("--from") : QStringLiteral("--to");
            QString value;
            if (argument.contains(QLatin1Char('='))) {
                value = argument.sliced(argument.indexOf(QLatin1Char('=')) + 1);
            } else {
                if (i + 1 >= arguments.size())
                    return usageError(err, QStringLiteral("%1 needs aozora, html or brackets").arg(option));
                value = arguments[++i];
            }
            const std::optional<RubyNotation> notation = parseNotation(value);
            if (!notation)
                return usageError(err, QStringLiteral("%1 needs aozora, html or brackets, not \"%2\"").arg(option, value));
            if ((isFrom && from) || (!isFrom && to))
                return usageError(err, QStringLiteral("%1 is given more than once").arg(option));
            (isFrom ? from : to) = notation;
        } else if (argument == QLatin1String("--separators")
                   || argument.startsWith(QLatin1String("--separators="))) {
            QString value;
            if (argument.contains(QLatin1Char('='))) {
                value = argument.sliced(argument.indexOf(QLatin1Char('=')) + 1);
            } else {
                if (i + 1 >= arguments.size())
                    return usageError(err, QStringLiteral("--separators needs three characters"));
                value = arguments[++i];
            }
            if (given)
                return usageError(err, QStringLiteral("--separators is given more than once"));
            given = parseSeparatorArgument(value);
            if (!given) {
                return usageError(err, QStringLiteral("--separators needs exactly three characters "
                                                      "(- for an empty separator), not \"%1\"")
                                           .arg(value));
            }
        } else {
            return usageError(err, QStringLiteral("unknown option %1").arg(argument));
        }
    }

    if (mode == Mode::None)
        return usageError(err, QStringLiteral("say --check, --resolve, --readings, --annotate or --convert"));
    if ((from || to) && mode != Mode::Convert)
        return usageError(err, QStringLiteral("--from and --to only go with --convert"));
    if (mode == Mode::Convert && bool(from) == bool(to))
        return usageError(err, QStringLiteral("--convert needs either --from or --to"));
    if (files.isEmpty())
        return usageError(err, QStringLiteral("no file named"));
    if (!outputPath.isEmpty() && mode != Mode::Annotate && mode != Mode::Convert)
        return usageError(err, QStringLiteral("-o only goes with --annotate and --convert"));
    if (inPlace && mode != Mode::Annotate)
        return usageError(err, QStringLiteral("-o and --in-place only go with --annotate"));
    if (inPlace && !outputPath.isEmpty())
        return usageError(err, QStringLiteral("-o and --in-place exclude each other"));
    if (!outputPath.isEmpty() && files.size() != 1)
        return usageError(err, QStringLiteral("-o takes the result for one file"));

    const SeparatorTriple separators = given ? *given : storedSeparatorTriple(storePath, err);
    const bool uniform = isUniform(separators);

    if (mode == Mode::Annotate) {
        AnnotateRequest request{files, outputPath, inPlace, separators, uniform, learntPath};
        const int status = runAnnotate(request, out, err);
        out.flush();
        err.flush();
        return status;
    }

    if (mode == Mode::Convert) {
        const int status = runConvert({files, outputPath, from, to, separators}, out, err);
        out.flush();
        err.flush();
        return status;
    }

    int status = kCheckAllWellFormed;
    for (const QString &path : files) {
        if (mode == Mode::Check) {
            status = std::max(status, checkOneFile(path, separators, out, err));
            continue;
        }
        const DocumentRead document = readDocumentFile(path);
        if (document.status != DocumentRead::Ok) {
            err << path << ": " << readFailure(path, document.status) << '\n';
            status = kCheckCannotRun;
            continue;
        }

        bool wellFormed = true;
        out << resolveText(document.text, mode == Mode::Resolve, separators);
        // The output is the text; which lines stayed raw goes aside.
        if (!uniform) {
            reportNotUniform(path, separators, err);
            wellFormed = false;
        } else {
            wellFormed = reportMalformedLines(path, document.text, separators, err);
        }
        if (!wellFormed)
            status = std::max(status, kCheckSomeMalformed);
    }

    out.flush();
    err.flush();
    return status;
}

} // namespace zeq
