#include "shell/accessibilityguard.h"

#include <QAccessible>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QPointer>

namespace {

// Where the bridge serves every accessible object, and on which connection.
const char *const BridgeConnection = "a11y";
const char *const BridgePath = "/org/a11y/atspi/accessible";

class Guard : public QDBusVirtualObject {
public:
    explicit Guard(QDBusVirtualObject *bridge) : QDBusVirtualObject(bridge), m_bridge(bridge) {}

    QString introspect(const QString &path) const override
    {
        return m_bridge ? m_bridge->introspect(path) : QString();
    }

    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override
    {
        // Get names an interface and a property, Set a value too.
        if (message.interface() == u"org.freedesktop.DBus.Properties" && message.arguments().size() < 2) {
            connection.send(message.createErrorReply(
                QDBusError::NotSupported, QStringLiteral("%1 is not supported here").arg(message.member())));
            return true;
        }
        return m_bridge && m_bridge->handleMessage(message, connection);
    }

private:
    QPointer<QDBusVirtualObject> m_bridge;
};

// Puts the guard where the bridge registered its object, once.
void GuardTheBridge()
{
    QDBusConnection bus(QString::fromLatin1(BridgeConnection));
    const QString path = QString::fromLatin1(BridgePath);
    if (!bus.isConnected())
        return;
    auto *bridge = qobject_cast<QDBusVirtualObject *>(bus.objectRegisteredAt(path));
    if (!bridge || dynamic_cast<Guard *>(bridge))
        return;
    // Goes with the bridge's object; its registration goes with it.
    auto *guard = new Guard(bridge);
    bus.unregisterObject(path);
    if (!bus.registerVirtualObject(path, guard, QDBusConnection::SubPath)) {
        bus.registerVirtualObject(path, bridge, QDBusConnection::SubPath);
        delete guard;
    }
}

class Observer : public QAccessible::ActivationObserver {
public:
    void accessibilityActiveChanged(bool active) override
    {
        // The bridge registers its object right after it turns active.
        if (active)
            QMetaObject::invokeMethod(QCoreApplication::instance(), GuardTheBridge, Qt::QueuedConnection);
    }
};

} // namespace

namespace AccessibilityGuard {

void Install()
{
    static Observer observer;
    QAccessible::installActivationObserver(&observer);
}

}
