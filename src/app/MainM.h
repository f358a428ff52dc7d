#pragma once

#include <QString>

// The catalogue folder for an application folder: the folder, a separator
// ("\" when the folder holds one, else "/"), "Data" and the separator again.
QString DataPathFor(const QString &applicationFolder);

// Start-up, once the application object exists: prepares the shared state,
// creates and shows the main window and draws the page of section 1.
void Main();

// The shared state start-up prepares before it makes the main window: the
// catalogue folder, the tab arrays with their element 0, and the markers for
// no page, no hovered link and no search yet.
void PrepareSharedState(const QString &dataPath);

// Start-up with a given catalogue folder (Main passes the one beside the
// executable).
void StartWith(const QString &dataPath);
