#include "shell/statusnotifier.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QImage>
#include <QtEndian>

namespace {

constexpr const char *ItemInterface = "org.kde.StatusNotifierItem";
constexpr const char *WatcherService = "org.kde.StatusNotifierWatcher";
constexpr const char *WatcherPath = "/StatusNotifierWatcher";
constexpr const char *PropertiesInterface = "org.freedesktop.DBus.Properties";

// The sizes panels pick from; larger ones would only cost the bus.
constexpr int IconSides[] = {16, 22, 24, 32, 48, 64};

// One size of a picture: width, height, ARGB32 in network byte order.
struct IconPixmap {
    int width = 0;
    int height = 0;
    QByteArray pixels;
};
// A picture in the sizes a panel picks from.
struct IconPixmaps {
    QList<IconPixmap> sizes;
};

// Title and pictures of the tip: (icon name, pictures, title, text).
struct ToolTip {
    QString title;
};

const char IntrospectionXml[] = R"xml(  <interface name="org.kde.StatusNotifierItem">
    <property name="Category" type="s" access="read"/>
    <property name="Id" type="s" access="read"/>
    <property name="Title" type="s" access="read"/>
    <property name="Status" type="s" access="read"/>
    <property name="WindowId" type="i" access="read"/>
    <property name="IconThemePath" type="s" access="read"/>
    <property name="Menu" type="o" access="read"/>
    <property name="ItemIsMenu" type="b" access="read"/>
    <property name="IconName" type="s" access="read"/>
    <property name="IconPixmap" type="a(iiay)" access="read"/>
    <property name="OverlayIconName" type="s" access="read"/>
    <property name="OverlayIconPixmap" type="a(iiay)" access="read"/>
    <property name="AttentionIconName" type="s" access="read"/>
    <property name="AttentionIconPixmap" type="a(iiay)" access="read"/>
    <property name="AttentionMovieName" type="s" access="read"/>
    <property name="ToolTip" type="(sa(iiay)ss)" access="read"/>
    <method name="ContextMenu"><arg name="x" type="i" direction="in"/><arg name="y" type="i" direction="in"/></method>
    <method name="Activate"><arg name="x" type="i" direction="in"/><arg name="y" type="i" direction="in"/></method>
    <method name="SecondaryActivate"><arg name="x" type="i" direction="in"/><arg name="y" type="i" direction="in"/></method>
    <method name="Scroll"><arg name="delta" type="i" direction="in"/><arg name="orientation" type="s" direction="in"/></method>
    <method name="ProvideXdgActivationToken"><arg name="token" type="s" direction="in"/></method>
    <signal name="NewTitle"/>
    <signal name="NewIcon"/>
    <signal name="NewAttentionIcon"/>
    <signal name="NewOverlayIcon"/>
    <signal name="NewMenu"/>
    <signal name="NewToolTip"/>
    <signal name="NewStatus"><arg name="status" type="s"/></signal>
  </interface>
)xml";

} // namespace

Q_DECLARE_METATYPE(IconPixmap)
Q_DECLARE_METATYPE(IconPixmaps)
Q_DECLARE_METATYPE(ToolTip)

QDBusArgument &operator<<(QDBusArgument &arg, const IconPixmap &pixmap)
{
    arg.beginStructure();
    arg << pixmap.width << pixmap.height << pixmap.pixels;
    arg.endStructure();
    return arg;
}

QDBusArgument &operator<<(QDBusArgument &arg, const IconPixmaps &pixmaps)
{
    arg.beginArray(QMetaType::fromType<IconPixmap>());
    for (const IconPixmap &pixmap : pixmaps.sizes)
        arg << pixmap;
    arg.endArray();
    return arg;
}

QDBusArgument &operator<<(QDBusArgument &arg, const ToolTip &tip)
{
    arg.beginStructure();
    arg << QString() << IconPixmaps() << tip.title << QString();
    arg.endStructure();
    return arg;
}

// Replies only: nothing is ever read in these shapes.
const QDBusArgument &operator>>(const QDBusArgument &arg, IconPixmap &) { return arg; }
const QDBusArgument &operator>>(const QDBusArgument &arg, IconPixmaps &) { return arg; }
const QDBusArgument &operator>>(const QDBusArgument &arg, ToolTip &) { return arg; }

namespace {

IconPixmaps PixmapsOf(const QIcon &icon)
{
    IconPixmaps pixmaps;
    if (icon.isNull())
        return pixmaps;
    for (int side : IconSides) {
        const QImage image = icon.pixmap(side, side).toImage().convertToFormat(QImage::Format_ARGB32);
        if (image.isNull())
            continue;
        IconPixmap pixmap{image.width(), image.height(), QByteArray()};
        pixmap.pixels.resize(qsizetype(image.width()) * image.height() * 4);
        auto *out = reinterpret_cast<quint32 *>(pixmap.pixels.data());
        for (int y = 0; y < image.height(); ++y) {
            const auto *line = reinterpret_cast<const quint32 *>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x)
                *out++ = qToBigEndian(line[x]);
        }
        pixmaps.sizes.append(pixmap);
    }
    return pixmaps;
}

} // namespace

StatusNotifier::StatusNotifier(const QDBusConnection &connection, const QString &menuPath, QObject *parent)
    : QDBusVirtualObject(parent), m_connection(connection), m_menuPath(menuPath),
      m_service(QStringLiteral("org.kde.StatusNotifierItem-%1-1").arg(QCoreApplication::applicationPid()))
{
    static const bool registered = [] {
        qDBusRegisterMetaType<IconPixmap>();
        qDBusRegisterMetaType<IconPixmaps>();
        qDBusRegisterMetaType<ToolTip>();
        return true;
    }();
    Q_UNUSED(registered);

    if (!m_connection.isConnected())
        return;
    m_watcher = new QDBusServiceWatcher(QLatin1String(WatcherService), m_connection,
                                        QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString &, const QString &, const QString &newOwner) { watcherOwnerChanged(newOwner); });
    m_watcherPresent = m_connection.interface() && m_connection.interface()->isServiceRegistered(QLatin1String(WatcherService));
}

StatusNotifier::~StatusNotifier()
{
    hide();
    if (m_connection.isConnected())
        m_connection.unregisterObject(QLatin1String(Path));
}

void StatusNotifier::show()
{
    if (m_shown || !m_watcherPresent || !m_connection.isConnected())
        return;
    if (!m_connection.objectRegisteredAt(QLatin1String(Path))
        && !m_connection.registerVirtualObject(QLatin1String(Path), this, QDBusConnection::SingleNode))
        return;
    if (!m_connection.registerService(m_service))
        return;
    m_shown = true;
    registerWithWatcher();
}

void StatusNotifier::hide()
{
    if (!m_shown)
        return;
    // The watcher drops an item whose name leaves the bus.
    m_connection.unregisterService(m_service);
    m_shown = false;
}

void StatusNotifier::registerWithWatcher()
{
    QDBusMessage call = QDBusMessage::createMethodCall(QLatin1String(WatcherService), QLatin1String(WatcherPath),
                                                       QLatin1String(WatcherService),
                                                       QStringLiteral("RegisterStatusNotifierItem"));
    call << m_service;
    auto *pending = new QDBusPendingCallWatcher(m_connection.asyncCall(call), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *call) {
        call->deleteLater();
        // A watcher that refuses the item shows it nowhere: as good as none.
        if (call->isError() && m_shown) {
            hide();
            m_refused = true;
            emit watcherChanged(false);
        }
    });
}

void StatusNotifier::watcherOwnerChanged(const QString &newOwner)
{
    m_watcherPresent = !newOwner.isEmpty();
    m_refused = false;
    // A watcher that starts again knows nothing of the items of the last one.
    if (m_watcherPresent && m_shown)
        registerWithWatcher();
    emit watcherChanged(m_watcherPresent);
}

void StatusNotifier::setIcon(const QIcon &icon)
{
    m_icon = icon;
    emitSignal("NewIcon");
}

void StatusNotifier::setTitle(const QString &title)
{
    m_title = title;
    emitSignal("NewTitle");
    emitSignal("NewToolTip");
}

void StatusNotifier::emitSignal(const char *name, const QList<QVariant> &args)
{
    if (!m_shown)
        return;
    QDBusMessage signal = QDBusMessage::createSignal(QLatin1String(Path), QLatin1String(ItemInterface), QLatin1String(name));
    signal.setArguments(args);
    m_connection.send(signal);
}

QVariantMap StatusNotifier::properties() const
{
    QVariantMap all;
    all.insert(QStringLiteral("Category"), QStringLiteral("ApplicationStatus"));
    all.insert(QStringLiteral("Id"), QStringLiteral("kelvora"));
    all.insert(QStringLiteral("Title"), m_title);
    all.insert(QStringLiteral("Status"), QStringLiteral("Active"));
    all.insert(QStringLiteral("WindowId"), 0);
    all.insert(QStringLiteral("IconThemePath"), QString());
    all.insert(QStringLiteral("Menu"), QVariant::fromValue(QDBusObjectPath(m_menuPath)));
    // A click shows the menu: the program has nothing else to show.
    all.insert(QStringLiteral("ItemIsMenu"), true);
    all.insert(QStringLiteral("IconName"), QString());
    all.insert(QStringLiteral("IconPixmap"), QVariant::fromValue(PixmapsOf(m_icon)));
    all.insert(QStringLiteral("OverlayIconName"), QString());
    all.insert(QStringLiteral("OverlayIconPixmap"), QVariant::fromValue(IconPixmaps()));
    all.insert(QStringLiteral("AttentionIconName"), QString());
    all.insert(QStringLiteral("AttentionIconPixmap"), QVariant::fromValue(IconPixmaps()));
    all.insert(QStringLiteral("AttentionMovieName"), QString());
    all.insert(QStringLiteral("ToolTip"), QVariant::fromValue(ToolTip{m_title}));
    return all;
}

QString StatusNotifier::introspect(const QString &) const { return QString::fromLatin1(IntrospectionXml); }

bool StatusNotifier::handleMessage(const QDBusMessage &message, const QDBusConnection &connection)
{
    const QString member = message.member();
    const QList<QVariant> args = message.arguments();
    if (message.interface() == QLatin1String(PropertiesInterface)) {
        const QString interface = args.value(0).toString();
        if (!interface.isEmpty() && interface != QLatin1String(ItemInterface)) {
            connection.send(message.createErrorReply(QDBusError::UnknownInterface, QStringLiteral("No such interface")));
            return true;
        }
        const QVariantMap all = properties();
        if (member == QLatin1String("GetAll") && args.size() == 1) {
            connection.send(message.createReply(QVariant(all)));
        } else if (member == QLatin1String("Get") && args.size() == 2 && all.contains(args.at(1).toString())) {
            connection.send(message.createReply(QVariant::fromValue(QDBusVariant(all.value(args.at(1).toString())))));
        } else if (member == QLatin1String("Set")) {
            connection.send(message.createErrorReply(QDBusError::PropertyReadOnly, QStringLiteral("Read-only")));
        } else {
            connection.send(message.createErrorReply(QDBusError::UnknownProperty, QStringLiteral("No such property")));
        }
        return true;
    }
    if (message.interface() != QLatin1String(ItemInterface) && !message.interface().isEmpty())
        return false; // Introspectable and Peer: Qt answers them

    const bool click = member == QLatin1String("Activate") || member == QLatin1String("ContextMenu");
    const bool known = click || member == QLatin1String("SecondaryActivate") || member == QLatin1String("Scroll")
        || member == QLatin1String("ProvideXdgActivationToken");
    if (!known) {
        connection.send(message.createErrorReply(QDBusError::UnknownMethod, QStringLiteral("No such method")));
        return true;
    }
    if (click && m_refuseClicks) {
        // As an item that has no such click: the panels that tell one so
        // apart by this error show the menu (KDE's) or stop sending it (GNOME's).
        connection.send(message.createErrorReply(QDBusError::UnknownMethod, QStringLiteral("The item is its menu")));
        return true;
    }
    connection.send(message.createReply());
    if (click && message.signature() == QLatin1String("ii")) {
        const QPoint place(args.at(0).toInt(), args.at(1).toInt());
        const QString client = message.service();
        // After the reply: the panel is not kept waiting while a menu opens.
        QMetaObject::invokeMethod(this, [this, place, client] { emit activated(place, client); }, Qt::QueuedConnection);
    }
    return true;
}
