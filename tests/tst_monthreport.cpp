// The printed month page: the fixed layout, the day cells of one month, the
// rendered page, and the three windows of the month report.
#include "model/clock.h"
#include "model/errors.h"
#include "model/yearmodel.h"
#include "outputs/monthreport.h"
#include "report/reportengine.h"
#include "resources/markfaces.h"
#include "testpaths.h"
#include "windows/monthdialog.h"
#include "windows/previewwindow.h"
#include "windows/reportholder.h"
#include "windows/reportprint.h"
#include "windowsupport.h"

#include <QComboBox>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

using namespace ReportEngine;
using TestSupport::CheckNamedParts;
using TestSupport::MakePerson;

namespace {

constexpr double MarginPx = 100 * 96.0 / 254.0;

// Plain squares, one colour per mark, so the page shows which picture is where.
const QColor MarkColours[4] = {QColor(0, 170, 0), QColor(0, 0, 220), QColor(200, 0, 200), QColor(0, 200, 200)};

MonthReport::MarkPictures testMarks()
{
    MonthReport::MarkPictures marks;
    for (int i = 0; i < 4; ++i) {
        const QColor colour = MarkColours[i];
        marks[i] = {QSize(16, 16), [colour](QPainter &p, const QRectF &target) { p.fillRect(target, colour); }};
    }
    return marks;
}

SharedState build(const Person &who, int year)
{
    SharedState s;
    s.people.append(who);
    s.chosenYear = year;
    BuildYearCalendar(s, 0);
    return s;
}

QColor bandPixel(const QImage &page, double dpi, int x, int y)
{
    const double scale = dpi / 96.0;
    return page.pixelColor(int((MarginPx + x + 0.5) * scale), int((MarginPx + y + 0.5) * scale));
}

ReportBand &band(Report &r) { return MonthReport::Band(r); }

int dayCellCount(Report &r)
{
    int n = 0;
    for (const auto &e : band(r).elements())
        n += e->name().startsWith(QLatin1String("NewLabel")) || e->name().startsWith(QLatin1String("NewImg"));
    return n;
}

QRect place(Report &r, const QString &name)
{
    ReportElement *e = band(r).find(name);
    return e ? e->geometry() : QRect(-1, -1, 0, 0);
}

// Week column (1 Monday .. 7 Sunday) and row of day d, read back from its label.
QPoint cellOf(Report &r, int d)
{
    const QRect label = place(r, QStringLiteral("NewLabel%1").arg(d));
    return QPoint((label.left() - 79) / 72, (label.top() - 100) / 72);
}

// The same colour give or take the rounding of another renderer.
bool near(const QColor &a, const QColor &b)
{
    return qAbs(a.red() - b.red()) <= 4 && qAbs(a.green() - b.green()) <= 4 && qAbs(a.blue() - b.blue()) <= 4;
}

bool isRed(const QColor &c) { return c.red() > 200 && c.green() < 90 && c.blue() < 90; }

// Text of a colour inside a report rectangle of the page.
int countPixels(const QImage &page, const QRect &area, const std::function<bool(const QColor &)> &test)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += test(bandPixel(page, 96, x, y));
    return n;
}

QString artifactDir()
{
    const QString dir = QStringLiteral(KELVORA_BINARY_DIR "/test-artifacts");
    QDir().mkpath(dir);
    return dir;
}

} // namespace

class TestMonthReport : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        Clock::setFixed(QDateTime(QDate(2025, 3, 10), QTime(12, 0)));
    }

    void fixedLayout()
    {
        Report rep;
        MonthReport::BuildPage(rep);
        QCOMPARE(rep.page.paperLength, 2970);
        QCOMPARE(rep.page.paperWidth, 2100);
        QCOMPARE(rep.page.leftMargin, 100);
        QCOMPARE(rep.page.topMargin, 100);
        QCOMPARE(rep.page.orientation, QPageLayout::Portrait);
        QCOMPARE(rep.bands().size(), size_t(1));
        QCOMPARE(band(rep).size(), QSize(718, 579));
        // 2 captions, 2 rules, 7 headings, 48 squares, 18 legends, the name.
        QCOMPARE(band(rep).elements().size(), size_t(78));

        QCOMPARE(place(rep, QStringLiteral("Month")), QRect(48, 0, 305, 34));
        QCOMPARE(place(rep, QStringLiteral("Year")), QRect(520, 0, 130, 34));
        QCOMPARE(place(rep, QStringLiteral("QRShape49")), QRect(8, 40, 705, 1));
        QCOMPARE(place(rep, QStringLiteral("QRShape50")), QRect(8, 536, 705, 1));
        QCOMPARE(place(rep, QStringLiteral("QRLabel10")), QRect(48, 545, 617, 26));
        auto *year = band(rep).findAs<ReportLabel>(QStringLiteral("Year"));
        QCOMPARE(year->alignment(), Qt::AlignRight);
        QCOMPARE(year->font().pointSize, 20.0);
        QVERIFY(year->font().bold);
        auto *name = band(rep).findAs<ReportLabel>(QStringLiteral("QRLabel10"));
        QCOMPARE(name->font().color, QColor(0, 0, 128));
        QVERIFY(!name->autoSize() && !name->transparent());

        const QString days[7] = {QStringLiteral("Пн"), QStringLiteral("Вт"), QStringLiteral("Ср"), QStringLiteral("Чт"),
                                 QStringLiteral("Пт"), QStringLiteral("Сб"), QStringLiteral("Вс")};
        for (int i = 0; i < 7; ++i) {
            auto *h = band(rep).findAs<ReportLabel>(QStringLiteral("QRLabel%1").arg(i + 1));
            QVERIFY(h);
            QCOMPARE(h->caption(), days[i]);
            QCOMPARE(h->geometry().top(), 57);
            // Centred over its grid column, whatever the font's width.
            const double centre = h->geometry().left() + h->geometry().width() / 2.0;
            QVERIFY2(qAbs(centre - (69 + 72 * (i + 1) + 35)) <= 1.0, qPrintable(days[i]));
            QCOMPARE(h->font().color == QColor(255, 0, 0), i >= 5);
        }

        for (int r = 0; r < 6; ++r) {
            for (int c = 0; c < 8; ++c) {
                auto *s = band(rep).findAs<ReportShape>(QStringLiteral("QRShape%1").arg(8 * r + c + 1));
                QVERIFY(s);
                QCOMPARE(s->geometry(), QRect(69 + 72 * c, 88 + 72 * r, 70, 70));
                QCOMPARE(s->outline(), QColor(Qt::black));
                QCOMPARE(s->fill(), c == 0 ? QGuiApplication::palette().color(QPalette::ToolTipBase) : QColor(Qt::white));
            }
            const int tops[3] = {12, 32, 50};
            const QString words[3] = {QStringLiteral("Здоровье"), QStringLiteral("Эмоции"), QStringLiteral("Интеллект")};
            for (int k = 0; k < 3; ++k) {
                auto *l = band(rep).findAs<ReportLabel>(QStringLiteral("QRLabel%1").arg(13 + 3 * r - k));
                QVERIFY(l);
                QCOMPARE(l->caption(), words[k]);
                QCOMPARE(l->geometry().top(), 88 + 72 * r + tops[k]);
                QCOMPARE(l->geometry().left() + l->geometry().width(), 129);
                QVERIFY(l->transparent());
                QCOMPARE(l->font().pointSize, 5.0);
            }
        }
        // The sixth row's own names.
        QCOMPARE(band(rep).findAs<ReportLabel>(QStringLiteral("QRLabel28"))->caption(), QStringLiteral("Здоровье"));
        QCOMPARE(band(rep).findAs<ReportLabel>(QStringLiteral("QRLabel26"))->caption(), QStringLiteral("Интеллект"));
        QCOMPARE(place(rep, QStringLiteral("QRShape41")).top(), 448);
    }

    void darkDesktopThemeStillPrintsReadably()
    {
        const QPalette saved = QGuiApplication::palette();
        QPalette dark = saved;
        dark.setColor(QPalette::WindowText, QColor(240, 240, 240));
        dark.setColor(QPalette::ToolTipBase, QColor(40, 40, 40));
        QGuiApplication::setPalette(dark);
        Report rep;
        MonthReport::BuildPage(rep);
        QGuiApplication::setPalette(saved);
        QCOMPARE(band(rep).findAs<ReportLabel>(QStringLiteral("QRLabel1"))->font().color, QColor(Qt::black));
        QVERIFY(band(rep).findAs<ReportShape>(QStringLiteral("QRShape1"))->fill().lightness() > 200);

        // A light desktop's own colours are kept.
        QPalette light = saved;
        light.setColor(QPalette::WindowText, QColor(0, 0, 90));
        light.setColor(QPalette::ToolTipBase, QColor(255, 255, 200));
        QGuiApplication::setPalette(light);
        Report lit;
        MonthReport::BuildPage(lit);
        QGuiApplication::setPalette(saved);
        QCOMPARE(band(lit).findAs<ReportLabel>(QStringLiteral("QRLabel1"))->font().color, QColor(0, 0, 90));
        QCOMPARE(band(lit).findAs<ReportShape>(QStringLiteral("QRShape9"))->fill(), QColor(255, 255, 200));
    }

    void weekRows_data()
    {
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("month");
        QTest::addColumn<bool>("sixRows");
        QTest::addColumn<QPoint>("lastCell"); // weekday column and row of the last day
        QTest::addColumn<QString>("monthName");
        // 6 + 31 = 37: the 31st falls on the Monday of a sixth row.
        QTest::newRow("31 days from Saturday") << 2025 << 3 << true << QPoint(1, 5) << QStringLiteral("Март");
        QTest::newRow("30 days from Sunday") << 2025 << 6 << true << QPoint(1, 5) << QStringLiteral("Июнь");
        // 5 + 31 = 36: five rows, the 31st on a Sunday.
        QTest::newRow("31 days from Friday") << 2025 << 8 << false << QPoint(7, 4) << QStringLiteral("Август");
        // Four full weeks; the fifth grid row stays empty.
        QTest::newRow("common February from Monday") << 2021 << 2 << false << QPoint(7, 3) << QStringLiteral("Февраль");
        // Year 50 of the calendar: 1 January was a Saturday (1950 began on a Sunday).
        QTest::newRow("January of the year 50") << 50 << 1 << true << QPoint(1, 5) << QStringLiteral("Январь");
    }

    void weekRows()
    {
        QFETCH(int, year);
        QFETCH(int, month);
        QFETCH(bool, sixRows);
        QFETCH(QPoint, lastCell);
        QFETCH(QString, monthName);

        Report rep;
        MonthReport::BuildPage(rep);
        const SharedState s = build(MakePerson(QStringLiteral("Анна"), 1, 1, 10), year);
        MonthReport::LayOutMonth(rep, s.yearTable, month, year, s.personName, testMarks());

        const int days = DaysInMonth(year, month);
        QCOMPARE(dayCellCount(rep), 4 * days);
        QVERIFY(!band(rep).find(QStringLiteral("NewLabel%1").arg(days + 1)));
        QCOMPARE(cellOf(rep, days), lastCell);
        // Days follow one another Monday to Sunday, row by row.
        for (int d = 1; d < days; ++d) {
            const QPoint a = cellOf(rep, d), b = cellOf(rep, d + 1);
            QCOMPARE(a.x() == 7 ? QPoint(1, a.y() + 1) : QPoint(a.x() + 1, a.y()), b);
        }
        QCOMPARE(cellOf(rep, 1).y(), 0);
        QCOMPARE(place(rep, QStringLiteral("NewLabel1")).topLeft(), QPoint(72 * cellOf(rep, 1).x() + 79, 100));
        const QPoint c = cellOf(rep, days);
        QCOMPARE(place(rep, QStringLiteral("NewImg1%1").arg(days)), QRect(72 * c.x() + 116, 72 * c.y() + 95, 16, 16));
        QCOMPARE(place(rep, QStringLiteral("NewImg2%1").arg(days)), QRect(72 * c.x() + 116, 72 * c.y() + 115, 16, 16));
        QCOMPARE(place(rep, QStringLiteral("NewImg3%1").arg(days)), QRect(72 * c.x() + 116, 72 * c.y() + 135, 16, 16));

        // The sixth row, its legend, the bottom rule and the name.
        for (int n = 41; n <= 48; ++n)
            QCOMPARE(band(rep).find(QStringLiteral("QRShape%1").arg(n))->enabled(), sixRows);
        for (int n = 26; n <= 28; ++n)
            QCOMPARE(band(rep).find(QStringLiteral("QRLabel%1").arg(n))->enabled(), sixRows);
        QVERIFY(band(rep).find(QStringLiteral("QRShape40"))->enabled());
        QVERIFY(band(rep).find(QStringLiteral("QRLabel25"))->enabled());
        QCOMPARE(place(rep, QStringLiteral("QRShape50")).top(), sixRows ? 536 : 460);
        QCOMPARE(place(rep, QStringLiteral("QRLabel10")).top(), sixRows ? 545 : 469);

        QCOMPARE(band(rep).findAs<ReportLabel>(QStringLiteral("Month"))->caption(), monthName);
        QCOMPARE(band(rep).findAs<ReportLabel>(QStringLiteral("Year"))->caption(), QString::number(year));
        QCOMPARE(band(rep).findAs<ReportLabel>(QStringLiteral("QRLabel10"))->caption(), QStringLiteral("Анна"));

        // The same page drawn: the bottom rule where the layout says, and
        // the sixth row printed only when it is on.
        const QImage page = rep.renderImage(96);
        QCOMPARE(bandPixel(page, 96, 30, sixRows ? 536 : 460), QColor(Qt::black));
        QCOMPARE(bandPixel(page, 96, 30, sixRows ? 460 : 536), QColor(Qt::white));
        // Left edges of the sixth row's squares, below the moved-up name.
        for (int c = 0; c < 8; ++c)
            QCOMPARE(bandPixel(page, 96, 69 + 72 * c, 510), sixRows ? QColor(Qt::black) : QColor(Qt::white));
        // Its legend: dark text in the yellow column only when printed.
        const int legend = countPixels(page, QRect(70, 498, 60, 8), [](const QColor &c) { return c.lightness() < 128; });
        QCOMPARE(legend > 0, sixRows);
    }

    void weekendNumbersAreRed()
    {
        Report rep;
        MonthReport::BuildPage(rep);
        const SharedState s = build(MakePerson(QStringLiteral("Анна"), 1, 1, 2000), 2025);
        MonthReport::LayOutMonth(rep, s.yearTable, 3, 2025, s.personName, testMarks());
        for (int d = 1; d <= 31; ++d) {
            auto *label = band(rep).findAs<ReportLabel>(QStringLiteral("NewLabel%1").arg(d));
            QVERIFY(label);
            QCOMPARE(label->caption(), QString::number(d));
            QVERIFY(label->autoSize());
            QVERIFY(!label->transparent());
            const int weekday = QDate(2025, 3, d).dayOfWeek();
            QCOMPARE(label->font().color, weekday >= 6 ? QColor(255, 0, 0) : QColor(Qt::black));
        }
        // On the page: the 1st (a Saturday) red, the 3rd (a Monday) black.
        const QImage page = rep.renderImage(96);
        const QRect first = place(rep, QStringLiteral("NewLabel1"));
        const QRect third = place(rep, QStringLiteral("NewLabel3"));
        QVERIFY(countPixels(page, first, isRed) > 10);
        QCOMPARE(countPixels(page, third, isRed), 0);
        QVERIFY(countPixels(page, third, [](const QColor &c) { return c.lightness() < 80; }) > 10);
    }

    void picturesFollowTheMarks()
    {
        const MonthReport::MarkPictures marks = testMarks();
        QCOMPARE(MonthReport::MarkPictureIndex(QStringLiteral("+")), 0);
        QCOMPARE(MonthReport::MarkPictureIndex(QStringLiteral("-")), 1);
        QCOMPARE(MonthReport::MarkPictureIndex(QStringLiteral("K")), 2);
        QCOMPARE(MonthReport::MarkPictureIndex(QStringLiteral("0")), 3);
        QCOMPARE(MonthReport::MarkPictureIndex(QStringLiteral(" ")), -1);
        QCOMPARE(MonthReport::MarkPictureIndex(QString()), -1);

        // Born on the 15th of the month shown: no pictures before, "K" on the day.
        Report rep;
        MonthReport::BuildPage(rep);
        const SharedState s = build(MakePerson(QStringLiteral("Пётр"), 15, 3, 2025), 2025);
        MonthReport::LayOutMonth(rep, s.yearTable, 3, 2025, s.personName, marks);
        const QImage page = rep.renderImage(96);
        for (int d = 1; d <= 31; ++d) {
            for (int k = 1; k <= 3; ++k) {
                auto *img = band(rep).findAs<ReportImage>(QStringLiteral("NewImg%1%2").arg(k).arg(d));
                QVERIFY(img);
                const QString cell = s.yearTable[8 + k][d];
                const QColor drawn = bandPixel(page, 96, img->geometry().left() + 8, img->geometry().top() + 8);
                if (d < 15) {
                    QCOMPARE(cell, QStringLiteral(" "));
                    QVERIFY(img->isEmpty());
                    QCOMPARE(drawn, QColor(Qt::white));
                } else {
                    QCOMPARE(drawn, MarkColours[MonthReport::MarkPictureIndex(cell)]);
                }
            }
        }
        for (int k = 1; k <= 3; ++k) // the birthday is critical in every cycle
            QCOMPARE(s.yearTable[8 + k][15], QStringLiteral("K"));

        // Born after the month shown: day numbers, no pictures at all.
        MonthReport::RemoveDayCells(rep);
        const SharedState later = build(MakePerson(QStringLiteral("Пётр"), 2, 4, 2025), 2025);
        MonthReport::LayOutMonth(rep, later.yearTable, 3, 2025, later.personName, marks);
        int pictures = 0;
        for (const auto &e : band(rep).elements())
            if (auto *img = dynamic_cast<ReportImage *>(e.get()))
                pictures += !img->isEmpty();
        QCOMPARE(pictures, 0);
        QCOMPARE(dayCellCount(rep), 4 * 31);
    }

    void twoReportsInARow()
    {
        Report rep;
        MonthReport::BuildPage(rep);
        const SharedState s = build(MakePerson(QStringLiteral("Анна"), 1, 1, 2000), 2025);
        {
            MonthReport::DayCellsGuard guard(rep);
            MonthReport::LayOutMonth(rep, s.yearTable, 3, 2025, QStringLiteral("Первый"), testMarks());
            QCOMPARE(dayCellCount(rep), 124);
        }
        QCOMPARE(dayCellCount(rep), 0);
        QCOMPARE(band(rep).elements().size(), size_t(78));

        const SharedState feb = build(MakePerson(QStringLiteral("Анна"), 1, 1, 2000), 2021);
        {
            MonthReport::DayCellsGuard guard(rep);
            MonthReport::LayOutMonth(rep, feb.yearTable, 2, 2021, QStringLiteral("Второй"), testMarks());
            QCOMPARE(dayCellCount(rep), 4 * 28);
            QVERIFY(!band(rep).find(QStringLiteral("NewLabel29")));
            QVERIFY(!band(rep).find(QStringLiteral("NewImg331")));
            // March put the rule and the name under six rows; February moves them up.
            QCOMPARE(place(rep, QStringLiteral("QRShape50")).top(), 460);
            // Nothing of March's page is drawn in the sixth row.
            const QImage page = rep.renderImage(96);
            QCOMPARE(countPixels(page, QRect(60, 498, 660, 30), [](const QColor &c) { return c != Qt::white; }), 0);
        }
        QCOMPARE(band(rep).elements().size(), size_t(78));

        // A layout cut short by an error leaves no cells behind either.
        try {
            MonthReport::DayCellsGuard guard(rep);
            MonthReport::LayOutMonth(rep, s.yearTable, 3, 2025, QStringLiteral("Первый"), testMarks());
            throw KelvoraError(QStringLiteral("printer on fire"));
        } catch (const KelvoraError &) {
        }
        QCOMPARE(dayCellCount(rep), 0);
    }

    void impossibleMonthOrYear()
    {
        Report rep;
        MonthReport::BuildPage(rep);
        const SharedState s = build(MakePerson(QStringLiteral("Анна"), 1, 1, 2000), 2025);
        QVERIFY_THROWS_EXCEPTION(KelvoraError, MonthReport::LayOutMonth(rep, s.yearTable, 3, 0, QString(), testMarks()));
        QVERIFY_THROWS_EXCEPTION(KelvoraError, MonthReport::LayOutMonth(rep, s.yearTable, 13, 2025, QString(), testMarks()));
        QVERIFY_THROWS_EXCEPTION(KelvoraError, MonthReport::LayOutMonth(rep, s.yearTable, 0, 2025, QString(), testMarks()));
        QCOMPARE(dayCellCount(rep), 0);
    }

    // The program's own faces on paper: drawn, not stored as bitmaps, so a
    // PDF holds no picture a viewer or printer would smear, and the critical
    // day's red eyes stay red.
    void facesOnPaperAreDrawings()
    {
        Report rep;
        MonthReport::BuildPage(rep);
        const SharedState s = build(MakePerson(QStringLiteral("Анна Сергеевна Кузнецова"), 15, 3, 1990), 2025);
        MonthReport::LayOutMonth(rep, s.yearTable, 3, 2025, s.personName, MonthReport::MarkFaces());
        const QString pdf = artifactDir() + QStringLiteral("/month-2025-03-faces.pdf");
        QVERIFY(rep.writePdf(pdf));
        QVERIFY(rep.renderImage(96).save(artifactDir() + QStringLiteral("/month-2025-03-faces.png")));

        const QString pdfimages = QStandardPaths::findExecutable(QStringLiteral("pdfimages"));
        const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
        if (pdfimages.isEmpty() || pdftoppm.isEmpty())
            QSKIP("poppler-utils is not installed");
        QProcess list;
        list.start(pdfimages, {QStringLiteral("-list"), pdf});
        QVERIFY(list.waitForFinished());
        QCOMPARE(list.exitCode(), 0);
        const QStringList rows = QString::fromUtf8(list.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
        QVERIFY2(rows.size() == 2, qPrintable(rows.join(u'\n'))); // the heading and its rule only

        const QString base = artifactDir() + QStringLiteral("/month-2025-03-faces-300dpi");
        QCOMPARE(QProcess::execute(pdftoppm, {QStringLiteral("-r"), QStringLiteral("300"), QStringLiteral("-png"),
                                              QStringLiteral("-singlefile"), pdf, base}),
                 0);
        const QImage page(base + QStringLiteral(".png"));
        int critical = 0;
        for (int d = 1; d <= 31; ++d) {
            for (int k = 1; k <= 3; ++k) {
                if (s.yearTable[8 + k][d] != QStringLiteral("K"))
                    continue;
                const QRect r = place(rep, QStringLiteral("NewImg%1%2").arg(k).arg(d));
                // The middle of the left eye, and of the face's yellow cheek.
                QVERIFY(near(bandPixel(page, 300, r.left() + 6, r.top() + 8), QColor(0xe0, 0x18, 0x18)));
                QVERIFY(near(bandPixel(page, 300, r.left() + 3, r.top() + 9), QColor(0xff, 0xc8, 0x30)));
                ++critical;
            }
        }
        QVERIFY(critical > 0);
    }

    // Writes the page as PDF and PNG next to the build and checks the PDF,
    // drawn by another renderer, against the layout.
    void pageAsPdfAndPng()
    {
        Report rep;
        MonthReport::BuildPage(rep);
        const SharedState s = build(MakePerson(QStringLiteral("Анна Сергеевна Кузнецова"), 15, 3, 1990), 2025);
        const QString dir = artifactDir();
        MonthReport::LayOutMonth(rep, s.yearTable, 3, 2025, s.personName, testMarks());
        const QString pdf = dir + QStringLiteral("/month-2025-03.pdf");
        QVERIFY(rep.writePdf(pdf));
        QVERIFY(rep.renderImage(96).save(dir + QStringLiteral("/month-2025-03-96dpi.png")));

        const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
        if (pdftoppm.isEmpty())
            QSKIP("pdftoppm is not installed");
        const QString base = dir + QStringLiteral("/month-2025-03-pdf");
        QCOMPARE(QProcess::execute(pdftoppm, {QStringLiteral("-r"), QStringLiteral("96"), QStringLiteral("-png"),
                                              QStringLiteral("-singlefile"), pdf, base}),
                 0);
        const QImage page(base + QStringLiteral(".png"));
        QCOMPARE(page.size(), QSize(794, 1123));
        // Grid corners, the yellow legend column, the rules, a picture.
        QCOMPARE(bandPixel(page, 96, 69, 100).lightness() < 100, true);
        QVERIFY(near(bandPixel(page, 96, 71, 100), QGuiApplication::palette().color(QPalette::ToolTipBase)));
        QCOMPARE(bandPixel(page, 96, 400, 40).lightness() < 128, true);
        QCOMPARE(bandPixel(page, 96, 400, 536).lightness() < 128, true);
        QVERIFY(near(bandPixel(page, 96, 400, 460), QColor(Qt::white)));
        for (int d : {1, 15, 31}) {
            for (int k = 1; k <= 3; ++k) {
                const QRect r = place(rep, QStringLiteral("NewImg%1%2").arg(k).arg(d));
                const int index = MonthReport::MarkPictureIndex(s.yearTable[8 + k][d]);
                QVERIFY(near(bandPixel(page, 96, r.left() + 8, r.top() + 8), MarkColours[index]));
            }
        }
        // Red weekend numbers and headings, navy name.
        QVERIFY(countPixels(page, place(rep, QStringLiteral("QRLabel6")), isRed) > 10);
        QVERIFY(countPixels(page, place(rep, QStringLiteral("NewLabel2")), isRed) > 10);
        QVERIFY(countPixels(page, QRect(48, 545, 300, 26),
                            [](const QColor &c) { return c.blue() > 80 && c.red() < 60 && c.green() < 60; }) > 20);
        // The engine's own image and the PDF agree nearly everywhere.
        const QImage own = rep.renderImage(96);
        int differ = 0;
        for (int y = 0; y < own.height(); y += 2)
            for (int x = 0; x < own.width(); x += 2) {
                const QColor a = own.pixelColor(x, y), b = page.pixelColor(x, y);
                differ += qAbs(a.lightness() - b.lightness()) > 96;
            }
        QVERIFY2(differ < own.width() * own.height() / 4 / 100, qPrintable(QString::number(differ)));
    }

    // ------------------------------------------------------------ windows

    void monthDialog()
    {
        MonthDialog form;
        QCOMPARE(CheckNamedParts(&form, {{"TForm5", "QDialog", "Выбор месяца и года"},
                                         {"Panel1", "QFrame", ""},
                                         {"Label1", "QLabel", "Месяц"},
                                         {"ComboBox1", "QComboBox", ""},
                                         {"Label2", "QLabel", "Год"},
                                         {"Year", "QSpinBox", ""},
                                         {"Button1", "QPushButton", "Сформировать"},
                                         {"Button2", "QPushButton", "Отмена"}}),
                 QString());
        QCOMPARE(form.monthBox->count(), 12);
        QCOMPARE(form.monthBox->itemText(11), QStringLiteral("Декабрь"));
        QCOMPARE(form.yearEdit->maximum(), 9999);

        form.preset(QDate(2025, 3, 10));
        QCOMPARE(form.monthBox->currentText(), QStringLiteral("Март"));
        QCOMPARE(form.chosenMonth(), 3);
        QCOMPARE(form.chosenYear(), 2025);
        form.monthBox->setCurrentIndex(11);
        form.yearEdit->setValue(50);
        QCOMPARE(form.chosenMonth(), 12);
        QCOMPARE(form.chosenYear(), 50);

        // Answers: 1 "Сформировать", 2 "Отмена".
        QTimer::singleShot(0, &form, [&] { form.buildButton->click(); });
        QCOMPARE(form.exec(), 1);
        QTimer::singleShot(0, &form, [&] { form.cancelButton->click(); });
        QCOMPARE(form.exec(), 2);
    }

    void yearFieldReadsWhatWasTyped()
    {
        MonthDialog form;
        form.preset(QDate(2025, 3, 10));
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto typeYear = [&](const QString &text) {
            form.yearEdit->setFocus();
            form.yearEdit->selectAll();
            QTest::keyClick(form.yearEdit, Qt::Key_Delete);
            QTest::keyClicks(form.yearEdit, text);
        };
        // Letters cannot be typed; a text that is no whole number reads as 0.
        typeYear(QStringLiteral("2a0b2c4"));
        QCOMPARE(form.chosenYear(), 2024);
        typeYear(QStringLiteral("12-3"));
        QCOMPARE(form.chosenYear(), 0);
        typeYear(QString());
        QCOMPARE(form.chosenYear(), 0);
        // Beyond the range: brought into it when the focus leaves.
        typeYear(QStringLiteral("123456"));
        form.cancelButton->setFocus();
        QCOMPARE(form.yearEdit->value(), 9999);
        QCOMPARE(form.yearEdit->text(), QStringLiteral("9999"));
        typeYear(QStringLiteral("-5"));
        form.cancelButton->setFocus();
        QCOMPARE(form.yearEdit->value(), 0);
        // "Сформировать" with the focus still in the field reads the text.
        typeYear(QStringLiteral("1950"));
        form.confirmChoice();
        QCOMPARE(form.result(), 1);
        QCOMPARE(form.chosenYear(), 1950);
        QCOMPARE(form.yearEdit->value(), 1950);
    }

    void previewWindowAndHolder()
    {
        ReportHolder holder;
        PreviewWindow preview;
        QCOMPARE(CheckNamedParts(&holder, {{"TForm3", "QWidget", ""}}), QString());
        QCOMPARE(CheckNamedParts(&preview, {{"TForm4", "QWidget", "Печать Биоритмов"},
                                            {"ToolBar1", "QFrame", ""},
                                            {"SpeedButton1", "QToolButton", "Печать"},
                                            {"SpeedButton2", "QToolButton", "Настройка"},
                                            {"SpeedButton3", "QToolButton", "Закрыть"},
                                            {"QRPreview", "QScrollArea", ""},
                                            {"QRPreviewPage", "QWidget", ""}}),
                 QString());
        QVERIFY(holder.report.band(QStringLiteral("QRBand1")));
        QVERIFY(!holder.isVisible());

        const SharedState s = build(MakePerson(QStringLiteral("Анна"), 1, 1, 2000), 2025);
        MonthReport::DayCellsGuard guard(holder.report);
        MonthReport::LayOutMonth(holder.report, s.yearTable, 3, 2025, s.personName, testMarks());

        // Without a preview window the report does not wait for one.
        holder.report.previewModal();
        QVERIFY(!holder.report.previewing());

        holder.setPreviewWindow(&preview);
        bool shownDuringWait = false;
        QImage shot;
        int viewportTop = 0;
        QTimer::singleShot(0, [&] {
            shownDuringWait = preview.isVisible() && holder.report.previewing();
            QCOMPARE(preview.preview->report(), &holder.report);
            QCOMPARE(preview.preview->geometry(), QRect(0, 29, 545, 374));
            shot = preview.grab().toImage();
            viewportTop = preview.preview->viewport()->mapTo(&preview, QPoint(0, 0)).y();
            preview.closeButton->click();
        });
        holder.report.previewModal();
        QVERIFY(shownDuringWait);
        QVERIFY(!preview.isVisible());
        QVERIFY(!holder.report.previewing());
        QVERIFY(!preview.preview->report()); // page output released
        shot.save(artifactDir() + QStringLiteral("/preview-window.png"));
        // The page at 100 %: the top rule of the band sits 10 px of desk plus
        // 10 mm of margin plus 40 px below the toolbar.
        const int ruleY = viewportTop + ReportPreview::Desk + qRound(MarginPx + 40);
        int dark = 0;
        for (int x = 100; x < 400; ++x)
            dark += shot.pixelColor(x, ruleY).lightness() < 100;
        QVERIFY2(dark == 300, qPrintable(QString::number(dark)));
        QCOMPARE(shot.pixelColor(200, ruleY - 2), QColor(Qt::white));

        // Closing by the window manager ends the preview the same way.
        QTimer::singleShot(0, [&] { preview.close(); });
        holder.report.previewModal();
        QVERIFY(!holder.report.previewing());
    }

    void printFromThePreview()
    {
        ReportHolder holder;
        PreviewWindow preview;
        holder.setPreviewWindow(&preview);
        const SharedState s = build(MakePerson(QStringLiteral("Анна"), 1, 1, 2000), 2025);
        MonthReport::DayCellsGuard guard(holder.report);
        MonthReport::LayOutMonth(holder.report, s.yearTable, 3, 2025, s.personName, testMarks());

        QTemporaryDir dir;
        QPrinter &printer = holder.printer.printer(holder.report);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath(QStringLiteral("printed.pdf")));
        QTimer::singleShot(0, [&] {
            preview.printButton->click(); // stays open after printing
            QVERIFY(preview.isVisible());
            QVERIFY(holder.report.previewing());
            preview.closeButton->click();
        });
        holder.report.previewModal();
        QFile pdf(dir.filePath(QStringLiteral("printed.pdf")));
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        QVERIFY(pdf.readAll().startsWith("%PDF-"));
    }
};

QTEST_MAIN(TestMonthReport)
#include "tst_monthreport.moc"
