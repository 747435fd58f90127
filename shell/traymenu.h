#pragma once
// The tray menu: the family above the fixed part, one person submenu shared by
// every person, separators tidied as each level opens, a long family that
// scrolls. What a panel draws of it over D-Bus (MenuExport) is read from here,
// and a panel's click runs the same command as the item here.
#include "model/person.h"

#include <QList>
#include <QMenu>
#include <QPointer>

#include <functional>
#include <memory>

class TrayMenu : public QMenu {
    Q_OBJECT
public:
    // The layout's component names of the menu's items.
    struct Names {
        static constexpr const char *trayMenu = "PopupMenu1";
        static constexpr const char *topSeparator = "N1";
        static constexpr const char *addPerson = "new";
        static constexpr const char *addSeparator = "N3";
        static constexpr const char *parameters = "Param";
        static constexpr const char *mailAuthor = "N4";
        static constexpr const char *openHomePage = "N5";
        static constexpr const char *showAbout = "About";
        static constexpr const char *settingsSeparator = "N2";
        static constexpr const char *showSettings = "N6";
        static constexpr const char *exitProgram = "FileExitItem1";
        // A person's item and its commands: the prefix followed by the person's index.
        static constexpr const char *personItem = "NewItem";
        static QString ofPerson(const char *prefix, int index) { return QLatin1String(prefix) + QString::number(index); }
    };

    // One line of the person submenu.
    struct PersonCommand {
        const char *prefix;
        const char *caption; // nullptr: a separator
        int picture;         // ImageList2
        std::function<void(int)> run; // with the person's index
    };

    TrayMenu(QList<PersonCommand> personCommands, QWidget *parent);
    ~TrayMenu() override;

    // The fixed part; their commands are bound by the host.
    QAction *addItem = nullptr;
    QMenu *parametersMenu = nullptr;
    QAction *mailItem = nullptr;
    QAction *homeItem = nullptr;
    QAction *aboutItem = nullptr;
    QAction *settingsItem = nullptr;
    QAction *exitItem = nullptr;

    // Brings the person items up to date: one plain item per person, kept
    // from one call to the next, the highest index at the top.
    void showPeople(const PersonList &people, const QList<bool> &birthday);
    int personCount() const { return m_personCount; }
    // Changes whenever a person item comes, goes or shows another name, so
    // that what a panel asked about before can be told from what is there now.
    quint32 familyGeneration() const { return m_familyGeneration; }
    // The person item at place `place` from the top shows person personCount() - 1 - place.
    QAction *personItem(int index) const;

    const QList<PersonCommand> &personCommands() const { return m_commands; }
    // Runs the person command at `command` of the table for person `index`,
    // from the event loop: a command may rebuild the very menu that started it.
    void runPersonCommand(int command, int index);
    // The shared submenu (none while the family is empty).
    QMenu *personMenu() const { return m_personMenu; }

    // What a level shows when it opens: its visible items, and of the
    // separators only those between two items, one of a run.
    static QList<QAction *> shownActions(const QList<QAction *> &actions);

signals:
    // The family, its pictures or a fixed item's state changed.
    void contentChanged();

protected:
    void keyPressEvent(QKeyEvent *e) override;
    bool event(QEvent *e) override;

private:
    void buildFixedItems();
    QAction *addFixedAction(QMenu *menu, const char *name, const QString &picture, const QString &caption);
    void makePersonMenu();
    void fillPersonMenu(QAction *personItem);
    void personItemHovered(QAction *item);

    QList<PersonCommand> m_commands;
    int m_personCount = 0;
    quint32 m_familyGeneration = 0;
    QMenu *m_personMenu = nullptr;
    // The submenu's own item stands for no person and is never shown: kept
    // outside the menu, which holds only the layout's items.
    std::unique_ptr<QAction> m_personMenuOwnItem;
    QList<QAction *> m_personCommandItems;
    // The person item whose commands the submenu carries now.
    QPointer<QAction> m_personMenuFor;
};
