#include "resources/pictures.h"

#include <QApplication>
#include <QHash>
#include <QStyle>
#include <QStyleOption>
#include <QIconEngine>
#include <QMutex>
#include <QMutexLocker>
#include <QPainter>
#include <QSvgRenderer>

#include <memory>

namespace Pictures {
namespace {

constexpr int PeopleCount = 33;
constexpr int CommandCount = 10;
constexpr int EmotionCount = 4;
constexpr int HelpCount = 4;

// Largest size anyone may ask the program icon for; beyond it a caller's bug
// would only cost memory.
constexpr int MaxIconSize = 1024;

const char *const FixedItemNames[] = {"heart", "wrench", "exit", "envelope", "house", "bubble", "gear"};

// Rendered pictures, keyed by resource path and pixel size. Images, not pixmaps:
// they need no running GUI and may outlive the application object.
QHash<QString, QImage> &cache()
{
    static QHash<QString, QImage> images;
    return images;
}

QMutex &cacheLock()
{
    static QMutex lock;
    return lock;
}

// Parsed pictures, one per resource path, so each SVG is read once however
// many sizes are drawn from it.
QSvgRenderer *renderer(const QString &path)
{
    static QHash<QString, std::shared_ptr<QSvgRenderer>> parsed;
    auto found = parsed.constFind(path);
    if (found != parsed.constEnd())
        return found->get();
    auto made = std::make_shared<QSvgRenderer>(path);
    parsed.insert(path, made);
    return made.get();
}

// Renders the SVG at `path` into exactly width x height device pixels.
// A missing or broken resource gives a null image.
QImage render(const QString &path, int width, int height)
{
    const QString key = path + QLatin1Char('@') + QString::number(width) + QLatin1Char('x') + QString::number(height);
    QMutexLocker locker(&cacheLock());
    auto found = cache().constFind(key);
    if (found != cache().constEnd())
        return *found;

    QImage image;
    QSvgRenderer *svg = renderer(path);
    if (svg->isValid() && width > 0 && height > 0) {
        image = QImage(width, height, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        svg->render(&painter, QRectF(0, 0, width, height));
    }
    cache().insert(key, image);
    return image;
}

QPixmap pixmapAt(const QString &path, int width, int height)
{
    const QImage image = render(path, width, height);
    return image.isNull() ? QPixmap() : QPixmap::fromImage(image);
}

// Draws a picture at the size that is asked for, when it is asked for: a menu
// of many people must not draw every picture in every size before the menu
// is ever opened.
class SvgIconEngine : public QIconEngine {
public:
    SvgIconEngine(QString path, QList<QSize> sizes) : m_path(std::move(path)), m_sizes(std::move(sizes)) {}
    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal dpr = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        painter->drawPixmap(rect, pixmap(rect.size() * dpr, mode, state));
    }
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State) override
    {
        const int side = qMin(qMin(size.width(), size.height()), MaxIconSize);
        if (side <= 0)
            return QPixmap();
        QPixmap pm = pixmapAt(m_path, side, side);
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
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override { return m_sizes; }
    QIconEngine *clone() const override { return new SvgIconEngine(m_path, m_sizes); }
    QString key() const override { return QStringLiteral("KelvoraSvgIcon"); }

private:
    QString m_path;
    QList<QSize> m_sizes;
};

// A 16 x 16 menu picture; screens scaled by two get it drawn at 32 x 32.
QIcon smallIcon(const QString &path)
{
    return QIcon(new SvgIconEngine(path, {QSize(16, 16), QSize(32, 32)}));
}

QString peoplePath(int index)
{
    return QStringLiteral(":/pictures/people/%1.svg").arg(index, 2, 10, QLatin1Char('0'));
}

QString commandPath(int index)
{
    return QStringLiteral(":/pictures/commands/%1.svg").arg(index);
}

bool validPerson(int index) { return index >= 0 && index < PeopleCount; }
bool validCommand(int index) { return index >= 0 && index < CommandCount; }

} // namespace

int imageList1Count() { return PeopleCount; }
int imageList2Count() { return CommandCount; }
int emotionCount() { return EmotionCount; }
int helpImageCount() { return HelpCount; }

QIcon imageList1(int index)
{
    return validPerson(index) ? smallIcon(peoplePath(index)) : QIcon();
}

QPixmap imageList1Pixmap(int index)
{
    return validPerson(index) ? pixmapAt(peoplePath(index), 16, 16) : QPixmap();
}

QIcon imageList2(int index)
{
    return validCommand(index) ? smallIcon(commandPath(index)) : QIcon();
}

QPixmap imageList2Pixmap(int index)
{
    return validCommand(index) ? pixmapAt(commandPath(index), 16, 16) : QPixmap();
}

QIcon fixedItem(const QString &name)
{
    for (const char *known : FixedItemNames) {
        if (name == QLatin1String(known))
            return smallIcon(QStringLiteral(":/pictures/items/%1.svg").arg(name));
    }
    return QIcon();
}

QImage emotion(int index)
{
    if (index < 0 || index >= EmotionCount)
        return QImage();
    const QImage image = render(QStringLiteral(":/pictures/marks/%1.svg").arg(index), 16, 16);
    return image.isNull() ? image : image.convertToFormat(QImage::Format_ARGB32);
}

void drawEmotion(int index, QPainter &painter, const QRectF &target)
{
    if (index < 0 || index >= EmotionCount)
        return;
    QMutexLocker locker(&cacheLock());
    QSvgRenderer *svg = renderer(QStringLiteral(":/pictures/marks/%1.svg").arg(index));
    if (!svg->isValid())
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    svg->render(&painter, target);
    painter.restore();
}

QPixmap calendarArrow(bool pointsRight)
{
    return pixmapAt(pointsRight ? QStringLiteral(":/pictures/calendar/arrow_right.svg")
                                : QStringLiteral(":/pictures/calendar/arrow_left.svg"),
                    16, 15);
}

QPixmap helpImage(int index)
{
    if (index < 0 || index >= HelpCount)
        return QPixmap();
    return pixmapAt(QStringLiteral(":/pictures/calendar/help%1.svg").arg(index), 16, 16);
}

QString programIconPath()
{
    return QStringLiteral(":/pictures/kelvora.svg");
}

// The sizes a window manager is offered; larger ones are drawn when asked for.
QIcon programIcon()
{
    return QIcon(new SvgIconEngine(programIconPath(), {QSize(16, 16), QSize(32, 32), QSize(48, 48)}));
}

QPixmap programIconPixmap(int size)
{
    if (size <= 0 || size > MaxIconSize)
        return QPixmap();
    return pixmapAt(programIconPath(), size, size);
}

} // namespace Pictures
