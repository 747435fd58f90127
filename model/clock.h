#pragma once
// The one place the program reads "now" from. Tests fix it.
#include <QDateTime>

namespace Clock {
QDateTime now();                   // local date and time
QDate today();                     // date part of now()
void setFixed(const QDateTime &t); // tests: freeze the clock at t
void reset();                      // back to the system clock
}
