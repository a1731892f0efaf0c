#include "platform/appsetup.h"

#include "platform/fonts.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace zeq {

void prepareApplication()
{
    QCoreApplication::setApplicationName(QStringLiteral("Zeq Text Editor"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.02"));
    installFontSubstitutes();
    // Message box and dialog buttons (はい, いいえ, キャンセル on a Japanese desktop).
    auto *translator = new QTranslator(qApp);
    if (translator->load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}

} // namespace zeq
