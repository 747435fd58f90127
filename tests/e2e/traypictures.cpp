// Writes the two pictures of the tray icon as a StatusNotifierItem panel
// receives them (ARGB32, network byte order), so a test can tell which one
// the program shows: ordinary-WxH.argb and birthday-WxH.argb; and every
// picture of the menu as the panel receives it with the menu (PNG, 16 x 16):
// menu/people-NN.png, menu/command-N.png, menu/<fixed item's picture>.png.
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
    out.mkpath(QStringLiteral("menu"));
    const auto save = [&](const QIcon &icon, const QString &name) {
        return icon.pixmap(QSize(16, 16)).save(out.filePath(QStringLiteral("menu/%1.png").arg(name)), "PNG");
    };
    for (int i = 0; i < Pictures::imageList1Count(); ++i)
        if (!save(Pictures::imageList1(i), QStringLiteral("people-%1").arg(i, 2, 10, QLatin1Char('0'))))
            return 1;
    for (int i = 0; i < Pictures::imageList2Count(); ++i)
        if (!save(Pictures::imageList2(i), QStringLiteral("command-%1").arg(i)))
            return 1;
    for (const char *name : {"heart", "wrench", "exit", "envelope", "house", "bubble", "gear"})
        if (!save(Pictures::fixedItem(QLatin1String(name)), QLatin1String(name)))
            return 1;
    return 0;
}
