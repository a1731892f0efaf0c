#include "settings/settingsdialog.h"

#include "about/aboutdialog.h"
#include "platform/twips.h"
#include "platform/fonts.h"
#include "platform/modal.h"
#include "ruby/imagerender.h"
#include "settings/optionlogic.h"

#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QTextCursor>
#include <QTextEdit>

#include <cmath>

namespace zeq {

namespace {

const QString kDialogFace = QStringLiteral("ＭＳ Ｐゴシック");
constexpr int kDialogPoints = 9;
constexpr int kLabelPoints = 12;

int px(int twips)
{
    return twipsToPixels(twips);
}

void place(QWidget *widget, int left, int top, int width, int height)
{
    widget->setGeometry(px(left), px(top), px(width), px(height));
}

int wholePoints(const QFont &font)
{
    return font.pointSize() > 0 ? font.pointSize() : int(roundHalfEven(font.pointSizeF()));
}

QFont dialogFont(bool bold, int points = kDialogPoints)
{
    QFont font = storedFont(kDialogFace, points);
    // Set explicitly, so that a plain control inside a bold frame stays plain.
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    return font;
}

void setTextColors(QWidget *widget, std::optional<qint32> text, std::optional<qint32> back)
{
    QPalette palette = widget->palette();
    if (text)
        palette.setColor(QPalette::Text, colorFromRef(*text));
    if (back)
        palette.setColor(QPalette::Base, colorFromRef(*back));
    widget->setPalette(palette);
}

// The samples sit in bold-captioned frames; their own text is never bold.
QFont sampleFont(const QString &faceName, int points)
{
    QFont font = storedFont(faceName, points);
    font.setWeight(QFont::Normal);
    return font;
}

// The two background buttons are tall and one character wide: their caption
// is drawn one character per row ("背", "景", "色", "(E)"), while the button
// keeps its one-line text for its access key and for whoever reads it.
class StackedCaptionButton : public QPushButton {
public:
    StackedCaptionButton(const QString &text, QWidget *parent) : QPushButton(text, parent) {}

protected:
    void paintEvent(QPaintEvent *) override
    {
        QStylePainter painter(this);
        QStyleOptionButton option;
        initStyleOption(&option);
        option.text = stacked(text());
        painter.drawControl(QStyle::CE_PushButton, option);
    }

private:
    static QString stacked(const QString &caption)
    {
        QStringList rows;
        for (qsizetype i = 0; i < caption.size(); ++i) {
            const QChar c = caption.at(i);
            if (c == u'(') {
                // The access key in its brackets stays on one row.
                const qsizetype close = caption.indexOf(u')', i);
                const qsizetype end = close < 0 ? caption.size() : close + 1;
                rows.append(caption.mid(i, end - i));
                i = end - 1;
            } else if (c == u'&' && i + 1 < caption.size()) {
                rows.append(caption.mid(i, 2));
                ++i;
            } else {
                rows.append(QString(c));
            }
        }
        return rows.join(u'\n');
    }
};

QGroupBox *frame(const QString &name, const QString &caption, QWidget *parent)
{
    auto *box = new QGroupBox(caption, parent);
    box->setObjectName(name);
    box->setFont(dialogFont(true));
    return box;
}

QPushButton *button(const QString &name, const QString &caption, QWidget *parent)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setFont(dialogFont(false));
    return b;
}

} // namespace

SettingsDialog::SettingsDialog(const SettingsDialogContext &context, ModalSeam &modal, QWidget *parent)
    : QDialog(parent), m_context(context), m_modal(modal)
{
    setObjectName(QStringLiteral("SettingsDialog"));
    setWindowTitle(QStringLiteral("Zeq Text Editor 設定"));
    setAttribute(Qt::WA_DeleteOnClose);
    // A fixed dialog: no minimise, maximise or context-help button.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFont(dialogFont(false));
    setFixedSize(px(8265), px(5805));

    createControls();

    connect(Command1, &QPushButton::clicked, this, &SettingsDialog::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &SettingsDialog::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &SettingsDialog::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &SettingsDialog::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &SettingsDialog::Command5_Click);
    connect(Command6, &QPushButton::clicked, this, &SettingsDialog::Command6_Click);
    connect(Command7, &QPushButton::clicked, this, &SettingsDialog::Command7_Click);
    connect(Command8, &QPushButton::clicked, this, &SettingsDialog::Command8_Click);
    connect(Command9, &QPushButton::clicked, this, &SettingsDialog::Command9_Click);
    connect(Command10, &QPushButton::clicked, this, &SettingsDialog::Command10_Click);
    connect(Command11, &QPushButton::clicked, this, &SettingsDialog::Command11_Click);
    for (int index = 0; index < 3; ++index) {
        // Text set from code is judged exactly as typed text is.
        connect(separatorBoxes[index], &QLineEdit::textChanged, this, [this, index] { Text1_Change(index); });
        separatorBoxes[index]->installEventFilter(this);
    }

    startUp();
}

void SettingsDialog::createControls()
{
    Frame1 = frame(QStringLiteral("Frame1"), QString(), this);
    place(Frame1, 0, 0, 8235, 5235);

    Frame3 = frame(QStringLiteral("Frame3"), QStringLiteral("共通設定"), Frame1);
    place(Frame3, 120, 180, 4935, 675);
    Command1 = button(QStringLiteral("Command1"), QStringLiteral("フォント(&F)"), Frame3);
    place(Command1, 240, 240, 2055, 315);
    Command4 = button(QStringLiteral("Command4"), QStringLiteral("基本の文字色(&C)"), Frame3);
    place(Command4, 2580, 240, 2055, 315);

    Frame4 = frame(QStringLiteral("Frame4"), QStringLiteral("エディット画面設定"), Frame1);
    place(Frame4, 120, 900, 7995, 1635);
    Command2 = new StackedCaptionButton(QStringLiteral("背景色(&E)"), Frame4);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setFont(dialogFont(false));
    place(Command2, 120, 240, 435, 1275);
    Text2 = new QPlainTextEdit(QStringLiteral("Text2"), Frame4);
    Text2->setObjectName(QStringLiteral("Text2"));
    Text2->setLineWrapMode(QPlainTextEdit::NoWrap);
    Text2->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // A sample is looked at, not typed into: Tab moves on to the next control.
    Text2->setTabChangesFocus(true);
    Text2->setAccessibleName(QStringLiteral("編集画面の見本"));
    place(Text2, 600, 240, 7275, 1275);

    Frame5 = frame(QStringLiteral("Frame5"), QStringLiteral("Zeqイメージ表示画面設定"), Frame1);
    place(Frame5, 120, 2580, 7995, 2535);
    Command3 = new StackedCaptionButton(QStringLiteral("背景色(&T)"), Frame5);
    Command3->setObjectName(QStringLiteral("Command3"));
    Command3->setFont(dialogFont(false));
    place(Command3, 120, 300, 435, 2115);
    RichTextBox1 = new QTextEdit(Frame5);
    RichTextBox1->setObjectName(QStringLiteral("RichTextBox1"));
    RichTextBox1->setUndoRedoEnabled(false);
    RichTextBox1->setTabChangesFocus(true);
    RichTextBox1->setAccessibleName(QStringLiteral("Zeqイメージ表示画面の見本"));
    place(RichTextBox1, 600, 960, 7275, 1455);
    Frame6 = frame(QStringLiteral("Frame6"), QStringLiteral("エラー行の設定"), Frame5);
    place(Frame6, 660, 240, 7215, 675);
    Command5 = button(QStringLiteral("Command5"), QStringLiteral("漢字の色(&K)"), Frame6);
    place(Command5, 240, 240, 2055, 315);
    Command6 = button(QStringLiteral("Command6"), QStringLiteral("ひらがなの色(&H)"), Frame6);
    place(Command6, 2580, 240, 2055, 315);
    Command7 = button(QStringLiteral("Command7"), QStringLiteral("漢字セパレータの色(&S)"), Frame6);
    place(Command7, 4920, 240, 2055, 315);

    // The group reads as an annotated sample: box, 漢字, box, かんじ, box.
    Frame2 = frame(QStringLiteral("Frame2"), QStringLiteral("漢字セパレータ変更"), Frame1);
    place(Frame2, 5220, 180, 2895, 675);
    Frame2->setToolTip(kSeparatorTooltip);
    const int boxLeft[3] = {360, 1320, 2340};
    for (int index = 0; index < 3; ++index) {
        auto *box = new QLineEdit(QStringLiteral("`"), Frame2);
        box->setObjectName(QStringLiteral("Text1_%1").arg(index));
        box->setFont(dialogFont(false));
        box->setToolTip(kSeparatorTooltip);
        box->setAlignment(Qt::AlignCenter);
        // The frame's padding would leave no room for the character.
        box->setTextMargins(0, 0, 0, 0);
        place(box, boxLeft[index], 240, 255, 270);
        separatorBoxes[index] = box;
    }
    Label1 = new QLabel(QStringLiteral("漢字"), Frame2);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(dialogFont(true, kLabelPoints));
    Label1->setToolTip(kSeparatorTooltip);
    place(Label1, 720, 240, 525, 240);
    Label2 = new QLabel(QStringLiteral("かんじ"), Frame2);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setFont(dialogFont(true, kLabelPoints));
    Label2->setToolTip(kSeparatorTooltip);
    place(Label2, 1620, 240, 705, 240);

    Command8 = button(QStringLiteral("Command8"), QStringLiteral("OK"), this);
    place(Command8, 2520, 5340, 1275, 375);
    Command8->setDefault(true);
    Command10 = button(QStringLiteral("Command10"), QStringLiteral("デフォルト"), this);
    place(Command10, 3960, 5340, 1275, 375);
    Command9 = button(QStringLiteral("Command9"), QStringLiteral("キャンセル"), this);
    place(Command9, 5400, 5340, 1275, 375);
    Command11 = button(QStringLiteral("Command11"), QStringLiteral("ヘルプ"), this);
    place(Command11, 6840, 5340, 1275, 375);

    const QList<QWidget *> order = {Command1, Command4, Command2, Text2, Command3, RichTextBox1,
                                    Command5, Command6, Command7, separatorBoxes[0], separatorBoxes[1], separatorBoxes[2],
                                    Command8, Command9, Command10, Command11};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void SettingsDialog::showDialog()
{
    setWindowModality(Qt::ApplicationModal);
    show();
    raise();
    activateWindow();
}

void SettingsDialog::setSampleText()
{
    sampleText = optionSampleText(editSparator);
    Text2->setPlainText(QString(sampleText).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

void SettingsDialog::setSampleFont(const QString &faceName, int points)
{
    Text2->setFont(sampleFont(faceName, points));
    RichTextBox1->setFont(Text2->font());
}

void SettingsDialog::setRichFontSize(int points)
{
    QFont font = RichTextBox1->font();
    font.setPointSize(points >= 1 ? points : 12);
    RichTextBox1->setFont(font);
}

void SettingsDialog::startUp()
{
    // The record is what is in effect: a cancel puts back what it changed.
    SettingsRecord &rec = m_context.settings;
    m_opened = {rec.gFontColor,  rec.gTextBackColor, rec.gRchBackColor,         rec.gKanjiColor, rec.gHiraColor,
                rec.gSepaColor,  rec.gZeqFontName,   rec.gZeqFontSize, m_context.previewRightEdge};

    setTextColors(Text2, rec.gFontColor, rec.gTextBackColor);
    setSampleFont(rec.gZeqFontName, rec.gZeqFontSize);

    // The working copy is still empty: every separator in the record counts
    // as an entry, and one the boxes do not accept is refused here.
    for (int index = 0; index < 3; ++index)
        setSeparatorBox(index, rec.gUserSparator[index]);

    paintSample(rec.gKanjiColor, rec.gHiraColor, rec.gSepaColor, rec.gRchBackColor);
    sampleText = optionSampleText(rec.gUserSparator);
    Text2->setPlainText(QString(sampleText).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    editSparator = rec.gUserSparator;
}

void SettingsDialog::Form_Activate()
{
    // The samples take the size the gutter shows, which is the size in effect.
    QFont font = Text2->font();
    font.setPointSize(m_opened.fontSize);
    Text2->setFont(font);
    setRichFontSize(wholePoints(Text2->font()));
    applyImageRightEdge(RichTextBox1, optionSampleRightEdge(wholePoints(RichTextBox1->font()), kTwipsPerPixel));
    paintSample(kNoColor, kNoColor, kNoColor, kNoColor);
}

void SettingsDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_activated) {
        m_activated = true;
        Form_Activate();
    }
}

qint32 SettingsDialog::pickColor()
{
    const std::optional<qint32> chosen = m_modal.chooseColor(m_context.chooserColor);
    if (!chosen)
        return kNoColor;
    m_context.chooserColor = *chosen;
    return *chosen;
}

void SettingsDialog::paintSample(qint32 kanji, qint32 hiragana, qint32 separator, qint32 background)
{
    const SettingsRecord &rec = m_context.settings;
    if (kanji == kNoColor)
        kanji = rec.gKanjiColor;
    if (hiragana == kNoColor)
        hiragana = rec.gHiraColor;
    if (separator == kNoColor)
        separator = rec.gSepaColor;
    if (background == kNoColor)
        background = rec.gRchBackColor;

    const int base = wholePoints(Text2->font());
    setTextColors(RichTextBox1, std::nullopt, background);
    RichTextBox1->clear();
    const qint32 textColor = colorToRef(Text2->palette().color(QPalette::Text));
    const QList<ImageLine> lines = optionSampleImage(editSparator, textColor, kanji, hiragana, separator);
    QTextCursor cursor(RichTextBox1->document());
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0)
            cursor.insertBlock(QTextBlockFormat(), imageRunFormat(ImageRun{}, base));
        for (const ImageRun &run : lines[i].runs)
            cursor.insertText(run.text, imageRunFormat(run, base));
    }

    setSampleText();
    raise();
}

void SettingsDialog::Command1_Click()
{
    // The chooser starts from the edit area's font, not from a font chosen
    // earlier in this dialog.
    const std::optional<FontChoice> chosen =
        m_modal.chooseFont(FontChoice{m_opened.fontName, double(m_opened.fontSize)});
    if (!chosen)
        return;
    SettingsRecord &rec = m_context.settings;
    rec.gZeqFontName = chosen->family;
    rec.gZeqFontSize = storedFontPoints(chosen->pointSize);
    setSampleFont(rec.gZeqFontName, rec.gZeqFontSize);
    // The preview shares this width with the sample.
    m_context.previewRightEdge = optionSampleRightEdge(wholePoints(RichTextBox1->font()), kTwipsPerPixel);
    applyImageRightEdge(RichTextBox1, m_context.previewRightEdge);
    paintSample(kNoColor, kNoColor, kNoColor, kNoColor);
}

void SettingsDialog::Command2_Click()
{
    const qint32 c = pickColor();
    if (c == kNoColor)
        return;
    storeChosenColor(m_context.settings, m_context.imageDirty, OptionColor::EditBack, c);
    setTextColors(Text2, std::nullopt, c);
}

void SettingsDialog::Command3_Click()
{
    const qint32 c = pickColor();
    if (c == kNoColor)
        return;
    storeChosenColor(m_context.settings, m_context.imageDirty, OptionColor::ImageBack, c);
    setTextColors(RichTextBox1, std::nullopt, c);
}

void SettingsDialog::Command4_Click()
{
    const qint32 c = pickColor();
    if (c == kNoColor)
        return;
    storeChosenColor(m_context.settings, m_context.imageDirty, OptionColor::Text, c);
    setTextColors(Text2, c, std::nullopt);
    paintSample(kNoColor, kNoColor, kNoColor, kNoColor);
}

void SettingsDialog::Command5_Click()
{
    const qint32 c = pickColor();
    if (c == kNoColor)
        return;
    storeChosenColor(m_context.settings, m_context.imageDirty, OptionColor::Kanji, c);
    paintSample(c, kNoColor, kNoColor, kNoColor);
}

void SettingsDialog::Command6_Click()
{
    const qint32 c = pickColor();
    if (c == kNoColor)
        return;
    storeChosenColor(m_context.settings, m_context.imageDirty, OptionColor::Hira, c);
    paintSample(kNoColor, c, kNoColor, kNoColor);
}

void SettingsDialog::Command7_Click()
{
    const qint32 c = pickColor();
    if (c == kNoColor)
        return;
    storeChosenColor(m_context.settings, m_context.imageDirty, OptionColor::Sepa, c);
    paintSample(kNoColor, kNoColor, c, kNoColor);
}

void SettingsDialog::Command8_Click()
{
    // The record reaches the edit area and the gutter; the preview takes the
    // sample's font, which after the default button is the default font
    // rather than the edit area's.
    QFont imageFont = Text2->font();
    imageFont.setPointSize(wholePoints(Text2->font()));
    m_context.apply(imageFont);

    commitSeparators(m_context.settings, editSparator);
    accept();
}

void SettingsDialog::Command9_Click()
{
    reject();
}

void SettingsDialog::reject()
{
    // Nothing chosen here outlives a cancel: the working separators go with
    // the dialog, the colours and font return to what they were.
    SettingsRecord &rec = m_context.settings;
    rec.gFontColor = m_opened.fontColor;
    rec.gTextBackColor = m_opened.textBackColor;
    rec.gRchBackColor = m_opened.rchBackColor;
    rec.gKanjiColor = m_opened.kanjiColor;
    rec.gHiraColor = m_opened.hiraColor;
    rec.gSepaColor = m_opened.sepaColor;
    rec.gZeqFontName = m_opened.fontName;
    rec.gZeqFontSize = m_opened.fontSize;
    m_context.previewRightEdge = m_opened.imageRightEdge;
    QDialog::reject();
}

void SettingsDialog::Command10_Click()
{
    SettingsRecord &rec = m_context.settings;
    restoreDefaultColors(rec);
    // The samples show the default font; the record's font stays as chosen.
    Text2->setFont(sampleFont(kDefaultFontName, kSampleDefaultPoints));
    setTextColors(Text2, std::nullopt, rec.gTextBackColor);
    RichTextBox1->setFont(Text2->font());
    editSparator = defaultWorkingSeparators(rec);
    for (int index = 0; index < 3; ++index)
        setSeparatorBox(index, rec.gSeparator);
    m_context.imageDirty = true;
    paintSample(kNoColor, kNoColor, kNoColor, kNoColor);
}

void SettingsDialog::Command11_Click()
{
    showSettingsHelp(m_modal);
}

void SettingsDialog::Text1_Change(int index)
{
    if (m_restoring)
        return;
    QLineEdit *box = separatorBoxes[index];
    const QString old = editSparator[index];
    const SeparatorEntryResult result = takeSeparatorEntry(editSparator[index], box->text());
    if (result.accepted) {
        if (result.marksImage)
            m_context.imageDirty = true;
        return;
    }
    m_modal.msgBox(kSeparatorEntryMessage, MsgInformation);
    m_restoring = true;
    box->setText(old);
    m_restoring = false;
    box->setSelection(0, 1);
}

void SettingsDialog::setSeparatorBox(int index, const QString &text)
{
    // Text set from code is judged as if typed, even when the box already
    // shows it (the boxes start out showing the default separator).
    if (separatorBoxes[index]->text() == text)
        Text1_Change(index);
    else
        separatorBoxes[index]->setText(text);
}

void SettingsDialog::Text1_GotFocus(int index)
{
    // Queued: a mouse click that brought the focus would place the caret
    // after this and drop the selection.
    QMetaObject::invokeMethod(separatorBoxes[index], &QLineEdit::selectAll, Qt::QueuedConnection);
}

void SettingsDialog::Text1_LostFocus(int)
{
    // The samples follow a separator when the user leaves its box, not
    // while typing.
    paintSample(kNoColor, kNoColor, kNoColor, kNoColor);
}

bool SettingsDialog::eventFilter(QObject *watched, QEvent *event)
{
    for (int index = 0; index < 3; ++index) {
        if (watched != separatorBoxes[index])
            continue;
        if (event->type() == QEvent::FocusIn)
            Text1_GotFocus(index);
        else if (event->type() == QEvent::FocusOut)
            Text1_LostFocus(index);
        break;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace zeq
