#include "resources/pictures.h"

#include <QApplication>
#include <QFile>
#include <QHash>
#include <QIconEngine>
#include <QImageReader>
#include <QMutex>
#include <QMutexLocker>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

#include <array>

namespace Pictures {
namespace {

constexpr int PeopleCount = 33;
constexpr int CommandCount = 11;
constexpr int EmotionCount = 4;
constexpr int HelpCount = 4;

// Largest size anyone may ask the program icon for; beyond it a caller's bug
// would only cost memory.
constexpr int MaxIconSize = 1024;

// The square sizes a picture may have been rendered in (resources/CMakeLists.txt
// says which each has).
constexpr int RenderedSides[] = {16, 22, 24, 32, 48, 64, 128, 256};

const char *const FixedItemNames[] = {"heart", "wrench", "exit", "envelope", "house", "bubble", "gear"};

QString renderedPath(const QString &stem, QSize size)
{
    return stem + QStringLiteral("-%1x%2.png").arg(size.width()).arg(size.height());
}

// Decoded pictures by resource path. Images, not pixmaps: they need no
// running GUI and may outlive the application object. A missing picture
// gives a null image.
QImage decoded(const QString &path)
{
    static QMutex lock;
    static QHash<QString, QImage> images;
    QMutexLocker locker(&lock);
    auto found = images.constFind(path);
    if (found != images.constEnd())
        return *found;
    // Qt's own PNG reader only: left to guess, the reader first loads every
    // image plugin on the system to ask whether it reads PNG.
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    QImage image = reader.read();
    if (!image.isNull())
        image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    images.insert(path, image);
    return image;
}

// The sizes `stem` was rendered in, smallest first.
QList<QSize> renderedSizes(const QString &stem)
{
    QList<QSize> sizes;
    for (int side : RenderedSides) {
        if (QFile::exists(renderedPath(stem, QSize(side, side))))
            sizes << QSize(side, side);
    }
    return sizes;
}

// The picture `stem` at side x side pixels: the rendering of that size, or
// the next larger one (else the largest) scaled smoothly.
QImage square(const QString &stem, const QList<QSize> &sizes, int side)
{
    if (sizes.isEmpty() || side <= 0)
        return QImage();
    QSize best = sizes.last();
    for (const QSize &size : sizes) {
        if (size.width() >= side) {
            best = size;
            break;
        }
    }
    const QImage image = decoded(renderedPath(stem, best));
    if (image.isNull() || best.width() == side)
        return image;
    return image.scaled(side, side, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QPixmap pixmapOf(const QImage &image) { return image.isNull() ? QPixmap() : QPixmap::fromImage(image); }

// Gives a picture at the size that is asked for, when it is asked for: a menu
// decodes only what it shows.
class RenderedIconEngine : public QIconEngine {
public:
    explicit RenderedIconEngine(QString stem) : m_stem(std::move(stem)) {}
    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal dpr = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        painter->drawPixmap(rect, pixmap(rect.size() * dpr, mode, state));
    }
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State) override
    {
        const int side = qMin(qMin(size.width(), size.height()), MaxIconSize);
        QPixmap pm = pixmapOf(square(m_stem, sizes(), side));
        if (mode != QIcon::Normal && !pm.isNull()) {
            if (auto *app = qobject_cast<QApplication *>(QCoreApplication::instance())) {
                QStyleOption option;
                option.palette = QApplication::palette();
                const QPixmap styled = app->style()->generatedIconPixmap(mode, pm, &option);
                if (!styled.isNull())
                    pm = styled;
            }
        }
        return pm;
    }
    QSize actualSize(const QSize &size, QIcon::Mode, QIcon::State) override
    {
        const int side = qMin(qMin(size.width(), size.height()), MaxIconSize);
        return QSize(side, side);
    }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override { return sizes(); }
    QIconEngine *clone() const override { return new RenderedIconEngine(m_stem); }
    QString key() const override { return QStringLiteral("KelvoraRenderedIcon"); }

private:
    const QList<QSize> &sizes()
    {
        if (!m_sizesKnown) {
            m_sizes = renderedSizes(m_stem);
            m_sizesKnown = true;
        }
        return m_sizes;
    }

    QString m_stem;
    QList<QSize> m_sizes;
    bool m_sizesKnown = false;
};

QIcon iconOf(const QString &stem) { return QIcon(new RenderedIconEngine(stem)); }

QString peopleStem(int index)
{
    return QStringLiteral(":/pictures/people/%1").arg(index, 2, 10, QLatin1Char('0'));
}

QString commandStem(int index) { return QStringLiteral(":/pictures/commands/%1").arg(index); }

const QString &programIconStem()
{
    static const QString stem = QStringLiteral(":/pictures/kelvora");
    return stem;
}

bool validPerson(int index) { return index >= 0 && index < PeopleCount; }
bool validCommand(int index) { return index >= 0 && index < CommandCount; }

// One icon per picture, shared by every menu item that shows it.
template <std::size_t N>
QIcon shared(std::array<QIcon, N> &icons, int index, const QString &stem)
{
    QIcon &icon = icons[std::size_t(index)];
    if (icon.isNull())
        icon = iconOf(stem);
    return icon;
}

} // namespace

int imageList1Count() { return PeopleCount; }
int imageList2Count() { return CommandCount; }
int emotionCount() { return EmotionCount; }
int helpImageCount() { return HelpCount; }

QIcon imageList1(int index)
{
    static std::array<QIcon, PeopleCount> icons;
    return validPerson(index) ? shared(icons, index, peopleStem(index)) : QIcon();
}

QPixmap imageList1Pixmap(int index)
{
    return validPerson(index) ? pixmapOf(decoded(renderedPath(peopleStem(index), QSize(16, 16)))) : QPixmap();
}

QIcon imageList2(int index)
{
    static std::array<QIcon, CommandCount> icons;
    return validCommand(index) ? shared(icons, index, commandStem(index)) : QIcon();
}

QPixmap imageList2Pixmap(int index)
{
    return validCommand(index) ? pixmapOf(decoded(renderedPath(commandStem(index), QSize(16, 16)))) : QPixmap();
}

QIcon fixedItem(const QString &name)
{
    static std::array<QIcon, std::size(FixedItemNames)> icons;
    for (std::size_t i = 0; i < std::size(FixedItemNames); ++i) {
        if (name == QLatin1String(FixedItemNames[i]))
            return shared(icons, int(i), QStringLiteral(":/pictures/items/") + name);
    }
    return QIcon();
}

QImage emotion(int index)
{
    if (index < 0 || index >= EmotionCount)
        return QImage();
    const QImage image = decoded(QStringLiteral(":/pictures/marks/%1-16x16.png").arg(index));
    return image.isNull() ? image : image.convertToFormat(QImage::Format_ARGB32);
}

QPixmap calendarArrow(bool pointsRight)
{
    return pixmapOf(decoded(pointsRight ? QStringLiteral(":/pictures/calendar/arrow_right-16x15.png")
                                        : QStringLiteral(":/pictures/calendar/arrow_left-16x15.png")));
}

QPixmap helpImage(int index)
{
    if (index < 0 || index >= HelpCount)
        return QPixmap();
    return pixmapOf(decoded(QStringLiteral(":/pictures/calendar/help%1-16x16.png").arg(index)));
}

QIcon programIcon()
{
    static QIcon icon;
    if (icon.isNull())
        icon = iconOf(programIconStem());
    return icon;
}

QPixmap programIconPixmap(int size)
{
    if (size <= 0 || size > MaxIconSize)
        return QPixmap();
    return pixmapOf(square(programIconStem(), renderedSizes(programIconStem()), size));
}

} // namespace Pictures
