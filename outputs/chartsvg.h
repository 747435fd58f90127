#pragma once
// The chart's page as SVG, its texts kept as text: the paper code, which has
// the SVG writer.
#include "outputs/chart.h"

namespace Chart {
QByteArray Svg(const Subject &subject);
}
