#include "outputs/chartsvg.h"

#include <QBuffer>
#include <QPainter>
#include <QSvgGenerator>

namespace Chart {

QByteArray Svg(const Subject &s)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(PageSize);
    svg.setViewBox(QRect(QPoint(0, 0), PageSize));
    svg.setResolution(96);
    svg.setTitle(Title(s));
    svg.setDescription(DayLines(s).join(QLatin1Char('\n')));
    QPainter p;
    if (!p.begin(&svg))
        throw KelvoraError(QStringLiteral("Cannot make the SVG picture"));
    DrawPage(p, s);
    p.end();
    return bytes;
}

}
