#pragma once

// Stands in for the desktop while it lives: records every local file the
// program asks the desktop to open (QDesktopServices with a file address).

#include <QDesktopServices>
#include <QObject>
#include <QStringList>
#include <QUrl>

class FileOpener : public QObject
{
    Q_OBJECT

public:
    FileOpener() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "open"); }
    ~FileOpener() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }

    QStringList opened;

public slots:
    void open(const QUrl &url) { opened.append(url.toLocalFile()); }
};
