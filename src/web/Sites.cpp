#include "web/Sites.h"

#include "app/Declare.h"

QString cartoonSite()
{
    const QString &site = decl().CartoonSite;
    return site.isEmpty() ? QString::fromLatin1(DefaultCartoonSite) : site;
}

void setCartoonSite(const QString &site)
{
    decl().CartoonSite = site;
}

QString makerSite()
{
    const QString &site = decl().MakerSite;
    return site.isEmpty() ? QString::fromLatin1(DefaultMakerSite) : site;
}

void setMakerSite(const QString &site)
{
    decl().MakerSite = site;
}

QString CartoonPageUrl(const MultEntry &entry)
{
    return cartoonSite() + QStringLiteral("/mults/?id=") + entry.Id;
}
