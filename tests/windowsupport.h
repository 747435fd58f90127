#pragma once
// Helpers shared by the tests of the windows and the tray host.
#include "shell/trayhost.h"
#include "testsupport.h"

#include <QIcon>
#include <QList>
#include <QString>
#include <functional>
#include <type_traits>

class QMenu;
class QObject;
class QWidget;

namespace TestSupport {

// Options for a host that neither meets a running program nor another test:
// its own lock in `folder`, an XEmbed notification area as `trayAvailable`
// says and no StatusNotifierItem panel, and the paper code linked into the
// test instead of the module.
ShellOptions HostOptions(const QString &folder, std::function<bool()> trayAvailable = [] { return true; });

// Runs `answer` on the next application-modal window named `objectName` as
// soon as it is up (polled from the event loop, so it works inside exec()).
void AnswerModal(const QString &objectName, std::function<void(QWidget *)> answer);

// One named part of a window: its component name, the class it is made of
// (or derives from), and the text it shows: a button's or label's caption,
// a group's or menu's title, a menu item's caption, a window's title; empty
// for a part without text.
struct NamedPart {
    QString name;
    const char *kind;
    QString text;
};

// Checks a window against its layout: `window` itself and each part are
// found by name, once, of their kind and with their text, and nothing in the
// window carries a name the table lacks. Returns what does not hold (empty
// when all does).
QString CheckNamedParts(QObject *window, const QList<NamedPart> &parts);

// A person's commands ("ShowKelvora2"...) and its submenu by its name
// ("NewItem2") are there while that person's submenu is open: opens it as
// the tray menu does (the person item made current, the submenu about to
// show). Does nothing for other names or a person who is not there.
void OpenPersonFor(TrayHost &host, const QString &name, bool submenuByName = false);
// The tray host's part of that name, a person's submenu opened first.
template <class T = QAction>
T *MenuPart(TrayHost &host, const QString &name)
{
    OpenPersonFor(host, name, std::is_same_v<T, QMenu>);
    return host.findChild<T *>(name);
}

// Whether two icons show the same 16 x 16 picture.
bool SameIcon(const QIcon &a, const QIcon &b);

}
