#pragma once

#include <QAccessibleWidget>

class PictureBox;

// The page canvas as assistive technology sees it: a document named after
// the section shown, the heading as its first child, then one child of role
// link per link of the page, in reading order, each with its box on the
// screen and a press action that chooses it as a click does. The children
// are made anew for every page drawn.
class PageAccessible : public QAccessibleWidget
{
public:
    explicit PageAccessible(PictureBox *canvas);

    QString text(QAccessible::Text t) const override;
    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;
    QAccessibleInterface *focusChild() const override;

    // The child of a link of the page, by its index in LinkBoxes.
    QAccessibleInterface *linkChild(int link) const;

    // A page has been drawn: the children of the last one go, new ones come.
    void renew();

private:
    // Makes the children of the page shown, once per page.
    void update() const;

    mutable QList<QAccessible::Id> m_children;
    mutable int m_page = -1;
};

// Makes the canvas's, the tabs' and the close buttons' interfaces.
QAccessibleInterface *ProgramAccessibleFactory(const QString &className, QObject *object);
// Installs that factory, once.
void InstallAccessibility();

// The page drawing is done: its links are what assistive technology reads.
void PageDrawn();
// The keyboard moved on the page: to a link, or off every link.
void PageFocusMoved();
