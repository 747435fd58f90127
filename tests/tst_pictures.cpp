// The program's own pictures: sizes, that each shows something, that pictures
// shown side by side can be told apart, the opaque silver of the calendar
// pictures, and that a bad index never crashes.
#include "resources/pictures.h"
#include "testsupport.h"

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QtTest>

#include <functional>
#include <vector>

namespace {

QImage argb(const QImage &image)
{
    return image.convertToFormat(QImage::Format_ARGB32);
}

QImage argb(const QPixmap &pixmap)
{
    return argb(pixmap.toImage());
}

int countPixels(const QImage &image, const std::function<bool(QRgb)> &test)
{
    const QImage img = argb(image);
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += test(img.pixel(x, y)) ? 1 : 0;
    return n;
}

int visiblePixels(const QImage &image)
{
    return countPixels(image, [](QRgb p) { return qAlpha(p) > 32; });
}

// Pixels that a person would see as different (colour or coverage).
int differingPixels(const QImage &a, const QImage &b)
{
    const QImage ia = argb(a), ib = argb(b);
    if (ia.size() != ib.size())
        return ia.width() * ia.height();
    int n = 0;
    for (int y = 0; y < ia.height(); ++y) {
        for (int x = 0; x < ia.width(); ++x) {
            const QRgb p = ia.pixel(x, y), q = ib.pixel(x, y);
            const int d = qMax(qMax(qAbs(qRed(p) - qRed(q)), qAbs(qGreen(p) - qGreen(q))),
                               qMax(qAbs(qBlue(p) - qBlue(q)), qAbs(qAlpha(p) - qAlpha(q))));
            n += d > 40 ? 1 : 0;
        }
    }
    return n;
}

// Every pair of pictures differs in at least `minimum` pixels.
void verifyPairwiseDifferent(const std::vector<std::pair<QString, QImage>> &pictures, int minimum)
{
    for (size_t i = 0; i < pictures.size(); ++i) {
        for (size_t j = i + 1; j < pictures.size(); ++j) {
            const int d = differingPixels(pictures[i].second, pictures[j].second);
            QVERIFY2(d >= minimum, qPrintable(QStringLiteral("%1 and %2 differ in only %3 pixels")
                                                  .arg(pictures[i].first, pictures[j].first).arg(d)));
        }
    }
}

bool isSilver(QRgb p)
{
    return qAlpha(p) == 255 && qRed(p) == 192 && qGreen(p) == 192 && qBlue(p) == 192;
}

bool hasColour(const QImage &image, int r, int g, int b)
{
    return countPixels(image, [=](QRgb p) {
               return qAlpha(p) == 255 && qAbs(qRed(p) - r) <= 8 && qAbs(qGreen(p) - g) <= 8 && qAbs(qBlue(p) - b) <= 8;
           }) > 0;
}

// A small menu picture: exact 16 x 16 at scale 1, 32 x 32 device pixels on a doubled screen.
void verifyMenuIcon(const QIcon &icon, const QString &what)
{
    QVERIFY2(!icon.isNull(), qPrintable(what));
    const QPixmap one = icon.pixmap(QSize(16, 16), 1.0);
    QCOMPARE(one.size(), QSize(16, 16));
    const QPixmap two = icon.pixmap(QSize(16, 16), 2.0);
    QCOMPARE(two.size(), QSize(32, 32));
    QVERIFY2(visiblePixels(two.toImage()) > 4 * visiblePixels(one.toImage()) - 64, qPrintable(what));
}

} // namespace

class TestPictures : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { TestSupport::SetUpLocaleAndClock(QDateTime(QDate(2024, 3, 15), QTime(12, 0))); }

    void personPictures()
    {
        QCOMPARE(Pictures::imageList1Count(), 33);
        std::vector<std::pair<QString, QImage>> all;
        for (int i = 0; i < Pictures::imageList1Count(); ++i) {
            const QString name = QStringLiteral("person %1").arg(i);
            const QPixmap pixmap = Pictures::imageList1Pixmap(i);
            QCOMPARE(pixmap.size(), QSize(16, 16));
            QVERIFY2(visiblePixels(pixmap.toImage()) >= 60, qPrintable(name));
            // Transparent around the figure, so it sits on any menu colour.
            QVERIFY2(qAlpha(argb(pixmap).pixel(0, 0)) == 0 || qAlpha(argb(pixmap).pixel(15, 0)) == 0, qPrintable(name));
            verifyMenuIcon(Pictures::imageList1(i), name);
            all.push_back({name, pixmap.toImage()});
        }
        // The picture list and the menu show faces side by side; the balloon
        // replaces a face on a birthday and must not pass for one.
        verifyPairwiseDifferent(all, 12);
    }

    void commandPictures()
    {
        QCOMPARE(Pictures::imageList2Count(), 11);
        std::vector<std::pair<QString, QImage>> shown;
        for (int i = 0; i < Pictures::imageList2Count(); ++i) {
            const QString name = QStringLiteral("command %1").arg(i);
            const QPixmap pixmap = Pictures::imageList2Pixmap(i);
            QCOMPARE(pixmap.size(), QSize(16, 16));
            if (i == 1) {
                // The unused slot is fully transparent at every scale.
                QCOMPARE(countPixels(pixmap.toImage(), [](QRgb p) { return qAlpha(p) != 0; }), 0);
                const QPixmap two = Pictures::imageList2(1).pixmap(QSize(16, 16), 2.0);
                QCOMPARE(countPixels(two.toImage(), [](QRgb p) { return qAlpha(p) != 0; }), 0);
                continue;
            }
            QVERIFY2(visiblePixels(pixmap.toImage()) >= 50, qPrintable(name));
            verifyMenuIcon(Pictures::imageList2(i), name);
            shown.push_back({name, pixmap.toImage()});
        }
        verifyPairwiseDifferent(shown, 12);

        // The birthday tray icon is not the person's birthday balloon.
        QVERIFY(differingPixels(Pictures::imageList2Pixmap(Pictures::TrayBirthdayPicture).toImage(),
                                Pictures::imageList1Pixmap(Pictures::BirthdayPicture).toImage())
                >= 12);
        QVERIFY(differingPixels(Pictures::imageList2Pixmap(Pictures::TrayBirthdayPicture).toImage(),
                                Pictures::imageList2Pixmap(Pictures::TrayOrdinaryPicture).toImage())
                >= 12);
    }

    void fixedItemPictures()
    {
        std::vector<std::pair<QString, QImage>> all;
        for (const char *name : {"heart", "wrench", "exit", "envelope", "house", "bubble", "gear"}) {
            const QIcon icon = Pictures::fixedItem(QLatin1String(name));
            verifyMenuIcon(icon, QLatin1String(name));
            const QImage image = icon.pixmap(QSize(16, 16), 1.0).toImage();
            QVERIFY2(visiblePixels(image) >= 50, name);
            all.push_back({QLatin1String(name), image});
        }
        verifyPairwiseDifferent(all, 12);

        QVERIFY(Pictures::fixedItem(QString()).isNull());
        QVERIFY(Pictures::fixedItem(QStringLiteral("Heart")).isNull());
        QVERIFY(Pictures::fixedItem(QStringLiteral("../people/00")).isNull());
    }

    void markPictures()
    {
        QCOMPARE(Pictures::emotionCount(), 4);
        std::vector<std::pair<QString, QImage>> all;
        auto isRed = [](QRgb p) { return qAlpha(p) == 255 && qRed(p) >= 200 && qGreen(p) <= 60 && qBlue(p) <= 60; };
        auto isYellow = [](QRgb p) { return qAlpha(p) == 255 && qRed(p) >= 220 && qGreen(p) >= 170 && qBlue(p) <= 110; };
        for (int i = 0; i < Pictures::emotionCount(); ++i) {
            const QImage image = Pictures::emotion(i);
            QCOMPARE(image.size(), QSize(16, 16));
            QCOMPARE(image.format(), QImage::Format_ARGB32);
            // A yellow face filling most of the square.
            QVERIFY2(countPixels(image, isYellow) >= 90, qPrintable(QString::number(i)));
            // Red eyes and horns belong to the critical-day face alone.
            if (i == 2)
                QVERIFY(countPixels(image, isRed) >= 8);
            else
                QCOMPARE(countPixels(image, isRed), 0);
            all.push_back({QStringLiteral("mark %1").arg(i), image});
        }
        verifyPairwiseDifferent(all, 5);
    }

    void calendarPictures()
    {
        const QImage left = argb(Pictures::calendarArrow(false));
        const QImage right = argb(Pictures::calendarArrow(true));
        for (const QImage &arrow : {left, right}) {
            QCOMPARE(arrow.size(), QSize(16, 15));
            QCOMPARE(countPixels(arrow, [](QRgb p) { return qAlpha(p) != 255; }), 0);
            QVERIFY(isSilver(arrow.pixel(0, 0)) && isSilver(arrow.pixel(15, 14)));
            QVERIFY(countPixels(arrow, isSilver) >= 100);
            // The arrow itself is lighter than the silver around it.
            QVERIFY(countPixels(arrow, [](QRgb p) { return qGray(p) >= 215; }) >= 20);
        }
        // One arrow, turned: the face of the right one is the left one's mirrored
        // (the light still falls from the top left on both).
        auto face = [](const QImage &arrow) {
            QImage mask(arrow.size(), QImage::Format_Mono);
            mask.fill(0);
            for (int y = 0; y < arrow.height(); ++y)
                for (int x = 0; x < arrow.width(); ++x)
                    mask.setPixel(x, y, qGray(arrow.pixel(x, y)) >= 215 && qGray(arrow.pixel(x, y)) < 250 ? 1 : 0);
            return mask;
        };
        QCOMPARE(face(left).mirrored(true, false), face(right));
        QVERIFY(face(left) != face(right));

        struct Glyph {
            int r, g, b;
        };
        const Glyph glyphs[] = {{0, 0, 0}, {128, 0, 0}, {0, 0, 0}, {255, 0, 0}};
        QCOMPARE(Pictures::helpImageCount(), 4);
        std::vector<std::pair<QString, QImage>> all;
        for (int i = 0; i < Pictures::helpImageCount(); ++i) {
            const QImage image = argb(Pictures::helpImage(i));
            QCOMPARE(image.size(), QSize(16, 16));
            QCOMPARE(countPixels(image, [](QRgb p) { return qAlpha(p) != 255; }), 0);
            QVERIFY(isSilver(image.pixel(0, 0)) && isSilver(image.pixel(15, 15)));
            // Nothing but silver and the glyph's own colour.
            const Glyph c = glyphs[i];
            const int glyph = countPixels(image, [c](QRgb p) { return qRed(p) == c.r && qGreen(p) == c.g && qBlue(p) == c.b; });
            QVERIFY2(glyph >= 12, qPrintable(QString::number(i)));
            QCOMPARE(glyph + countPixels(image, isSilver), 256);
            all.push_back({QStringLiteral("help %1").arg(i), image});
        }
        verifyPairwiseDifferent(all, 8);
        QVERIFY(hasColour(all[1].second, 128, 0, 0));
    }

    void programIcon()
    {
        for (int size : {16, 32, 48, 256}) {
            const QPixmap pixmap = Pictures::programIconPixmap(size);
            QCOMPARE(pixmap.size(), QSize(size, size));
            QVERIFY(visiblePixels(pixmap.toImage()) >= size * size / 2);
        }
        const QIcon icon = Pictures::programIcon();
        QVERIFY(!icon.isNull());
        QCOMPARE(icon.pixmap(QSize(32, 32), 1.0).size(), QSize(32, 32));
        QVERIFY(icon.availableSizes().contains(QSize(48, 48)));
    }

    void badIndicesGiveNullPictures()
    {
        for (int i : {-1, 33, 1000, INT_MIN, INT_MAX}) {
            QVERIFY(Pictures::imageList1(i).isNull());
            QVERIFY(Pictures::imageList1Pixmap(i).isNull());
        }
        for (int i : {-1, 11, INT_MAX}) {
            QVERIFY(Pictures::imageList2(i).isNull());
            QVERIFY(Pictures::imageList2Pixmap(i).isNull());
        }
        for (int i : {-1, 4, INT_MIN}) {
            QVERIFY(Pictures::emotion(i).isNull());
            QVERIFY(Pictures::helpImage(i).isNull());
        }
        for (int size : {0, -16, 100000})
            QVERIFY(Pictures::programIconPixmap(size).isNull());
    }

    void repeatedRequestsGiveTheSamePicture()
    {
        // The menu is rebuilt every day and after each change: the pictures
        // must come out the same every time.
        const QImage first = Pictures::imageList1Pixmap(5).toImage();
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(Pictures::imageList1Pixmap(5).toImage(), first);
            QCOMPARE(Pictures::emotion(2), Pictures::emotion(2));
        }
    }
};

QTEST_MAIN(TestPictures)
#include "tst_pictures.moc"
