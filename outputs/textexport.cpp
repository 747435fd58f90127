#include "outputs/textexport.h"

#include "model/errors.h"
#include "store/cp1251.h"

QString TextExportLine(const std::array<QString, 32> &row)
{
    QString line;
    line.reserve(10 + 31 * 3);
    line += row[0].rightJustified(10, QLatin1Char(' '));
    for (int c = 1; c < 32; ++c)
        line += row[c].rightJustified(3, QLatin1Char(' '));
    return line;
}

QByteArray TextExportBytes(const YearTable &table, int year, const QString &daysLivedLine)
{
    // A line break inside the name would shift every reader's idea of the last line.
    if (daysLivedLine.contains(QLatin1Char('\r')) || daysLivedLine.contains(QLatin1Char('\n')))
        throw KelvoraError(QStringLiteral("Имя содержит перевод строки и не может быть записано в файл"));

    const QString eol = QStringLiteral("\r\n");
    QString text;
    text.reserve(64 * 105);
    text += QStringLiteral("Биоритмы на ") + QString::number(year) + QStringLiteral(" год") + eol;
    text += eol;
    for (int r = 0; r < 48; ++r) {
        text += TextExportLine(table[r]) + eol;
        if ((r + 1) % 4 == 0)
            text += eol;
    }
    text += eol;
    text += daysLivedLine + eol;

    std::optional<QByteArray> bytes = EncodeCp1251(text);
    if (!bytes)
        throw KelvoraError(QStringLiteral("Имя содержит символы, которых нет в кодировке Windows-1251; "
                                          "файл не записан"));
    return *bytes;
}
