// Replays what ibus and fcitx5 with Mozc really sent to a Qt text box (see
// tests/data/ime) into the editor's edit area, and checks what the document
// ends up holding.

#include "platform/textbox.h"
#include "support/mainwindow.h"
#include "support/qtprint.h"

#include <QDir>
#include <QFile>
#include <QInputMethodEvent>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTextCharFormat>

#include <gtest/gtest.h>

namespace zeq {
namespace {

QList<QJsonObject> recording(const QString &name)
{
    QFile file(QStringLiteral(ZEQ_IME_DATA_DIR "/") + name + QStringLiteral(".jsonl"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
    QList<QJsonObject> lines;
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (!line.trimmed().isEmpty())
            lines.append(QJsonDocument::fromJson(line).object());
    }
    return lines;
}

void sendInputMethodEvent(QWidget *target, const QJsonObject &line)
{
    QList<QInputMethodEvent::Attribute> attributes;
    for (const QJsonValue &value : line.value(QStringLiteral("attributes")).toArray()) {
        const QJsonObject a = value.toObject();
        const int start = a.value(QStringLiteral("start")).toInt();
        const int length = a.value(QStringLiteral("length")).toInt();
        if (a.value(QStringLiteral("type")).toString() == QLatin1String("Cursor")) {
            attributes.append({QInputMethodEvent::Cursor, start, length});
            continue;
        }
        QTextCharFormat format;
        if (a.value(QStringLiteral("background")).isString())
            format.setBackground(QColor(a.value(QStringLiteral("background")).toString()));
        if (a.value(QStringLiteral("foreground")).isString())
            format.setForeground(QColor(a.value(QStringLiteral("foreground")).toString()));
        if (a.value(QStringLiteral("underlineStyle")).toString() != QLatin1String("NoUnderline"))
            format.setUnderlineStyle(QTextCharFormat::SingleUnderline);
        attributes.append({QInputMethodEvent::TextFormat, start, length, format});
    }
    QInputMethodEvent event(line.value(QStringLiteral("preedit")).toString(), attributes);
    event.setCommitString(line.value(QStringLiteral("commit")).toString());
    QCoreApplication::sendEvent(target, &event);
}

struct Recording {
    const char *scenario;
    QString expected;
    QString message = {};
};

void PrintTo(const Recording &r, std::ostream *os)
{
    *os << r.scenario;
}

class ImeRecordings : public test::MainWindowFixture,
                      public ::testing::WithParamInterface<std::tuple<const char *, Recording>> {};

// Sends the recorded events in order. Between two lines the event loop
// runs, as it did between the input method's messages; a FocusOut line is
// delivered as Qt does right after the commit that precedes it, before the
// loop runs again.
void replay(QWidget *target, const QList<QJsonObject> &lines)
{
    for (const QJsonObject &line : lines) {
        const QString type = line.value(QStringLiteral("type")).toString();
        if (type == QLatin1String("FocusOut")) {
            QFocusEvent leaving(QEvent::FocusAboutToChange, Qt::ActiveWindowFocusReason);
            QCoreApplication::sendEvent(target, &leaving);
            continue;
        }
        QCoreApplication::processEvents();
        if (type == QLatin1String("InputMethod")) {
            sendInputMethodEvent(target, line);
        } else if (type == QLatin1String("KeyPress")) {
            // Keys the input method let through (Shift, a second Escape).
            QKeyEvent key(QEvent::KeyPress, line.value(QStringLiteral("keyCode")).toInt(), Qt::NoModifier,
                          line.value(QStringLiteral("keyText")).toString());
            QCoreApplication::sendEvent(target, &key);
        }
    }
    QCoreApplication::processEvents();
}

TEST_P(ImeRecordings, DocumentHoldsTheAnnotatedConversion)
{
    const auto &[im, rec] = GetParam();
    start();
    window->textEdit->setFocus();
    replay(window->textEdit, recording(QLatin1String(im) + u'-' + QLatin1String(rec.scenario)));
    EXPECT_EQ(window->note().Text(), rec.expected);
    // Whatever went in went in as one edit per confirmed conversion.
    EXPECT_LE(historyCount(), 2);
    EXPECT_EQ(modal.messages(), rec.message.isEmpty() ? QStringList() : QStringList{rec.message});
}

INSTANTIATE_TEST_SUITE_P(
    Sessions, ImeRecordings,
    ::testing::Combine(
        ::testing::Values("ibus", "fcitx5"),
        ::testing::Values(
            Recording{"kanjinorenshuu", QStringLiteral("`感`かん`じの`練習`れんしゅう`")},
            Recording{"gakkounosensei", QStringLiteral("`学校`がっこう`の`先生`せんせい`")},
            Recording{"second-candidate", QStringLiteral("`漢字`かんじ`の`練習`れんしゅう`")},
            Recording{"shrink-clause", QStringLiteral("`感`かん`じの`練習`れんしゅう`")},
            Recording{"kana-only", QStringLiteral("ひらがな")},
            // ibus commits the cancelled reading again when focus leaves.
            Recording{"escape-composing", QString()},
            Recording{"escape-converted", QStringLiteral("かんじ")},
            Recording{"type-during-conversion", QStringLiteral("`感`かん`じです")},
            Recording{"trailing-n-space", QStringLiteral("`缶`かん`")},
            Recording{"trailing-n-return", QStringLiteral("かｎ")},
            Recording{"double-n-space", QStringLiteral("`缶`かん`")})),
    [](const auto &info) {
        QString name = QLatin1String(std::get<0>(info.param)) + u'_' + QLatin1String(std::get<1>(info.param).scenario);
        name.replace(u'-', u'_');
        return name.toStdString();
    });

} // namespace
} // namespace zeq
