#include "shell/traymenu.h"

#include "resources/pictures.h"
#include "windows/fixedlayout.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOption>

namespace {

// A family longer than the screen scrolls, where a plain menu would run into
// columns off the screen's edge.
class ScrollingMenuStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_Menu_Scrollable)
            return 1;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

// Only what changes is set: any change makes the menu measure every item
// again when it opens.
void TidySeparators(QMenu *menu)
{
    const QList<QAction *> actions = menu->actions();
    const QList<QAction *> shown = TrayMenu::shownActions(actions);
    for (QAction *action : actions)
        if (action->isSeparator() && action->isVisible() != shown.contains(action))
            action->setVisible(!action->isVisible());
}

void TidyOnShow(QMenu *menu)
{
    QObject::connect(menu, &QMenu::aboutToShow, menu, [menu] { TidySeparators(menu); });
}

// Menu captions take '&' as a mnemonic mark; names are shown as typed.
QString Caption(const QString &text)
{
    QString escaped = text;
    escaped.replace(QLatin1Char('&'), QLatin1String("&&"));
    return escaped;
}

// An item's tag is its data: a dynamic property beside it would cost every
// person's item another 180 bytes.
void SetTag(QAction *action, int tag) { action->setData(tag); }

} // namespace

TrayMenu::TrayMenu(QList<PersonCommand> personCommands, QWidget *parent)
    : QMenu(parent), m_commands(std::move(personCommands))
{
    auto *scrolling = new ScrollingMenuStyle(QStyleFactory::create(QApplication::style()->name()));
    scrolling->setParent(this);
    setStyle(scrolling);
    buildFixedItems();
}

TrayMenu::~TrayMenu()
{
    // Before its own item, which it refers to to the end.
    delete m_personMenu;
}

QList<QAction *> TrayMenu::shownActions(const QList<QAction *> &actions)
{
    QList<QAction *> shown;
    QAction *pending = nullptr;
    bool itemSeen = false;
    for (QAction *action : actions) {
        if (action->isSeparator()) {
            if (itemSeen && !pending)
                pending = action;
            continue;
        }
        if (!action->isVisible())
            continue;
        if (pending) {
            shown.append(pending);
            pending = nullptr;
        }
        shown.append(action);
        itemSeen = true;
    }
    return shown;
}

QAction *TrayMenu::addFixedAction(QMenu *menu, const char *name, const QString &picture, const QString &caption)
{
    return Named(menu->addAction(Pictures::fixedItem(picture), caption), name);
}

void TrayMenu::buildFixedItems()
{
    Named(this, Names::trayMenu);
    Named(menuAction(), Names::trayMenu);
    TidyOnShow(this);

    Named(addSeparator(), Names::topSeparator);
    addItem = addFixedAction(this, Names::addPerson, QStringLiteral("heart"), QStringLiteral("Добавить..."));
    Named(addSeparator(), Names::addSeparator);

    parametersMenu = Named(new QMenu(QStringLiteral("Параметры..."), this), Names::parameters);
    Named(parametersMenu->menuAction(), Names::parameters);
    parametersMenu->setIcon(Pictures::fixedItem(QStringLiteral("wrench")));
    TidyOnShow(parametersMenu);
    addMenu(parametersMenu);
    mailItem = addFixedAction(parametersMenu, Names::mailAuthor, QStringLiteral("envelope"), QStringLiteral("Письмо автору"));
    homeItem = addFixedAction(parametersMenu, Names::openHomePage, QStringLiteral("house"), QStringLiteral("Страничка автора"));
    aboutItem = addFixedAction(parametersMenu, Names::showAbout, QStringLiteral("bubble"), QStringLiteral("О программе..."));
    Named(parametersMenu->addSeparator(), Names::settingsSeparator);
    settingsItem = addFixedAction(parametersMenu, Names::showSettings, QStringLiteral("gear"), QStringLiteral("Настройки"));

    exitItem = addFixedAction(this, Names::exitProgram, QStringLiteral("exit"), QStringLiteral("Выход!"));

    // Greyed while their window is open, here and on a panel.
    for (QAction *item : {aboutItem, settingsItem})
        connect(item, &QAction::enabledChanged, this, &TrayMenu::contentChanged);
}

void TrayMenu::makePersonMenu()
{
    m_personMenu = new QMenu(this);
    m_personMenuOwnItem.reset(m_personMenu->menuAction());
    m_personMenuOwnItem->setParent(nullptr);
    TidyOnShow(m_personMenu);
    for (int i = 0; i < m_commands.size(); ++i) {
        const PersonCommand &command = m_commands.at(i);
        QAction *action;
        if (!command.caption) {
            action = m_personMenu->addSeparator();
        } else {
            action = m_personMenu->addAction(Pictures::imageList2(command.picture), QString::fromUtf8(command.caption));
            // The person is the one the submenu was opened for when the click came.
            connect(action, &QAction::triggered, this, [this, action, i] { runPersonCommand(i, action->data().toInt()); });
        }
        m_personCommandItems.append(action);
    }
    connect(m_personMenu, &QMenu::aboutToShow, this, [this] {
        QAction *item = activeAction();
        if (item && item->menu() == m_personMenu)
            fillPersonMenu(item);
    });
    // The submenu is shared: moving from one person to the next, Qt would
    // leave it open for the first, so it is closed, and opens again for the
    // one now pointed at.
    connect(this, &QMenu::hovered, m_personMenu, [this](QAction *item) { personItemHovered(item); });
}

void TrayMenu::runPersonCommand(int command, int index)
{
    if (command < 0 || command >= m_commands.size() || !m_commands.at(command).run)
        return;
    const auto run = m_commands.at(command).run;
    QMetaObject::invokeMethod(this, [run, index] { run(index); }, Qt::QueuedConnection);
}

void TrayMenu::fillPersonMenu(QAction *personItem)
{
    const int index = personItem->data().toInt();
    m_personMenu->setObjectName(Names::ofPerson(Names::personItem, index));
    for (int i = 0; i < m_personCommandItems.size(); ++i) {
        QAction *action = m_personCommandItems.at(i);
        action->setObjectName(Names::ofPerson(m_commands.at(i).prefix, index));
        SetTag(action, index);
    }
    m_personMenuFor = personItem;
}

void TrayMenu::personItemHovered(QAction *item)
{
    if (m_personMenu && m_personMenu->isVisible() && item->menu() == m_personMenu && item != m_personMenuFor)
        m_personMenu->hide();
}

QAction *TrayMenu::personItem(int index) const
{
    if (index < 0 || index >= m_personCount)
        return nullptr;
    return actions().at(m_personCount - 1 - index);
}

void TrayMenu::showPeople(const PersonList &people, const QList<bool> &birthday)
{
    const int count = people.count();
    if (count > 0 && !m_personMenu)
        makePersonMenu();

    // People gone: their items go from the top.
    const QList<QAction *> before = actions();
    const int had = qMin(m_personCount, int(before.size()));
    for (int i = 0; i < had - count; ++i)
        delete before.at(i);
    // People come: new items on top.
    QList<QAction *> added;
    for (int i = had; i < count; ++i) {
        QAction *item = new QAction(this);
        item->setMenu(m_personMenu);
        added.append(item);
    }
    if (!added.isEmpty()) {
        const QList<QAction *> now = actions();
        insertActions(now.isEmpty() ? nullptr : now.first(), added);
    }
    bool familyChanged = m_personCount != count;
    m_personCount = count;

    // The item p from the top shows person count - 1 - p, so the list shows
    // from the highest index down; only what differs is set.
    const QList<QAction *> items = actions();
    for (int p = 0; p < count; ++p) {
        const int index = count - 1 - p;
        const Person &person = people.at(index);
        QAction *item = items.at(p);
        const QString caption = Caption(person.name);
        if (item->text() != caption) {
            item->setText(caption);
            familyChanged = true;
        }
        // A picture index the editor cannot give (a hand-edited file) shows none.
        const int picture = birthday[index] ? Pictures::BirthdayPicture : (person.picture < 32 ? int(person.picture) : -1);
        const QIcon icon = Pictures::imageList1(picture);
        if (item->icon().cacheKey() != icon.cacheKey())
            item->setIcon(icon);
        if (item->data() != QVariant(index)) {
            item->setObjectName(Names::ofPerson(Names::personItem, index));
            SetTag(item, index);
        }
    }
    // The submenu names no one who has left: with nobody there is none, else
    // it goes by the top person until it is opened.
    if (count > 0) {
        fillPersonMenu(items.first());
    } else if (m_personMenu) {
        delete m_personMenu;
        m_personMenu = nullptr;
        m_personMenuOwnItem.reset();
        m_personCommandItems.clear();
    }
    if (familyChanged)
        ++m_familyGeneration;
    emit contentChanged();
}

// Up with nothing chosen chooses the last item ("Выход!"), scrolled into
// sight; Qt would choose it out of sight below a long family.
void TrayMenu::keyPressEvent(QKeyEvent *e)
{
    if (e->key() == Qt::Key_Up && !activeAction()) {
        const QList<QAction *> items = actions();
        for (auto it = items.crbegin(); it != items.crend(); ++it) {
            if ((*it)->isVisible() && !(*it)->isSeparator() && (*it)->isEnabled()) {
                setActiveAction(*it);
                return;
            }
        }
    }
    QMenu::keyPressEvent(e);
}

// Drawn by the application's own style, only scrolling. In one scrolling
// column an item's place does not depend on the menu's size, so a resize (the
// first opening, a new width) does not measure every item again, which with
// ten thousand people takes most of a tenth of a second; what changed in the
// items is measured when the menu is next laid out or painted.
bool TrayMenu::event(QEvent *e)
{
    if (e->type() == QEvent::Resize) {
        QStyleOption option;
        option.initFrom(this);
        if (!style()->styleHint(QStyle::SH_Menu_Mask, &option, this))
            return QWidget::event(e);
    }
    return QMenu::event(e);
}
