// The program: a tray icon with a menu, no main window, one copy per user.
#include "resources/pictures.h"
#include "shell/apptitle.h"
#include "shell/startup.h"
#include "shell/tinitform.h"
#include "store/settingsfile.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(AppTitle());
    QApplication::setApplicationDisplayName(AppTitle());
    QApplication::setWindowIcon(Pictures::programIcon());
    // Closing a dialog must not end a program whose only face is its tray icon.
    QApplication::setQuitOnLastWindowClosed(false);

    TInitForm host(DefaultSettingsPath());
    if (host.secondCopy())
        return 0;
    CreateWindows(host);
    return QApplication::exec();
}
