#pragma once

// Stands in for the desktop while it lives: records every local file the
// program asks the desktop to open (QDesktopServices with a file address).

#include <QObject>
#include <QStringList>
#include <QUrl>

class FileOpener : public QObject
{
    Q_OBJECT

public:
    FileOpener();
    ~FileOpener() override;

    QStringList opened;

    // The web address the i-th opened file hands to the default browser,
    // read back from that page's refresh; empty when there is no such file.
    QString handedOff(int i) const;

public slots:
    void open(const QUrl &url);
};
