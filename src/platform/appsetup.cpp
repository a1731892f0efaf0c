#include "platform/appsetup.h"

#include "platform/fonts.h"

#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

// The icon pictures are linked into a static library: they must be named
// once to be kept.
static void initIconResources()
{
    Q_INIT_RESOURCE(zeqicons);
}

namespace zeq {

void prepareApplication()
{
    QCoreApplication::setApplicationName(QStringLiteral("Zeq Text Editor"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.02"));
    installWindowIcon();
    installFontSubstitutes();
    // Every caption is Japanese: naming the Japanese face after the
    // desktop's own spares the menu bar a fontconfig search for a fallback
    // before the window can be sized.
    QFont font = QApplication::font();
    const QString desktopFamily = font.family();
    font.setFamilies({desktopFamily, QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic")});
    QApplication::setFont(font);
    installQtTranslation();
}

void installWindowIcon()
{
    initIconResources();
    // Only the size a window manager asks for is ever decoded.
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128})
        icon.addFile(QStringLiteral(":/icons/zeqedit-%1.png").arg(size), QSize(size, size));
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
