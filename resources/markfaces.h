#pragma once
// The program's own mark pictures (the four faces) as the printed month page
// draws them; every way of making the page uses these.
#include "outputs/monthreport.h"

namespace MonthReport {

MarkPictures MarkFaces();

}
