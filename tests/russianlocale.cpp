// Every test runs in Russian: Qt by QLocale, the C library by the generated
// ru_RU.UTF-8 locale. Where that locale is missing the C library silently
// works in C, and a fault only Russian settings show (a decimal comma in a
// file format) would pass unseen; the test stops instead.
#include <QCoreApplication>

#include <clocale>
#include <cstring>

namespace {
void RequireRussianCLocale()
{
    const char *numeric = std::setlocale(LC_NUMERIC, nullptr);
    if (!numeric || std::strncmp(numeric, "ru_RU", 5) != 0)
        qFatal("The C library works in the locale \"%s\", not in ru_RU.UTF-8: generate it "
               "(localedef -i ru_RU -f UTF-8 ru_RU.UTF-8) and run the test with LANG=ru_RU.UTF-8",
               numeric ? numeric : "?");
}
}

// Runs once the application object has taken the locale from the environment.
Q_COREAPP_STARTUP_FUNCTION(RequireRussianCLocale)
