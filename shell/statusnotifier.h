#pragma once
// The program's icon on panels that take StatusNotifierItems over D-Bus
// (GNOME's AppIndicator extension, KDE Plasma, XFCE's and LXQt's status trays,
// waybar). The item says it is a menu and names the exported tray menu, so
// the panel draws that menu on a click; a panel that sends Activate or
// ContextMenu instead is passed on with the place it gives.
#include <QDBusConnection>
#include <QDBusVirtualObject>
#include <QIcon>
#include <QPoint>

class QDBusServiceWatcher;

class StatusNotifier : public QDBusVirtualObject {
    Q_OBJECT
public:
    static constexpr const char *Path = "/StatusNotifierItem";

    // `menuPath`: where the exported menu is on the same connection.
    StatusNotifier(const QDBusConnection &connection, const QString &menuPath, QObject *parent = nullptr);
    ~StatusNotifier() override;

    // Whether a panel's watcher is on the bus to take the item.
    bool watcherPresent() const { return m_watcherPresent && !m_refused; }
    // Whether one is on the bus at all, even one that refused the item.
    bool watcherOnBus() const { return m_watcherPresent; }
    // Shown: the item is on the bus and registered with the watcher.
    bool isShown() const { return m_shown; }
    void show();
    void hide();

    // Where the program cannot open a menu of its own (a Wayland session),
    // Activate and ContextMenu are refused: a panel that sends them (KDE's)
    // then opens the exported menu itself.
    void refuseClicks(bool refuse) { m_refuseClicks = refuse; }

    void setIcon(const QIcon &icon);
    void setTitle(const QString &title);
    QString serviceName() const { return m_service; }

    QString introspect(const QString &path) const override;
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override;

signals:
    // A watcher came or went.
    void watcherChanged(bool present);
    // The panel's left (Activate) or right (ContextMenu) click, at the place
    // it gives (a null point when it gives none); `client` is the panel's bus name.
    void activated(const QPoint &place, const QString &client);

private:
    void watcherOwnerChanged(const QString &newOwner);
    void registerWithWatcher();
    QVariantMap properties() const;
    void emitSignal(const char *name, const QList<QVariant> &args = {});

    QDBusConnection m_connection;
    QString m_menuPath;
    QString m_service;
    QString m_title;
    QIcon m_icon;
    bool m_watcherPresent = false;
    bool m_refused = false;
    bool m_shown = false;
    bool m_refuseClicks = false;
    QDBusServiceWatcher *m_watcher = nullptr;
};
