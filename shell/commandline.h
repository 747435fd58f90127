#pragma once
// The command line, read before any window, tray icon, lock or settings file
// exists: options that only print something end the program here, and the
// outputs it asks for are made without the tray.
#include <QDate>
#include <QString>
#include <QStringList>
#include <optional>

// One output made from the command line instead of from the tray menu.
struct OutputRequest {
    enum class Kind { List, Text, Xlsx, Pdf, Compat, Chart };
    Kind kind = Kind::List;
    QString person;          // an index as --list shows it, or an exact name
    std::optional<int> year; // none: the current year
    int month = 0;           // --pdf: 1..12
    QDate partner;           // --compat
    QDate date;              // --chart: the chosen day; invalid: today
    QString file;            // -o; empty: standard output (--text only)
    QString settingsFile;    // --settings; empty: the usual one
};

struct CommandLine {
    enum class Action {
        RunTray, // no option of ours: the ordinary tray program
        Print,   // `output` goes to standard output, then exit 0
        Refuse,  // `output` goes to standard error, then exit 2
        Output,  // make `request`
    };
    Action action = Action::RunTray;
    QString output;
    OutputRequest request;
};

// Exit status for a command line the program does not understand.
inline constexpr int BadCommandLineStatus = 2;

// The chart's file format, by the file's extension (any case).
enum class ChartFile { Svg, Png, Pdf };
std::optional<ChartFile> ChartFileKind(const QString &file);

// `arguments` as QCoreApplication::arguments() gives them, the program first.
// Needs a QCoreApplication for the usage line, Qt's own messages and the
// locale that dates and numbers are read in.
CommandLine ParseCommandLine(const QStringList &arguments);
