#pragma once
// The C library writes and reads numbers in the locale the program runs in
// (a decimal comma under Russian settings). File formats have a notation of
// their own: while a CLocaleScope lives, the calling thread alone uses the C
// locale; every other thread, and Qt, keep theirs.
#include <locale.h>

class CLocaleScope {
public:
    CLocaleScope();
    ~CLocaleScope();
    CLocaleScope(const CLocaleScope &) = delete;
    CLocaleScope &operator=(const CLocaleScope &) = delete;

private:
    locale_t m_previous = nullptr;
};
