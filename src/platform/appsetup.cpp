#include "platform/appsetup.h"

#include "platform/bakedpictures.h"
#include "platform/fonts.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QPainter>
#include <QProxyStyle>
#include <QPixmap>
#include <QTranslator>

namespace zeq {

namespace {

// The style of the desktop, except for the menu bar's overflow arrow: the
// stock picture is a file whose format Qt finds out by loading every image
// plugin, before the window can be shown. This one is drawn.
class EditorStyle : public QProxyStyle {
public:
    QIcon standardIcon(StandardPixmap which, const QStyleOption *option, const QWidget *widget) const override
    {
        if (which != SP_ToolBarHorizontalExtensionButton && which != SP_ToolBarVerticalExtensionButton)
            return QProxyStyle::standardIcon(which, option, widget);
        QPixmap arrow(10, 10);
        arrow.fill(Qt::transparent);
        QPainter painter(&arrow);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(QColor(0x40, 0x40, 0x40), 1.5));
        if (which == SP_ToolBarVerticalExtensionButton)
            painter.rotate(90), painter.translate(0, -10);
        for (int x : {1, 5}) {
            painter.drawLine(QPointF(x, 2), QPointF(x + 3, 5));
            painter.drawLine(QPointF(x + 3, 5), QPointF(x, 8));
        }
        return QIcon(arrow);
    }
};

} // namespace

void prepareApplication()
{
    QApplication::setStyle(new EditorStyle);
    QCoreApplication::setApplicationName(QStringLiteral("Zeq Text Editor"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.02"));
    installWindowIcon();
    installFontSubstitutes();
    // Every caption is Japanese: naming the Japanese face in the application
    // font spares the menu bar a fontconfig search for a fallback before the
    // window can be sized (captionFamilies says which faces and why).
    QFont font = QApplication::font();
    font.setFamilies(captionFamilies(font.family(), QFontDatabase::families()));
    QApplication::setFont(font);
    installQtTranslation();
}

void installWindowIcon()
{
    // Decoded while building: the PNGs took a few per cent of the start-up,
    // and a file left to be recognised makes Qt load every image format
    // plugin first.
    QIcon icon;
    for (int size : kBakedIconSizes)
        icon.addPixmap(QPixmap::fromImage(bakedWindowIcon(size)));
    QApplication::setWindowIcon(icon);
    // Wayland compositors find the desktop entry, and with it the icon, by
    // this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("example.zeq_text_editor.zeqedit"));
}

bool installQtTranslation()
{
    // Every caption of the editor is Japanese, so Qt's own texts (はい,
    // いいえ, キャンセル, the file dialog) are too, whatever the locale says.
    auto *translator = new QTranslator(qApp);
    if (translator->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(translator);
        return true;
    }
    delete translator;
    return false;
}

} // namespace zeq
