#include "search/SearchM.h"

#include "catalogue/OpenMultM.h"

#include <algorithm>

QString SearchKey(const QString &text)
{
    return text.toLower();
}

bool SearchMatch(const MultFolded &entry, const QString &key, int mode)
{
    switch (mode) {
    case SearchEverywhere:
        // The studio line is looked at only when the title misses, so an
        // entry matching in both is still one hit.
        return entry.Title.contains(key) || entry.StudioYear.contains(key);
    case SearchTitle:
        return entry.Title.contains(key);
    case SearchStudioYear:
        return entry.StudioYear.contains(key);
    default:
        return false;
    }
}

QList<FoundItem> SearchM(const QString &text, int mode)
{
    const QString key = SearchKey(text);
    auto &d = decl();
    QList<FoundItem> hits;
    for (int s = 1; s <= SectionCount; ++s) {
        if (d.MultCount[s] == 0)
            LoadSection(s);
        const int count = std::clamp(d.MultCount[s], 0, EntriesPerSection);
        for (int e = 1; e <= count; ++e) {
            if (SearchMatch(d.MultLower[s][e], key, mode))
                hits.append(FoundItem{s, e});
        }
    }
    return hits;
}
