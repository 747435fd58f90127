#include "resources/markfaces.h"

#include <QHash>
#include <QPainter>
#include <QSvgRenderer>

#include <memory>

namespace MonthReport {

namespace {

// The face of mark `index` drawn into `target` at the painter's own
// resolution: sharp and in its own colours on any printer.
void DrawFace(int index, QPainter &painter, const QRectF &target)
{
    static QHash<int, std::shared_ptr<QSvgRenderer>> parsed;
    std::shared_ptr<QSvgRenderer> &svg = parsed[index];
    if (!svg)
        svg = std::make_shared<QSvgRenderer>(QStringLiteral(":/pictures/marks/%1.svg").arg(index));
    if (!svg->isValid())
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    svg->render(&painter, target);
    painter.restore();
}

}

MarkPictures MarkFaces()
{
    MarkPictures marks;
    for (int i = 0; i < int(marks.size()); ++i)
        marks[i] = {QSize(16, 16), [i](QPainter &painter, const QRectF &target) { DrawFace(i, painter, target); }};
    return marks;
}

}
