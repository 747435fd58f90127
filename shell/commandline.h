#pragma once
// The command line, read before any window, tray icon, lock or settings file
// exists: options that only print something end the program here.
#include <QString>
#include <QStringList>

struct CommandLine {
    enum class Action {
        RunTray, // no option of ours: the ordinary tray program
        Print,   // `output` goes to standard output, then exit 0
        Refuse,  // `output` goes to standard error, then exit 2
    };
    Action action = Action::RunTray;
    QString output;
};

// Exit status for a command line the program does not understand.
inline constexpr int BadCommandLineStatus = 2;

// `arguments` as QCoreApplication::arguments() gives them, the program first.
// Needs a QCoreApplication for the usage line and Qt's own messages.
CommandLine ParseCommandLine(const QStringList &arguments);
