#pragma once
// Reals as the user sees and types them: general format, up to 15 significant
// digits, no grouping, the locale's decimal separator.
#include <QLocale>
#include <QString>

#include <optional>

QString FormatReal(double value, const QLocale &locale = QLocale());
// Strict reading: optional blanks, sign, digits with the locale's separator,
// optional exponent. No grouping. Non-finite results are refused.
std::optional<double> ParseReal(const QString &text, const QLocale &locale = QLocale());
// Whole numbers as the settings file holds them; nullopt for anything else
// or for a value beyond 32 bits.
std::optional<qint32> ParseInteger(const QString &text);
