#pragma once

#include <QColor>
#include <QWidget>

class QLabel;

// One tab of the tab strip: a caption on a background colour, a click that
// asks to activate the tab, and a close button.
class usrPanel : public QWidget
{
    Q_OBJECT

public:
    explicit usrPanel(QWidget *parent = nullptr);

    // The tab's index, set by the tab manager; the catalogue tab keeps 0.
    int MeIndex = 0;

    void NewFon(const QColor &color);
    void NewText(const QString &caption);
    void NoClose();

private:
    QLabel *m_label = nullptr;
};
