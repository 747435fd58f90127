#include "shell/trayhost.h"

#include "model/clock.h"
#include "model/errors.h"
#include "model/yearmodel.h"
#include "resources/pictures.h"
#include "shell/birthday.h"
#include "shell/daywatch.h"
#include "shell/singleinstance.h"
#include "store/settingsfile.h"
#include "windows/apptitle.h"
#include "windows/confirmdialog.h"
#include "windows/dialogs.h"
#include "windows/fixedlayout.h"
#include "windows/paper.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QCursor>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLockFile>
#include <QMenu>
#include <QProxyStyle>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QStyleOption>
#include <QStyleFactory>
#include <QTimer>
#ifndef QT_NO_SESSIONMANAGER
#include <QSessionManager>
#endif


namespace {
// Coarse on purpose: a late notification area and a mended settings file
// need no more than a second.
constexpr int TimerInterval = 1000;
// At login the panel may start after us; give it this many ticks before
// telling the user there is nowhere to put the icon.
constexpr int TrayGraceTicks = 10;

struct PersonCommand {
    const char *prefix;
    const char *caption; // nullptr: a separator
    int picture;         // ImageList2
    void (TrayHost::*handler)(int);
};

using Names = TrayHost::Names;
const PersonCommand PersonCommands[] = {
    {Names::showCalendar, "На экран", 6, &TrayHost::showCalendar},
    {Names::showChart, "График", 10, &TrayHost::showChart},
    {Names::printMonth, "На принтер", 4, &TrayHost::printMonth},
    {Names::exportWorkbook, "MS Excel", 5, &TrayHost::exportWorkbook},
    {Names::saveTextFile, "В файл...", 7, &TrayHost::saveTextFile},
    {Names::outputsSeparator, nullptr, -1, nullptr},
    {Names::compareWithPartner, "Био-партнёр", 8, &TrayHost::compareWithPartner},
    {Names::changesSeparator, nullptr, -1, nullptr},
    {Names::editPerson, "Изменить...", 3, &TrayHost::editPerson},
    {Names::deletePerson, "Удалить", 0, &TrayHost::deletePerson},
};

// A separator never stands first or last, and a run of them shows as one.
// Only what changes is set: any change makes the menu measure every item
// again when it opens.
void TidySeparators(QMenu *menu)
{
    QAction *pending = nullptr;
    bool itemSeen = false;
    QList<QAction *> shown;
    for (QAction *action : menu->actions()) {
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
        itemSeen = true;
    }
    for (QAction *action : menu->actions())
        if (action->isSeparator() && action->isVisible() != shown.contains(action))
            action->setVisible(!action->isVisible());
}

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

// The tray menu: drawn by the application's own style, only scrolling. In one
// scrolling column an item's place does not depend on the menu's size, so a
// resize (the first opening, a new width) does not measure every item again,
// which with ten thousand people takes most of a tenth of a second; what
// changed in the items is measured when the menu is next laid out or painted.
class ScrollingMenu : public QMenu {
public:
    explicit ScrollingMenu(QWidget *parent) : QMenu(parent)
    {
        auto *scrolling = new ScrollingMenuStyle(QStyleFactory::create(QApplication::style()->name()));
        scrolling->setParent(this);
        setStyle(scrolling);
    }

protected:
    // Up with nothing chosen chooses the last item ("Выход!"), scrolled into
    // sight; Qt would choose it out of sight below a long family.
    void keyPressEvent(QKeyEvent *e) override
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
    bool event(QEvent *e) override
    {
        if (e->type() == QEvent::Resize) {
            QStyleOption option;
            option.initFrom(this);
            if (!style()->styleHint(QStyle::SH_Menu_Mask, &option, this))
                return QWidget::event(e);
        }
        return QMenu::event(e);
    }
};

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

// Platforms without a desktop: nobody to tell that the icon has no place.
bool HeadlessPlatform()
{
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("offscreen") || platform == QLatin1String("minimal");
}
}

TrayHost::TrayHost(const QString &settingsPath, QWidget *parent)
    : TrayHost(settingsPath, ShellOptions{}, parent)
{
}

TrayHost::TrayHost(const QString &settingsPath, const ShellOptions &options, QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_trayAvailable(options.trayAvailable), m_paper(options.paper)
{
    setObjectName(QLatin1String(Names::window));
    setWindowTitle(AppTitle());
    resize(169, 52);
    m_state.settingsPath = settingsPath;
    m_announceMissingTray = bool(options.trayAvailable) || !HeadlessPlatform();

    // A second copy sets nothing up: no icon, no file read, no message; it
    // leaves before it handles any input.
    m_lock = TakeSingleInstanceLock(options.lockPath.isEmpty() ? SingleInstanceLockPath() : options.lockPath,
                                    &m_secondCopy);
    if (m_secondCopy) {
        m_ending = true;
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        return;
    }

    m_shell.menuEnabled = true;
    m_hidePending = true;

    dayTimer = new QTimer(this);
    dayTimer->setObjectName(QLatin1String(Names::dayTimer));
    dayTimer->setTimerType(Qt::CoarseTimer);
    dayTimer->setInterval(TimerInterval);
    connect(dayTimer, &QTimer::timeout, this, &TrayHost::checkDay);
    m_dayWatch = new DayWatch(this);
    connect(m_dayWatch, &DayWatch::dayMayHaveChanged, this, &TrayHost::checkDay);

    buildFixedItems();
    m_tray = new QSystemTrayIcon(this);
    m_tray->setObjectName(QLatin1String(Names::trayIcon));
    m_tray->setToolTip(AppTitle());
    // The menu is opened from here, never attached to the icon, so that the
    // menu flag can keep it closed.
    connect(m_tray, &QSystemTrayIcon::activated, this, &TrayHost::trayActivated);

    // With no other copy running, no save is under way: what a save killed
    // part-way left beside the file can go.
    RemoveSaveLeftovers(m_state.settingsPath);
    m_shell.personItemCount = 0;
    // Shows the icon, in the picture the family's birthdays give it.
    rebuildMenu();
    m_shell.rememberedDay = Clock::today();
    m_dayWatch->arm(Clock::now());
    // The host window is hidden at the first turn of the event loop.
    QTimer::singleShot(0, this, &TrayHost::checkDay);

    if (qGuiApp) {
#ifndef QT_NO_SESSIONMANAGER
        connect(qGuiApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager &) { endSession(); },
                Qt::DirectConnection);
#endif
        connect(qGuiApp, &QCoreApplication::aboutToQuit, this, [this] { hideTrayIcon(); });
    }
}

TrayHost::~TrayHost()
{
    hideTrayIcon();
    // Windows go in the reverse order of their creation.
    for (auto it = m_windows.rbegin(); it != m_windows.rend(); ++it)
        delete it->data();
    m_windows.clear();
    // Before its own item, which it refers to to the end.
    delete m_personMenu;
}

QAction *TrayHost::addFixedAction(QMenu *menu, const char *name, const QString &picture, const QString &caption)
{
    return Named(menu->addAction(Pictures::fixedItem(picture), caption), name);
}

void TrayHost::buildFixedItems()
{
    trayMenu = Named(new ScrollingMenu(this), Names::trayMenu);
    Named(trayMenu->menuAction(), Names::trayMenu);
    TidyOnShow(trayMenu);

    Named(trayMenu->addSeparator(), Names::topSeparator);
    QAction *add = addFixedAction(trayMenu, Names::addPerson, QStringLiteral("heart"), QStringLiteral("Добавить..."));
    Named(trayMenu->addSeparator(), Names::addSeparator);

    QMenu *param = Named(new QMenu(QStringLiteral("Параметры..."), trayMenu), Names::parameters);
    Named(param->menuAction(), Names::parameters);
    param->setIcon(Pictures::fixedItem(QStringLiteral("wrench")));
    TidyOnShow(param);
    trayMenu->addMenu(param);
    QAction *mail = addFixedAction(param, Names::mailAuthor, QStringLiteral("envelope"), QStringLiteral("Письмо автору"));
    QAction *home = addFixedAction(param, Names::openHomePage, QStringLiteral("house"), QStringLiteral("Страничка автора"));
    aboutItem = addFixedAction(param, Names::showAbout, QStringLiteral("bubble"), QStringLiteral("О программе..."));
    Named(param->addSeparator(), Names::settingsSeparator);
    settingsItem = addFixedAction(param, Names::showSettings, QStringLiteral("gear"), QStringLiteral("Настройки"));

    QAction *exit = addFixedAction(trayMenu, Names::exitProgram, QStringLiteral("exit"), QStringLiteral("Выход!"));

    // Commands run after the menu has finished with the click, from the event
    // loop: a command may rebuild the very menu that started it.
    const auto bind = [this](QAction *action, void (TrayHost::*handler)()) {
        connect(action, &QAction::triggered, this, [this, handler] { (this->*handler)(); }, Qt::QueuedConnection);
    };
    bind(add, &TrayHost::addPerson);
    bind(mail, &TrayHost::mailAuthor);
    bind(home, &TrayHost::openHomePage);
    bind(aboutItem, &TrayHost::showAbout);
    bind(settingsItem, &TrayHost::showSettings);
    bind(exit, &TrayHost::exitProgram);
}

void TrayHost::makePersonMenu()
{
    m_personMenu = new QMenu(trayMenu);
    m_personMenuOwnItem.reset(m_personMenu->menuAction());
    m_personMenuOwnItem->setParent(nullptr);
    TidyOnShow(m_personMenu);
    for (const PersonCommand &command : PersonCommands) {
        QAction *action;
        if (!command.caption) {
            action = m_personMenu->addSeparator();
        } else {
            action = m_personMenu->addAction(Pictures::imageList2(command.picture), QString::fromUtf8(command.caption));
            // The person is the one the submenu was opened for when the click came.
            const auto handler = command.handler;
            connect(action, &QAction::triggered, this, [this, action, handler] {
                const int index = action->data().toInt();
                QMetaObject::invokeMethod(this, [this, handler, index] { (this->*handler)(index); }, Qt::QueuedConnection);
            });
        }
        m_personCommands.append(action);
    }
    connect(m_personMenu, &QMenu::aboutToShow, this, [this] {
        QAction *item = trayMenu->activeAction();
        if (item && item->menu() == m_personMenu)
            fillPersonMenu(item);
    });
    // The submenu is shared: moving from one person to the next, Qt would
    // leave it open for the first, so it is closed, and opens again for the
    // one now pointed at.
    connect(trayMenu, &QMenu::hovered, m_personMenu, [this](QAction *item) { personItemHovered(item); });
}

void TrayHost::fillPersonMenu(QAction *personItem)
{
    const int index = personItem->data().toInt();
    m_personMenu->setObjectName(Names::ofPerson(Names::personItem, index));
    for (int i = 0; i < m_personCommands.size(); ++i) {
        QAction *action = m_personCommands.at(i);
        action->setObjectName(Names::ofPerson(PersonCommands[i].prefix, index));
        SetTag(action, index);
    }
    m_personMenuFor = personItem;
}

void TrayHost::personItemHovered(QAction *item)
{
    if (m_personMenu && m_personMenu->isVisible() && item->menu() == m_personMenu && item != m_personMenuFor)
        m_personMenu->hide();
}

void TrayHost::updatePersonItems(const QList<bool> &birthday)
{
    const int count = m_state.people.count();
    if (count > 0 && !m_personMenu)
        makePersonMenu();

    // People gone: their items go from the top.
    const QList<QAction *> actions = trayMenu->actions();
    const int had = qMin(m_shell.personItemCount, int(actions.size()));
    for (int i = 0; i < had - count; ++i)
        delete actions.at(i);
    // People come: new items on top.
    QList<QAction *> added;
    for (int i = had; i < count; ++i) {
        QAction *item = new QAction(trayMenu);
        item->setMenu(m_personMenu);
        added.append(item);
    }
    if (!added.isEmpty()) {
        const QList<QAction *> now = trayMenu->actions();
        trayMenu->insertActions(now.isEmpty() ? nullptr : now.first(), added);
    }
    m_shell.personItemCount = count;

    // The item p from the top shows person count - 1 - p, so the list shows
    // from the highest index down; only what differs is set.
    const QList<QAction *> items = trayMenu->actions();
    for (int p = 0; p < count; ++p) {
        const int index = count - 1 - p;
        const Person &person = m_state.people.at(index);
        QAction *item = items.at(p);
        const QString caption = Caption(person.name);
        if (item->text() != caption)
            item->setText(caption);
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
        m_personCommands.clear();
    }
}

TrayHost::FileIdentity TrayHost::identityOf(const QString &path)
{
    const QFileInfo info(path);
    FileIdentity identity;
    identity.exists = info.exists();
    if (identity.exists) {
        identity.size = info.size();
        identity.modified = info.lastModified();
    }
    return identity;
}

void TrayHost::rebuildMenu()
{
    if (!trayMenu)
        return;
    // Asked again while a rebuild waits on its error box: run once more after it.
    if (m_refreshing) {
        m_refreshAgain = true;
        return;
    }
    QScopedValueRollback<bool> busy(m_refreshing, true);
    do {
        m_refreshAgain = false;

        // The store leaves the list and the periods as they were when a load
        // fails, so the menu goes on with the last good list.
        const FileIdentity identity = identityOf(m_state.settingsPath);
        const std::optional<QString> failure =
            FailureOf([this] { LoadSettingsFile(m_state.settingsPath, m_state.people, m_state.periods); });
        QString report;
        if (!failure) {
            m_loadFailed = false;
            m_reportedError.clear();
            m_reportedIdentity = FileIdentity{};
        } else {
            m_loadFailed = true;
            m_failedIdentity = identity;
            // One bad file is reported once, however often it is read again.
            if (*failure != m_reportedError || identity != m_reportedIdentity) {
                m_reportedError = *failure;
                m_reportedIdentity = identity;
                report = *failure;
            }
        }

        // Items are about to change or go; an open menu would hold on to them.
        if (trayMenu->isVisible())
            trayMenu->hide();

        const QDate today = Clock::today();
        const int count = m_state.people.count();
        QList<bool> birthday(count);
        bool anyBirthday = false;
        for (int n = 0; n < count; ++n) {
            birthday[n] = IsBirthday(m_state.people.at(n), today);
            anyBirthday = anyBirthday || birthday[n];
        }
        // With nobody left there is no birthday either.
        showTrayPicture(anyBirthday ? Pictures::TrayBirthdayPicture : Pictures::TrayOrdinaryPicture);
        updatePersonItems(birthday);

        updateDayTimer();
        if (!report.isEmpty())
            Dialogs::ShowError(report);
    } while (m_refreshAgain);
}

void TrayHost::showTrayPicture(int picture)
{
    if (!m_tray || m_ending)
        return;
    if (picture != m_trayPicture) {
        m_trayPicture = picture;
        // Changed in place: the icon keeps its place in the notification area.
        m_tray->setIcon(Pictures::imageList2(picture));
    }
    if (!m_trayShown && notificationAreaPresent()) {
        m_tray->show();
        m_trayShown = true;
    }
}

void TrayHost::hideTrayIcon()
{
    if (m_tray)
        m_tray->hide();
    m_trayShown = false;
}

bool TrayHost::notificationAreaPresent() const
{
    return m_trayAvailable ? m_trayAvailable() : QSystemTrayIcon::isSystemTrayAvailable();
}

void TrayHost::hideHostWindow()
{
    hide();
    m_hidePending = false;
}

void TrayHost::checkDay()
{
    if (m_secondCopy || m_ending)
        return;
    if (m_hidePending)
        hideHostWindow();

    if (!m_trayShown) {
        if (notificationAreaPresent()) {
            m_tray->show();
            m_trayShown = true;
        } else if (m_announceMissingTray && !m_trayAnnounced && ++m_trayMissingTicks >= TrayGraceTicks) {
            m_trayAnnounced = true;
            Dialogs::ShowMessage(QStringLiteral("Область уведомлений не найдена. Значок программы появится, "
                                                "как только она станет доступна."));
        }
    }

    // Armed before any rebuild, which may wait on an error box.
    m_dayWatch->arm(Clock::now());
    const QDate today = Clock::today();
    if (today != m_shell.rememberedDay) {
        m_shell.rememberedDay = today;
        // Under a rebuild's open error box: one more pass once it closes.
        rebuildMenu();
    } else if (m_loadFailed && !m_refreshing && identityOf(m_state.settingsPath) != m_failedIdentity) {
        // The bad file was changed: try it again now rather than tomorrow.
        rebuildMenu();
    }
    updateDayTimer();
}

void TrayHost::updateDayTimer()
{
    if (!dayTimer)
        return;
    const bool waiting = !m_secondCopy && !m_ending && (!m_trayShown || m_loadFailed);
    if (waiting && !dayTimer->isActive())
        dayTimer->start();
    else if (!waiting && dayTimer->isActive())
        dayTimer->stop();
}

void TrayHost::trayActivated(QSystemTrayIcon::ActivationReason reason)
{
    if (!m_shell.menuEnabled || m_ending || !trayMenu)
        return;
    if (reason != QSystemTrayIcon::Trigger && reason != QSystemTrayIcon::Context)
        return;
    trayMenu->popup(QCursor::pos());
}

void TrayHost::endSession()
{
    if (m_ending)
        return;
    endProgram();
}

void TrayHost::endProgram()
{
    m_ending = true;
    if (trayMenu)
        trayMenu->hide();
    hideTrayIcon();
    updateDayTimer();
    close();
    QCoreApplication::quit();
}

bool TrayHost::raiseOpenQuestion()
{
    if (!confirmDialog.made() || !confirmDialog->isVisible())
        return false;
    confirmDialog->raise();
    confirmDialog->activateWindow();
    return true;
}

DialogResult TrayHost::confirm(const QString &text)
{
    if (!confirmDialog)
        confirmDialog = adopt(new ConfirmDialog);
    confirmDialog->setQuestion(text);
    return confirmDialog->ask();
}

Paper &TrayHost::paper() { return m_paper ? *m_paper : Paper::get(); }

void TrayHost::buildYearCalendar(int index) { BuildYearCalendar(m_state, index); }

void TrayHost::showWithItemGreyed(QAction *item, const std::function<void()> &show)
{
    m_runner.run(false, [item, &show] {
        if (item)
            item->setEnabled(false);
        const auto enableAgain = qScopeGuard([item] {
            if (item)
                item->setEnabled(true);
        });
        show();
    });
}
