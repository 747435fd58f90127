// The program: a tray icon with a menu, no main window, one copy per user.
#include "shell/accessibilityguard.h"
#include "shell/batchoutputs.h"
#include "shell/commandline.h"
#include "shell/startup.h"
#include "shell/trayhost.h"
#include "store/settingspath.h"
#include "windows/apptitle.h"
#include "windows/qttranslations.h"

#include <QApplication>

#include <csignal>
#include <cstdio>
#include <optional>
#include <vector>

namespace {

// Options are read with no display, lock or settings file involved:
// `kelvora --help` answers on a machine without a desktop too. Returns the
// exit status when the command line ends the program.
std::optional<int> AnswerCommandLine(int argc, char **argv)
{
    CommandLine line;
    {
        // Qt takes the options it knows out of the list it is given; the
        // application object made later must still see them.
        int probeArgc = argc;
        std::vector<char *> copy(argv, argv + argc + 1);
        QCoreApplication probe(probeArgc, copy.data());
        LoadQtRussian(probe);
        line = ParseCommandLine(QCoreApplication::arguments());
    }
    switch (line.action) {
    case CommandLine::Action::RunTray:
        return std::nullopt;
    case CommandLine::Action::Print:
        std::fputs(line.output.toLocal8Bit().constData(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    case CommandLine::Action::Refuse:
        std::fputs(line.output.toLocal8Bit().constData(), stderr);
        return BadCommandLineStatus;
    case CommandLine::Action::Output:
        return MakeOutput(line.request, argc, argv);
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char *argv[])
{
    // A file-size limit must fail the write with "Disk full", not end the program.
    std::signal(SIGXFSZ, SIG_IGN);
    // A plain start has nothing to read; it stays as quick as before.
    if (argc > 1) {
        if (const std::optional<int> status = AnswerCommandLine(argc, argv))
            return *status;
    }

    // Qt's own file dialog everywhere: a desktop's native one would speak the
    // desktop's language, not the program's.
    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    QApplication app(argc, argv);
    QApplication::setApplicationName(AppTitle());
    AccessibilityGuard::Install();
    // No display name: X11 would append it to every window caption. Qt's
    // Russian texts and the window icon wait for the first window
    // (PrepareWindows): the icon in the tray needs neither.
    // Closing a dialog must not end a program whose only face is its tray icon.
    QApplication::setQuitOnLastWindowClosed(false);

    // Beside the executable, or the user's own copy when that folder is closed to them.
    TrayHost host(SettingsPath());
    if (host.secondCopy())
        return 0;
    CreateWindows(host);
    return QApplication::exec();
}
