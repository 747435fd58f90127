#include "shell/commandline.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

namespace {

// Qt reads these itself when the application object is made (a session
// manager restarting the program passes -session, for one); they must reach
// it untouched rather than be refused as unknown.
const char *const QtOptionsWithValue[] = {"platform", "platformpluginpath", "platformtheme", "plugin",
                                          "qmljsdebugger", "qwindowgeometry", "qwindowicon", "qwindowtitle",
                                          "session", "display", "name", "geometry", "title", "icon",
                                          "style", "stylesheet"};
const char *const QtFlags[] = {"reverse", "widgetcount", "nograb", "dograb"};

void addHidden(QCommandLineParser &parser, const QString &name, bool takesValue)
{
    QCommandLineOption option(name);
    if (takesValue)
        option.setValueName(QStringLiteral("value"));
    option.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(option);
}

} // namespace

CommandLine ParseCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    // Qt's own options start with one dash and are whole words.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        QStringLiteral("Лунофар — биоритмы семьи в области уведомлений.\n"
                       "Без параметров программа помещает свой значок в область уведомлений; "
                       "всё остальное делается из его меню."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Показать эту справку и выйти."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Показать номер версии и выйти."));
    parser.addOption(help);
    parser.addOption(version);
    for (const char *name : QtOptionsWithValue)
        addHidden(parser, QLatin1String(name), true);
    for (const char *name : QtFlags)
        addHidden(parser, QLatin1String(name), false);

    const QString program = QStringLiteral("kelvora");
    const auto refuse = [&](const QString &why) {
        return CommandLine{CommandLine::Action::Refuse,
                           program + QStringLiteral(": ") + why + QLatin1Char('\n') +
                               QStringLiteral("Список параметров: %1 --help\n").arg(program)};
    };
    if (!parser.parse(arguments))
        return refuse(parser.errorText());
    if (parser.isSet(help))
        return {CommandLine::Action::Print, parser.helpText()};
    if (parser.isSet(version))
        return {CommandLine::Action::Print, program + QLatin1Char(' ') + QStringLiteral(KELVORA_VERSION "\n")};
    if (!parser.positionalArguments().isEmpty())
        return refuse(QStringLiteral("Лишний аргумент «%1».").arg(parser.positionalArguments().constFirst()));
    return {};
}
