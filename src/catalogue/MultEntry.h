#pragma once

#include <QString>

// The catalogue's fixed size: 40 sections of at most 100 entries each.
inline constexpr int SectionCount = 40;
inline constexpr int EntriesPerSection = 100;

// One catalogue entry. Id is stored plain, after descrambling.
struct MultEntry
{
    QString Id;
    QString Title;
    QString StudioYear;

    friend bool operator==(const MultEntry &, const MultEntry &) = default;
};

// Lower-cased copies of the searchable fields, made once when a section loads.
struct MultFolded
{
    QString Title;
    QString StudioYear;
};
