// The program: a tray icon with a menu, no main window, one copy per user.
#include "resources/pictures.h"
#include "shell/apptitle.h"
#include "shell/qttranslations.h"
#include "shell/startup.h"
#include "shell/tinitform.h"
#include "store/settingspath.h"

#include <QApplication>

#include <csignal>

int main(int argc, char *argv[])
{
    // A file-size limit must fail the write with "Disk full", not end the program.
    std::signal(SIGXFSZ, SIG_IGN);
    // Qt's own file dialog everywhere: a desktop's native one would speak the
    // desktop's language, not the program's.
    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    QApplication app(argc, argv);
    LoadQtRussian(app);
    QApplication::setApplicationName(AppTitle());
    // No display name: X11 would append it to every window caption.
    QApplication::setWindowIcon(Pictures::programIcon());
    // Closing a dialog must not end a program whose only face is its tray icon.
    QApplication::setQuitOnLastWindowClosed(false);

    // Beside the executable, or the user's own copy when that folder is closed to them.
    TInitForm host(SettingsPath());
    if (host.secondCopy())
        return 0;
    CreateWindows(host);
    return QApplication::exec();
}
