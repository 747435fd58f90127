#include "shell/batchoutputs.h"

#include "model/clock.h"
#include "model/compat.h"
#include "model/errors.h"
#include "model/numtext.h"
#include "model/sharedstate.h"
#include "model/yearmodel.h"
#include "outputs/chart.h"
#include "outputs/monthreport.h"
#include "outputs/textexport.h"
#include "shell/outputfaults.h"
#include "store/filewrite.h"
#include "store/settingspath.h"
#include "windows/apptitle.h"
#include "windows/fixedlayout.h"
#include "windows/paper.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <cerrno>
#include <cstdio>
#include <memory>

namespace {

void WriteToStandardOutput(const QByteArray &bytes)
{
    errno = 0;
    const bool written = std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) == size_t(bytes.size());
    if (std::fflush(stdout) != 0 || !written || std::ferror(stdout))
        throw KelvoraError(
            QStringLiteral("Не удалось записать в стандартный вывод: %1.").arg(SystemReason(errno ? errno : EIO)));
}

void WriteLines(const QStringList &lines)
{
    QString text;
    for (const QString &line : lines)
        text += line + QLatin1Char('\n');
    WriteToStandardOutput(text.toLocal8Bit());
}

// An explicit settings file must be there; the usual one may be missing,
// as for the tray program, and gives an empty family. Returns its path.
QString LoadSettings(const OutputRequest &request, SharedState &state)
{
    const bool given = !request.settingsFile.isEmpty();
    const QString path = given ? request.settingsFile : FindSettingsPath();
    ReadSettingsForOutput(path, given, state.people, state.periods);
    return path;
}

// A whole number is an index as --list shows it; anything else an exact name.
int FindPerson(const PersonList &people, const QString &person, const QString &settingsPath)
{
    if (const std::optional<qint32> index = ParseInteger(person)) {
        CheckPersonForOutput(people, *index, settingsPath);
        return *index;
    }
    QStringList found;
    for (int i = 0; i < people.count(); ++i) {
        if (people.at(i).name == person)
            found << QString::number(i);
    }
    if (found.isEmpty())
        throw KelvoraError(QStringLiteral("В списке нет человека «%1».").arg(person));
    if (found.size() > 1)
        throw KelvoraError(QStringLiteral("Имя «%1» носят несколько человек (номера %2); укажите номер.")
                               .arg(person, found.join(QStringLiteral(", "))));
    CheckPersonForOutput(people, found.constFirst().toInt(), settingsPath);
    return found.constFirst().toInt();
}

QString BirthDateText(const Person &p)
{
    const QDate date(p.year, p.month, p.day);
    if (p.year >= 1 && p.year <= 9999 && date.isValid())
        return QLocale().toString(date, PickerDateFormat(QLocale()));
    // A date the calendar cannot hold (a file edited by hand) as it is stored.
    return QStringLiteral("%1-%2-%3").arg(p.year, 4, 10, QLatin1Char('0')).arg(p.month, 2, 10, QLatin1Char('0'))
        .arg(p.day, 2, 10, QLatin1Char('0'));
}

void ListPeople(const SharedState &state)
{
    QStringList lines;
    for (int i = 0; i < state.people.count(); ++i) {
        const Person &p = state.people.at(i);
        lines << QString::number(i) + QLatin1Char('\t') + p.name + QLatin1Char('\t') + BirthDateText(p);
    }
    WriteLines(lines);
}

// The year calendar as the menu commands build it.
void BuildYear(const OutputRequest &request, SharedState &state, int index)
{
    state.chosenYear = request.year.value_or(Clock::today().year());
    CheckYearForOutput(state.chosenYear);
    BuildYearCalendar(state, index);
}

void SaveText(const OutputRequest &request, SharedState &state, int index)
{
    BuildYear(request, state, index);
    const QByteArray bytes = TextExportBytes(state.yearTable, state.chosenYear, state.daysLivedLine);
    if (request.file.isEmpty())
        WriteToStandardOutput(bytes);
    else
        WriteOutputFile(request.file, [&] { WriteWholeFile(request.file, bytes); });
}

QByteArray ReadDraft(const QString &path)
{
    QFile draft(path);
    const QByteArray bytes = draft.open(QIODevice::ReadOnly) ? draft.readAll() : QByteArray();
    if (draft.error() != QFileDevice::NoError)
        throw KelvoraError(QStringLiteral("Не удалось прочитать книгу во временной папке %1: %2.")
                               .arg(QDir::toNativeSeparators(path), draft.errorString()));
    return bytes;
}

// The workbook is made in a private folder, then written whole where asked,
// so a failure leaves any earlier file there as it was.
void SaveWorkbook(const OutputRequest &request, SharedState &state, int index)
{
    BuildYear(request, state, index);
    Paper &paper = Paper::get();
    // QDir::tempPath() is empty when TMPDIR names no folder; Qt's own
    // default would then be a folder in the root.
    QString temporary = QDir::tempPath();
    if (temporary.isEmpty())
        temporary = qEnvironmentVariable("TMPDIR", QStringLiteral("/tmp"));
    QTemporaryDir scratch(QDir(temporary).filePath(QStringLiteral("kelvora-XXXXXX")));
    if (!scratch.isValid()) {
        const QString why = FolderFault(temporary);
        throw KelvoraError(QStringLiteral("Не удалось создать временную папку для книги: %1.")
                               .arg(why.isEmpty() ? scratch.errorString() : why));
    }
    const QString draft = scratch.filePath(QStringLiteral("book.xlsx"));
    try {
        paper.writeYearWorkbook(draft, state.yearTable, state.chosenYear, state.daysLivedLine);
    } catch (const KelvoraError &e) {
        throw KelvoraError(QStringLiteral("Не удалось сделать книгу во временной папке: %1").arg(e.message()));
    }
    const QByteArray bytes = ReadDraft(draft);
    WriteOutputFile(request.file, [&] { WriteWholeFile(request.file, bytes); });
}

// The page the preview shows, printed to a PDF file by the report's own
// printer settings and the same checked path as "Печать" takes.
void SaveMonthPage(const OutputRequest &request, SharedState &state, int index)
{
    BuildYear(request, state, index);
    Paper &paper = Paper::get();
    ReportEngine::Report report;
    MonthReport::BuildPage(report);
    MonthReport::LayOutMonth(report, state.yearTable, request.month, state.chosenYear, state.personName,
                             paper.markFaces());
    WriteOutputFile(request.file, [&] { paper.printPdf(report, request.file); });
}

// The chart of the window, for the chosen day (today unless asked), written
// whole in the format the file's name asks for.
void SaveChart(const OutputRequest &request, const SharedState &state, int index)
{
    const Person &p = state.people.at(index);
    Chart::Subject subject{p.name, EncodeDate(p.year, p.month, p.day), state.periods, request.date, Clock::today()};
    if (!subject.chosen.isValid())
        subject.chosen = subject.today;
    QByteArray bytes;
    switch (ChartFileKind(request.file).value_or(ChartFile::Png)) {
    case ChartFile::Svg:
        bytes = Paper::get().chartSvg(subject);
        break;
    case ChartFile::Png:
        bytes = Chart::Png(subject);
        break;
    case ChartFile::Pdf:
        bytes = Chart::Pdf(subject);
        break;
    }
    WriteWholeFile(request.file, bytes);
}

void Compare(const OutputRequest &request, const SharedState &state, int index)
{
    const Person &p = state.people.at(index);
    const MatchResults r = MatchBirthDates(p.year, p.month, p.day, request.partner, state.periods);
    WriteLines({MatchText(r.physical), MatchText(r.emotional), MatchText(r.intellectual), MatchText(r.total)});
}

void Make(const OutputRequest &request)
{
    SharedState state;
    const QString settingsPath = LoadSettings(request, state);
    if (request.kind == OutputRequest::Kind::List) {
        ListPeople(state);
        return;
    }
    const int index = FindPerson(state.people, request.person, settingsPath);
    switch (request.kind) {
    case OutputRequest::Kind::List:
        break;
    case OutputRequest::Kind::Text:
        SaveText(request, state, index);
        break;
    case OutputRequest::Kind::Xlsx:
        SaveWorkbook(request, state, index);
        break;
    case OutputRequest::Kind::Pdf:
        SaveMonthPage(request, state, index);
        break;
    case OutputRequest::Kind::Compat:
        Compare(request, state, index);
        break;
    case OutputRequest::Kind::Chart:
        SaveChart(request, state, index);
        break;
    }
}

// Qt's notes about the surroundings (no runtime folder, say) are no part of
// an output: standard error carries the failure alone, if there is one.
void QuietQtNotes(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fputs((message + QLatin1Char('\n')).toLocal8Bit().constData(), stderr);
}

} // namespace

int MakeOutput(const OutputRequest &request, int argc, char **argv)
{
    // The page and the chart are painted with fonts and pictures, which need
    // a GUI application; with no display to show anything on, they paint offscreen.
    qInstallMessageHandler(QuietQtNotes);
    std::unique_ptr<QCoreApplication> app;
    if (request.kind == OutputRequest::Kind::Pdf || request.kind == OutputRequest::Kind::Chart) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    // Names the user's folder the settings may live in.
    QCoreApplication::setApplicationName(AppTitle());

    const std::optional<QString> failure = FailureOf([&request] { Make(request); });
    if (!failure)
        return 0;
    std::fputs((QStringLiteral("kelvora: ") + *failure + QLatin1Char('\n')).toLocal8Bit().constData(), stderr);
    return OutputFailedStatus;
}
