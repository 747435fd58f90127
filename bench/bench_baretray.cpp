// The yardstick for start-up time and memory: the least a Qt tray program
// can be — an application, a tray icon and a menu of ten items.
#include <QApplication>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QSystemTrayIcon>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    QPixmap pix(16, 16);
    pix.fill(Qt::transparent);
    {
        QPainter p(&pix);
        p.setBrush(Qt::red);
        p.drawEllipse(1, 1, 14, 14);
    }
    QMenu menu;
    for (int i = 0; i < 10; ++i)
        menu.addAction(QStringLiteral("Пункт %1").arg(i));
    QSystemTrayIcon tray{QIcon(pix)};
    tray.setToolTip(QStringLiteral("bare"));
    QObject::connect(&tray, &QSystemTrayIcon::activated, [&] { menu.popup(QCursor::pos()); });
    tray.show();
    return app.exec();
}
