// Helpers shared by the tests of the windows and the tray host.
#include "windowsupport.h"

#include "windows/paper.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QRegularExpression>
#include <QTimer>
#include <QWidget>

#include <algorithm>

namespace TestSupport {

ShellOptions HostOptions(const QString &folder, std::function<bool()> trayAvailable)
{
    ShellOptions options;
    options.lockPath = QDir(folder).filePath(QStringLiteral("kelvora-test.lock"));
    options.trayAvailable = std::move(trayAvailable);
    options.paper = &LinkedPaper();
    // Never a panel of the desktop the tests happen to run on.
    options.statusNotifier = false;
    return options;
}

void AnswerModal(const QString &objectName, std::function<void(QWidget *)> answer)
{
    auto *poll = new QTimer(qApp);
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, objectName, answer] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || modal->objectName() != objectName || !modal->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        answer(modal);
    });
    poll->start();
}

namespace {
QString TextOf(const QObject *part)
{
    if (const auto *button = qobject_cast<const QAbstractButton *>(part))
        return button->text();
    if (const auto *label = qobject_cast<const QLabel *>(part))
        return label->text();
    if (const auto *group = qobject_cast<const QGroupBox *>(part))
        return group->title();
    if (const auto *menu = qobject_cast<const QMenu *>(part))
        return menu->title();
    if (const auto *action = qobject_cast<const QAction *>(part))
        return action->text();
    if (const auto *widget = qobject_cast<const QWidget *>(part); widget && widget->isWindow())
        return widget->windowTitle();
    return QString();
}
}

QString CheckNamedParts(QObject *window, const QList<NamedPart> &parts)
{
    QList<QObject *> all = window->findChildren<QObject *>();
    all.prepend(window);
    QStringList faults;
    for (const NamedPart &part : parts) {
        QList<QObject *> found;
        for (QObject *o : all)
            if (o->objectName() == part.name && o->inherits(part.kind))
                found << o;
        if (found.size() != 1) {
            faults << QStringLiteral("%1 (%2) found %3 times").arg(part.name, part.kind).arg(found.size());
            continue;
        }
        if (TextOf(found.first()) != part.text)
            faults << QStringLiteral("%1 shows \"%2\", not \"%3\"").arg(part.name, TextOf(found.first()), part.text);
    }
    // Qt names some parts of its own controls ("qt_...") and its styles; those
    // are not the layout's.
    for (QObject *o : all) {
        const QString name = o->objectName();
        if (name.isEmpty() || name.startsWith(QLatin1String("qt_")) || o->inherits("QStyle"))
            continue;
        const bool listed = std::any_of(parts.begin(), parts.end(), [&](const NamedPart &part) {
            return part.name == name && o->inherits(part.kind);
        });
        if (!listed)
            faults << QStringLiteral("%1 (%2) is not in the layout").arg(name, QLatin1String(o->metaObject()->className()));
    }
    return faults.join(QLatin1String("; "));
}

void OpenPersonFor(TrayHost &host, const QString &name, bool submenuByName)
{
    static const QRegularExpression personPart(
        QStringLiteral("^(NewItem|ShowKelvora|ChartKelvora|PrintKelvora|ToExcelKelvora|ToFileKelvora|bSeparator|LifeChart|"
                       "aSeparator|EditItem|DeleteItem)(\\d+)$"));
    const QRegularExpressionMatch part = personPart.match(name);
    if (!part.hasMatch() || (part.captured(1) == QLatin1String("NewItem") && !submenuByName))
        return;
    QAction *person = host.trayMenu->findChild<QAction *>(QStringLiteral("NewItem") + part.captured(2));
    if (!person || !person->menu())
        return;
    host.trayMenu->setActiveAction(person);
    emit person->menu()->aboutToShow();
}

bool SameIcon(const QIcon &a, const QIcon &b)
{
    if (a.isNull() || b.isNull())
        return a.isNull() == b.isNull();
    return a.pixmap(16, 16).toImage() == b.pixmap(16, 16).toImage();
}

}
