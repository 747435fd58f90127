// How long a panel waits for the exported menu of a family of a thousand:
// GetLayout of the whole menu and of one person's submenu, asked over the
// session bus from a connection of its own, as a panel asks, the reply
// received whole; and the whole menu once every person's submenu has been
// opened (their commands then come with it). Needs a session bus:
// dbus-run-session -- bench_menuexport
#include "bench/benchfamily.h"
#include "bench/median.h"
#include "model/clock.h"
#include "shell/menuexport.h"
#include "shell/startup.h"
#include "shell/trayhost.h"
#include "store/settingsfile.h"
#include "windows/dialogs.h"

#include <QApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>

namespace {

QDBusMessage GetLayout(QDBusConnection &panel, const QString &service, int parent, const QStringList &names = {})
{
    QDBusMessage call = QDBusMessage::createMethodCall(service, QLatin1String(MenuExport::Path),
                                                       QStringLiteral("com.canonical.dbusmenu"), QStringLiteral("GetLayout"));
    call << parent << -1 << names;
    return panel.call(call);
}

// The ids of the items right below the menu itself, the people first.
QList<int> Children(const QDBusMessage &reply)
{
    const QDBusArgument layout = reply.arguments().at(1).value<QDBusArgument>();
    int id = 0;
    QVariantMap properties;
    layout.beginStructure();
    layout >> id >> properties;
    layout.beginArray();
    QList<int> ids;
    while (!layout.atEnd()) {
        QDBusVariant child;
        layout >> child;
        const QDBusArgument item = child.variant().value<QDBusArgument>();
        item.beginStructure();
        item >> id;
        ids.append(id);
    }
    return ids;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (!QDBusConnection::sessionBus().isConnected()) {
        std::fprintf(stderr, "no session bus: run it as dbus-run-session -- %s\n", argv[0]);
        return 2;
    }
    QStandardPaths::setTestModeEnabled(true);
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    Clock::setFixed(QDateTime(QDate(2026, 12, 8), QTime(12, 0)));
    Dialogs::setMessageHook([](const QString &text, bool) { std::fprintf(stderr, "message: %s\n", qPrintable(text)); });

    QTemporaryDir dir;
    PersonList people = NumberedFamily(1000);
    const QString ini = dir.filePath("Kelvora.ini");
    SaveSettingsFile(ini, people, CyclePeriods{});

    ShellOptions options;
    options.lockPath = dir.filePath("kelvora.lock");
    options.trayAvailable = [] { return true; };
    TrayHost host(ini, options);
    CreateWindows(host);

    const QString service = QDBusConnection::sessionBus().baseService();
    QThread *panel = QThread::create([service] {
        QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("panel"));
        QList<int> top;
        std::printf("GetLayout, whole menu of 1000 people: %.2f ms (target 50 ms)\n", MedianMs(21, [&] {
                        const QDBusMessage reply = GetLayout(bus, service, 0);
                        if (reply.type() != QDBusMessage::ReplyMessage)
                            std::fprintf(stderr, "%s\n", qPrintable(reply.errorMessage()));
                        else
                            top = Children(reply);
                    }));
        std::printf("GetLayout, one person's submenu: %.2f ms (target 5 ms)\n",
                    MedianMs(51, [&] { GetLayout(bus, service, top.value(0)); }));
        const QStringList shapeOnly{QStringLiteral("type"), QStringLiteral("children-display")};
        std::printf("GetLayout, the shape alone (as GNOME's panel asks; every person's commands with it): %.2f ms\n",
                    MedianMs(11, [&] { GetLayout(bus, service, 0, shapeOnly); }));
        QDBusMessage open = QDBusMessage::createMethodCall(service, QLatin1String(MenuExport::Path),
                                                           QStringLiteral("com.canonical.dbusmenu"),
                                                           QStringLiteral("AboutToShowGroup"));
        open << QVariant::fromValue(top.mid(0, 1000));
        bus.call(open);
        std::printf("GetLayout, whole menu, every submenu opened once: %.2f ms\n",
                    MedianMs(11, [&] { GetLayout(bus, service, 0); }));
        QDBusConnection::disconnectFromBus(QStringLiteral("panel"));
    });
    QObject::connect(panel, &QThread::finished, &app, &QCoreApplication::quit);
    panel->start();
    const int status = app.exec();
    panel->wait();
    delete panel;
    return status;
}
