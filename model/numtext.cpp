#include "model/numtext.h"

#include "model/clocale.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

QString FormatReal(double value, const QLocale &locale)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
    if (value == 0)
        return QStringLiteral("0");

    // 15 significant digits: d.dddddddddddddde±x, in the C locale: the
    // digits are taken apart by place, and a Persian separator is two bytes.
    char buf[64];
    {
        const CLocaleScope c;
        std::snprintf(buf, sizeof buf, "%.14e", std::fabs(value));
    }
    QByteArray s(buf);
    const int ePos = s.indexOf('e');
    const int exponent = s.mid(ePos + 1).toInt();
    QByteArray digits = s.left(ePos);
    digits.remove(1, 1); // the point
    while (digits.size() > 1 && digits.endsWith('0'))
        digits.chop(1);
    // The largest doubles round to 15 digits as a number beyond every double,
    // which would never read back; cut them down instead.
    if (exponent == 308 && digits == "179769313486232")
        digits = "179769313486231";

    const QString sep = locale.decimalPoint();
    QString out = value < 0 ? QStringLiteral("-") : QString();
    if (exponent >= 15 || std::fabs(value) < 1e-5) {
        out += QChar(digits[0]);
        if (digits.size() > 1)
            out += sep + QString::fromLatin1(digits.mid(1));
        out += QLatin1Char('E') + QString::number(exponent);
        return out;
    }
    if (exponent >= 0) {
        const int intLen = exponent + 1;
        if (digits.size() <= intLen) {
            out += QString::fromLatin1(digits) + QString(intLen - digits.size(), QLatin1Char('0'));
        } else {
            out += QString::fromLatin1(digits.left(intLen)) + sep + QString::fromLatin1(digits.mid(intLen));
        }
    } else {
        out += QLatin1Char('0') + sep + QString(-exponent - 1, QLatin1Char('0')) + QString::fromLatin1(digits);
    }
    return out;
}

std::optional<double> ParseReal(const QString &text, const QLocale &locale)
{
    const QString sep = locale.decimalPoint();
    const QString t = text.trimmed();
    QByteArray c; // the number rewritten for the C library
    int i = 0;
    const int n = t.size();
    if (i < n && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-')))
        c += char(t[i++].unicode());
    int mantissaDigits = 0;
    while (i < n && t[i].isDigit() && t[i].unicode() < 128) {
        c += char(t[i++].unicode());
        ++mantissaDigits;
    }
    if (i < n && t.mid(i, sep.size()) == sep) {
        i += sep.size();
        c += '.';
        while (i < n && t[i].isDigit() && t[i].unicode() < 128) {
            c += char(t[i++].unicode());
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0)
        return std::nullopt;
    if (i < n && (t[i] == QLatin1Char('e') || t[i] == QLatin1Char('E'))) {
        c += 'e';
        ++i;
        if (i < n && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-')))
            c += char(t[i++].unicode());
        int expDigits = 0;
        while (i < n && t[i].isDigit() && t[i].unicode() < 128) {
            c += char(t[i++].unicode());
            ++expDigits;
        }
        if (expDigits == 0)
            return std::nullopt;
    }
    if (i != n)
        return std::nullopt;
    bool ok = false;
    const double v = QLocale::c().toDouble(QString::fromLatin1(c), &ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

std::optional<qint32> ParseInteger(const QString &text)
{
    int i = 0;
    const int n = text.size();
    while (i < n && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t')))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
        negative = text[i++] == QLatin1Char('-');
    if (i == n)
        return std::nullopt;
    qint64 v = 0;
    for (; i < n; ++i) {
        const char16_t ch = text[i].unicode();
        if (ch < u'0' || ch > u'9')
            return std::nullopt;
        v = v * 10 + (ch - u'0');
        if (v > qint64(std::numeric_limits<qint32>::max()) + 1)
            return std::nullopt;
    }
    if (negative)
        v = -v;
    if (v > std::numeric_limits<qint32>::max() || v < std::numeric_limits<qint32>::min())
        return std::nullopt;
    return qint32(v);
}
