#pragma once
// The tray menu as a panel draws it: the same items, in the same order, with
// the same captions, pictures, separators, submenus and greyed state, served
// over D-Bus (com.canonical.dbusmenu). A panel's click runs the command the
// same item runs in the program's own menu, for the person it belongs to.
//
// A person's commands are sent once the panel is about to show them: the
// whole menu of a large family would otherwise be ten items a person, most
// of the time of every answer, for submenus nobody opens. A panel that asks
// for the menu's shape alone gets them all at once (see GetLayout).
#include <QDBusVirtualObject>
#include <QElapsedTimer>
#include <QHash>
#include <QSet>

#include <functional>

class QAction;
class QDBusArgument;
class QIcon;
class TrayMenu;

class MenuExport : public QDBusVirtualObject {
    Q_OBJECT
public:
    static constexpr const char *Path = "/MenuBar";

    // `menuEnabled` is the menu flag: cleared, every item shows greyed and
    // none runs.
    MenuExport(TrayMenu *menu, std::function<bool()> menuEnabled, QObject *parent = nullptr);
    ~MenuExport() override;

    // Serves the menu on `connection`; false when another object holds the path.
    bool publish(const QDBusConnection &connection);
    void withdraw();

    // Something a panel shows changed (the family, the day's pictures, the
    // menu flag): panels are told once the current event has been handled.
    void changed();
    quint32 revision() const { return m_revision; }

    // Whether the panel at `client` (a bus name) opened or closed the menu
    // just now: its own Activate or ContextMenu then needs no second menu.
    bool shownRecentlyBy(const QString &client) const;

    QString introspect(const QString &path) const override;
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override;

    // Writes item `id` with its properties (all when `names` is empty) and
    // its children `depth` levels down (-1: all); below the item asked for,
    // a person's commands only once the panel has opened them. Used by the
    // reply's marshalling.
    void writeItem(QDBusArgument &arg, int id, int depth, const QStringList &names, bool asked) const;
    // Writes the properties of item `id` (GetGroupProperties).
    void writeProperties(QDBusArgument &arg, int id, const QStringList &names) const;

private:
    struct Item;
    Item itemOf(int id) const;
    QList<int> childrenOf(const Item &item) const;
    int idOfAction(QAction *action) const;
    void writeProperties(QDBusArgument &arg, const Item &item, const QStringList &names) const;
    QVariantMap properties(const Item &item) const;
    QByteArray pictureData(const QIcon &icon) const;
    bool activate(int id);
    void noteShown(const QString &client);
    // A person's commands are about to show: true when the panel has not had them.
    bool expand(const Item &item);
    // The people marked opened belong to the family of today's generation.
    void forgetOldFamily();
    // Whether a person's commands go with the whole menu now.
    bool commandsSent(const Item &item) const;
    // A change below item `id` only.
    void changedBelow(int id);
    void announce();
    // The greyed state of every item, for a panel that reads no more than
    // the menu's shape when told the layout changed (GNOME's).
    void announceEnabled();

    TrayMenu *m_menu;
    std::function<bool()> m_menuEnabled;
    // The fixed items, by id - 1: those of the menu's own level, then those of "Параметры...".
    QList<QAction *> m_fixed;
    quint32 m_revision = 1;
    bool m_announcePending = false;
    int m_announceParent = 0;
    bool m_published = false;
    QString m_connectionName;
    mutable QHash<qint64, QByteArray> m_pictures;
    QHash<QString, qint64> m_shownBy; // client -> when, on m_clock
    // The people whose commands panels have opened, in the family generation
    // m_expandedGeneration.
    QSet<int> m_expanded;
    // Every person's commands are sent (see GetLayout).
    bool m_expandedAll = false;
    quint32 m_expandedGeneration = 0;
    QElapsedTimer m_clock;
};
