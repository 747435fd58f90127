#include "model/clock.h"

namespace {
bool g_fixed = false;
QDateTime g_now;
}

namespace Clock {
QDateTime now() { return g_fixed ? g_now : QDateTime::currentDateTime(); }
QDate today() { return now().date(); }
void setFixed(const QDateTime &t)
{
    g_fixed = true;
    g_now = t;
}
void reset() { g_fixed = false; }
}
