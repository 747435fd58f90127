#pragma once
// Where "Письмо автору" and "Страничка автора" lead.
#include <QString>

inline QString AuthorMailAddress() { return QStringLiteral("kelvora@example.org"); }
inline QString AuthorHomePage() { return QStringLiteral("https://kelvora.example.org/"); }
