#include "about/aboutdialog.h"

#include "platform/modal.h"

#include <QDesktopServices>
#include <QEvent>
#include <QFont>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QPushButton>

#include <algorithm>

namespace zeq {

void showGeneralHelp(ModalSeam &modal)
{
    modal.showHelp(kHelpGeneralContext, QString());
}

void showSettingsHelp(ModalSeam &modal)
{
    modal.showHelp(0, kHelpSettingsKeyword);
}

namespace {

// The box keeps its own light face whatever the desktop theme, so that the
// white and dark copies of its texts read as embossed.
const QColor kFace(0xD8, 0xD8, 0xD8);
const QColor kDarkText(0x30, 0x30, 0x30);
const QColor kLightText(0xFF, 0xFF, 0xFF);
const QColor kShadow(0x80, 0x80, 0x80);
constexpr int kBoxWidth = 440;
constexpr int kBoxHeight = 252;
constexpr int kMargin = 16;

QFont faceFont(const QString &family, int points, bool bold = false, QFont::StyleHint hint = QFont::AnyStyle)
{
    QFont font(family, points, bold ? QFont::Bold : QFont::Normal);
    font.setStyleHint(hint);
    return font;
}

QLabel *makeLabel(QWidget *parent, const QFont &font, const QColor &colour, const char *name, int index)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(index));
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    label->setAutoFillBackground(false);
    label->setTextFormat(Qt::PlainText);
    return label;
}

// The editor's emblem: a kanji with its reading above it, as ruby text reads.
QPixmap emblemPicture()
{
    QPixmap picture(64, 64);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(kShadow, 1));
    painter.setBrush(QColor(0xFF, 0xFF, 0xF4));
    painter.drawRoundedRect(QRectF(1.5, 1.5, 60, 60), 8, 8);
    painter.setPen(QColor(0xC0, 0x30, 0x30));
    painter.setFont(faceFont(QStringLiteral("ＭＳ Ｐ明朝"), 8));
    painter.drawText(QRect(2, 4, 60, 14), Qt::AlignHCenter | Qt::AlignVCenter, QStringLiteral("かん"));
    painter.setPen(kDarkText);
    painter.setFont(faceFont(QStringLiteral("ＭＳ 明朝"), 26, true));
    painter.drawText(QRect(2, 16, 60, 44), Qt::AlignCenter, QStringLiteral("漢"));
    return picture;
}

// An etched rule: a grey line with a white line below it.
QPixmap rulePicture(int width)
{
    QPixmap picture(width, 2);
    QPainter painter(&picture);
    painter.setPen(kShadow);
    painter.drawLine(0, 0, width - 1, 0);
    painter.setPen(kLightText);
    painter.drawLine(0, 1, width - 1, 1);
    return picture;
}

} // namespace

About::About(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("About"));
    setWindowTitle(QStringLiteral("About"));
    setModal(true);
    urlOpener = [](const QUrl &url) { QDesktopServices::openUrl(url); };
    createControls();
    startUp();
    placeControls();
}

About::~About() = default;

void About::createControls()
{
    QPalette face = palette();
    face.setColor(QPalette::Window, kFace);
    face.setColor(QPalette::WindowText, kDarkText);
    setPalette(face);
    setAutoFillBackground(true);

    const QFont versionFont = faceFont(QStringLiteral("ＭＳ Ｐ明朝"), 12, true);
    const QFont titleFont = faceFont(QStringLiteral("Century"), 20, true, QFont::Serif);
    const QFont plainFont = faceFont(QStringLiteral("ＭＳ Ｐゴシック"), 10);
    const QFont noticeFont = faceFont(QStringLiteral("Century"), 9, false, QFont::Serif);

    // Each text: the white copy first (behind), then the dark copy in front.
    auto pair = [this](auto &array, int dark, int light, const QFont &font, const QString &text,
                       const char *name) {
        array[light] = makeLabel(this, font, kLightText, name, light);
        array[dark] = makeLabel(this, font, kDarkText, name, dark);
        array[light]->setText(text);
        array[dark]->setText(text);
        array[dark]->raise();
    };
    pair(Label1, 0, 1, versionFont, QStringLiteral("#"), "Label1");
    pair(Label1, 2, 3, titleFont, QStringLiteral("Zeq Text Editor"), "Label1");
    pair(Label3, 0, 1, plainFont, QStringLiteral("はZeqの付属ソフトウェアです。"), "Label3");
    pair(Label2, 0, 1, noticeFont, kRightsNotice, "Label2");
    pair(Label2, 2, 3, plainFont, QStringLiteral("最新版はこちら（"), "Label2");
    pair(Label2, 4, 6, plainFont, kHomePageAddress, "Label2");
    pair(Label2, 5, 7, plainFont, QStringLiteral("）から。"), "Label2");

    for (int index : {4, 6})
        Label2[index]->setCursor(Qt::PointingHandCursor);
    Label2[4]->setToolTip(QStringLiteral("Zeqホームページへどうぞ"));
    for (QLabel *label : Label2)
        label->installEventFilter(this);

    toolButtons = new QLabel(this);
    toolButtons->setObjectName(QStringLiteral("toolButtons"));
    toolButtons->setPixmap(emblemPicture());
    Image3 = new QLabel(this);
    Image3->setObjectName(QStringLiteral("Image3"));
    Image3->setPixmap(rulePicture(kBoxWidth - 2 * kMargin));
    Image4 = new QLabel(this);
    Image4->setObjectName(QStringLiteral("Image4"));
    Image4->setPixmap(rulePicture(kBoxWidth - 2 * kMargin));

    Command1 = new QPushButton(QStringLiteral("OK"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setDefault(true);
    Command1->setAutoDefault(true);
    connect(Command1, &QPushButton::clicked, this, &About::Command1_Click);
}

void About::placeControls()
{
    // A text and its white copy, one pixel up and to the left.
    auto place = [](QLabel *dark, QLabel *light, int x, int y) {
        dark->adjustSize();
        light->adjustSize();
        dark->move(x, y);
        light->move(x - 1, y - 1);
        return x + dark->width();
    };

    const int textLeft = kMargin + 64 + 16;
    toolButtons->setGeometry(kMargin, kMargin, 64, 64);
    place(Label1[2], Label1[3], textLeft, 12);
    place(Label1[0], Label1[1], textLeft, 50);
    place(Label3[0], Label3[1], textLeft, 76);
    Image3->setGeometry(kMargin, 108, kBoxWidth - 2 * kMargin, 2);
    place(Label2[0], Label2[1], kMargin, 124);
    int x = place(Label2[2], Label2[3], kMargin, 154);
    x = place(Label2[4], Label2[6], x, 154);
    place(Label2[5], Label2[7], x, 154);
    Image4->setGeometry(kMargin, 190, kBoxWidth - 2 * kMargin, 2);
    Command1->setGeometry(kBoxWidth - kMargin - 96, 206, 96, 30);

    int width = kBoxWidth;
    for (QLabel *label : Label2)
        width = std::max(width, label->geometry().right() + kMargin);
    setFixedSize(width, kBoxHeight);
}

void About::startUp()
{
    const QString version = QStringLiteral("Zeq Text Editor V") + kEditorVersion;
    Label1[0]->setText(version);
    Label1[1]->setText(version);
}

void About::Command1_Click()
{
    accept();
}

void About::Label2_Click(int index)
{
    Q_UNUSED(index);
    // Whichever element was clicked, the address is the one in element 4.
    shellOpen(Label2[4]->text());
}

void About::shellOpen(const QString &address)
{
    if (urlOpener)
        urlOpener(QUrl(address, QUrl::TolerantMode));
}

bool About::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        for (int index = 0; index < int(Label2.size()); ++index) {
            if (watched != Label2[index])
                continue;
            // A click is a press and a release on the same label.
            if (mouse->button() == Qt::LeftButton && Label2[index]->rect().contains(mouse->position().toPoint()))
                Label2_Click(index);
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace zeq
