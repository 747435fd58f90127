#include "resources/markfaces.h"

#include "resources/pictures.h"

namespace MonthReport {

MarkPictures MarkFaces()
{
    MarkPictures marks;
    for (int i = 0; i < int(marks.size()); ++i)
        marks[i] = {QSize(16, 16), [i](QPainter &painter, const QRectF &target) {
                         Pictures::drawEmotion(i, painter, target);
                     }};
    return marks;
}

}
