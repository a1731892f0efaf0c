// zeq_ime_recorder: a window with one QPlainTextEdit that records, as JSON
// Lines, what a real input method delivers to a Qt text box.
//
//   zeq_ime_recorder --log PATH [--quit-after SECONDS]
//
// One JSON object per line, flushed per line. Every line has "seq" (1, 2, ...),
// "ms" (milliseconds since start) and "type":
//   "Ready"        the window is shown and the text box has focus
//   "FocusIn"/"FocusOut"
//   "KeyPress"     key (Qt::Key name), keyCode, keyText, modifiers, autoRepeat,
//                  spontaneous (false when an input-method plugin re-sent it)
//   "InputMethod"  preedit, commit, replacementStart, replacementLength and
//                  attributes: [{type, start, length, ...}] where a TextFormat
//                  attribute adds background (colour or null), underlineStyle,
//                  underlineColor, foreground (colour or null); a Cursor one
//                  adds visible; a Language one adds locale
//   "Exit"         reason: "signal" or "watchdog"
// Event lines also carry "text" (the plain text after the text box handled
// the event) and "cursor" (the text cursor's position then).
// The process ends on SIGTERM/SIGINT (status 0) or after --quit-after seconds
// (default 600; status 3), so a run that goes wrong never hangs forever.

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QFile>
#include <QInputMethodEvent>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QLocale>
#include <QMetaEnum>
#include <QPlainTextEdit>
#include <QSocketNotifier>
#include <QTextCharFormat>
#include <QTimer>
#include <QWindow>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char c = 1;
    [[maybe_unused]] ssize_t n = ::write(signalPipe[1], &c, 1);
}

template <typename E>
QString enumName(E value)
{
    const char *name = QMetaEnum::fromType<E>().valueToKey(int(value));
    return name ? QString::fromLatin1(name) : QString::number(int(value));
}

QJsonValue colourOrNull(const QTextCharFormat &f, int property)
{
    if (!f.hasProperty(property))
        return QJsonValue::Null;
    const QBrush brush = f.brushProperty(property);
    if (brush.style() == Qt::NoBrush)
        return QJsonValue::Null;
    return brush.color().name(QColor::HexArgb);
}

QString underlineName(QTextCharFormat::UnderlineStyle s)
{
    switch (s) {
    case QTextCharFormat::NoUnderline: return QStringLiteral("NoUnderline");
    case QTextCharFormat::SingleUnderline: return QStringLiteral("SingleUnderline");
    case QTextCharFormat::DashUnderline: return QStringLiteral("DashUnderline");
    case QTextCharFormat::DotLine: return QStringLiteral("DotLine");
    case QTextCharFormat::DashDotLine: return QStringLiteral("DashDotLine");
    case QTextCharFormat::DashDotDotLine: return QStringLiteral("DashDotDotLine");
    case QTextCharFormat::WaveUnderline: return QStringLiteral("WaveUnderline");
    case QTextCharFormat::SpellCheckUnderline: return QStringLiteral("SpellCheckUnderline");
    }
    return QString::number(int(s));
}

QString attributeTypeName(QInputMethodEvent::AttributeType t)
{
    switch (t) {
    case QInputMethodEvent::TextFormat: return QStringLiteral("TextFormat");
    case QInputMethodEvent::Cursor: return QStringLiteral("Cursor");
    case QInputMethodEvent::Language: return QStringLiteral("Language");
    case QInputMethodEvent::Ruby: return QStringLiteral("Ruby");
    case QInputMethodEvent::Selection: return QStringLiteral("Selection");
    }
    return QString::number(int(t));
}

QJsonObject describeAttribute(const QInputMethodEvent::Attribute &a)
{
    QJsonObject o{{"type", attributeTypeName(a.type)}, {"start", a.start}, {"length", a.length}};
    switch (a.type) {
    case QInputMethodEvent::TextFormat: {
        const QTextCharFormat f = a.value.value<QTextFormat>().toCharFormat();
        o["background"] = colourOrNull(f, QTextFormat::BackgroundBrush);
        o["foreground"] = colourOrNull(f, QTextFormat::ForegroundBrush);
        o["underlineStyle"] = underlineName(f.underlineStyle());
        o["underlineColor"] = f.hasProperty(QTextFormat::TextUnderlineColor)
                ? QJsonValue(f.underlineColor().name(QColor::HexArgb))
                : QJsonValue(QJsonValue::Null);
        break;
    }
    case QInputMethodEvent::Cursor:
        o["visible"] = a.length != 0;
        break;
    case QInputMethodEvent::Language:
        o["locale"] = a.value.toLocale().name();
        break;
    default:
        if (a.value.isValid())
            o["value"] = a.value.toString();
        break;
    }
    return o;
}

class Recorder : public QObject
{
public:
    Recorder(QPlainTextEdit *edit, QFile *log) : m_edit(edit), m_log(log) { m_clock.start(); }

    void write(QJsonObject o)
    {
        o["seq"] = ++m_seq;
        o["ms"] = qint64(m_clock.elapsed());
        m_log->write(QJsonDocument(o).toJson(QJsonDocument::Compact));
        m_log->write("\n");
        m_log->flush();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != m_edit || m_delivering)
            return false;
        QJsonObject o;
        switch (event->type()) {
        case QEvent::InputMethod: {
            const auto *e = static_cast<QInputMethodEvent *>(event);
            QJsonArray attrs;
            for (const auto &a : e->attributes())
                attrs.append(describeAttribute(a));
            o = {{"type", "InputMethod"},
                 {"preedit", e->preeditString()},
                 {"commit", e->commitString()},
                 {"replacementStart", e->replacementStart()},
                 {"replacementLength", e->replacementLength()},
                 {"attributes", attrs}};
            break;
        }
        case QEvent::KeyPress: {
            const auto *e = static_cast<QKeyEvent *>(event);
            QJsonArray mods;
            const QMetaEnum me = QMetaEnum::fromType<Qt::KeyboardModifier>();
            for (int i = 0; i < me.keyCount(); ++i) {
                const int v = me.value(i);
                if (v != int(Qt::NoModifier) && v != int(Qt::KeyboardModifierMask) && (int(e->modifiers()) & v))
                    mods.append(QString::fromLatin1(me.key(i)));
            }
            o = {{"type", "KeyPress"},
                 {"key", enumName(Qt::Key(e->key()))},
                 {"keyCode", e->key()},
                 {"keyText", e->text()},
                 {"modifiers", mods},
                 {"autoRepeat", e->isAutoRepeat()},
                 {"spontaneous", e->spontaneous()}};
            break;
        }
        case QEvent::FocusIn:
        case QEvent::FocusOut:
            o = {{"type", event->type() == QEvent::FocusIn ? "FocusIn" : "FocusOut"}};
            break;
        default:
            return false;
        }
        // Let the text box handle the event now, so the line can also tell
        // the text that resulted from it.
        m_delivering = true;
        static_cast<QObject *>(m_edit)->event(event);
        m_delivering = false;
        o["text"] = m_edit->toPlainText();
        o["cursor"] = m_edit->textCursor().position();
        write(o);
        return true;
    }

private:
    QPlainTextEdit *m_edit;
    QFile *m_log;
    QElapsedTimer m_clock;
    qint64 m_seq = 0;
    bool m_delivering = false;
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zeq_ime_recorder"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
            QStringLiteral("Records the input-method and key events a Qt text box receives."));
    parser.addHelpOption();
    const QCommandLineOption logOpt(QStringLiteral("log"),
            QStringLiteral("JSON Lines file to write (\"-\" for standard output)."),
            QStringLiteral("PATH"));
    const QCommandLineOption quitOpt(QStringLiteral("quit-after"),
            QStringLiteral("Exit after this many seconds (default 600)."),
            QStringLiteral("SECONDS"), QStringLiteral("600"));
    parser.addOption(logOpt);
    parser.addOption(quitOpt);
    parser.process(app);

    if (!parser.isSet(logOpt)) {
        std::fprintf(stderr, "zeq_ime_recorder: --log PATH is required\n");
        return 2;
    }
    bool ok = false;
    const double quitAfter = parser.value(quitOpt).toDouble(&ok);
    if (!ok || quitAfter <= 0) {
        std::fprintf(stderr, "zeq_ime_recorder: --quit-after needs a positive number\n");
        return 2;
    }

    QFile log;
    const QString logPath = parser.value(logOpt);
    const bool opened = logPath == QLatin1String("-")
            ? log.open(stdout, QIODevice::WriteOnly)
            : (log.setFileName(logPath), log.open(QIODevice::WriteOnly | QIODevice::Truncate));
    if (!opened) {
        std::fprintf(stderr, "zeq_ime_recorder: cannot write %s\n", qPrintable(logPath));
        return 2;
    }

    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0) {
        std::perror("zeq_ime_recorder: socketpair");
        return 2;
    }
    struct sigaction sa = {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);

    QPlainTextEdit edit;
    edit.setWindowTitle(QStringLiteral("zeq_ime_recorder"));
    edit.setGeometry(0, 0, 640, 240);
    Recorder recorder(&edit, &log);
    edit.installEventFilter(&recorder);

    QString exitReason;
    QSocketNotifier sigNotifier(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&sigNotifier, &QSocketNotifier::activated, &app, [&] {
        char c;
        [[maybe_unused]] ssize_t n = ::read(signalPipe[0], &c, 1);
        exitReason = QStringLiteral("signal");
        app.quit();
    });
    QTimer::singleShot(qint64(quitAfter * 1000), &app, [&] {
        exitReason = QStringLiteral("watchdog");
        app.exit(3);
    });

    edit.show();
    edit.activateWindow();
    edit.setFocus();
    // "Ready" once the window is exposed and the text box has focus.
    auto *readyPoll = new QTimer(&app);
    QObject::connect(readyPoll, &QTimer::timeout, &app, [&, readyPoll] {
        if (edit.isVisible() && edit.hasFocus() && edit.windowHandle()
                && edit.windowHandle()->isExposed()) {
            readyPoll->stop();
            recorder.write({{"type", "Ready"}, {"platform", QGuiApplication::platformName()}});
        }
    });
    readyPoll->start(20);

    const int status = app.exec();
    edit.removeEventFilter(&recorder);
    recorder.write({{"type", "Exit"}, {"reason", exitReason}});
    return status;
}
