// Build step: writes the C++ source that holds the baked pictures of
// bakedpictures.h as raw pixel arrays.
//
//   zeq_bake_pictures OUT.cpp ICON_FOLDER
//
// ICON_FOLDER holds hicolor/NxN/zeqedit.png for every baked size.

#include "platform/bakedpictures.h"
#include "app/toolbar.h"

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QTextStream>

#include <cstdio>

namespace {

void writeArray(QTextStream &out, const QString &name, const QImage &image)
{
    out << "alignas(16) const unsigned char " << name << "[] = {\n";
    const auto *bytes = image.constBits();
    const qsizetype size = image.sizeInBytes();
    for (qsizetype i = 0; i < size; ++i) {
        out << int(bytes[i]) << ',';
        if (i % 24 == 23)
            out << '\n';
    }
    out << "};\n\n";
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 3) {
        std::fputs("usage: zeq_bake_pictures OUT.cpp ICON_FOLDER\n", stderr);
        return 2;
    }
    QString text;
    QTextStream out(&text);
    out << "// Written by zeq_bake_pictures while building; do not edit.\n\n"
           "#include \"platform/bakedpictures.h\"\n\nnamespace zeq {\n\nnamespace {\n\n";

    const QImage strip = zeq::toolbarStripImage();
    writeArray(out, QStringLiteral("kStrip"), strip);
    for (int size : zeq::kBakedIconSizes) {
        const QString path = QStringLiteral("%1/hicolor/%2x%2/zeqedit.png").arg(QString::fromLocal8Bit(argv[2])).arg(size);
        QImageReader reader(path, "png");
        const QImage icon = reader.read().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        if (icon.size() != QSize(size, size)) {
            std::fprintf(stderr, "zeq_bake_pictures: %s is not a %dx%d PNG\n", qPrintable(path), size, size);
            return 1;
        }
        writeArray(out, QStringLiteral("kIcon%1").arg(size), icon);
    }

    out << "} // namespace\n\n"
        << "QImage bakedToolbarStrip()\n{\n    return QImage(kStrip, " << strip.width() << ", " << strip.height()
        << ", " << strip.bytesPerLine() << ", QImage::Format(" << int(strip.format()) << "));\n}\n\n"
        << "QImage bakedWindowIcon(int size)\n{\n    switch (size) {\n";
    for (int size : zeq::kBakedIconSizes) {
        out << "    case " << size << ": return QImage(kIcon" << size << ", " << size << ", " << size << ", "
            << size * 4 << ", QImage::Format_ARGB32_Premultiplied);\n";
    }
    out << "    default: return QImage();\n    }\n}\n\n} // namespace zeq\n";
    out.flush();

    QFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text.toUtf8()) != text.toUtf8().size()) {
        std::fprintf(stderr, "zeq_bake_pictures: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
