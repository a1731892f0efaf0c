// The settings dialog as the user drives it: opening from the menu with its
// controls in place, the separator boxes that refuse what the companion
// format cannot hold, the colour and font choosers answered through the
// modal seam, the two samples, the default button, and what OK, cancel, Esc
// and the close box leave in the record, the main window and the display
// image's rebuild mark.

#include "app/mainwindow.h"
#include "platform/fonts.h"
#include "platform/modal.h"
#include "support/scriptedmodal.h"
#include "platform/textbox.h"
#include "ruby/imagerender.h"
#include "settings/settingsdialog.h"
#include "settings/optionlogic.h"
#include "support/mainwindow.h"
#include "support/qtprint.h"

#include <QAction>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QTextFragment>
#include <QPointer>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace zeq {
namespace {

constexpr qint32 kKanji = 0x802000;
constexpr qint32 kHira = 0x008020;
constexpr qint32 kSepa = 0x200080;

// One run of a rich sample line: its text and how it looks.
struct SampleRun {
    QString text;
    QColor color;
    int points = 0;
    bool highlight = false;
    bool operator==(const SampleRun &) const = default;
};

void PrintTo(const SampleRun &run, std::ostream *os)
{
    *os << '[' << run.text.toStdString() << ' ' << run.color.name().toStdString() << ' ' << run.points << "pt"
        << (run.highlight ? " hl]" : "]");
}

std::vector<SampleRun> sampleLine(const QTextEdit *rich, int line)
{
    std::vector<SampleRun> runs;
    const QTextBlock block = rich->document()->findBlockByNumber(line);
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextCharFormat format = it.fragment().charFormat();
        runs.push_back({it.fragment().text(), format.foreground().color(), int(format.fontPointSize()),
                        hasHighlight(format)});
    }
    return runs;
}

QString faceOf(const QFont &font)
{
    return font.families().isEmpty() ? font.family() : font.families().last();
}

class SettingsDialogTest : public test::MainWindowFixture {
protected:
    MainWindow &startWith(const QString &text = QString())
    {
        MainWindow &w = start();
        if (!text.isEmpty())
            w.note().setText(text);
        // A restarted window reads the separators its predecessor saved.
        program.settings.gSeparator = QStringLiteral("`");
        program.settings.gUserSparator = {QStringLiteral("`"), QStringLiteral("`"), QStringLiteral("`")};
        program.settings.gKanjiColor = kKanji;
        program.settings.gHiraColor = kHira;
        program.settings.gSepaColor = kSepa;
        window->imageDirty = false;
        return w;
    }
    SettingsDialog &openOptions()
    {
        // The menu command would block in the dialog's own loop; the dialog
        // is opened as the command opens it, but driven from here.
        window->optionDialog = window->createSettingsDialog();
        window->optionDialog->showDialog();
        // Focus moves between the boxes only inside the active window.
        QApplication::setActiveWindow(window->optionDialog);
        EXPECT_TRUE(QTest::qWaitForWindowActive(window->optionDialog));
        return *window->optionDialog;
    }
    // Key presses carrying any text, as an input method delivers them.
    static void typeKeys(QWidget *target, const QString &text)
    {
        for (const QChar ch : text) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
            QApplication::sendEvent(target, &press);
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(ch));
            QApplication::sendEvent(target, &release);
        }
    }
    static void flushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    // Types into a separator box as the user does: focus, whole text
    // selected, keys; leave moves the focus on to the next control.
    void typeSeparator(SettingsDialog &dialog, int index, const QString &keys, bool leave)
    {
        QLineEdit *box = dialog.separatorBoxes[index];
        box->setFocus();
        box->selectAll();
        if (keys.isEmpty())
            QTest::keyClick(box, Qt::Key_Delete);
        else
            typeKeys(box, keys);
        if (leave)
            dialog.Command8->setFocus();
    }
    QString sampleSecondLine(const SettingsDialog &dialog) const
    {
        return dialog.Text2->document()->findBlockByNumber(1).text();
    }
    std::vector<SampleRun> faultyRuns(const SettingsDialog &dialog, const QString &s0, const QString &s1,
                                      const QString &s2, qint32 kanji = kKanji, qint32 hira = kHira,
                                      qint32 sepa = kSepa) const
    {
        const int pt = dialog.Text2->font().pointSize();
        std::vector<SampleRun> runs;
        auto add = [&](const QString &text, qint32 color, bool hl) {
            if (!text.isEmpty())
                runs.push_back({text, colorFromRef(color), pt, hl});
        };
        add(s0, sepa, true);
        add(QStringLiteral("間違"), kanji, false);
        add(s1, sepa, true);
        add(QStringLiteral("まちが"), hira, false);
        add(s2, sepa, true);
        add(QStringLiteral("いのある"), hira, false);
        add(s0, sepa, true);
        add(QStringLiteral("行"), kanji, false);
        add(QStringLiteral("ぎょう"), hira, false);
        add(s2, sepa, true);
        add(QStringLiteral("です。"), hira, false);
        runs.push_back({QStringLiteral("#漢字セパレータの数に過不足があります。"), QColor(255, 0, 0), pt - 3, true});
        return runs;
    }
};

struct Place {
    const char *name;
    std::function<QWidget *(SettingsDialog &)> widget;
    std::function<QWidget *(SettingsDialog &)> parent;
    QString caption;
    QRect twips;
};

QString captionOf(QWidget *widget)
{
    if (auto *box = qobject_cast<QGroupBox *>(widget))
        return box->title();
    if (auto *button = qobject_cast<QPushButton *>(widget))
        return button->text();
    if (auto *label = qobject_cast<QLabel *>(widget))
        return label->text();
    if (auto *edit = qobject_cast<QLineEdit *>(widget))
        return edit->text();
    return QString();
}

TEST_F(SettingsDialogTest, OpensFromTheOptionsMenuModalWithEveryControlInPlace)
{
    startWith();
    window->settingsAction->trigger();
    ASSERT_TRUE(window->optionDialog);
    EXPECT_TRUE(window->optionDialog->isVisible());
    EXPECT_EQ(window->optionDialog->windowModality(), Qt::ApplicationModal);
    // A second opening loads the dialog afresh.
    const QPointer<SettingsDialog> first = window->optionDialog;
    window->settingsAction->trigger();
    flushDeletes();
    EXPECT_FALSE(first);
    ASSERT_TRUE(window->optionDialog);
    window->optionDialog->Command9->click();
    flushDeletes();
    EXPECT_FALSE(window->optionDialog);

    SettingsDialog &d = openOptions();
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Zeq Text Editor 設定"));
    EXPECT_EQ(d.size(), QSize(551, 387));
    EXPECT_FALSE(d.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(d.Command8->isDefault());

    auto self = [](SettingsDialog &o) -> QWidget * { return &o; };
    const std::vector<Place> places = {
        {"Frame1", [](SettingsDialog &o) { return o.Frame1; }, self, QString(), {0, 0, 8235, 5235}},
        {"Frame3", [](SettingsDialog &o) { return o.Frame3; }, [](SettingsDialog &o) { return o.Frame1; },
         QStringLiteral("共通設定"), {120, 180, 4935, 675}},
        {"Command1", [](SettingsDialog &o) { return o.Command1; }, [](SettingsDialog &o) { return o.Frame3; },
         QStringLiteral("フォント(&F)"), {240, 240, 2055, 315}},
        {"Command4", [](SettingsDialog &o) { return o.Command4; }, [](SettingsDialog &o) { return o.Frame3; },
         QStringLiteral("基本の文字色(&C)"), {2580, 240, 2055, 315}},
        {"Frame4", [](SettingsDialog &o) { return o.Frame4; }, [](SettingsDialog &o) { return o.Frame1; },
         QStringLiteral("エディット画面設定"), {120, 900, 7995, 1635}},
        {"Command2", [](SettingsDialog &o) { return o.Command2; }, [](SettingsDialog &o) { return o.Frame4; },
         QStringLiteral("背景色(&E)"), {120, 240, 435, 1275}},
        {"Text2", [](SettingsDialog &o) { return o.Text2; }, [](SettingsDialog &o) { return o.Frame4; }, QString(),
         {600, 240, 7275, 1275}},
        {"Frame5", [](SettingsDialog &o) { return o.Frame5; }, [](SettingsDialog &o) { return o.Frame1; },
         QStringLiteral("Zeqイメージ表示画面設定"), {120, 2580, 7995, 2535}},
        {"Command3", [](SettingsDialog &o) { return o.Command3; }, [](SettingsDialog &o) { return o.Frame5; },
         QStringLiteral("背景色(&T)"), {120, 300, 435, 2115}},
        {"RichTextBox1", [](SettingsDialog &o) { return o.RichTextBox1; }, [](SettingsDialog &o) { return o.Frame5; },
         QString(), {600, 960, 7275, 1455}},
        {"Frame6", [](SettingsDialog &o) { return o.Frame6; }, [](SettingsDialog &o) { return o.Frame5; },
         QStringLiteral("エラー行の設定"), {660, 240, 7215, 675}},
        {"Command5", [](SettingsDialog &o) { return o.Command5; }, [](SettingsDialog &o) { return o.Frame6; },
         QStringLiteral("漢字の色(&K)"), {240, 240, 2055, 315}},
        {"Command6", [](SettingsDialog &o) { return o.Command6; }, [](SettingsDialog &o) { return o.Frame6; },
         QStringLiteral("ひらがなの色(&H)"), {2580, 240, 2055, 315}},
        {"Command7", [](SettingsDialog &o) { return o.Command7; }, [](SettingsDialog &o) { return o.Frame6; },
         QStringLiteral("漢字セパレータの色(&S)"), {4920, 240, 2055, 315}},
        {"Frame2", [](SettingsDialog &o) { return o.Frame2; }, [](SettingsDialog &o) { return o.Frame1; },
         QStringLiteral("漢字セパレータ変更"), {5220, 180, 2895, 675}},
        {"Text1_0", [](SettingsDialog &o) { return o.separatorBoxes[0]; }, [](SettingsDialog &o) { return o.Frame2; },
         QStringLiteral("`"), {360, 240, 255, 270}},
        {"Label1", [](SettingsDialog &o) { return o.Label1; }, [](SettingsDialog &o) { return o.Frame2; },
         QStringLiteral("漢字"), {720, 240, 525, 240}},
        {"Text1_1", [](SettingsDialog &o) { return o.separatorBoxes[1]; }, [](SettingsDialog &o) { return o.Frame2; },
         QStringLiteral("`"), {1320, 240, 255, 270}},
        {"Label2", [](SettingsDialog &o) { return o.Label2; }, [](SettingsDialog &o) { return o.Frame2; },
         QStringLiteral("かんじ"), {1620, 240, 705, 240}},
        {"Text1_2", [](SettingsDialog &o) { return o.separatorBoxes[2]; }, [](SettingsDialog &o) { return o.Frame2; },
         QStringLiteral("`"), {2340, 240, 255, 270}},
        {"Command8", [](SettingsDialog &o) { return o.Command8; }, self, QStringLiteral("OK"), {2520, 5340, 1275, 375}},
        {"Command9", [](SettingsDialog &o) { return o.Command9; }, self, QStringLiteral("キャンセル"),
         {5400, 5340, 1275, 375}},
        {"Command10", [](SettingsDialog &o) { return o.Command10; }, self, QStringLiteral("デフォルト"),
         {3960, 5340, 1275, 375}},
        {"Command11", [](SettingsDialog &o) { return o.Command11; }, self, QStringLiteral("ヘルプ"),
         {6840, 5340, 1275, 375}},
    };
    for (const Place &p : places) {
        SCOPED_TRACE(p.name);
        QWidget *widget = p.widget(d);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->objectName(), QString::fromLatin1(p.name));
        EXPECT_EQ(widget->parentWidget(), p.parent(d));
        EXPECT_EQ(captionOf(widget), p.caption);
        const QRect pixels(qRound(p.twips.x() / 15.0), qRound(p.twips.y() / 15.0), qRound(p.twips.width() / 15.0),
                           qRound(p.twips.height() / 15.0));
        EXPECT_EQ(widget->geometry(), pixels);
    }

    const QString tip = QStringLiteral("個別に設定可能ですが、Zeqのテキストとしては使用できなくなります。");
    for (QWidget *w : {static_cast<QWidget *>(d.Frame2), static_cast<QWidget *>(d.separatorBoxes[0]),
                       static_cast<QWidget *>(d.separatorBoxes[1]), static_cast<QWidget *>(d.separatorBoxes[2]),
                       static_cast<QWidget *>(d.Label1), static_cast<QWidget *>(d.Label2)})
        EXPECT_EQ(w->toolTip(), tip) << w->objectName().toStdString();
    EXPECT_TRUE(d.Frame3->font().bold());
    EXPECT_FALSE(d.Command1->font().bold());
    EXPECT_TRUE(d.Label1->font().bold());
    EXPECT_EQ(d.Label1->font().pointSize(), 12);
    EXPECT_EQ(faceOf(d.Label1->font()), QStringLiteral("ＭＳ Ｐゴシック"));
}

TEST_F(SettingsDialogTest, TabsThroughTheControlsInOrder)
{
    startWith();
    SettingsDialog &d = openOptions();
    QList<QWidget *> order;
    QWidget *next = d.Command1;
    do {
        if (next->focusPolicy() & Qt::TabFocus)
            order.append(next);
        next = next->nextInFocusChain();
    } while (next != d.Command1 && order.size() < 40);
    const QList<QWidget *> expected{d.Command1, d.Command4,  d.Command2, d.Text2,    d.Command3, d.RichTextBox1,
                                    d.Command5, d.Command6,  d.Command7, d.separatorBoxes[0], d.separatorBoxes[1], d.separatorBoxes[2],
                                    d.Command8, d.Command9,  d.Command10, d.Command11};
    EXPECT_EQ(order, expected);
}

TEST_F(SettingsDialogTest, TabLeavesTheSampleBoxesUntouched)
{
    startWith();
    SettingsDialog &d = openOptions();
    const QString sample = d.Text2->toPlainText();
    d.Text2->setFocus();
    QTest::keyClick(d.Text2, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), d.Command3);
    EXPECT_EQ(d.Text2->toPlainText(), sample);
    d.RichTextBox1->setFocus();
    QTest::keyClick(d.RichTextBox1, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), d.Command5);
    EXPECT_FALSE(d.Text2->accessibleName().isEmpty());
    EXPECT_FALSE(d.RichTextBox1->accessibleName().isEmpty());
}

TEST_F(SettingsDialogTest, CaptionsFitTheirControlsInTheStandInFonts)
{
    startWith();
    SettingsDialog &d = openOptions();
    // A caption wider than its button is cut off on screen.
    for (QPushButton *b : {d.Command1, d.Command4, d.Command5, d.Command6, d.Command7, d.Command8, d.Command9,
                           d.Command10, d.Command11}) {
        SCOPED_TRACE(b->objectName().toStdString());
        const QFontMetrics metrics(b->font());
        QString shown = b->text();
        shown.remove(u'&');
        EXPECT_LE(metrics.horizontalAdvance(shown) + 4, b->width());
        EXPECT_LE(metrics.height(), b->height());
    }
    for (QLabel *label : {d.Label1, d.Label2}) {
        SCOPED_TRACE(label->objectName().toStdString());
        EXPECT_LE(QFontMetrics(label->font()).horizontalAdvance(label->text()), label->width());
    }
    // Nothing inside a frame reaches past its edges.
    for (QGroupBox *frame : {d.Frame2, d.Frame3, d.Frame4, d.Frame5, d.Frame6}) {
        for (QWidget *child : frame->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            SCOPED_TRACE(child->objectName().toStdString());
            EXPECT_TRUE(frame->rect().contains(child->geometry()));
        }
    }
}

// The record is what is in effect (a cancel puts back what it changed), so
// opening reads nothing back from the window's controls.
TEST_F(SettingsDialogTest, OpeningShowsTheRecordInEffectInBothSamples)
{
    MainWindow &w = startWith();
    const SettingsRecord before = program.settings;
    SettingsDialog &d = openOptions();
    EXPECT_EQ(program.settings.gFontColor, before.gFontColor);
    EXPECT_EQ(program.settings.gZeqFontName, before.gZeqFontName);
    EXPECT_EQ(program.settings.gZeqFontSize, before.gZeqFontSize);
    EXPECT_EQ(d.Text2->palette().color(QPalette::Base), QColor(255, 255, 255));
    EXPECT_EQ(faceOf(d.Text2->font()), kDefaultFontName);
    // Inside a bold-captioned frame, the sample's own text stays plain.
    EXPECT_FALSE(d.Text2->font().bold());
    EXPECT_EQ(d.Text2->font().pointSize(), w.lineNumbers->font().pointSize());
    EXPECT_EQ(d.RichTextBox1->font().pointSize(), d.Text2->font().pointSize());
    EXPECT_EQ(d.RichTextBox1->palette().color(QPalette::Base), colorFromRef(0xC0FFFF));
    // The template line fits without wrapping: 12 / 2 * 83 * 20 / 15.
    EXPECT_EQ(d.RichTextBox1->lineWrapColumnOrWidth(), 664);

    EXPECT_EQ(d.editSparator, (SeparatorTriple{"`", "`", "`"}));
    EXPECT_EQ(d.sampleText,
              QStringLiteral("`漢字`かんじ`の`練習`れんしゅう`です。\r\n`間違`まちが`いのある`行ぎょう`です。"));
    EXPECT_EQ(d.Text2->toPlainText(),
              QStringLiteral("`漢字`かんじ`の`練習`れんしゅう`です。\n`間違`まちが`いのある`行ぎょう`です。"));
    const int pt = d.Text2->font().pointSize();
    EXPECT_EQ(sampleLine(d.RichTextBox1, 0),
              (std::vector<SampleRun>{{QStringLiteral("漢字の練習です。"), QColor(0, 0, 0), pt, false}}));
    EXPECT_EQ(sampleLine(d.RichTextBox1, 1), faultyRuns(d, "`", "`", "`"));
    EXPECT_EQ(d.RichTextBox1->document()->blockCount(), 2);
    // The boxes were filled while the working copy was still empty.
    EXPECT_TRUE(window->imageDirty);
    EXPECT_TRUE(modal.calls.isEmpty());
}

TEST_F(SettingsDialogTest, RecordSeparatorTheBoxesRefuseIsReportedAtLoadAndKeptByOk)
{
    startWith();
    program.settings.gUserSparator = {QStringLiteral("`"), QStringLiteral("ab"), QStringLiteral("｀")};
    SettingsDialog &d = openOptions();
    EXPECT_EQ(modal.messages(), (QStringList{kSeparatorEntryMessage, kSeparatorEntryMessage}));
    for (const auto &call : modal.calls) {
        EXPECT_EQ(call.style, 64);
        EXPECT_EQ(call.title, kAppTitle);
    }
    EXPECT_EQ(d.separatorBoxes[0]->text(), QStringLiteral("`"));
    EXPECT_EQ(d.separatorBoxes[1]->text(), QString());
    EXPECT_EQ(d.separatorBoxes[2]->text(), QString());
    EXPECT_EQ(d.editSparator, program.settings.gUserSparator);
    d.Command8->click();
    EXPECT_EQ(program.settings.gUserSparator,
              (SeparatorTriple{QStringLiteral("`"), QStringLiteral("ab"), QStringLiteral("｀")}));
}

struct EntryCase {
    const char *why;
    QString keys;   // typed over the selected "`"; empty: the box is cleared
    bool refused;
    QString boxAfter;
    QString working;
    bool dirty;
};

TEST_F(SettingsDialogTest, SeparatorBoxRefusesAnythingButNothingOrOnePrintableAsciiCharacter)
{
    const std::vector<EntryCase> cases = {
        {"a printable character", "a", false, "a", "a", true},
        {"the same character", "`", false, "`", "`", false},
        {"cleared", "", false, "", "", false},
        {"full-width character", "ａ", true, "`", "`", false},
        {"second character", "a|", true, "a", "a", true},
        {"control character", QString(QChar(1)), true, "`", "`", false},
    };
    for (const EntryCase &c : cases) {
        SCOPED_TRACE(c.why);
        startWith();
        SettingsDialog &d = openOptions();
        window->imageDirty = false;
        modal.calls.clear();
        QLineEdit *box = d.separatorBoxes[1];
        box->setFocus();
        box->selectAll();
        if (c.keys.isEmpty()) {
            QTest::keyClick(box, Qt::Key_Delete);
        } else if (c.keys.size() == 1 && c.keys.at(0).unicode() < 32) {
            // A control character the key filter of a line edit would drop.
            box->insert(c.keys);
        } else {
            typeKeys(box, c.keys);
        }
        EXPECT_EQ(modal.messages(), c.refused ? QStringList{kSeparatorEntryMessage} : QStringList{});
        EXPECT_EQ(box->text(), c.boxAfter);
        EXPECT_EQ(d.editSparator[1], c.working);
        EXPECT_EQ(window->imageDirty, c.dirty);
        if (c.refused) {
            EXPECT_EQ(box->selectionStart(), 0);
            EXPECT_EQ(box->selectedText(), c.boxAfter.left(1));
        }
        d.Command9->click();
        flushDeletes();
    }
}

struct CloseCase {
    const char *why;
    std::function<void(SettingsDialog &)> close;
    bool commits;
};

TEST_F(SettingsDialogTest, NewSeparatorShowsInBothSamplesOnLeavingAndOnlyOkCommitsIt)
{
    const std::vector<CloseCase> cases = {
        {"OK", [](SettingsDialog &d) { d.Command8->click(); }, true},
        {"Enter on the default button", [](SettingsDialog &d) { QTest::keyClick(d.Command8, Qt::Key_Return); }, true},
        {"cancel", [](SettingsDialog &d) { d.Command9->click(); }, false},
        {"Esc", [](SettingsDialog &d) { QTest::keyClick(&d, Qt::Key_Escape); }, false},
        {"the close box", [](SettingsDialog &d) { d.close(); }, false},
    };
    for (const CloseCase &c : cases) {
        SCOPED_TRACE(c.why);
        startWith();
        SettingsDialog &d = openOptions();
        typeSeparator(d, 1, QStringLiteral("a"), false);
        // While typing, the samples stay as they were.
        EXPECT_EQ(sampleSecondLine(d), QStringLiteral("`間違`まちが`いのある`行ぎょう`です。"));
        d.Command8->setFocus();
        EXPECT_EQ(sampleSecondLine(d), QStringLiteral("`間違aまちが`いのある`行ぎょう`です。"));
        EXPECT_EQ(sampleLine(d.RichTextBox1, 1), faultyRuns(d, "`", "a", "`"));
        EXPECT_EQ(program.settings.gUserSparator[1], QStringLiteral("`"));

        QSignalSpy finished(&d, &QDialog::finished);
        c.close(d);
        EXPECT_EQ(finished.count(), 1);
        EXPECT_EQ(program.settings.gUserSparator[1], c.commits ? QStringLiteral("a") : QStringLiteral("`"));
        flushDeletes();
        EXPECT_FALSE(window->optionDialog);
    }
}

TEST_F(SettingsDialogTest, ClearedSeparatorLeavesNoSeparatorInTheSamples)
{
    startWith();
    SettingsDialog &d = openOptions();
    typeSeparator(d, 0, QString(), true);
    EXPECT_EQ(sampleSecondLine(d), QStringLiteral("間違`まちが`いのある行ぎょう`です。"));
    EXPECT_EQ(sampleLine(d.RichTextBox1, 1), faultyRuns(d, "", "`", "`"));
    d.Command8->click();
    EXPECT_EQ(program.settings.gUserSparator, (SeparatorTriple{"", "`", "`"}));
}

struct ColorButtonCase {
    const char *name;
    std::function<QPushButton *(SettingsDialog &)> button;
    std::function<qint32 &(SettingsRecord &)> field;
    bool marksImage;
    // How the samples show the new colour.
    std::function<void(SettingsDialog &, const QColor &)> expectSample;
};

TEST_F(SettingsDialogTest, ColourButtonsWriteTheRecordAtOnceAndMarkTheImageWhenItChanges)
{
    const QColor chosen(0x12, 0x34, 0x56);
    const qint32 ref = colorToRef(chosen);
    const std::vector<ColorButtonCase> cases = {
        {"Command4", [](SettingsDialog &d) { return d.Command4; }, [](SettingsRecord &r) -> qint32 & { return r.gFontColor; },
         true,
         [](SettingsDialog &d, const QColor &c) {
             EXPECT_EQ(d.Text2->palette().color(QPalette::Text), c);
             EXPECT_EQ(sampleLine(d.RichTextBox1, 0).at(0).color, c);
         }},
        {"Command2", [](SettingsDialog &d) { return d.Command2; },
         [](SettingsRecord &r) -> qint32 & { return r.gTextBackColor; }, false,
         [](SettingsDialog &d, const QColor &c) { EXPECT_EQ(d.Text2->palette().color(QPalette::Base), c); }},
        {"Command3", [](SettingsDialog &d) { return d.Command3; },
         [](SettingsRecord &r) -> qint32 & { return r.gRchBackColor; }, true,
         [](SettingsDialog &d, const QColor &c) { EXPECT_EQ(d.RichTextBox1->palette().color(QPalette::Base), c); }},
        {"Command5", [](SettingsDialog &d) { return d.Command5; }, [](SettingsRecord &r) -> qint32 & { return r.gKanjiColor; },
         true, [](SettingsDialog &d, const QColor &c) { EXPECT_EQ(sampleLine(d.RichTextBox1, 1).at(1).color, c); }},
        {"Command6", [](SettingsDialog &d) { return d.Command6; }, [](SettingsRecord &r) -> qint32 & { return r.gHiraColor; },
         true, [](SettingsDialog &d, const QColor &c) { EXPECT_EQ(sampleLine(d.RichTextBox1, 1).at(3).color, c); }},
        {"Command7", [](SettingsDialog &d) { return d.Command7; }, [](SettingsRecord &r) -> qint32 & { return r.gSepaColor; },
         true, [](SettingsDialog &d, const QColor &c) { EXPECT_EQ(sampleLine(d.RichTextBox1, 1).at(0).color, c); }},
    };
    for (const ColorButtonCase &c : cases) {
        SCOPED_TRACE(c.name);
        startWith();
        SettingsDialog &d = openOptions();
        const SettingsRecord before = program.settings;

        // A cancelled chooser changes nothing.
        window->imageDirty = false;
        c.button(d)->click();
        EXPECT_EQ(program.settings.gKanjiColor, before.gKanjiColor);
        EXPECT_EQ(c.field(program.settings), c.field(const_cast<SettingsRecord &>(before)));
        EXPECT_FALSE(window->imageDirty);

        // The same colour again leaves the mark as it was, set or not.
        modal.colorAnswers.push_back(c.field(program.settings));
        c.button(d)->click();
        EXPECT_FALSE(window->imageDirty);
        window->imageDirty = true;
        modal.colorAnswers.push_back(c.field(program.settings));
        c.button(d)->click();
        EXPECT_TRUE(window->imageDirty);

        window->imageDirty = false;
        modal.colorAnswers.push_back(ref);
        c.button(d)->click();
        EXPECT_EQ(c.field(program.settings), ref);
        EXPECT_EQ(window->imageDirty, c.marksImage);
        c.expectSample(d, chosen);
        // The main window sees nothing before OK.
        EXPECT_NE(colorToRef(window->textEdit->palette().color(QPalette::Base)), ref);
        EXPECT_NE(colorToRef(window->preview->palette().color(QPalette::Base)), ref);
        d.Command9->click();
        flushDeletes();
    }
}

TEST_F(SettingsDialogTest, ColourChooserOpensAtTheColourLastChosenInIt)
{
    startWith();
    SettingsDialog &d = openOptions();
    modal.colorAnswers = {0x0000AA, std::nullopt};
    d.Command5->click();
    d.Command6->click();   // cancelled: the chooser keeps its colour
    d.Command9->click();
    flushDeletes();
    SettingsDialog &again = openOptions();
    again.Command7->click();
    QStringList initial;
    for (const auto &call : modal.calls)
        initial << call.text;
    EXPECT_EQ(initial, (QStringList{"0", QString::number(0xAA), QString::number(0xAA)}));
}

// Whatever was chosen while the dialog was open, cancel, Esc and the close
// box leave the record, the display image and the next opening as before.
TEST_F(SettingsDialogTest, CancelEscAndTheCloseBoxPutEveryColourAndTheFontBack)
{
    const std::vector<std::pair<const char *, std::function<void(SettingsDialog &)>>> closers = {
        {"cancel", [](SettingsDialog &d) { d.Command9->click(); }},
        {"Esc", [](SettingsDialog &d) { QTest::keyClick(&d, Qt::Key_Escape); }},
        {"close box", [](SettingsDialog &d) { d.close(); }},
    };
    for (const auto &[name, closeDialog] : closers) {
        SCOPED_TRACE(name);
        MainWindow &w = startWith(QStringLiteral("`間違`まちが`いのある`行ぎょう`です。"));
        const SettingsRecord before = program.settings;
        const int rightEdge = window->previewRightEdge;
        SettingsDialog &d = openOptions();
        modal.colorAnswers = {0x000001, 0x000002, 0x000003, 0x000004, 0x000005, 0x000006};
        for (QPushButton *b : {d.Command2, d.Command3, d.Command4, d.Command5, d.Command6, d.Command7})
            b->click();
        modal.fontAnswers = {FontChoice{QStringLiteral("IPAGothic"), 20}};
        d.Command1->click();
        closeDialog(d);
        flushDeletes();
        ASSERT_FALSE(window->optionDialog);

        const SettingsRecord &after = program.settings;
        EXPECT_EQ(after.gFontColor, before.gFontColor);
        EXPECT_EQ(after.gTextBackColor, before.gTextBackColor);
        EXPECT_EQ(after.gRchBackColor, before.gRchBackColor);
        EXPECT_EQ(after.gKanjiColor, before.gKanjiColor);
        EXPECT_EQ(after.gHiraColor, before.gHiraColor);
        EXPECT_EQ(after.gSepaColor, before.gSepaColor);
        EXPECT_EQ(after.gZeqFontName, before.gZeqFontName);
        EXPECT_EQ(after.gZeqFontSize, before.gZeqFontSize);
        EXPECT_EQ(window->previewRightEdge, rightEdge);

        // The display image's next rebuild uses the kanji colour of before.
        w.togglePreview();
        bool sawKanji = false;
        const QTextBlock block = w.preview->document()->firstBlock();
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            if (it.fragment().text().startsWith(QStringLiteral("間"))) {
                sawKanji = true;
                EXPECT_EQ(it.fragment().charFormat().foreground().color(), colorFromRef(kKanji));
            }
        }
        EXPECT_TRUE(sawKanji);
        w.togglePreview();
        modal.calls.clear();
    }
}

TEST_F(SettingsDialogTest, FontChooserStartsFromTheEditAreaAndStoresWholePoints)
{
    MainWindow &w = startWith();
    SettingsDialog &d = openOptions();
    window->imageDirty = false;

    d.Command1->click();   // cancelled
    EXPECT_EQ(program.settings.gZeqFontName, kDefaultFontName);
    EXPECT_EQ(program.settings.gZeqFontSize, 12);

    modal.fontAnswers = {FontChoice{QStringLiteral("IPAGothic"), 16}};
    d.Command1->click();
    EXPECT_EQ(program.settings.gZeqFontName, QStringLiteral("IPAGothic"));
    EXPECT_EQ(program.settings.gZeqFontSize, 16);
    EXPECT_EQ(faceOf(d.Text2->font()), QStringLiteral("IPAGothic"));
    EXPECT_EQ(d.Text2->font().pointSize(), 16);
    EXPECT_EQ(faceOf(d.RichTextBox1->font()), QStringLiteral("IPAGothic"));
    EXPECT_EQ(d.RichTextBox1->font().pointSize(), 16);
    // 16 / 2 * 83 * 20 / 15, shared with the display image.
    EXPECT_EQ(window->previewRightEdge, 885);
    EXPECT_EQ(d.RichTextBox1->lineWrapColumnOrWidth(), 885);
    EXPECT_EQ(sampleLine(d.RichTextBox1, 1).back().points, 13);
    EXPECT_FALSE(window->imageDirty);
    EXPECT_EQ(faceOf(w.textEdit->font()), kDefaultFontName);

    modal.fontAnswers = {FontChoice{QStringLiteral("IPAMincho"), 10}};
    d.Command1->click();
    QList<QPair<QString, int>> initial;
    for (const auto &call : modal.calls)
        initial.append({call.text, call.style});
    const QList<QPair<QString, int>> expected(3, {kDefaultFontName, 12});
    EXPECT_EQ(initial, expected);

    // A chooser may hand back half points; the settings keep whole ones,
    // halves going to the even neighbour.
    modal.fontAnswers = {FontChoice{QStringLiteral("IPAMincho"), 10.5}};
    d.Command1->click();
    EXPECT_EQ(d.RichTextBox1->font().pointSize(), 10);
}

TEST_F(SettingsDialogTest, DefaultButtonResetsColoursAndSamplesThenOkAppliesThem)
{
    MainWindow &w = startWith();
    program.settings.gSeparator = QStringLiteral("|");
    SettingsDialog &d = openOptions();
    modal.fontAnswers = {FontChoice{QStringLiteral("IPAGothic"), 16}};
    d.Command1->click();
    modal.colorAnswers = {0x010203, 0x040506};
    d.Command4->click();
    d.Command2->click();
    typeSeparator(d, 0, QStringLiteral("a"), true);
    window->imageDirty = false;

    d.Command10->click();
    const SettingsRecord &r = program.settings;
    EXPECT_EQ(r.gFontColor, 0);
    EXPECT_EQ(r.gTextBackColor, 0xFFFFFF);
    EXPECT_EQ(r.gRchBackColor, 0xC0FFFF);
    EXPECT_EQ(r.gKanjiColor, 0xFF0000);
    EXPECT_EQ(r.gHiraColor, 255);
    EXPECT_EQ(r.gSepaColor, 0);
    EXPECT_EQ(r.gZeqFontName, QStringLiteral("IPAGothic"));
    EXPECT_EQ(r.gZeqFontSize, 16);
    EXPECT_TRUE(window->imageDirty);
    EXPECT_EQ(faceOf(d.Text2->font()), kDefaultFontName);
    EXPECT_EQ(d.Text2->font().pointSize(), 12);
    EXPECT_EQ(d.Text2->palette().color(QPalette::Base), QColor(255, 255, 255));
    // The sample's text colour is left as chosen.
    EXPECT_EQ(d.Text2->palette().color(QPalette::Text), colorFromRef(0x010203));
    EXPECT_EQ(faceOf(d.RichTextBox1->font()), kDefaultFontName);
    EXPECT_EQ(d.RichTextBox1->font().pointSize(), 12);
    EXPECT_EQ(d.editSparator, (SeparatorTriple{"|", "|", "|"}));
    for (QLineEdit *box : d.separatorBoxes)
        EXPECT_EQ(box->text(), QStringLiteral("|"));
    EXPECT_EQ(sampleSecondLine(d), QStringLiteral("|間違|まちが|いのある|行ぎょう|です。"));
    EXPECT_EQ(sampleLine(d.RichTextBox1, 1).at(1).color, colorFromRef(0xFF0000));
    EXPECT_EQ(program.settings.gUserSparator, (SeparatorTriple{"`", "`", "`"}));

    d.Command8->click();
    EXPECT_EQ(w.textEdit->palette().color(QPalette::Text), QColor(0, 0, 0));
    EXPECT_EQ(w.textEdit->palette().color(QPalette::Base), QColor(255, 255, 255));
    EXPECT_EQ(w.preview->palette().color(QPalette::Base), colorFromRef(0xC0FFFF));
    EXPECT_EQ(faceOf(w.textEdit->font()), QStringLiteral("IPAGothic"));
    EXPECT_EQ(w.textEdit->font().pointSize(), 16);
    EXPECT_EQ(faceOf(w.preview->font()), kDefaultFontName);
    EXPECT_EQ(w.preview->font().pointSize(), 12);
    EXPECT_EQ(w.lineNumbers->font().pointSize(), 16);
    EXPECT_EQ(program.settings.gUserSparator, (SeparatorTriple{"|", "|", "|"}));
}

TEST_F(SettingsDialogTest, OkAppliesTheRecordToTheMainWindowWithoutTouchingTheRebuildMark)
{
    MainWindow &w = startWith(QStringLiteral("`漢字`かんじ"));
    SettingsDialog &d = openOptions();
    modal.fontAnswers = {FontChoice{QStringLiteral("IPAGothic"), 14}};
    d.Command1->click();
    modal.colorAnswers = {0x000080, 0xE0E0E0, 0x80FFFF};
    d.Command4->click();
    d.Command2->click();
    d.Command3->click();
    window->imageDirty = false;

    d.Command8->click();
    EXPECT_FALSE(window->imageDirty);
    EXPECT_EQ(w.textEdit->palette().color(QPalette::Text), colorFromRef(0x000080));
    EXPECT_EQ(w.textEdit->palette().color(QPalette::Base), colorFromRef(0xE0E0E0));
    EXPECT_EQ(w.preview->palette().color(QPalette::Base), colorFromRef(0x80FFFF));
    EXPECT_EQ(faceOf(w.textEdit->font()), QStringLiteral("IPAGothic"));
    EXPECT_EQ(w.textEdit->font().pointSize(), 14);
    EXPECT_EQ(faceOf(w.preview->font()), QStringLiteral("IPAGothic"));
    EXPECT_EQ(w.preview->font().pointSize(), 14);
    EXPECT_EQ(w.lineNumbers->font().pointSize(), 14);
    EXPECT_FALSE(d.isVisible());

    // The next opening starts from what the window now shows.
    SettingsDialog &again = openOptions();
    EXPECT_EQ(program.settings.gFontColor, 0x000080);
    EXPECT_EQ(program.settings.gZeqFontSize, 14);
    EXPECT_EQ(again.Text2->font().pointSize(), 14);
}

TEST_F(SettingsDialogTest, HelpButtonOpensTheSettingsTopic)
{
    startWith();
    SettingsDialog &d = openOptions();
    d.Command11->click();
    ASSERT_EQ(modal.calls.size(), 1);
    EXPECT_EQ(modal.calls[0].kind, ScriptedModal::Kind::Help);
    EXPECT_EQ(modal.calls[0].text, QStringLiteral("設定"));
    EXPECT_TRUE(d.isVisible());
}

} // namespace
} // namespace zeq
