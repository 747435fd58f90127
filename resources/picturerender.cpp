// Renders one of the program's SVG drawings into PNG files, one per size,
// at build time, so the running program shows pictures without an SVG
// renderer. Drawn exactly as the program once drew them itself: antialiased
// into a transparent premultiplied image of the exact pixel size.
// Usage: kelvora_picturerender <drawing.svg> <output stem> <width>x<height>...
//        writes <output stem>-<width>x<height>.png for each size.
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s drawing.svg outstem WxH...\n", argv[0]);
        return 2;
    }
    QSvgRenderer svg(QString::fromLocal8Bit(argv[1]));
    if (!svg.isValid()) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    const QString stem = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(QFileInfo(stem).absolutePath());
    static const QRegularExpression sizePattern(QStringLiteral("^([1-9][0-9]*)x([1-9][0-9]*)$"));
    for (int i = 3; i < argc; ++i) {
        const QString size = QString::fromLocal8Bit(argv[i]);
        const QRegularExpressionMatch m = sizePattern.match(size);
        if (!m.hasMatch()) {
            std::fprintf(stderr, "not a size: %s\n", argv[i]);
            return 2;
        }
        const int width = m.captured(1).toInt(), height = m.captured(2).toInt();
        QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        svg.render(&painter, QRectF(0, 0, width, height));
        painter.end();
        const QString out = stem + QLatin1Char('-') + size + QStringLiteral(".png");
        if (!image.save(out, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(out));
            return 1;
        }
    }
    return 0;
}
