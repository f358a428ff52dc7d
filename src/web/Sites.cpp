#include "web/Sites.h"

#include "app/Declare.h"

namespace {
QString &currentCartoonSite()
{
    static QString site = QString::fromLatin1(DefaultCartoonSite);
    return site;
}

QString &currentMakerSite()
{
    static QString site = QString::fromLatin1(DefaultMakerSite);
    return site;
}
} // namespace

QString cartoonSite()
{
    return currentCartoonSite();
}

void setCartoonSite(const QString &site)
{
    currentCartoonSite() = site;
}

QString makerSite()
{
    return currentMakerSite();
}

void setMakerSite(const QString &site)
{
    currentMakerSite() = site;
}

QString CartoonPageUrl(const MultEntry &entry)
{
    return cartoonSite() + QStringLiteral("/mults/?id=") + entry.Id;
}
