#pragma once

#include <QString>

struct MultEntry;

// The two web sites the program talks to, set when the build is configured:
// cmake -DMIRELKA_CARTOON_SITE=http://... -DMIRELKA_MAKER_SITE=http://...
#if !defined(MIRELKA_CARTOON_SITE) || !defined(MIRELKA_MAKER_SITE)
#error "MIRELKA_CARTOON_SITE and MIRELKA_MAKER_SITE come from the build's configuration"
#endif
inline constexpr char DefaultCartoonSite[] = MIRELKA_CARTOON_SITE;
inline constexpr char DefaultMakerSite[] = MIRELKA_MAKER_SITE;

// The cartoon site in use: DefaultCartoonSite unless a test points it elsewhere.
QString cartoonSite();
void setCartoonSite(const QString &site);

// The maker's site in use: DefaultMakerSite unless a test points it elsewhere.
// The main window gives it to the strip and the about window when it makes them.
QString makerSite();
void setMakerSite(const QString &site);

// The address of an entry's page: the site, "/mults/?id=" and the id unchanged.
QString CartoonPageUrl(const MultEntry &entry);
