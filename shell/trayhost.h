#pragma once
// The hidden host window: owns the tray icon, the tray menu, the shared state
// and every other window; the menu commands are its methods (one file each,
// cmd_*.cpp).
#include "model/sharedstate.h"
#include "shell/commandrunner.h"
#include "shell/shellstate.h"
#include "shell/traymenu.h"
#include "windows/fixeddialog.h"

#include <QDateTime>
#include <QList>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QWidget>

#include <functional>
#include <memory>

class QAction;
class MenuExport;
class StatusNotifier;
class QLockFile;
class QTimer;
class DayWatch;
class CalendarWindow;
class ChartWindow;
class PersonEditor;
class AboutWindow;
class ReportHolder;
class PreviewWindow;
class MonthDialog;
class SettingsDialog;
class ConfirmDialog;
class ComparisonWindow;
class Paper;

// What the program takes from its surroundings at start; tests point both elsewhere.
struct ShellOptions {
    // The single-instance lock; empty: the per-user default (SingleInstanceLockPath).
    QString lockPath;
    // Whether a notification area is there to hold the icon; empty: ask the platform.
    std::function<bool()> trayAvailable;
    // Printing, the preview and the workbook; nullptr: the module, loaded on
    // first use (Paper::get).
    Paper *paper = nullptr;
    // Whether the icon and the menu go to a StatusNotifierItem panel on the
    // session bus when one is there. Tests that have no bus of their own say no.
    bool statusNotifier = true;
};

// One of the host's windows. Start-up names how each is made; it is made the
// first time a command needs it, so a tray program that may sit all day
// without a window open does not carry them all from the first second.
template <class W>
class HostWindow {
public:
    HostWindow &operator=(W *window)
    {
        m_window = window;
        return *this;
    }
    void setFactory(std::function<W *()> make) { m_make = std::move(make); }
    W *get()
    {
        if (!m_window && m_make)
            m_window = m_make();
        return m_window;
    }
    W *operator->() { return get(); }
    operator W *() { return get(); }
    // Whether there is a window or a way to make one; makes nothing.
    explicit operator bool() const { return m_window || m_make; }
    bool made() const { return m_window != nullptr; }

private:
    W *m_window = nullptr;
    std::function<W *()> m_make;
};

class TrayHost : public QWidget {
    Q_OBJECT
public:
    // The layout's component names: the objectNames of the host window, its
    // icon and timer, and every item of the tray menu.
    struct Names : TrayMenu::Names {
        static constexpr const char *window = "TInitForm";
        static constexpr const char *trayIcon = "TrayIcon";
        static constexpr const char *dayTimer = "Timer1";
        // The person commands: the prefix followed by the person's index.
        static constexpr const char *showCalendar = "ShowKelvora";
        static constexpr const char *showChart = "ChartKelvora";
        static constexpr const char *printMonth = "PrintKelvora";
        static constexpr const char *exportWorkbook = "ToExcelKelvora";
        static constexpr const char *saveTextFile = "ToFileKelvora";
        static constexpr const char *outputsSeparator = "bSeparator";
        static constexpr const char *compareWithPartner = "LifeChart";
        static constexpr const char *changesSeparator = "aSeparator";
        static constexpr const char *editPerson = "EditItem";
        static constexpr const char *deletePerson = "DeleteItem";
    };

    // Start (FormCreate): single-instance test, tray icon, first menu build.
    explicit TrayHost(const QString &settingsPath, QWidget *parent = nullptr);
    TrayHost(const QString &settingsPath, const ShellOptions &options, QWidget *parent = nullptr);
    ~TrayHost() override; // removes the tray icon (FormDestroy)

    SharedState &state() { return m_state; }
    ShellState &shellState() { return m_shell; }
    CommandRunner &runner() { return m_runner; }
    // The paper code: the one given in the options, else the module. Throws
    // KelvoraError when the module cannot be loaded.
    Paper &paper();

    // Another copy held the lock: nothing was set up, the program leaves at once.
    bool secondCopy() const { return m_secondCopy; }
    // The program is on its way out (exit confirmed or session end).
    bool ending() const { return m_ending; }

    // The host's windows; owned by the host, each made once and reused.
    HostWindow<CalendarWindow> calendarWindow;
    HostWindow<ChartWindow> chartWindow;
    HostWindow<PersonEditor> personEditor;
    HostWindow<AboutWindow> aboutWindow;
    HostWindow<ReportHolder> reportHolder;
    HostWindow<PreviewWindow> previewWindow;
    HostWindow<MonthDialog> monthDialog;
    HostWindow<SettingsDialog> settingsDialog;
    HostWindow<ConfirmDialog> confirmDialog;
    HostWindow<ComparisonWindow> comparisonWindow;
    // Takes a window into the host's keeping; the host deletes it when the
    // program ends.
    template <class W>
    W *adopt(W *window)
    {
        m_windows.append(window);
        return window;
    }

    TrayMenu *trayMenu = nullptr;
    // Runs only while there is something to wait for: a notification area
    // to show the icon in, or a bad settings file to be mended.
    QTimer *dayTimer = nullptr;
    // Fixed items whose commands disable them while their window is open.
    QAction *aboutItem = nullptr;
    QAction *settingsItem = nullptr;

    // The icon in an XEmbed notification area (none until one is needed)
    // and the ImageList2 picture the icon shows (2 or 9).
    QSystemTrayIcon *trayIcon() const { return m_tray; }
    // The icon and the menu on a StatusNotifierItem panel (none without a session bus).
    StatusNotifier *statusNotifier() const { return m_sni; }
    MenuExport *menuExport() const { return m_export; }
    int trayPicture() const { return m_trayPicture; }
    bool trayIconShown() const { return m_trayShown; }

    // Builds the year calendar model for person `index` and the chosen year (CreateKelvora).
    void buildYearCalendar(int index);
    // Reads the settings file and builds the person items anew (RefreshItems).
    void rebuildMenu();

    // Person commands; tag is the person's index.
    void showCalendar(int tag);       // "На экран" (ShowKelvora)
    void showChart(int tag);          // "График" (ChartKelvora)
    void printMonth(int tag);         // "На принтер" (PrintKelvora)
    void exportWorkbook(int tag);     // "MS Excel" (ToExcelKelvora)
    void saveTextFile(int tag);       // "В файл..." (SaveKelvora)
    void compareWithPartner(int tag); // "Био-партнёр" (GetBioMath)
    void editPerson(int tag);         // "Изменить..." (EditItem)
    void deletePerson(int tag);       // "Удалить" (DeleteItem)
    // Fixed items.
    void addPerson();    // "Добавить..." (newClick)
    void showAbout();    // "О программе..." (AboutClick)
    void showSettings(); // "Настройки" (ParametresClick)
    void mailAuthor();   // "Письмо автору" (N4Click)
    void openHomePage(); // "Страничка автора" (N5Click)
    void exitProgram();  // "Выход!" (FileExitItem1Click)

    // The first turn of the event loop, every tick of the day timer and every
    // wake of the day watch: hides the host window after start, shows the
    // icon once a notification area appears, rebuilds the menu when the day
    // changed or a bad settings file was changed, and arms the watch for the
    // next day.
    void checkDay();
    // The tray callback: left or right button over the icon.
    void trayActivated(QSystemTrayIcon::ActivationReason reason);
    // A StatusNotifierItem panel's Activate or ContextMenu, at the place it
    // gives, from the panel at bus name `client`.
    void panelClicked(const QPoint &place, const QString &client);
    // The desktop session ends: leave without asking.
    void endSession();

private:
    // What tells one state of the settings file from another without reading it.
    struct FileIdentity {
        bool exists = false;
        qint64 size = -1;
        QDateTime modified;
        bool operator==(const FileIdentity &) const = default;
    };
    static FileIdentity identityOf(const QString &path);

    void buildMenu();
    // Runs a command whose window is shown while its own menu item is greyed;
    // the rest of the menu stays usable.
    void showWithItemGreyed(QAction *item, const std::function<void()> &show);
    void showTrayPicture(int picture);
    // Puts the icon where it is seen: on a StatusNotifierItem panel when one
    // is there, else in an XEmbed notification area, else nowhere yet.
    void placeTrayIcon();
    bool xembedAreaPresent() const;
    // The menu of our own opens at the icon: beside it, on the side towards
    // the middle of the screen.
    void popUpMenuBy(const QRect &icon);
    void hideTrayIcon();
    void hideHostWindow();
    // Starts the day timer while it has something to wait for, stops it after.
    void updateDayTimer();
    // Asks `text` in the confirmation dialog: Ok "Да", Cancel "Нет".
    DialogResult confirm(const QString &text);
    // A question already open (delete or exit) is brought to the front, and
    // the command that asked again does nothing else: the open box must go
    // on asking what its "Да" will do.
    bool raiseOpenQuestion();
    // Closes the host window and ends the program.
    void endProgram();

    SharedState m_state;
    ShellState m_shell;
    CommandRunner m_runner{m_shell};

    std::unique_ptr<QLockFile> m_lock;
    bool m_secondCopy = false;
    bool m_ending = false;
    bool m_hidePending = false;
    DayWatch *m_dayWatch = nullptr;

    QSystemTrayIcon *m_tray = nullptr;
    StatusNotifier *m_sni = nullptr;
    MenuExport *m_export = nullptr;
    int m_trayPicture = -1;
    bool m_trayShown = false;
    bool m_trayAnnounced = false;
    int m_trayMissingTicks = 0;
    bool m_announceMissingTray = true;
    std::function<bool()> m_trayAvailable;
    Paper *m_paper = nullptr;

    bool m_refreshing = false;
    bool m_refreshAgain = false;
    // The last failed load, so that one bad file is reported once.
    bool m_loadFailed = false;
    FileIdentity m_failedIdentity;
    QString m_reportedError;
    FileIdentity m_reportedIdentity;

    QList<QPointer<QWidget>> m_windows;

};
