// The spreadsheet export, read back from the workbook's own XML.
#include "model/clock.h"
#include "model/errors.h"
#include "model/yearmodel.h"
#include "outputs/spreadsheetapp.h"
#include "outputs/xlsxexport.h"
#include "shell/trayhost.h"
#include "store/settingsfile.h"
#include "windows/dialogs.h"
#include "windowsupport.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

#include <map>

namespace {

QByteArray ZipEntry(const QString &zip, const QString &entry)
{
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), zip, entry});
    if (!unzip.waitForFinished(30000) || unzip.exitCode() != 0)
        return QByteArray();
    return unzip.readAllStandardOutput();
}

// Attributes of the workbook's XML parts that hold something like a number
// but not as the format writes numbers: digits with at most one point.
QStringList NumbersNotPlain(const QString &zip)
{
    QProcess list;
    list.start(QStringLiteral("unzip"), {QStringLiteral("-Z1"), zip});
    list.waitForFinished(30000);
    const QRegularExpression numeric(QStringLiteral("^[-+]?[0-9.,]*[0-9][0-9.,]*$"));
    const QRegularExpression plain(QStringLiteral("^-?[0-9]+(\\.[0-9]+)?$"));
    QStringList bad;
    for (const QString &entry : QString::fromUtf8(list.readAllStandardOutput()).split(QLatin1Char('\n'))) {
        if (!entry.endsWith(QLatin1String(".xml")) && !entry.endsWith(QLatin1String(".rels")))
            continue;
        QXmlStreamReader r(ZipEntry(zip, entry));
        while (!r.atEnd()) {
            if (r.readNext() != QXmlStreamReader::StartElement)
                continue;
            for (const QXmlStreamAttribute &a : r.attributes()) {
                const QString value = a.value().toString();
                if (numeric.match(value).hasMatch() && !plain.match(value).hasMatch())
                    bad << QStringLiteral("%1 <%2 %3=\"%4\">").arg(entry, r.name(), a.name(), value);
            }
        }
    }
    return bad;
}

// "AG50" -> (50, 33), 1-based as the spreadsheet counts.
std::pair<int, int> ParseRef(QStringView ref)
{
    int column = 0;
    int i = 0;
    while (i < ref.size() && ref[i].isLetter()) {
        column = column * 26 + (ref[i].unicode() - 'A' + 1);
        ++i;
    }
    return {ref.mid(i).toInt(), column};
}

struct Style {
    bool bold = false;
    bool centred = false;
};

struct Column {
    double width = 0;
    int style = 0;
};

struct Cell {
    QString text;
    bool hasValue = false;
    bool number = false;
    int style = 0;
};

// What a spreadsheet program would see in the first worksheet.
struct Sheet {
    bool ok = false;
    std::map<std::pair<int, int>, Cell> cells;  // (row, column), 1-based
    std::map<int, Column> columns;               // 1-based
    std::map<int, int> rowStyles;                // row -> style of a formatted row
    std::vector<Style> styles;

    QString text(int row, int column) const
    {
        auto it = cells.find({row, column});
        return it == cells.end() ? QString() : it->second.text;
    }
    bool holdsNumber(int row, int column) const
    {
        auto it = cells.find({row, column});
        return it != cells.end() && it->second.number;
    }
    bool holdsValue(int row, int column) const
    {
        auto it = cells.find({row, column});
        return it != cells.end() && it->second.hasValue;
    }
    Style cellStyle(int row, int column) const
    {
        auto it = cells.find({row, column});
        const int index = it == cells.end() ? 0 : it->second.style;
        return index < int(styles.size()) ? styles[index] : Style{};
    }
};

QStringList ReadSharedStrings(const QByteArray &xml)
{
    QStringList strings;
    QXmlStreamReader r(xml);
    QString current;
    bool inItem = false;
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement() && r.name() == u"si") {
            inItem = true;
            current.clear();
        } else if (r.isStartElement() && r.name() == u"t" && inItem) {
            current += r.readElementText();
        } else if (r.isEndElement() && r.name() == u"si") {
            strings.append(current);
            inItem = false;
        }
    }
    return strings;
}

std::vector<Style> ReadStyles(const QByteArray &xml)
{
    std::vector<bool> boldFonts;
    std::vector<Style> styles;
    QXmlStreamReader r(xml);
    enum { None, Fonts, CellXfs } section = None;
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement()) {
            const auto name = r.name();
            if (name == u"fonts")
                section = Fonts;
            else if (name == u"cellXfs")
                section = CellXfs;
            else if (name == u"cellStyleXfs" || name == u"cellStyles")
                section = None;
            else if (section == Fonts && name == u"font")
                boldFonts.push_back(false);
            else if (section == Fonts && name == u"b" && !boldFonts.empty())
                boldFonts.back() = r.attributes().value(QLatin1String("val")) != u"0";
            else if (section == CellXfs && name == u"xf") {
                const int font = r.attributes().value(QLatin1String("fontId")).toInt();
                styles.push_back({font < int(boldFonts.size()) && boldFonts[font], false});
            } else if (section == CellXfs && name == u"alignment" && !styles.empty())
                styles.back().centred = r.attributes().value(QLatin1String("horizontal")) == u"center";
        } else if (r.isEndElement() && (r.name() == u"fonts" || r.name() == u"cellXfs")) {
            section = None;
        }
    }
    return styles;
}

Sheet ReadSheet(const QString &path)
{
    Sheet sheet;
    const QByteArray sheetXml = ZipEntry(path, QStringLiteral("xl/worksheets/sheet1.xml"));
    if (sheetXml.isEmpty())
        return sheet;
    const QStringList strings = ReadSharedStrings(ZipEntry(path, QStringLiteral("xl/sharedStrings.xml")));
    sheet.styles = ReadStyles(ZipEntry(path, QStringLiteral("xl/styles.xml")));

    QXmlStreamReader r(sheetXml);
    std::pair<int, int> at;
    Cell cell;
    QString type;
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement()) {
            const auto a = r.attributes();
            if (r.name() == u"col") {
                for (int c = a.value(QLatin1String("min")).toInt(); c <= a.value(QLatin1String("max")).toInt(); ++c)
                    sheet.columns[c] = Column{a.value(QLatin1String("width")).toDouble(), a.value(QLatin1String("style")).toInt()};
            } else if (r.name() == u"row") {
                if (a.value(QLatin1String("customFormat")) == u"1")
                    sheet.rowStyles[a.value(QLatin1String("r")).toInt()] = a.value(QLatin1String("s")).toInt();
            } else if (r.name() == u"c") {
                at = ParseRef(a.value(QLatin1String("r")));
                cell = Cell{};
                cell.style = a.value(QLatin1String("s")).toInt();
                type = a.value(QLatin1String("t")).toString();
            } else if (r.name() == u"v") {
                const QString v = r.readElementText();
                cell.hasValue = true;
                cell.number = type.isEmpty() || type == u"n";
                cell.text = type == u"s" ? strings.value(v.toInt()) : v;
            } else if (r.name() == u"is") {
                // inline string
                while (!(r.isEndElement() && r.name() == u"is") && !r.atEnd()) {
                    r.readNext();
                    if (r.isStartElement() && r.name() == u"t") {
                        cell.text += r.readElementText();
                        cell.hasValue = true;
                    }
                }
            }
        } else if (r.isEndElement() && r.name() == u"c") {
            sheet.cells[at] = cell;
        }
    }
    sheet.ok = !r.hasError();
    return sheet;
}

// Width the spreadsheet stores for a column of `chars` characters of the default font.
double StoredWidth(int chars) { return std::trunc((chars * 7 + 5) / 7.0 * 256) / 256; }

SharedState StateFor(const QString &name, int day, int month, int year, int chosenYear)
{
    SharedState s;
    Person p;
    p.name = name;
    p.day = quint8(day);
    p.month = quint8(month);
    p.year = quint16(year);
    s.people.append(p);
    s.chosenYear = chosenYear;
    BuildYearCalendar(s, 0);
    return s;
}

class FakeSpreadsheetApp : public SpreadsheetApp {
public:
    bool registered = true;
    bool opens = true;
    QStringList opened;
    bool isRegistered() override { return registered; }
    void open(const QString &path, QObject *, std::function<void(const QString &)>) override
    {
        opened.append(path);
        if (!opens)
            throw KelvoraError(QStringLiteral("Cannot open %1 in the spreadsheet program").arg(path));
    }
};

}

class TestXlsx : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        Clock::setFixed(QDateTime(QDate(2024, 6, 10), QTime(12, 0)));
        QStandardPaths::setTestModeEnabled(true);
    }
    void cleanup()
    {
        Dialogs::clearHooks();
        SpreadsheetApps::setForTests(nullptr);
    }

    void workbookHoldsTheModel_data()
    {
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("birthYear");
        QTest::newRow("leap year, born in March") << 2024 << 2024;
        QTest::newRow("common year, born before") << 2023 << 1990;
    }
    void workbookHoldsTheModel()
    {
        QFETCH(int, year);
        QFETCH(int, birthYear);
        const SharedState s = StateFor(QStringLiteral("Анна"), 15, 3, birthYear, year);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("book.xlsx"));
        XlsxExport::WriteYearWorkbook(path, s.yearTable, year, s.daysLivedLine);
        const Sheet sheet = ReadSheet(path);
        QVERIFY(sheet.ok);

        // The model cell for cell, nothing where the model holds nothing.
        for (int r = 0; r < 48; ++r)
            for (int c = 0; c < 32; ++c) {
                const QString &want = s.yearTable[r][c];
                if (want.isEmpty())
                    QVERIFY2(!sheet.holdsValue(r + 3, c + 2), qPrintable(QStringLiteral("%1,%2").arg(r).arg(c)));
                else {
                    QCOMPARE(sheet.text(r + 3, c + 2), want);
                    // Day numbers and "0" marks are numbers, as typed into a sheet.
                    QCOMPARE(sheet.holdsNumber(r + 3, c + 2), want.toInt() > 0 || want == u"0");
                }
            }
        QCOMPARE(sheet.text(1, 2), QStringLiteral("Биоритмы на %1 год").arg(year));
        QCOMPARE(sheet.text(52, 2), s.daysLivedLine);
        QVERIFY(sheet.text(52, 2).startsWith(QStringLiteral("Анна, к 10.06.2024 Вы прожили ")));
        // Nothing anywhere else: column A, row 2, row 51, past AG.
        for (const auto &[at, cell] : sheet.cells) {
            if (!cell.hasValue)
                continue;
            const auto [row, column] = at;
            const bool inModel = row >= 3 && row <= 50 && column >= 2 && column <= 33;
            const bool single = column == 2 && (row == 1 || row == 52);
            QVERIFY2(inModel || single, qPrintable(QStringLiteral("stray cell %1,%2").arg(row).arg(column)));
        }

        // February: 29 days in a leap year, 28 otherwise; the rest of the row stays empty.
        const int feb = 7;
        const int last = QDate::isLeapYear(year) ? 29 : 28;
        QCOMPARE(sheet.text(feb, last + 2), QString::number(last));
        for (int d = last + 1; d <= 31; ++d)
            for (int r = feb; r < feb + 4; ++r)
                QVERIFY(!sheet.holdsValue(r, d + 2));
        QVERIFY(!sheet.holdsValue(feb + 4 * 2, 31 + 2)); // 31 April does not exist

        if (birthYear == year) {
            // Before the birthday a single space, on it "K".
            QCOMPARE(sheet.text(3 + 1, 2 + 1), QStringLiteral(" "));
            QCOMPARE(sheet.text(11 + 3, 14 + 2), QStringLiteral(" "));
            QCOMPARE(sheet.text(11 + 1, 15 + 2), QStringLiteral("K"));
        }
    }

    void workbookLayout()
    {
        const SharedState s = StateFor(QStringLiteral("Пётр"), 1, 1, 1980, 2024);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("layout.xlsx"));
        XlsxExport::WriteYearWorkbook(path, s.yearTable, 2024, s.daysLivedLine);
        const Sheet sheet = ReadSheet(path);
        QVERIFY(sheet.ok);
        // Numbers in the format's notation under the Russian locale too,
        // whose C library writes a decimal comma.
        const QStringList notPlain = NumbersNotPlain(path);
        QVERIFY2(notPlain.isEmpty(), qPrintable(notPlain.join(QLatin1Char('\n'))));
        QVERIFY(ZipEntry(path, QStringLiteral("xl/workbook.xml")).contains(R"(<sheet name="Лист1")"));

        QCOMPARE(sheet.columns.at(1).width, StoredWidth(2));
        QCOMPARE(sheet.columns.at(2).width, StoredWidth(10));
        QVERIFY(!sheet.styles.at(sheet.columns.at(2).style).centred);
        for (int c = 3; c <= 33; ++c) {
            QCOMPARE(sheet.columns.at(c).width, StoredWidth(3));
            QVERIFY(sheet.styles.at(sheet.columns.at(c).style).centred);
        }
        QVERIFY(!sheet.columns.count(34));

        for (int row = 3; row <= 50; ++row) {
            const bool header = (row - 3) % 4 == 0;
            if (header)
                QVERIFY(sheet.styles.at(sheet.rowStyles.at(row)).bold);
            else
                QVERIFY(!sheet.rowStyles.count(row));
            for (int column = 2; column <= 33; ++column) {
                if (!sheet.holdsValue(row, column))
                    continue;
                const Style st = sheet.cellStyle(row, column);
                QCOMPARE(st.bold, header);
                QCOMPARE(st.centred, column >= 3);
            }
        }
        QVERIFY(!sheet.cellStyle(1, 2).bold);
        QVERIFY(!sheet.cellStyle(52, 2).bold);
    }

    void newFileForEveryExport()
    {
        QTemporaryDir root;
        SharedState s = StateFor(QStringLiteral("Иван: сын/дочь?"), 5, 5, 2000, 2024);
        const QString first = XlsxExport::WriteYearWorkbookToNewFile(s, root.path());
        const QString second = XlsxExport::WriteYearWorkbookToNewFile(s, root.path());
        QVERIFY(first != second);
        QVERIFY(QFileInfo::exists(first));
        QVERIFY(QFileInfo::exists(second));
        QCOMPARE(QFileInfo(first).fileName(), QStringLiteral("Иван_ сын_дочь_ 2024.xlsx"));
        QVERIFY(ReadSheet(first).ok);

        QCOMPARE(XlsxExport::SafeFileStem(QStringLiteral("  ..a\tb\\c*<>|\"  .")), QStringLiteral("a b_c_____"));
        QCOMPARE(XlsxExport::SafeFileStem(QStringLiteral("...")), QStringLiteral("Биоритмы"));
        QCOMPARE(XlsxExport::SafeFileStem(QString(300, QLatin1Char('x'))).size(), 80);
    }

    void writeFailuresAreErrors()
    {
        const SharedState s = StateFor(QStringLiteral("Анна"), 15, 3, 1990, 2024);
        QTemporaryDir dir;
        const QString missing = dir.filePath(QStringLiteral("no/such/folder/book.xlsx"));
        QVERIFY_THROWS_EXCEPTION(KelvoraError, XlsxExport::WriteYearWorkbook(missing, s.yearTable, 2024, s.daysLivedLine));
        QVERIFY_THROWS_EXCEPTION(KelvoraError,
                                 XlsxExport::WriteYearWorkbookToNewFile(s, dir.filePath(QStringLiteral("absent"))));
        // A text the sheet cannot hold (over 32767 characters) is refused, and no half file is left.
        const QString path = dir.filePath(QStringLiteral("long.xlsx"));
        QVERIFY_THROWS_EXCEPTION(KelvoraError,
                                 XlsxExport::WriteYearWorkbook(path, s.yearTable, 2024, QString(40000, QLatin1Char('a'))));
        QVERIFY(!QFileInfo::exists(path));
    }

    // The menu command: model first, then the spreadsheet program.
    void commandOpensANewWorkbook()
    {
        QTemporaryDir dir;
        PersonList people;
        people.append(TestSupport::MakePerson(QStringLiteral("Анна"), 29, 2, 1996));
        const QString settings = dir.filePath(QStringLiteral("Kelvora.ini"));
        SaveSettingsFile(settings, people, CyclePeriods{});
        TrayHost host(settings, TestSupport::HostOptions(dir.path()));

        FakeSpreadsheetApp app;
        SpreadsheetApps::setForTests(&app);
        QStringList messages;
        QStringList errors;
        Dialogs::setMessageHook([&](const QString &text, bool isError) { (isError ? errors : messages).append(text); });

        // No spreadsheet program: the model is built, the message shown, nothing written.
        app.registered = false;
        host.shellState().menuEnabled = true;
        host.exportWorkbook(0);
        QCOMPARE(messages, QStringList{QStringLiteral("Excel не установлен!")});
        QVERIFY(errors.isEmpty());
        QVERIFY(app.opened.isEmpty());
        QVERIFY(host.state().hasYearTable);
        QCOMPARE(host.state().chosenYear, 2024);
        QCOMPARE(host.state().personName, QStringLiteral("Анна"));
        QVERIFY(host.shellState().menuEnabled);

        // Two exports: two workbooks, both opened.
        messages.clear();
        app.registered = true;
        host.exportWorkbook(0);
        host.exportWorkbook(0);
        QVERIFY(messages.isEmpty());
        QVERIFY(errors.isEmpty());
        QCOMPARE(app.opened.size(), 2);
        QVERIFY(app.opened[0] != app.opened[1]);
        const Sheet sheet = ReadSheet(app.opened[1]);
        QVERIFY(sheet.ok);
        QCOMPARE(sheet.text(1, 2), QStringLiteral("Биоритмы на 2024 год"));
        QCOMPARE(sheet.text(7, 31), QStringLiteral("29"));
        QCOMPARE(QFileInfo(app.opened[0]).fileName(), QStringLiteral("Анна 2024.xlsx"));
        for (const QString &path : app.opened)
            QDir(QFileInfo(path).path()).removeRecursively();

        // The program would not start: reported in the error box.
        app.opens = false;
        host.exportWorkbook(0);
        QCOMPARE(errors.size(), 1);
        QVERIFY(host.shellState().menuEnabled);
        QDir(QFileInfo(app.opened.last()).path()).removeRecursively();

        // A person the list does not have: the error box, nothing opened.
        const int openedBefore = app.opened.size();
        host.exportWorkbook(5);
        QCOMPARE(errors.size(), 2);
        QCOMPARE(app.opened.size(), openedBefore);
    }
};

QTEST_MAIN(TestXlsx)
#include "tst_xlsx.moc"
