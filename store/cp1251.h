#pragma once
// Windows-1251, both ways, lossless for every byte.
#include <QByteArray>
#include <QString>

#include <optional>

QString DecodeCp1251(const QByteArray &bytes);
// nullopt if a character has no place in the code page.
std::optional<QByteArray> EncodeCp1251(const QString &text);
