#include "model/clocale.h"

namespace {
// Made once and never freed: every scope of every thread shares it.
locale_t CLocale()
{
    static const locale_t c = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    return c;
}
}

CLocaleScope::CLocaleScope()
{
    // Without memory for the locale object the thread stays as it is.
    if (const locale_t c = CLocale())
        m_previous = uselocale(c);
}

CLocaleScope::~CLocaleScope()
{
    if (m_previous)
        uselocale(m_previous);
}
