// Writes the two pictures of the tray icon as a StatusNotifierItem panel
// receives them (ARGB32, network byte order), so a test can tell which one
// the program shows: ordinary-WxH.argb and birthday-WxH.argb.
// Usage: e2e_traypictures <folder>
#include "resources/pictures.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QtEndian>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2)
        return 2;
    const QDir out(QString::fromLocal8Bit(argv[1]));
    const struct {
        const char *name;
        int picture;
    } pictures[] = {{"ordinary", Pictures::TrayOrdinaryPicture}, {"birthday", Pictures::TrayBirthdayPicture}};
    for (const auto &p : pictures) {
        for (int size : {16, 22, 24, 32, 48, 64}) {
            const QImage image =
                Pictures::imageList2(p.picture).pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32);
            QByteArray bytes;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x) {
                    const quint32 pixel = qToBigEndian(quint32(image.pixel(x, y)));
                    bytes.append(reinterpret_cast<const char *>(&pixel), sizeof pixel);
                }
            QFile file(out.filePath(QStringLiteral("%1-%2x%3.argb").arg(QLatin1String(p.name)).arg(image.width()).arg(image.height())));
            if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
                return 1;
        }
    }
    return 0;
}
