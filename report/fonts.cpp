#include "report/fonts.h"

QStringList FontFamilies(const QString &family)
{
    return {family, QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("Liberation Sans Narrow"),
            QStringLiteral("Arial Narrow")};
}

QFont PixelFont(const QString &family, int pixels, bool bold)
{
    QFont font;
    font.setFamilies(FontFamilies(family));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}
