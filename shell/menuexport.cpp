#include "shell/menuexport.h"

#include "resources/pictures.h"
#include "shell/traymenu.h"

#include <QAction>
#include <QBuffer>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusVariant>
#include <QIcon>
#include <QPixmap>
#include <QTimer>

namespace {

constexpr const char *Interface = "com.canonical.dbusmenu";
constexpr const char *PropertiesInterface = "org.freedesktop.DBus.Properties";

// Ids: 0 the menu itself, 1.. the fixed items, from PersonBase the people:
// sixteen ids a person (the item, then its commands) and, above them, the
// family's generation, so that a click a panel sends for a family that has
// changed since it asked finds no item rather than someone else's.
constexpr int PersonBase = 16;
constexpr int PersonShift = 4;
constexpr int GenerationShift = 24;
constexpr int GenerationMask = 0x3f;
constexpr int MaxExportedPeople = 1 << (GenerationShift - PersonShift);

// How long after a panel opened or closed the menu its own Activate or
// ContextMenu counts as the same click.
constexpr qint64 SameClickMs = 1000;

// One item and what lies below it, written into a reply as it is marshalled.
struct LayoutNode {
    const MenuExport *menu = nullptr;
    int id = 0;
    int depth = 0;
    QStringList names;
    bool asked = false;
};

// One item's properties, and those of several items (GetGroupProperties).
struct PropertyEntry {
    const MenuExport *menu = nullptr;
    int id = 0;
    QStringList names;
};
struct PropertyGroup {
    const MenuExport *menu = nullptr;
    QList<int> ids;
    QStringList names;
};

// An item's greyed state and the properties a change removed, as
// ItemsPropertiesUpdated carries them.
struct EnabledEntry {
    int id = 0;
    bool enabled = true;
};
struct RemovedEntry {
    int id = 0;
    QStringList names;
};

const char IntrospectionXml[] = R"xml(  <interface name="com.canonical.dbusmenu">
    <property name="Version" type="u" access="read"/>
    <property name="TextDirection" type="s" access="read"/>
    <property name="Status" type="s" access="read"/>
    <property name="IconThemePath" type="as" access="read"/>
    <method name="GetLayout">
      <arg type="i" name="parentId" direction="in"/>
      <arg type="i" name="recursionDepth" direction="in"/>
      <arg type="as" name="propertyNames" direction="in"/>
      <arg type="u" name="revision" direction="out"/>
      <arg type="(ia{sv}av)" name="layout" direction="out"/>
    </method>
    <method name="GetGroupProperties">
      <arg type="ai" name="ids" direction="in"/>
      <arg type="as" name="propertyNames" direction="in"/>
      <arg type="a(ia{sv})" name="properties" direction="out"/>
    </method>
    <method name="GetProperty">
      <arg type="i" name="id" direction="in"/>
      <arg type="s" name="name" direction="in"/>
      <arg type="v" name="value" direction="out"/>
    </method>
    <method name="Event">
      <arg type="i" name="id" direction="in"/>
      <arg type="s" name="eventId" direction="in"/>
      <arg type="v" name="data" direction="in"/>
      <arg type="u" name="timestamp" direction="in"/>
    </method>
    <method name="EventGroup">
      <arg type="a(isvu)" name="events" direction="in"/>
      <arg type="ai" name="idErrors" direction="out"/>
    </method>
    <method name="AboutToShow">
      <arg type="i" name="id" direction="in"/>
      <arg type="b" name="needUpdate" direction="out"/>
    </method>
    <method name="AboutToShowGroup">
      <arg type="ai" name="ids" direction="in"/>
      <arg type="ai" name="updatesNeeded" direction="out"/>
      <arg type="ai" name="idErrors" direction="out"/>
    </method>
    <signal name="ItemsPropertiesUpdated">
      <arg type="a(ia{sv})" name="updatedProps"/>
      <arg type="a(ias)" name="removedProps"/>
    </signal>
    <signal name="LayoutUpdated">
      <arg type="u" name="revision"/>
      <arg type="i" name="parent"/>
    </signal>
    <signal name="ItemActivationRequested">
      <arg type="i" name="id"/>
      <arg type="u" name="timestamp"/>
    </signal>
  </interface>
)xml";

// A menu caption as a panel reads it: '&' marks no mnemonic here ("&&" is a
// plain '&'), and '_' would, so it is doubled.
QString PanelLabel(const QString &caption)
{
    QString label;
    label.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        const QChar c = caption.at(i);
        if (c == QLatin1Char('&')) {
            if (i + 1 < caption.size() && caption.at(i + 1) == QLatin1Char('&')) {
                label += c;
                ++i;
            }
            continue;
        }
        if (c == QLatin1Char('_'))
            label += c;
        label += c;
    }
    return label;
}

} // namespace

Q_DECLARE_METATYPE(LayoutNode)
Q_DECLARE_METATYPE(PropertyEntry)
Q_DECLARE_METATYPE(PropertyGroup)
Q_DECLARE_METATYPE(EnabledEntry)
Q_DECLARE_METATYPE(RemovedEntry)

// Qt asks a type for its signature by writing an empty one: no menu then.
QDBusArgument &operator<<(QDBusArgument &arg, const LayoutNode &node)
{
    if (node.menu) {
        node.menu->writeItem(arg, node.id, node.depth, node.names, node.asked);
    } else {
        arg.beginStructure();
        arg << 0;
        arg.beginMap(QMetaType::fromType<QString>(), QMetaType::fromType<QDBusVariant>());
        arg.endMap();
        arg.beginArray(QMetaType::fromType<QDBusVariant>());
        arg.endArray();
        arg.endStructure();
    }
    return arg;
}

// Replies only: nothing is ever read in these shapes.
const QDBusArgument &operator>>(const QDBusArgument &arg, LayoutNode &) { return arg; }

QDBusArgument &operator<<(QDBusArgument &arg, const PropertyEntry &entry)
{
    arg.beginStructure();
    arg << entry.id;
    if (entry.menu) {
        entry.menu->writeProperties(arg, entry.id, entry.names);
    } else {
        arg.beginMap(QMetaType::fromType<QString>(), QMetaType::fromType<QDBusVariant>());
        arg.endMap();
    }
    arg.endStructure();
    return arg;
}

const QDBusArgument &operator>>(const QDBusArgument &arg, PropertyEntry &) { return arg; }

QDBusArgument &operator<<(QDBusArgument &arg, const PropertyGroup &group)
{
    arg.beginArray(QMetaType::fromType<PropertyEntry>());
    for (int id : group.ids)
        arg << PropertyEntry{group.menu, id, group.names};
    arg.endArray();
    return arg;
}

const QDBusArgument &operator>>(const QDBusArgument &arg, PropertyGroup &) { return arg; }

QDBusArgument &operator<<(QDBusArgument &arg, const EnabledEntry &entry)
{
    arg.beginStructure();
    arg << entry.id;
    arg.beginMap(QMetaType::fromType<QString>(), QMetaType::fromType<QDBusVariant>());
    arg.beginMapEntry();
    arg << QStringLiteral("enabled") << QDBusVariant(entry.enabled);
    arg.endMapEntry();
    arg.endMap();
    arg.endStructure();
    return arg;
}

const QDBusArgument &operator>>(const QDBusArgument &arg, EnabledEntry &) { return arg; }

QDBusArgument &operator<<(QDBusArgument &arg, const RemovedEntry &entry)
{
    arg.beginStructure();
    arg << entry.id << entry.names;
    arg.endStructure();
    return arg;
}

const QDBusArgument &operator>>(const QDBusArgument &arg, RemovedEntry &) { return arg; }

static void RegisterTypes()
{
    static const bool registered = [] {
        qDBusRegisterMetaType<LayoutNode>();
        qDBusRegisterMetaType<PropertyEntry>();
        qDBusRegisterMetaType<PropertyGroup>();
        qDBusRegisterMetaType<EnabledEntry>();
        qDBusRegisterMetaType<RemovedEntry>();
        qDBusRegisterMetaType<QList<EnabledEntry>>();
        qDBusRegisterMetaType<QList<RemovedEntry>>();
        return true;
    }();
    Q_UNUSED(registered);
}

struct MenuExport::Item {
    enum Kind { None, Root, Fixed, Person, Command } kind = None;
    QAction *action = nullptr; // Fixed, Person
    int person = -1;
    int command = -1;
};

MenuExport::MenuExport(TrayMenu *menu, std::function<bool()> menuEnabled, QObject *parent)
    : QDBusVirtualObject(parent), m_menu(menu), m_menuEnabled(std::move(menuEnabled))
{
    RegisterTypes();
    m_clock.start();
    // The fixed part exists before the first person does.
    for (QAction *action : m_menu->actions())
        m_fixed.append(action);
    for (QAction *action : m_menu->parametersMenu->actions())
        m_fixed.append(action);
    connect(m_menu, &TrayMenu::contentChanged, this, &MenuExport::changed);
}

MenuExport::~MenuExport() { withdraw(); }

bool MenuExport::publish(const QDBusConnection &connection)
{
    if (m_published)
        return true;
    QDBusConnection bus = connection;
    if (!bus.registerVirtualObject(QLatin1String(Path), this, QDBusConnection::SingleNode))
        return false;
    m_connectionName = bus.name();
    m_published = true;
    return true;
}

void MenuExport::withdraw()
{
    if (!m_published)
        return;
    QDBusConnection(m_connectionName).unregisterObject(QLatin1String(Path));
    m_published = false;
}

void MenuExport::changed() { changedBelow(0); }

void MenuExport::changedBelow(int id)
{
    ++m_revision;
    if (m_announcePending) {
        if (m_announceParent != id)
            m_announceParent = 0;
        return;
    }
    m_announcePending = true;
    m_announceParent = id;
    QTimer::singleShot(0, this, &MenuExport::announce);
}

void MenuExport::announce()
{
    m_announcePending = false;
    if (!m_published)
        return;
    QDBusMessage signal = QDBusMessage::createSignal(QLatin1String(Path), QLatin1String(Interface),
                                                     QStringLiteral("LayoutUpdated"));
    signal << QVariant::fromValue(m_revision) << QVariant::fromValue(m_announceParent);
    QDBusConnection(m_connectionName).send(signal);
    if (m_announceParent == 0)
        announceEnabled();
}

void MenuExport::announceEnabled()
{
    // Every item a panel may hold: the menu's own, those of its submenus and
    // the commands of the people it has.
    QList<EnabledEntry> entries;
    QList<int> pending = childrenOf(itemOf(0));
    for (qsizetype i = 0; i < pending.size(); ++i) {
        const Item item = itemOf(pending.at(i));
        const bool separator = item.action ? item.action->isSeparator()
                                           : !m_menu->personCommands().at(item.command).caption;
        if (separator)
            continue;
        entries.append({pending.at(i), m_menuEnabled() && (!item.action || item.action->isEnabled())});
        if (item.kind != Item::Person || commandsSent(item))
            pending += childrenOf(item);
    }
    QDBusMessage signal = QDBusMessage::createSignal(QLatin1String(Path), QLatin1String(Interface),
                                                     QStringLiteral("ItemsPropertiesUpdated"));
    signal << QVariant::fromValue(entries) << QVariant::fromValue(QList<RemovedEntry>());
    QDBusConnection(m_connectionName).send(signal);
}

bool MenuExport::shownRecentlyBy(const QString &client) const
{
    const auto found = m_shownBy.constFind(client);
    return found != m_shownBy.constEnd() && m_clock.elapsed() - *found <= SameClickMs;
}

void MenuExport::noteShown(const QString &client) { m_shownBy.insert(client, m_clock.elapsed()); }

bool MenuExport::commandsSent(const Item &item) const
{
    return m_expandedGeneration == m_menu->familyGeneration() && (m_expandedAll || m_expanded.contains(item.person));
}

void MenuExport::forgetOldFamily()
{
    if (m_expandedGeneration != m_menu->familyGeneration()) {
        m_expanded.clear();
        m_expandedAll = false;
        m_expandedGeneration = m_menu->familyGeneration();
    }
}

bool MenuExport::expand(const Item &item)
{
    if (item.kind != Item::Person)
        return false;
    forgetOldFamily();
    if (m_expandedAll || m_expanded.contains(item.person))
        return false;
    m_expanded.insert(item.person);
    // Panels that do not read a submenu they were told to update wait for this.
    changedBelow(idOfAction(item.action));
    return true;
}

MenuExport::Item MenuExport::itemOf(int id) const
{
    Item item;
    if (id == 0) {
        item.kind = Item::Root;
    } else if (id > 0 && id <= m_fixed.size()) {
        item.kind = Item::Fixed;
        item.action = m_fixed.at(id - 1);
    } else if (id >= PersonBase) {
        const int relative = id - PersonBase;
        if (((relative >> GenerationShift) & GenerationMask) != int(m_menu->familyGeneration() & GenerationMask))
            return item;
        const int slot = relative & ((1 << GenerationShift) - 1);
        const int person = slot >> PersonShift;
        const int part = slot & ((1 << PersonShift) - 1);
        if (person >= m_menu->personCount())
            return item;
        item.person = person;
        if (part == 0) {
            item.kind = Item::Person;
            item.action = m_menu->personItem(person);
        } else if (part - 1 < m_menu->personCommands().size() && m_menu->personMenu()) {
            item.kind = Item::Command;
            item.command = part - 1;
        }
    }
    return item;
}

int MenuExport::idOfAction(QAction *action) const
{
    if (action->menu() && action->menu() == m_menu->personMenu()) {
        const int person = action->data().toInt();
        return PersonBase + (int(m_menu->familyGeneration() & GenerationMask) << GenerationShift) + (person << PersonShift);
    }
    const int fixed = int(m_fixed.indexOf(action));
    return fixed < 0 ? -1 : fixed + 1;
}

QList<int> MenuExport::childrenOf(const Item &item) const
{
    QList<int> ids;
    QList<QAction *> shown;
    if (item.kind == Item::Root)
        shown = TrayMenu::shownActions(m_menu->actions());
    else if (item.kind == Item::Fixed && item.action->menu())
        shown = TrayMenu::shownActions(item.action->menu()->actions());
    if (item.kind == Item::Person && m_menu->personMenu()) {
        const QList<QAction *> commands = m_menu->personMenu()->actions();
        const int base = idOfAction(item.action);
        for (QAction *command : TrayMenu::shownActions(commands))
            ids.append(base + 1 + int(commands.indexOf(command)));
        return ids;
    }
    ids.reserve(shown.size());
    for (QAction *action : shown) {
        // A family too large for the ids is shown in the program's own menu only.
        if (action->menu() && action->menu() == m_menu->personMenu() && action->data().toInt() >= MaxExportedPeople)
            continue;
        const int id = idOfAction(action);
        if (id >= 0)
            ids.append(id);
    }
    return ids;
}

QByteArray MenuExport::pictureData(const QIcon &icon) const
{
    if (icon.isNull())
        return QByteArray();
    const qint64 key = icon.cacheKey();
    auto found = m_pictures.constFind(key);
    if (found != m_pictures.constEnd())
        return *found;
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    icon.pixmap(QSize(16, 16)).save(&buffer, "PNG");
    m_pictures.insert(key, png);
    return png;
}

// Calls put(name, value) for every property of `item` that differs from the
// protocol's default.
template <class Put>
static void ForEachProperty(const TrayMenu *menu, bool menuEnabled, const QAction *action, int command, bool hasChildren,
                            Put put, const std::function<QByteArray(const QIcon &)> &picture)
{
    QString caption;
    QIcon icon;
    bool enabled = menuEnabled;
    if (action) {
        if (action->isSeparator()) {
            put(QStringLiteral("type"), QStringLiteral("separator"));
            return;
        }
        caption = action->text();
        icon = action->icon();
        enabled = enabled && action->isEnabled();
    } else if (command >= 0) {
        const TrayMenu::PersonCommand &c = menu->personCommands().at(command);
        if (!c.caption) {
            put(QStringLiteral("type"), QStringLiteral("separator"));
            return;
        }
        caption = QString::fromUtf8(c.caption).replace(QLatin1Char('&'), QLatin1String("&&"));
        icon = Pictures::imageList2(c.picture);
    }
    put(QStringLiteral("label"), PanelLabel(caption));
    if (!enabled)
        put(QStringLiteral("enabled"), false);
    if (!icon.isNull())
        put(QStringLiteral("icon-data"), picture(icon));
    if (hasChildren)
        put(QStringLiteral("children-display"), QStringLiteral("submenu"));
}

QVariantMap MenuExport::properties(const Item &item) const
{
    QVariantMap map;
    const auto put = [&map](const QString &name, const QVariant &value) { map.insert(name, value); };
    if (item.kind == Item::Root) {
        put(QStringLiteral("children-display"), QStringLiteral("submenu"));
        return map;
    }
    const bool hasChildren = item.kind == Item::Person || (item.kind == Item::Fixed && item.action->menu());
    ForEachProperty(m_menu, m_menuEnabled(), item.action, item.command, hasChildren, put,
                    [this](const QIcon &icon) { return pictureData(icon); });
    return map;
}

void MenuExport::writeProperties(QDBusArgument &arg, int id, const QStringList &names) const
{
    writeProperties(arg, itemOf(id), names);
}

void MenuExport::writeProperties(QDBusArgument &arg, const Item &item, const QStringList &names) const
{
    arg.beginMap(QMetaType::fromType<QString>(), QMetaType::fromType<QDBusVariant>());
    const auto put = [&arg, &names](const QString &name, const QVariant &value) {
        if (!names.isEmpty() && !names.contains(name))
            return;
        arg.beginMapEntry();
        arg << name << QDBusVariant(value);
        arg.endMapEntry();
    };
    if (item.kind == Item::Root) {
        put(QStringLiteral("children-display"), QStringLiteral("submenu"));
    } else {
        const bool hasChildren = item.kind == Item::Person || (item.kind == Item::Fixed && item.action->menu());
        ForEachProperty(m_menu, m_menuEnabled(), item.action, item.command, hasChildren, put,
                        [this](const QIcon &icon) { return pictureData(icon); });
    }
    arg.endMap();
}

void MenuExport::writeItem(QDBusArgument &arg, int id, int depth, const QStringList &names, bool asked) const
{
    const Item item = itemOf(id);
    arg.beginStructure();
    arg << id;
    writeProperties(arg, item, names);
    arg.beginArray(QMetaType::fromType<QDBusVariant>());
    if (depth != 0 && (item.kind != Item::Person || asked || commandsSent(item))) {
        for (int child : childrenOf(item))
            arg << QDBusVariant(QVariant::fromValue(LayoutNode{this, child, depth < 0 ? -1 : depth - 1, names, false}));
    }
    arg.endArray();
    arg.endStructure();
}

bool MenuExport::activate(int id)
{
    const Item item = itemOf(id);
    if (item.kind == Item::None)
        return false;
    // Greyed, as in the program's own menu, which does not even open then.
    if (!m_menuEnabled())
        return true;
    if (item.kind == Item::Fixed && !item.action->isSeparator() && !item.action->menu() && item.action->isEnabled())
        item.action->trigger();
    else if (item.kind == Item::Command && m_menu->personCommands().at(item.command).caption)
        m_menu->runPersonCommand(item.command, item.person);
    return true;
}

QString MenuExport::introspect(const QString &) const { return QString::fromLatin1(IntrospectionXml); }

bool MenuExport::handleMessage(const QDBusMessage &message, const QDBusConnection &connection)
{
    const QString member = message.member();
    const QList<QVariant> args = message.arguments();
    const auto reply = [&](const QList<QVariant> &values) {
        connection.send(message.createReply(values));
        return true;
    };
    const auto fail = [&](const QString &text) {
        connection.send(message.createErrorReply(QDBusError::InvalidArgs, text));
        return true;
    };

    if (message.interface() == QLatin1String(PropertiesInterface)) {
        QVariantMap all;
        all.insert(QStringLiteral("Version"), 3u);
        all.insert(QStringLiteral("TextDirection"), QStringLiteral("ltr"));
        all.insert(QStringLiteral("Status"), QStringLiteral("normal"));
        all.insert(QStringLiteral("IconThemePath"), QStringList());
        if (member == QLatin1String("GetAll") && args.size() == 1)
            return reply({all});
        if (member == QLatin1String("Get") && args.size() == 2 && all.contains(args.at(1).toString()))
            return reply({QVariant::fromValue(QDBusVariant(all.value(args.at(1).toString())))});
        connection.send(message.createErrorReply(QDBusError::UnknownProperty, QStringLiteral("No such property")));
        return true;
    }
    if (message.interface() != QLatin1String(Interface) && !message.interface().isEmpty())
        return false; // Introspectable and Peer: Qt answers them

    if (member == QLatin1String("GetLayout") && message.signature() == QLatin1String("iias")) {
        const int parent = args.at(0).toInt();
        if (itemOf(parent).kind == Item::None)
            return fail(QStringLiteral("No such item"));
        const QStringList names = args.at(2).toStringList();
        // A panel that reads the menu's shape alone and the captions and
        // pictures after (GNOME's) gets every person's commands: the shape
        // costs little, and that panel neither opens a submenu it has no
        // items for nor keeps one open across a layout update.
        if (!names.isEmpty() && !names.contains(QLatin1String("label"))) {
            forgetOldFamily();
            m_expandedAll = true;
        }
        return reply({QVariant::fromValue(m_revision),
                      QVariant::fromValue(LayoutNode{this, parent, args.at(1).toInt(), names, true})});
    }
    if (member == QLatin1String("GetGroupProperties") && message.signature() == QLatin1String("aias")) {
        QList<int> ids;
        for (int id : qdbus_cast<QList<int>>(args.at(0)))
            if (itemOf(id).kind != Item::None)
                ids.append(id);
        return reply({QVariant::fromValue(PropertyGroup{this, ids, args.at(1).toStringList()})});
    }
    if (member == QLatin1String("GetProperty") && message.signature() == QLatin1String("is")) {
        const Item item = itemOf(args.at(0).toInt());
        const QVariantMap props = properties(item);
        const QString name = args.at(1).toString();
        if (item.kind == Item::None || !props.contains(name))
            return fail(QStringLiteral("No such item or property"));
        return reply({QVariant::fromValue(QDBusVariant(props.value(name)))});
    }
    if (member == QLatin1String("Event") && message.signature() == QLatin1String("isvu")) {
        const int id = args.at(0).toInt();
        const QString event = args.at(1).toString();
        if (id == 0 && (event == QLatin1String("opened") || event == QLatin1String("closed")))
            noteShown(message.service());
        // A panel that opens a submenu without asking first is told to read it.
        if (event == QLatin1String("opened"))
            expand(itemOf(id));
        if (event == QLatin1String("clicked") && !activate(id))
            return fail(QStringLiteral("No such item"));
        return reply({});
    }
    if (member == QLatin1String("EventGroup") && message.signature() == QLatin1String("a(isvu)")) {
        QList<int> errors;
        const QDBusArgument events = args.at(0).value<QDBusArgument>();
        events.beginArray();
        while (!events.atEnd()) {
            int id = 0;
            QString event;
            QDBusVariant data;
            uint timestamp = 0;
            events.beginStructure();
            events >> id >> event >> data >> timestamp;
            events.endStructure();
            if (id == 0 && (event == QLatin1String("opened") || event == QLatin1String("closed")))
                noteShown(message.service());
            if (event == QLatin1String("opened"))
                expand(itemOf(id));
            if (event == QLatin1String("clicked") ? !activate(id) : itemOf(id).kind == Item::None)
                errors.append(id);
        }
        events.endArray();
        return reply({QVariant::fromValue(errors)});
    }
    if (member == QLatin1String("AboutToShow") && message.signature() == QLatin1String("i")) {
        const int id = args.at(0).toInt();
        const Item item = itemOf(id);
        if (item.kind == Item::None)
            return fail(QStringLiteral("No such item"));
        if (id == 0)
            noteShown(message.service());
        return reply({expand(item)});
    }
    if (member == QLatin1String("AboutToShowGroup") && message.signature() == QLatin1String("ai")) {
        QList<int> updates;
        QList<int> errors;
        for (int id : qdbus_cast<QList<int>>(args.at(0))) {
            const Item item = itemOf(id);
            if (item.kind == Item::None)
                errors.append(id);
            else if (expand(item))
                updates.append(id);
            if (id == 0)
                noteShown(message.service());
        }
        return reply({QVariant::fromValue(updates), QVariant::fromValue(errors)});
    }
    connection.send(message.createErrorReply(QDBusError::UnknownMethod, QStringLiteral("No such method")));
    return true;
}
