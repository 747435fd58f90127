// Renders every picture of the program into one PNG so the artwork can be
// looked at as a whole: each picture at its own size on a light and on a dark
// background, at the doubled size used on scaled screens, and its real pixels
// magnified four times.
//
//   bench_contactsheet [output.png]      (default: contactsheet.png)

#include "resources/pictures.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QStringList>

#include <cstdio>
#include <functional>
#include <vector>

namespace {

struct Entry {
    QString label;
    QImage one;  // at its own size
    QImage two;  // at twice the size, as a scaled screen gets it
};

QImage iconImage(const QIcon &icon, int size)
{
    return icon.pixmap(QSize(size, size), 1.0).toImage();
}

constexpr int CellWidth = 132;
constexpr int CellHeight = 104;
constexpr int Columns = 9;

void drawEntry(QPainter &p, const Entry &e, int x, int y)
{
    const QImage &one = e.one;
    // Real pixels, magnified 4x without smoothing, on a checkerboard to show transparency.
    const int zw = one.width() * 4, zh = one.height() * 4;
    for (int cy = 0; cy < zh; cy += 8)
        for (int cx = 0; cx < zw; cx += 8)
            p.fillRect(x + 4 + cx, y + 4 + cy, 8, 8, ((cx + cy) / 8) % 2 ? QColor(230, 230, 230) : QColor(255, 255, 255));
    p.drawImage(QRect(x + 4, y + 4, zw, zh), one.scaled(zw, zh, Qt::IgnoreAspectRatio, Qt::FastTransformation));
    p.setPen(QColor(180, 180, 180));
    p.drawRect(x + 3, y + 3, zw + 1, zh + 1);

    // Own size on a menu-like light background and on a dark panel.
    p.fillRect(x + 74, y + 4, 24, 24, QColor(240, 240, 240));
    p.drawImage(x + 78, y + 8, one);
    p.fillRect(x + 100, y + 4, 24, 24, QColor(40, 44, 52));
    p.drawImage(x + 104, y + 8, one);
    // Doubled.
    if (!e.two.isNull()) {
        p.fillRect(x + 74, y + 32, 40, 40, QColor(240, 240, 240));
        p.drawImage(x + 78, y + 36, e.two);
    }

    p.setPen(Qt::black);
    p.drawText(QRect(x + 2, y + 74, CellWidth - 4, 28), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, e.label);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString output = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("contactsheet.png");

    std::vector<std::pair<QString, std::vector<Entry>>> sections;

    std::vector<Entry> people;
    for (int i = 0; i < Pictures::imageList1Count(); ++i)
        people.push_back({QStringLiteral("people/%1").arg(i, 2, 10, QLatin1Char('0')),
                          Pictures::imageList1Pixmap(i).toImage(), iconImage(Pictures::imageList1(i), 32)});
    sections.push_back({QStringLiteral("Person pictures"), people});

    const QStringList commandNames = {"broken heart", "empty", "heart monitor", "pencil", "printer",
                                      "spreadsheet", "screen", "floppy", "two people", "balloons"};
    std::vector<Entry> commands;
    for (int i = 0; i < Pictures::imageList2Count(); ++i)
        commands.push_back({QStringLiteral("commands/%1 %2").arg(i).arg(commandNames.value(i)),
                            Pictures::imageList2Pixmap(i).toImage(), iconImage(Pictures::imageList2(i), 32)});
    sections.push_back({QStringLiteral("Command pictures"), commands});

    std::vector<Entry> items;
    for (const char *name : {"heart", "wrench", "exit", "envelope", "house", "bubble", "gear"}) {
        const QIcon icon = Pictures::fixedItem(QLatin1String(name));
        items.push_back({QStringLiteral("items/%1").arg(QLatin1String(name)), iconImage(icon, 16), iconImage(icon, 32)});
    }
    sections.push_back({QStringLiteral("Fixed menu items"), items});

    std::vector<Entry> misc;
    const QStringList markNames = {"+ laughing", "- sad", "K angry", "0 straight"};
    for (int i = 0; i < Pictures::emotionCount(); ++i)
        misc.push_back({QStringLiteral("marks/%1 %2").arg(i).arg(markNames.value(i)), Pictures::emotion(i), {}});
    misc.push_back({QStringLiteral("arrow left"), Pictures::calendarArrow(false).toImage(), {}});
    misc.push_back({QStringLiteral("arrow right"), Pictures::calendarArrow(true).toImage(), {}});
    for (int i = 0; i < Pictures::helpImageCount(); ++i)
        misc.push_back({QStringLiteral("help%1").arg(i), Pictures::helpImage(i).toImage(), {}});
    sections.push_back({QStringLiteral("Marks and calendar"), misc});

    // The program icon at the sizes it is used at.
    std::vector<QImage> programSizes;
    for (int size : {16, 32, 48, 128})
        programSizes.push_back(Pictures::programIconPixmap(size).toImage());

    int rows = 0;
    for (const auto &section : sections)
        rows += (int(section.second.size()) + Columns - 1) / Columns;
    const int width = Columns * CellWidth + 8;
    const int height = int(sections.size()) * 24 + rows * CellHeight + 24 + 140 + 8;

    QImage sheet(width, height, QImage::Format_ARGB32);
    sheet.fill(Qt::white);
    QPainter p(&sheet);
    QFont font = p.font();
    font.setPixelSize(11);
    p.setFont(font);

    int y = 4;
    for (const auto &section : sections) {
        QFont bold = font;
        bold.setBold(true);
        p.setFont(bold);
        p.drawText(6, y + 16, section.first);
        p.setFont(font);
        y += 24;
        for (size_t i = 0; i < section.second.size(); ++i) {
            const int col = int(i) % Columns;
            if (i > 0 && col == 0)
                y += CellHeight;
            drawEntry(p, section.second[i], 4 + col * CellWidth, y);
        }
        y += CellHeight;
    }

    QFont bold = font;
    bold.setBold(true);
    p.setFont(bold);
    p.drawText(6, y + 16, QStringLiteral("Program icon (16, 32, 48, 128; 32 at 4x)"));
    p.setFont(font);
    y += 24;
    int x = 8;
    for (const QImage &img : programSizes) {
        p.drawImage(x, y, img);
        x += img.width() + 12;
    }
    const QImage &i32 = programSizes[1];
    p.drawImage(QRect(x, y, 128, 128), i32.scaled(128, 128, Qt::IgnoreAspectRatio, Qt::FastTransformation));
    x += 140;
    p.fillRect(x, y, 140, 140, QColor(40, 44, 52));
    p.drawImage(x + 6, y + 6, programSizes[3]);
    p.end();

    if (!sheet.save(output)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(output));
        return 1;
    }
    std::printf("%s\n", qPrintable(output));
    return 0;
}
