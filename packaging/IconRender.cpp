// Renders the program's SVG icon to a square PNG at build time, through Qt's
// SVG image plug-in, so the PNG sizes of the icon theme never drift from the SVG.
// Usage: quillet_icon_render INPUT.svg OUTPUT.png SIZE

#include <QCoreApplication>
#include <QImage>
#include <QImageReader>
#include <QString>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 4) {
        std::fputs("usage: quillet_icon_render INPUT.svg OUTPUT.png SIZE\n", stderr);
        return 2;
    }
    bool ok = false;
    const int size = QString::fromLocal8Bit(argv[3]).toInt(&ok);
    if (!ok || size < 1 || size > 4096) {
        std::fprintf(stderr, "quillet_icon_render: bad size %s\n", argv[3]);
        return 2;
    }
    QImageReader reader(QString::fromLocal8Bit(argv[1]));
    // Rendered at the target size, not scaled from a small bitmap: sharp edges at every size.
    reader.setScaledSize(QSize(size, size));
    QImage image = reader.read();
    if (image.isNull()) {
        std::fprintf(stderr, "quillet_icon_render: %s: %s (is Qt's SVG image plug-in installed?)\n", argv[1],
                     qPrintable(reader.errorString()));
        return 1;
    }
    image = image.convertToFormat(QImage::Format_ARGB32);
    if (!image.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "quillet_icon_render: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
