// Build tool: turns a PNG rendering of an icon into bare pixels (RGBA, 8 bits each, rows top to
// bottom) that the programs wrap in a QImage without any image decoder. Reading a PNG at run
// time would make Qt load and ask every image-format plugin first, QtSvg's among them.
//   icon_pixels IN.png OUT.rgba
#include <QFile>
#include <QImage>

#include <cstdio>

int main(int argc, char *argv[])
{
    if (argc != 3) {
        std::fputs("Usage: icon_pixels IN.png OUT.rgba\n", stderr);
        return 2;
    }
    const QImage image =
        QImage(QString::fromLocal8Bit(argv[1])).convertToFormat(QImage::Format_RGBA8888);
    if (image.isNull()) {
        std::fprintf(stderr, "icon_pixels: cannot read %s\n", argv[1]);
        return 1;
    }
    QFile out(QString::fromLocal8Bit(argv[2]));
    if (!out.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "icon_pixels: cannot write %s\n", argv[2]);
        return 1;
    }
    for (int y = 0; y < image.height(); ++y) {
        const auto *row = reinterpret_cast<const char *>(image.constScanLine(y));
        if (out.write(row, qint64(image.width()) * 4) != qint64(image.width()) * 4)
            return 1;
    }
    return out.flush() ? 0 : 1;
}
