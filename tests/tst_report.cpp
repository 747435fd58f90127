// The banded report engine: elements by name, auto size, the enabled flag,
// the page at different resolutions, PDF output, printing and the preview.
#include "model/clock.h"
#include "model/errors.h"
#include "report/reportengine.h"
#include "windows/reportprint.h"

#include <QApplication>
#include <QBuffer>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace ReportEngine;

namespace {

constexpr double MarginPx = 100 * 96.0 / 254.0; // 10 mm in report pixels

// Colour of the page image at the centre of report pixel (x, y) of the band.
QColor bandPixel(const QImage &page, double dpi, int x, int y)
{
    const double scale = dpi / 96.0;
    return page.pixelColor(int((MarginPx + x + 0.5) * scale), int((MarginPx + y + 0.5) * scale));
}

ReportBand &makeBand(Report &report)
{
    return report.addTitleBand(QStringLiteral("QRBand1"), QSize(718, 579));
}

int countPdfPages(const QByteArray &pdf)
{
    return int(pdf.count("/Type /Page\n") + pdf.count("/Type /Page ") + pdf.count("/Type /Page/") +
               pdf.count("/Type /Page>"));
}

} // namespace

class TestReport : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        Clock::setFixed(QDateTime(QDate(2025, 3, 10), QTime(12, 0)));
    }

    void elementsByName()
    {
        Report report;
        ReportBand &band = makeBand(report);
        QCOMPARE(report.band(QStringLiteral("QRBand1")), &band);
        QVERIFY(!report.band(QStringLiteral("QRBand2")));

        ReportLabel &label = band.addLabel(QStringLiteral("NewLabel1"));
        ReportShape &shape = band.addShape(QStringLiteral("QRShape1"));
        ReportImage &image = band.addImage(QStringLiteral("NewImg11"));
        QCOMPARE(band.elements().size(), size_t(3));
        QCOMPARE(band.find(QStringLiteral("NewLabel1")), &label);
        QCOMPARE(band.findAs<ReportShape>(QStringLiteral("QRShape1")), &shape);
        QCOMPARE(band.findAs<ReportImage>(QStringLiteral("NewImg11")), &image);
        // The right name with the wrong kind is not the element asked for.
        QVERIFY(!band.findAs<ReportLabel>(QStringLiteral("QRShape1")));
        QVERIFY(!band.find(QStringLiteral("NewLabel")));
        QVERIFY(!band.find(QString()));

        // New labels start with the report's base font.
        QCOMPARE(label.font().family, report.baseFont.family);
        QCOMPARE(label.font().pointSize, report.baseFont.pointSize);

        // A name is taken until its element is destroyed.
        QVERIFY_THROWS_EXCEPTION(KelvoraError, band.addLabel(QStringLiteral("NewLabel1")));
        QVERIFY_THROWS_EXCEPTION(KelvoraError, band.addImage(QStringLiteral("QRShape1")));
        QVERIFY_THROWS_EXCEPTION(KelvoraError, makeBand(report));
        QVERIFY(band.destroy(QStringLiteral("NewLabel1")));
        QVERIFY(!band.destroy(QStringLiteral("NewLabel1")));
        QVERIFY(!band.find(QStringLiteral("NewLabel1")));
        QCOMPARE(band.elements().size(), size_t(2));
        band.addLabel(QStringLiteral("NewLabel1"));
        // Unnamed elements never collide and cannot be found.
        band.addShape(QString());
        band.addShape(QString());
        QCOMPARE(band.elements().size(), size_t(5));
        QVERIFY(!band.destroy(QString()));
        // Creation order is painting order.
        QCOMPARE(band.elements().front()->name(), QStringLiteral("QRShape1"));
    }

    void autoSize()
    {
        Report report;
        ReportBand &band = makeBand(report);
        ReportFont big;
        big.pointSize = 15;
        big.bold = true;

        ReportLabel &left = band.addLabel(QStringLiteral("L"));
        left.setFont(big);
        left.setGeometry(100, 50, 0, 0);
        left.setCaption(QStringLiteral("31"));
        QCOMPARE(left.geometry(), QRect(100, 50, 0, 0)); // fixed size until asked
        left.setAutoSize(true);
        const QRect r31 = left.geometry();
        QCOMPARE(r31.topLeft(), QPoint(100, 50));
        // 15 pt is 20 report pixels: two digits are wider than one and a line
        // is about as high as the font.
        QVERIFY2(r31.width() >= 16 && r31.width() <= 40, qPrintable(QString::number(r31.width())));
        QVERIFY2(r31.height() >= 20 && r31.height() <= 30, qPrintable(QString::number(r31.height())));
        left.setCaption(QStringLiteral("1"));
        QVERIFY(left.geometry().width() < r31.width());
        QCOMPARE(left.geometry().left(), 100);
        ReportFont small = big;
        small.pointSize = 5;
        left.setFont(small);
        QVERIFY(left.geometry().height() < r31.height() / 2);

        // A right-aligned label keeps its right edge, a centred one its centre.
        ReportLabel &right = band.addLabel(QStringLiteral("R"));
        right.setAlignment(Qt::AlignRight);
        right.setGeometry(69, 100, 60, 7);
        right.setCaption(QStringLiteral("Интеллект"));
        right.setAutoSize(true);
        QCOMPARE(right.geometry().left() + right.geometry().width(), 129);
        right.setCaption(QStringLiteral("Эмоции"));
        QCOMPARE(right.geometry().left() + right.geometry().width(), 129);

        ReportLabel &centre = band.addLabel(QStringLiteral("C"));
        centre.setAlignment(Qt::AlignHCenter);
        centre.setFont(big);
        centre.setGeometry(154, 57, 44, 26);
        centre.setCaption(QStringLiteral("Пн"));
        centre.setAutoSize(true);
        const QRect c = centre.geometry();
        QVERIFY2(qAbs(c.left() + c.width() / 2.0 - 176) <= 0.5, qPrintable(QString::number(c.left())));

        // Auto size off: the place stays as set whatever the text.
        ReportLabel &fixed = band.addLabel(QStringLiteral("F"));
        fixed.setGeometry(48, 0, 305, 34);
        fixed.setCaption(QStringLiteral("Сентябрь"));
        QCOMPARE(fixed.geometry(), QRect(48, 0, 305, 34));
    }

    void pageSizeAtEveryResolution()
    {
        Report report;
        QCOMPARE(report.page.paperSizeMm(), QSizeF(210, 297));
        QCOMPARE(report.paperSizePixels(96, 96), QSize(794, 1123));
        QCOMPARE(report.paperSizePixels(300, 300), QSize(2480, 3508));
        const QImage low = report.renderImage(96);
        const QImage high = report.renderImage(300);
        QCOMPARE(low.size(), QSize(794, 1123));
        QCOMPARE(high.size(), QSize(2480, 3508));
        report.page.orientation = QPageLayout::Landscape;
        QCOMPARE(report.paperSizePixels(96, 96), QSize(1123, 794));
    }

    void sameGeometryAtEveryResolution()
    {
        Report report;
        ReportBand &band = makeBand(report);
        ReportShape &box = band.addShape(QStringLiteral("Box"));
        box.setGeometry(69, 88, 70, 70);
        box.setOutline(Qt::black);
        box.setFill(QColor(255, 255, 220));
        ReportShape &rule = band.addShape(QStringLiteral("Rule"));
        rule.setGeometry(8, 536, 705, 1);
        QImage picture(16, 16, QImage::Format_ARGB32);
        picture.fill(QColor(0, 160, 0));
        ReportImage &image = band.addImage(QStringLiteral("Img"));
        image.setGeometry(300, 300, 99, 99);
        image.setPicture(picture);
        QCOMPARE(image.geometry(), QRect(300, 300, 16, 16)); // own size

        for (double dpi : {96.0, 150.0, 300.0}) {
            const QImage page = report.renderImage(dpi);
            const QString at = QStringLiteral("dpi %1").arg(dpi);
            // Box: outline on its first and last pixel, fill inside, paper outside.
            QCOMPARE(bandPixel(page, dpi, 69, 120), QColor(Qt::black));
            QCOMPARE(bandPixel(page, dpi, 138, 120), QColor(Qt::black));
            QCOMPARE(bandPixel(page, dpi, 100, 88), QColor(Qt::black));
            QCOMPARE(bandPixel(page, dpi, 100, 157), QColor(Qt::black));
            QVERIFY2(bandPixel(page, dpi, 100, 120) == QColor(255, 255, 220), qPrintable(at));
            QVERIFY2(bandPixel(page, dpi, 67, 120) == QColor(Qt::white), qPrintable(at));
            QVERIFY2(bandPixel(page, dpi, 140, 120) == QColor(Qt::white), qPrintable(at));
            // The rule is one report pixel, whatever the device makes of it.
            QCOMPARE(bandPixel(page, dpi, 400, 536), QColor(Qt::black));
            QCOMPARE(bandPixel(page, dpi, 400, 535), QColor(Qt::white));
            QCOMPARE(bandPixel(page, dpi, 400, 537), QColor(Qt::white));
            // The picture covers 16 report pixels, not 16 device pixels.
            QCOMPARE(bandPixel(page, dpi, 308, 308), QColor(0, 160, 0));
            QCOMPARE(bandPixel(page, dpi, 315, 315), QColor(0, 160, 0));
            QCOMPARE(bandPixel(page, dpi, 317, 317), QColor(Qt::white));
            // Nothing lands in the top margin.
            for (int x = 0; x < page.width(); x += 7)
                QCOMPARE(page.pixelColor(x, int(30 * dpi / 96)), QColor(Qt::white));
        }
    }

    void enabledFlagDecidesPrinting()
    {
        Report report;
        ReportBand &band = makeBand(report);
        ReportShape &shape = band.addShape(QStringLiteral("QRShape41"));
        shape.setGeometry(69, 448, 70, 70);
        shape.setFill(Qt::red);
        ReportLabel &label = band.addLabel(QStringLiteral("QRLabel26"));
        label.setGeometry(200, 448, 100, 30);
        label.setFont(ReportFont{QStringLiteral("Tahoma"), 20, true, Qt::black});
        label.setCaption(QStringLiteral("ЖЖЖ"));

        auto darkInLabel = [&](const QImage &page) {
            int dark = 0;
            for (int y = 448; y < 478; ++y)
                for (int x = 200; x < 300; ++x)
                    dark += bandPixel(page, 96, x, y).lightness() < 100;
            return dark;
        };
        QImage page = report.renderImage(96);
        QCOMPARE(bandPixel(page, 96, 100, 480), QColor(Qt::red));
        QVERIFY(darkInLabel(page) > 50);

        shape.setEnabled(false);
        label.setEnabled(false);
        page = report.renderImage(96);
        QCOMPARE(bandPixel(page, 96, 100, 480), QColor(Qt::white));
        QCOMPARE(bandPixel(page, 96, 69, 480), QColor(Qt::white));
        QCOMPARE(darkInLabel(page), 0);
    }

    void labelBackgroundAndAlignment()
    {
        Report report;
        ReportBand &band = makeBand(report);
        ReportShape &back = band.addShape(QString());
        back.setGeometry(0, 0, 400, 200);
        back.setOutline(Qt::blue);
        back.setFill(Qt::blue);
        ReportFont f{QStringLiteral("Tahoma"), 20, true, Qt::red};

        ReportLabel &white = band.addLabel(QStringLiteral("W"));
        white.setGeometry(10, 10, 300, 34);
        white.setFont(f);
        white.setCaption(QStringLiteral("1"));
        ReportLabel &clear = band.addLabel(QStringLiteral("T"));
        clear.setGeometry(10, 100, 300, 34);
        clear.setFont(f);
        clear.setTransparent(true);
        clear.setCaption(QStringLiteral("1"));
        ReportLabel &right = band.addLabel(QStringLiteral("R"));
        right.setGeometry(10, 50, 300, 34);
        right.setFont(f);
        right.setAlignment(Qt::AlignRight);
        right.setCaption(QStringLiteral("2025"));

        const QImage page = report.renderImage(96);
        // White background behind the text, blue through a transparent label.
        QCOMPARE(bandPixel(page, 96, 250, 30), QColor(Qt::white));
        QCOMPARE(bandPixel(page, 96, 250, 120), QColor(Qt::blue));
        // Red text at the left of the left-aligned label, at the right of the
        // right-aligned one.
        auto redIn = [&](int x0, int x1, int y0) {
            int red = 0;
            for (int y = y0; y < y0 + 34; ++y)
                for (int x = x0; x < x1; ++x) {
                    const QColor c = bandPixel(page, 96, x, y);
                    red += c.red() > 200 && c.green() < 100 && c.blue() < 100;
                }
            return red;
        };
        QVERIFY(redIn(10, 40, 10) > 10);
        QCOMPARE(redIn(40, 310, 10), 0);
        QVERIFY(redIn(230, 310, 50) > 10);
        QCOMPARE(redIn(10, 200, 50), 0);
    }

    void pdfHasThePaperSizeAndTheSamePage()
    {
        Report report;
        ReportBand &band = makeBand(report);
        ReportShape &box = band.addShape(QStringLiteral("Box"));
        box.setGeometry(69, 88, 70, 70);
        box.setFill(QColor(255, 255, 220));
        band.addShape(QStringLiteral("Rule")).setGeometry(8, 536, 705, 1);

        QBuffer buffer;
        QVERIFY(buffer.open(QIODevice::WriteOnly));
        QVERIFY(report.writePdf(&buffer));
        const QByteArray pdf = buffer.data();
        QVERIFY(pdf.startsWith("%PDF-"));
        QCOMPARE(countPdfPages(pdf), 1);
        // A4 in points: 595.3 x 841.9.
        const QRegularExpression mediaBox(QStringLiteral("/MediaBox \\[0 0 ([0-9.]+) ([0-9.]+)\\]"));
        const auto m = mediaBox.match(QString::fromLatin1(pdf));
        QVERIFY(m.hasMatch());
        QVERIFY(qAbs(m.captured(1).toDouble() - 595.28) < 0.5);
        QVERIFY(qAbs(m.captured(2).toDouble() - 841.89) < 0.5);

        QVERIFY(!report.writePdf(QStringLiteral("/nonexistent-dir/x.pdf")));

        const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
        if (pdftoppm.isEmpty())
            QSKIP("pdftoppm is not installed");
        QTemporaryDir dir;
        const QString pdfPath = dir.filePath(QStringLiteral("page.pdf"));
        QVERIFY(report.writePdf(pdfPath));
        QCOMPARE(QProcess::execute(pdftoppm, {QStringLiteral("-r"), QStringLiteral("96"), QStringLiteral("-png"),
                                              QStringLiteral("-singlefile"), pdfPath, dir.filePath(QStringLiteral("page"))}),
                 0);
        const QImage fromPdf(dir.filePath(QStringLiteral("page.png")));
        QCOMPARE(fromPdf.size(), QSize(794, 1123));
        QCOMPARE(bandPixel(fromPdf, 96, 69, 120), QColor(Qt::black));
        QCOMPARE(bandPixel(fromPdf, 96, 100, 120), QColor(255, 255, 220));
        QCOMPARE(bandPixel(fromPdf, 96, 67, 120), QColor(Qt::white));
        QCOMPARE(bandPixel(fromPdf, 96, 400, 536).lightness() < 128, true);
    }

    void printsCopiesAndRangeToPdf()
    {
        Report report;
        makeBand(report).addShape(QStringLiteral("Rule")).setGeometry(8, 40, 705, 1);
        QTemporaryDir dir;
        ReportPrinter settings;
        QPrinter &printer = settings.printer(report);
        QCOMPARE(printer.copyCount(), 1);
        QCOMPARE(printer.printRange(), QPrinter::AllPages);
        QCOMPARE(printer.pageLayout().orientation(), QPageLayout::Portrait);
        QCOMPARE(printer.pageLayout().pageSize().id(), QPageSize::A4);
        QCOMPARE(printer.duplex(), QPrinter::DuplexNone);
        QCOMPARE(&settings.printer(report), &printer); // kept, not made anew

        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath(QStringLiteral("one.pdf")));
        QVERIFY(settings.print(report, nullptr));
        QFile one(dir.filePath(QStringLiteral("one.pdf")));
        QVERIFY(one.open(QIODevice::ReadOnly));
        QCOMPARE(countPdfPages(one.readAll()), 1);

        printer.setCopyCount(3);
        printer.setOutputFileName(dir.filePath(QStringLiteral("three.pdf")));
        QVERIFY(settings.print(report, nullptr));
        QFile three(dir.filePath(QStringLiteral("three.pdf")));
        QVERIFY(three.open(QIODevice::ReadOnly));
        QCOMPARE(countPdfPages(three.readAll()), 3);

        // A page range past the last page prints nothing.
        printer.setCopyCount(1);
        printer.setPrintRange(QPrinter::PageRange);
        printer.setFromTo(2, 2);
        printer.setOutputFileName(dir.filePath(QStringLiteral("none.pdf")));
        QVERIFY(settings.print(report, nullptr));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("none.pdf"))));

        // A file that cannot be written is reported, not passed over.
        printer.setPrintRange(QPrinter::AllPages);
        printer.setOutputFileName(QStringLiteral("/nonexistent-dir/x.pdf"));
        QVERIFY_THROWS_EXCEPTION(KelvoraError, settings.print(report, nullptr));
    }

    void withoutAPrinterPrintingOffersTheSetupFirst()
    {
        Report report;
        makeBand(report);
        ReportPrinter settings;
        QPrinter &printer = settings.printer(report);
        if (!printer.printerName().isEmpty())
            QSKIP("a printer is installed here");
        QString seen;
        QTimer::singleShot(0, [&] {
            if (QWidget *dialog = QApplication::activeModalWidget()) {
                seen = dialog->objectName();
                QMetaObject::invokeMethod(dialog, "reject");
            }
        });
        // Cancelled: nothing printed and no error.
        QVERIFY(!settings.print(report, nullptr));
        QCOMPARE(seen, QStringLiteral("PrinterSetup"));
    }

    void previewWaitsUntilEnded()
    {
        Report report;
        makeBand(report);
        // Nothing to show the page: no wait.
        report.previewModal();
        QVERIFY(!report.previewing());

        int shown = 0;
        bool endedInside = false;
        report.onPreview = [&](Report &r) {
            ++shown;
            QVERIFY(r.previewing());
            QTimer::singleShot(10, [&] {
                endedInside = r.previewing();
                r.endPreview();
            });
        };
        report.previewModal();
        QCOMPARE(shown, 1);
        QVERIFY(endedInside);
        QVERIFY(!report.previewing());

        // A preview window that fails to show ends the preview too.
        report.onPreview = [](Report &) { throw KelvoraError(QStringLiteral("no window")); };
        QVERIFY_THROWS_EXCEPTION(KelvoraError, report.previewModal());
        QVERIFY(!report.previewing());

        // Ended before the wait begins: no wait at all.
        report.onPreview = [](Report &r) { r.endPreview(); };
        report.previewModal();
        QVERIFY(!report.previewing());
    }

    void previewShowsThePageAtFullSize()
    {
        Report report;
        ReportShape &box = makeBand(report).addShape(QStringLiteral("Box"));
        box.setGeometry(0, 0, 70, 70);
        box.setFill(QColor(0, 0, 200));

        ReportPreview preview;
        preview.resize(545, 374);
        preview.setReport(&report);
        QCOMPARE(preview.report(), &report);
        QWidget *page = preview.widget();
        QCOMPARE(page->size(), QSize(794, 1123) + QSize(2 * ReportPreview::Desk, 2 * ReportPreview::Desk));
        const QImage shot = page->grab().toImage();
        const int origin = ReportPreview::Desk + int(MarginPx + 0.5);
        QCOMPARE(shot.pixelColor(origin + 35, origin + 35), QColor(0, 0, 200));
        QCOMPARE(shot.pixelColor(ReportPreview::Desk + 5, ReportPreview::Desk + 5), QColor(Qt::white));
        QCOMPARE(shot.pixelColor(3, 3), QColor(128, 128, 128));

        preview.clear();
        QVERIFY(!preview.report());
        const QImage empty = page->grab().toImage();
        QCOMPARE(empty.pixelColor(empty.width() / 2, empty.height() / 2), QColor(128, 128, 128));
    }
};

QTEST_MAIN(TestReport)
#include "tst_report.moc"
