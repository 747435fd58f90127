#include "shell/trayhost.h"

#include "model/clock.h"
#include "model/errors.h"
#include "model/yearmodel.h"
#include "resources/pictures.h"
#include "shell/birthday.h"
#include "shell/daywatch.h"
#include "shell/menuexport.h"
#include "shell/singleinstance.h"
#include "shell/statusnotifier.h"
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
#include <QDBusConnection>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLockFile>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QScreen>
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

// A menu of our own needs a place on the screen the program can name: a
// native Wayland client cannot, and through XWayland a click on the panel
// outside it would not close the menu. Those panels draw the menu.
bool OwnMenuPossible()
{
    return QGuiApplication::platformName() != QLatin1String("wayland") && !qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
}

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

    buildMenu();
    m_runner.setMenuFlagWatch([this] {
        if (m_export)
            m_export->changed();
    });
    // Panels that take a StatusNotifierItem draw the exported menu; the
    // icon in an XEmbed notification area is made when one is needed, so
    // that Qt does not take the D-Bus panel for its own.
    if (options.statusNotifier) {
        const QDBusConnection bus = QDBusConnection::sessionBus();
        if (bus.isConnected()) {
            m_export = new MenuExport(trayMenu, [this] { return m_shell.menuEnabled; }, this);
            m_export->publish(bus);
            m_sni = new StatusNotifier(bus, QLatin1String(MenuExport::Path), this);
            m_sni->setTitle(AppTitle());
            m_sni->refuseClicks(!OwnMenuPossible());
            connect(m_sni, &StatusNotifier::activated, this, &TrayHost::panelClicked);
            connect(m_sni, &StatusNotifier::watcherChanged, this, [this] {
                m_trayShown = false;
                placeTrayIcon();
                updateDayTimer();
            });
        }
    }

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
}

void TrayHost::buildMenu()
{
    const auto command = [this](void (TrayHost::*handler)(int)) {
        return [this, handler](int index) { (this->*handler)(index); };
    };
    trayMenu = new TrayMenu(
        {
            {Names::showCalendar, "На экран", 6, command(&TrayHost::showCalendar)},
            {Names::showChart, "График", 10, command(&TrayHost::showChart)},
            {Names::printMonth, "На принтер", 4, command(&TrayHost::printMonth)},
            {Names::exportWorkbook, "MS Excel", 5, command(&TrayHost::exportWorkbook)},
            {Names::saveTextFile, "В файл...", 7, command(&TrayHost::saveTextFile)},
            {Names::outputsSeparator, nullptr, -1, nullptr},
            {Names::compareWithPartner, "Био-партнёр", 8, command(&TrayHost::compareWithPartner)},
            {Names::changesSeparator, nullptr, -1, nullptr},
            {Names::editPerson, "Изменить...", 3, command(&TrayHost::editPerson)},
            {Names::deletePerson, "Удалить", 0, command(&TrayHost::deletePerson)},
        },
        this);
    aboutItem = trayMenu->aboutItem;
    settingsItem = trayMenu->settingsItem;

    // Commands run after the menu has finished with the click, from the event
    // loop: a command may rebuild the very menu that started it.
    const auto bind = [this](QAction *action, void (TrayHost::*handler)()) {
        connect(action, &QAction::triggered, this, [this, handler] { (this->*handler)(); }, Qt::QueuedConnection);
    };
    bind(trayMenu->addItem, &TrayHost::addPerson);
    bind(trayMenu->mailItem, &TrayHost::mailAuthor);
    bind(trayMenu->homeItem, &TrayHost::openHomePage);
    bind(aboutItem, &TrayHost::showAbout);
    bind(settingsItem, &TrayHost::showSettings);
    bind(trayMenu->exitItem, &TrayHost::exitProgram);
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
        trayMenu->showPeople(m_state.people, birthday);
        m_shell.personItemCount = trayMenu->personCount();

        updateDayTimer();
        if (!report.isEmpty())
            Dialogs::ShowError(report);
    } while (m_refreshAgain);
}

void TrayHost::showTrayPicture(int picture)
{
    if (m_ending)
        return;
    if (picture != m_trayPicture) {
        m_trayPicture = picture;
        // Changed in place: the icon keeps its place in the notification area.
        const QIcon icon = Pictures::imageList2(picture);
        if (m_tray)
            m_tray->setIcon(icon);
        if (m_sni)
            m_sni->setIcon(icon);
    }
    if (!m_trayShown)
        placeTrayIcon();
}

void TrayHost::placeTrayIcon()
{
    if (m_secondCopy || m_ending)
        return;
    if (m_sni && m_sni->watcherPresent()) {
        if (m_tray)
            m_tray->hide();
        m_sni->show();
        m_trayShown = m_sni->isShown();
        if (m_trayShown)
            return;
    } else if (m_sni) {
        m_sni->hide();
    }
    if (!xembedAreaPresent()) {
        m_trayShown = false;
        return;
    }
    if (!m_tray) {
        m_tray = new QSystemTrayIcon(Pictures::imageList2(m_trayPicture), this);
        m_tray->setObjectName(QLatin1String(Names::trayIcon));
        m_tray->setToolTip(AppTitle());
        // The menu is opened from here, never attached to the icon, so that the
        // menu flag can keep it closed.
        connect(m_tray, &QSystemTrayIcon::activated, this, &TrayHost::trayActivated);
    }
    m_tray->show();
    m_trayShown = true;
}

void TrayHost::hideTrayIcon()
{
    if (m_tray)
        m_tray->hide();
    if (m_sni)
        m_sni->hide();
    m_trayShown = false;
}

bool TrayHost::xembedAreaPresent() const
{
    if (m_trayAvailable)
        return m_trayAvailable();
    // Only X11 has XEmbed notification areas. Qt is asked only while no
    // StatusNotifierItem watcher is on the bus: asked with one there, it
    // would put an item of its own there instead, without the menu.
    if (m_sni && m_sni->watcherOnBus())
        return m_tray != nullptr;
    return QGuiApplication::platformName() == QLatin1String("xcb") && QSystemTrayIcon::isSystemTrayAvailable();
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
        placeTrayIcon();
        if (!m_trayShown && m_announceMissingTray && !m_trayAnnounced && ++m_trayMissingTicks >= TrayGraceTicks) {
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
    popUpMenuBy(m_tray ? m_tray->geometry() : QRect());
}

void TrayHost::panelClicked(const QPoint &place, const QString &client)
{
    if (!m_shell.menuEnabled || m_ending || !trayMenu)
        return;
    // The panel drew the exported menu for this very click.
    if (m_export && m_export->shownRecentlyBy(client))
        return;
    if (!OwnMenuPossible())
        return;
    // The panel gives the place in pixels of the screen; Qt moves a menu
    // that does not fit there onto the screen.
    if (place.isNull())
        popUpMenuBy(QRect());
    else
        trayMenu->popup((QPointF(place) / qApp->devicePixelRatio()).toPoint());
}

void TrayHost::popUpMenuBy(const QRect &icon)
{
    // Without a place given, the pointer on the icon is the best there is.
    if (!icon.isValid()) {
        trayMenu->popup(QCursor::pos());
        return;
    }
    const QScreen *screen = QGuiApplication::screenAt(icon.center());
    const QRect area = screen ? screen->availableGeometry() : QRect();
    // Below an icon in the upper half, above one in the lower half: Qt moves
    // a menu that does not fit below a point to above it.
    const bool upper = !area.isValid() || icon.center().y() < area.center().y();
    trayMenu->popup(upper ? QPoint(icon.left(), icon.bottom() + 1) : icon.topLeft());
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
