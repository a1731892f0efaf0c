#include "platform/fonts.h"

#include <QStringList>

namespace zeq {

void installFontSubstitutes()
{
    // Serif (Mincho) and sans (Gothic) faces that Debian ships, best first.
    const QStringList mincho = {QStringLiteral("IPAMincho"), QStringLiteral("IPAexMincho"),
                                QStringLiteral("Noto Serif CJK JP"), QStringLiteral("TakaoMincho")};
    const QStringList gothic = {QStringLiteral("IPAGothic"), QStringLiteral("IPAexGothic"),
                                QStringLiteral("Noto Sans CJK JP"), QStringLiteral("TakaoGothic")};
    const QStringList pMincho = {QStringLiteral("IPAPMincho"), QStringLiteral("IPAMincho")};
    const QStringList pGothic = {QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic")};

    QFont::insertSubstitutions(QStringLiteral("ＭＳ 明朝"), mincho);
    QFont::insertSubstitutions(QStringLiteral("MS Mincho"), mincho);
    QFont::insertSubstitutions(QStringLiteral("ＭＳ ゴシック"), gothic);
    QFont::insertSubstitutions(QStringLiteral("MS Gothic"), gothic);
    QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐ明朝"), pMincho);
    QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐゴシック"), pGothic);
}

QFont storedFont(const QString &faceName, int points)
{
    // Naming the stand-in face directly spares Qt a fontconfig fallback
    // search for a family that is never installed here, which would
    // otherwise dominate the editor's start-up.
    QFont font;
    QStringList families = QFont::substitutes(faceName);
    families.append(faceName);
    font.setFamilies(families);
    font.setPointSize(points >= 1 ? points : 12);
    return font;
}

QStringList captionFamilies(const QString &desktopFamily, const QStringList &installedFamilies)
{
    const QStringList gothic = {QStringLiteral("IPAGothic"), QStringLiteral("IPAPGothic")};
    // Qt lists fontconfig's generic names as families without a font file
    // behind them: they never load, whatever the script.
    const QStringList generic = {QStringLiteral("Sans Serif"), QStringLiteral("Serif"),
                                 QStringLiteral("Monospace")};
    if (generic.contains(desktopFamily, Qt::CaseInsensitive)
        || !installedFamilies.contains(desktopFamily, Qt::CaseInsensitive)) {
        for (const QString &face : gothic) {
            if (installedFamilies.contains(face, Qt::CaseInsensitive))
                return {face};
        }
    }
    return QStringList{desktopFamily} + gothic;
}

QColor colorFromRef(qint32 colorRef)
{
    const quint32 ref = quint32(colorRef);
    return QColor(int(ref & 0xFF), int((ref >> 8) & 0xFF), int((ref >> 16) & 0xFF));
}

qint32 colorToRef(const QColor &color)
{
    return qint32(quint32(color.red()) | (quint32(color.green()) << 8) | (quint32(color.blue()) << 16));
}

} // namespace zeq
