#pragma once

#include <QString>

// The catalogue folder for an application folder: the folder, a separator
// ("\" when the folder holds one, else "/"), "Data" and the separator again.
QString DataPathFor(const QString &applicationFolder);

// Start-up, once the application object exists: prepares the shared state,
// creates and shows the main window and draws the page of section 1.
void Main();
