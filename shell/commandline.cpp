#include "shell/commandline.h"

#include "windows/fixedlayout.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QLocale>

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

using Kind = OutputRequest::Kind;

// The options that make an output instead of starting the tray program.
struct OutputOptions {
    const QString person = QStringLiteral("человек");
    const QCommandLineOption list{QStringLiteral("list"),
                                  QStringLiteral("Вывести список людей: номер, имя, дата рождения.")};
    const QCommandLineOption text{
        QStringLiteral("text"),
        QStringLiteral("Год человека в текстовом файле (Windows-1251); без -o — в стандартный вывод."), person};
    const QCommandLineOption xlsx{QStringLiteral("xlsx"), QStringLiteral("Год человека в книге .xlsx (нужен -o)."),
                                  person};
    const QCommandLineOption pdf{QStringLiteral("pdf"),
                                 QStringLiteral("Страница на месяц в файле PDF (нужны --month и -o)."), person};
    const QCommandLineOption compat{QStringLiteral("compat"),
                                    QStringLiteral("Совместимость с партнёром (нужен --partner): физическая, "
                                                   "эмоциональная, интеллектуальная и итог, по одной в строке."),
                                    person};
    const QCommandLineOption chart{QStringLiteral("chart"),
                                   QStringLiteral("Кривые биоритмов человека на пять недель вокруг дня --date "
                                                  "в файле SVG, PNG или PDF, по расширению (нужен -o)."),
                                   person};
    const QCommandLineOption year{QStringLiteral("year"),
                                  QStringLiteral("Год для --text, --xlsx и --pdf (по умолчанию текущий)."),
                                  QStringLiteral("год")};
    const QCommandLineOption month{QStringLiteral("month"), QStringLiteral("Месяц для --pdf, от 1 до 12."),
                                   QStringLiteral("месяц")};
    const QCommandLineOption partner{QStringLiteral("partner"), QStringLiteral("Дата рождения партнёра для --compat."),
                                     QStringLiteral("дата")};
    const QCommandLineOption date{QStringLiteral("date"), QStringLiteral("День для --chart (по умолчанию сегодня)."),
                                  QStringLiteral("дата")};
    const QCommandLineOption file{QStringList{QStringLiteral("o"), QStringLiteral("output")},
                                  QStringLiteral("Файл, в который записать результат."), QStringLiteral("файл")};
    const QCommandLineOption settings{QStringLiteral("settings"),
                                      QStringLiteral("Читать этот файл настроек вместо обычного."),
                                      QStringLiteral("файл")};

    struct Output {
        const QCommandLineOption *option;
        Kind kind;
    };
    const Output outputs[6] = {{&list, Kind::List}, {&text, Kind::Text},     {&xlsx, Kind::Xlsx},
                               {&pdf, Kind::Pdf},   {&compat, Kind::Compat}, {&chart, Kind::Chart}};

    // The outputs each of the other options goes with.
    struct Modifier {
        const QCommandLineOption *option;
        QList<Kind> kinds;
    };
    const Modifier modifiers[6] = {
        {&year, {Kind::Text, Kind::Xlsx, Kind::Pdf}},
        {&month, {Kind::Pdf}},
        {&partner, {Kind::Compat}},
        {&date, {Kind::Chart}},
        {&file, {Kind::Text, Kind::Xlsx, Kind::Pdf, Kind::Chart}},
        {&settings, {Kind::List, Kind::Text, Kind::Xlsx, Kind::Pdf, Kind::Compat, Kind::Chart}}};

    void addTo(QCommandLineParser &parser) const
    {
        for (const Output &output : outputs)
            parser.addOption(*output.option);
        for (const Modifier &modifier : modifiers)
            parser.addOption(*modifier.option);
    }
};

QString Dashed(const QCommandLineOption &option)
{
    const QString name = option.names().constFirst();
    return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

QString Alternatives(QStringList names)
{
    const QString last = names.takeLast();
    return names.isEmpty() ? last : names.join(QStringLiteral(", ")) + QStringLiteral(" или ") + last;
}

// A whole number as the user's locale writes it, or plain digits.
std::optional<int> ReadNumber(const QString &text)
{
    bool ok = false;
    int value = QLocale().toInt(text.trimmed(), &ok);
    if (!ok)
        value = QLocale::c().toInt(text.trimmed(), &ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

// A date as the comparison window's picker shows it in the user's locale
// (leading zeros optional), or YYYY-MM-DD; years 1 to 9999.
QDate ReadDate(const QString &text)
{
    const QString trimmed = text.trimmed();
    const QString picker = PickerDateFormat(QLocale());
    QString relaxed = picker;
    relaxed.replace(QLatin1String("dd"), QLatin1String("d")).replace(QLatin1String("MM"), QLatin1String("M"));
    for (const QString &format : {QStringLiteral("yyyy-MM-dd"), picker, relaxed}) {
        const QDate date = QLocale().toDate(trimmed, format);
        if (date.isValid() && date.year() >= 1 && date.year() <= 9999)
            return date;
    }
    return QDate();
}

QString NotADate(const QString &text)
{
    return QStringLiteral("«%1» — не дата; пишите её как %2 или 1990-03-15.")
        .arg(text, QLocale().toString(QDate(1990, 3, 15), PickerDateFormat(QLocale())));
}

// Fills `request` from the parsed options; the reason when they make no
// sense together. No output asked for leaves `asked` false.
std::optional<QString> ReadOutputRequest(const QCommandLineParser &parser, const OutputOptions &o, bool &asked,
                                         OutputRequest &request)
{
    asked = false;
    const auto repeated = [&parser](const QCommandLineOption &option) {
        return option.valueName().isEmpty() ? parser.optionNames().count(option.names().constFirst()) > 1
                                            : parser.values(option).size() > 1;
    };
    const OutputOptions::Output *chosen = nullptr;
    for (const OutputOptions::Output &output : o.outputs) {
        if (!parser.isSet(*output.option))
            continue;
        if (repeated(*output.option))
            return QStringLiteral("Параметр %1 указан дважды.").arg(Dashed(*output.option));
        if (chosen)
            return QStringLiteral("Можно сделать только одно: %1 или %2.")
                .arg(Dashed(*chosen->option), Dashed(*output.option));
        chosen = &output;
    }
    for (const OutputOptions::Modifier &modifier : o.modifiers) {
        if (!parser.isSet(*modifier.option))
            continue;
        if (repeated(*modifier.option))
            return QStringLiteral("Параметр %1 указан дважды.").arg(Dashed(*modifier.option));
        if (!chosen) {
            QStringList with;
            for (const OutputOptions::Output &output : o.outputs) {
                if (modifier.kinds.contains(output.kind))
                    with << Dashed(*output.option);
            }
            return QStringLiteral("Параметр %1 нужен вместе с %2.").arg(Dashed(*modifier.option), Alternatives(with));
        }
        if (!modifier.kinds.contains(chosen->kind))
            return QStringLiteral("Параметр %1 не относится к %2.")
                .arg(Dashed(*modifier.option), Dashed(*chosen->option));
    }
    if (!chosen)
        return std::nullopt;

    asked = true;
    const Kind kind = chosen->kind;
    request.kind = kind;
    if (kind != Kind::List)
        request.person = parser.value(*chosen->option);
    for (const QCommandLineOption *option : {&o.file, &o.settings}) {
        if (parser.isSet(*option) && parser.value(*option).isEmpty())
            return QStringLiteral("Пустое имя файла после %1.").arg(Dashed(*option));
    }
    request.file = parser.value(o.file);
    request.settingsFile = parser.value(o.settings);
    if ((kind == Kind::Xlsx || kind == Kind::Pdf || kind == Kind::Chart) && request.file.isEmpty())
        return QStringLiteral("Для %1 нужен файл: -o ФАЙЛ.").arg(Dashed(*chosen->option));
    if (kind == Kind::Chart && !ChartFileKind(request.file))
        return QStringLiteral("Для --chart нужен файл .svg, .png или .pdf, а не «%1».").arg(request.file);
    if (parser.isSet(o.year)) {
        // Any whole number: the calendar itself refuses a year it cannot hold,
        // with the same message as the menu commands.
        request.year = ReadNumber(parser.value(o.year));
        if (!request.year)
            return QStringLiteral("Год «%1» — не целое число.").arg(parser.value(o.year));
    }
    if (kind == Kind::Pdf) {
        if (!parser.isSet(o.month))
            return QStringLiteral("Для --pdf нужен месяц: --month от 1 до 12.");
        const std::optional<int> month = ReadNumber(parser.value(o.month));
        if (!month || *month < 1 || *month > 12)
            return QStringLiteral("Месяц «%1» — не число от 1 до 12.").arg(parser.value(o.month));
        request.month = *month;
    }
    if (kind == Kind::Compat) {
        if (!parser.isSet(o.partner))
            return QStringLiteral("Для --compat нужна дата рождения партнёра: --partner ДАТА.");
        request.partner = ReadDate(parser.value(o.partner));
        if (!request.partner.isValid())
            return NotADate(parser.value(o.partner));
    }
    if (parser.isSet(o.date)) {
        request.date = ReadDate(parser.value(o.date));
        if (!request.date.isValid())
            return NotADate(parser.value(o.date));
    }
    return std::nullopt;
}

} // namespace

std::optional<ChartFile> ChartFileKind(const QString &file)
{
    const QString name = file.toLower();
    if (name.endsWith(QLatin1String(".svg")))
        return ChartFile::Svg;
    if (name.endsWith(QLatin1String(".png")))
        return ChartFile::Png;
    if (name.endsWith(QLatin1String(".pdf")))
        return ChartFile::Pdf;
    return std::nullopt;
}

CommandLine ParseCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    // Qt's own options start with one dash and are whole words.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        QStringLiteral("Лунофар — биоритмы семьи в области уведомлений.\n"
                       "Без параметров программа помещает свой значок в область уведомлений; "
                       "всё остальное делается из его меню.\n"
                       "С параметром --list, --text, --xlsx, --pdf, --compat или --chart программа делает только это, "
                       "без значка и без экрана, и файл настроек только читает.\n"
                       "ЧЕЛОВЕК — номер из списка --list или точное имя; ДАТА — как её пишет ваш язык "
                       "(%1) или ГГГГ-ММ-ДД.\n"
                       "Код завершения: 0 — готово, 1 — ошибка (в стандартном потоке ошибок — что не так "
                       "и почему: значение и его пределы, файл и причина, что не так с файлом настроек), "
                       "2 — неверные параметры.")
            .arg(QLocale().toString(QDate(1990, 3, 15), PickerDateFormat(QLocale()))));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Показать эту справку и выйти."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Показать номер версии и выйти."));
    parser.addOption(help);
    parser.addOption(version);
    const OutputOptions outputs;
    outputs.addTo(parser);
    for (const char *name : QtOptionsWithValue)
        addHidden(parser, QLatin1String(name), true);
    for (const char *name : QtFlags)
        addHidden(parser, QLatin1String(name), false);

    const QString program = QStringLiteral("kelvora");
    const auto refuse = [&](const QString &why) {
        CommandLine line;
        line.action = CommandLine::Action::Refuse;
        line.output = program + QStringLiteral(": ") + why + QLatin1Char('\n') +
                      QStringLiteral("Список параметров: %1 --help\n").arg(program);
        return line;
    };
    const auto print = [](const QString &text) {
        CommandLine line;
        line.action = CommandLine::Action::Print;
        line.output = text;
        return line;
    };
    if (!parser.parse(arguments))
        return refuse(parser.errorText());
    if (parser.isSet(help))
        return print(parser.helpText());
    if (parser.isSet(version))
        return print(program + QLatin1Char(' ') + QStringLiteral(KELVORA_VERSION "\n"));
    if (!parser.positionalArguments().isEmpty())
        return refuse(QStringLiteral("Лишний аргумент «%1».").arg(parser.positionalArguments().constFirst()));

    CommandLine line;
    bool asked = false;
    if (const std::optional<QString> why = ReadOutputRequest(parser, outputs, asked, line.request))
        return refuse(*why);
    if (asked)
        line.action = CommandLine::Action::Output;
    return line;
}
