#pragma once

#include "app/Declare.h"

#include <QList>
#include <QString>

// Search modes, as the search window's drop-down list numbers them.
enum SearchMode : int {
    SearchEverywhere = 0,   // the title, else the studio-and-year line
    SearchTitle = 1,        // the title only
    SearchStudioYear = 2,   // the studio-and-year line only
};

// The key a search text is looked for with: lower-cased exactly as the loader
// lower-cases the catalogue's copies, so the two always compare alike.
QString SearchKey(const QString &text);

// Whether an entry's lower-cased fields hold the key in the given mode. An
// unknown mode matches nothing.
bool SearchMatch(const MultFolded &entry, const QString &key, int mode);

// Scans sections 1..40 in order for a search text, loading every section that
// is not loaded yet just before it is scanned. Returns the hits by section,
// then by place in the section. A section that cannot be loaded adds nothing
// and stays unloaded, so the next search tries it again.
QList<FoundItem> SearchM(const QString &text, int mode);
