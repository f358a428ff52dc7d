#pragma once

#include <QFont>
#include <QStringList>

// The font of the program's small windows (the search window, the About
// window): bold 12-point MS Sans Serif as designed. Where it is missing,
// Arial, or else Liberation Sans, which has Arial's widths, keeps every
// caption inside its designed box.
inline QFont DialogFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    font.setPointSize(12);
    font.setBold(true);
    return font;
}
