#pragma once

#include <QString>

struct MultEntry;

// The two web sites the program talks to. A maker sets the real hosts here.
inline constexpr char DefaultCartoonSite[] = "http://mults.example";
inline constexpr char DefaultMakerSite[] = "http://mirelka.example";

// The cartoon site in use: DefaultCartoonSite unless a test points it elsewhere.
QString cartoonSite();
void setCartoonSite(const QString &site);

// The maker's site in use: DefaultMakerSite unless a test points it elsewhere.
// The main window gives it to the strip and the about window when it makes them.
QString makerSite();
void setMakerSite(const QString &site);

// The address of an entry's page: the site, "/mults/?id=" and the id unchanged.
QString CartoonPageUrl(const MultEntry &entry);
