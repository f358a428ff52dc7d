#include "pageview/PageAccessible.h"

#include "app/Declare.h"
#include "pageview/PictureBox.h"
#include "pageview/VyborLinksM.h"
#include "tabs/TabAccessible.h"

#include <QPointer>
#include <QTimer>
#include <QWindow>

namespace {

// Pages drawn so far: the children of a page belong to one drawing.
int g_page = 0;

int lastLink()
{
    const auto &d = decl();
    return std::min(d.LastLink, int(d.LinkBoxes.size()) - 1);
}

// What a link says: a section link its section, an entry link its
// paragraph as the page prints it.
QString linkText(int link)
{
    const auto &d = decl();
    if (link < 0 || link > lastLink())
        return {};
    const QString target = d.LinkBoxes[link].Target;
    bool ok = false;
    const int number = target.mid(4).toInt(&ok);
    if (!ok)
        return {};
    if (target.startsWith(QLatin1String("list")))
        return QStringLiteral("Раздел %1").arg(number);
    const int section = d.CurrentSection;
    if (section < 1 || section > SectionCount || number < 1 || number > d.MultCount[section])
        return {};
    const MultEntry &entry = d.MultTable[section][number];
    return QString::number((section - 1) * EntriesPerSection + number) + QStringLiteral(") ") + entry.Title
           + QLatin1Char(' ') + entry.StudioYear;
}

// One child of the page: its heading (link -1) or one of its links.
class PageItemAccessible : public QAccessibleInterface, public QAccessibleActionInterface
{
public:
    PageItemAccessible(PictureBox *canvas, int link) : m_canvas(canvas), m_link(link), m_page(g_page) {}

    bool isValid() const override
    {
        return m_canvas && m_page == g_page && m_link <= lastLink();
    }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return m_canvas ? m_canvas->window()->windowHandle() : nullptr; }
    QAccessibleInterface *parent() const override
    {
        return m_canvas ? QAccessible::queryAccessibleInterface(m_canvas.data()) : nullptr;
    }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }

    QString text(QAccessible::Text t) const override
    {
        if (t != QAccessible::Name || !isValid())
            return {};
        return m_link < 0 ? QStringLiteral("Mirelka online") : linkText(m_link);
    }
    void setText(QAccessible::Text, const QString &) override {}

    QRect rect() const override
    {
        if (!isValid())
            return {};
        const QRect r = onCanvas();
        return QRect(m_canvas->mapToGlobal(r.topLeft()), r.size());
    }

    QAccessible::Role role() const override { return m_link < 0 ? QAccessible::Heading : QAccessible::Link; }

    QAccessible::State state() const override
    {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        s.readOnly = true;
        if (!m_canvas->isVisible())
            s.invisible = true;
        else if (!m_canvas->visibleRegion().intersects(onCanvas()))
            s.offscreen = true;
        if (m_link >= 0) {
            s.focusable = true;
            s.linked = true;
            s.focused = decl().FocusLink == m_link && m_canvas->hasFocus();
        }
        return s;
    }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ActionInterface && m_link >= 0)
            return static_cast<QAccessibleActionInterface *>(this);
        return nullptr;
    }

    QStringList actionNames() const override
    {
        return m_link >= 0 ? QStringList{pressAction()} : QStringList{};
    }
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

    void doAction(const QString &name) override
    {
        if (name != pressAction() || !isValid() || m_link < 0)
            return;
        // The caller on the accessibility bus gets its answer at once; the
        // choice, which opens a tab or draws a page, follows.
        const int link = m_link;
        const int page = m_page;
        QTimer::singleShot(0, m_canvas.data(), [link, page] {
            if (page == g_page)
                ChooseLink(link);
        });
    }

private:
    // Where the item lies on the canvas: a link's box, both corners
    // included, or the heading's band across the page.
    QRect onCanvas() const
    {
        if (m_link < 0)
            return QRect(0, 10, m_canvas->width(), 35);
        const LinkBox &b = decl().LinkBoxes[m_link];
        return QRect(QPoint(b.X1, b.Y1), QPoint(b.X2, b.Y2));
    }

    QPointer<PictureBox> m_canvas;
    int m_link;
    int m_page;
};

PageAccessible *pageInterface()
{
    PictureBox *canvas = decl().PageCanvas;
    if (!canvas)
        return nullptr;
    return dynamic_cast<PageAccessible *>(QAccessible::queryAccessibleInterface(canvas));
}

} // namespace

PageAccessible::PageAccessible(PictureBox *canvas) : QAccessibleWidget(canvas, QAccessible::Document) {}

QString PageAccessible::text(QAccessible::Text t) const
{
    if (t == QAccessible::Name && widget()->accessibleName().isEmpty()) {
        const int section = decl().CurrentSection;
        return section > 0 ? QStringLiteral("Каталог, раздел %1").arg(section) : QStringLiteral("Каталог");
    }
    return QAccessibleWidget::text(t);
}

void PageAccessible::update() const
{
    if (m_page == g_page)
        return;
    for (QAccessible::Id id : std::as_const(m_children))
        QAccessible::deleteAccessibleInterface(id);
    m_children.clear();
    m_page = g_page;
    auto *canvas = static_cast<PictureBox *>(widget());
    const int last = lastLink();
    m_children.reserve(last + 2);
    for (int link = -1; link <= last; ++link)
        m_children.append(QAccessible::registerAccessibleInterface(new PageItemAccessible(canvas, link)));
}

int PageAccessible::childCount() const
{
    update();
    return int(m_children.size());
}

QAccessibleInterface *PageAccessible::child(int index) const
{
    update();
    if (index < 0 || index >= m_children.size())
        return nullptr;
    return QAccessible::accessibleInterface(m_children[index]);
}

int PageAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    update();
    for (int i = 0; i < m_children.size(); ++i) {
        if (QAccessible::accessibleInterface(m_children[i]) == child)
            return i;
    }
    return -1;
}

QAccessibleInterface *PageAccessible::linkChild(int link) const
{
    return child(link + 1);
}

QAccessibleInterface *PageAccessible::childAt(int x, int y) const
{
    update();
    for (int i = int(m_children.size()) - 1; i >= 0; --i) {
        QAccessibleInterface *item = QAccessible::accessibleInterface(m_children[i]);
        if (item && item->rect().contains(x, y))
            return item;
    }
    return nullptr;
}

QAccessibleInterface *PageAccessible::focusChild() const
{
    const int link = decl().FocusLink;
    if (link >= 0 && widget()->hasFocus())
        return linkChild(link);
    return nullptr;
}

void PageAccessible::renew()
{
    // The old children say goodbye while they are still valid.
    const bool tell = QAccessible::isActive();
    if (tell && m_page >= 0) {
        for (QAccessible::Id id : std::as_const(m_children)) {
            if (QAccessibleInterface *item = QAccessible::accessibleInterface(id)) {
                QAccessibleEvent gone(item, QAccessible::ObjectDestroyed);
                QAccessible::updateAccessibility(&gone);
            }
        }
    }
    ++g_page;
    if (!tell)
        return;
    const int count = childCount();
    for (int i = 0; i < count; ++i) {
        QAccessibleEvent made(child(i), QAccessible::ObjectCreated);
        QAccessible::updateAccessibility(&made);
    }
    QAccessibleEvent named(const_cast<PageAccessible *>(this), QAccessible::NameChanged);
    QAccessible::updateAccessibility(&named);
}

void PageDrawn()
{
    // Without assistive technology nothing asks for the children; those of
    // an earlier page are replaced when they are asked for.
    PageAccessible *page = QAccessible::isActive() ? pageInterface() : nullptr;
    if (page)
        page->renew();
    else
        ++g_page;
}

void PageFocusMoved()
{
    PictureBox *canvas = decl().PageCanvas;
    if (!canvas || !canvas->hasFocus() || !QAccessible::isActive())
        return;
    PageAccessible *page = pageInterface();
    if (!page)
        return;
    QAccessibleInterface *focused = page->focusChild();
    QAccessibleEvent event(focused ? focused : page, QAccessible::Focus);
    QAccessible::updateAccessibility(&event);
}

QAccessibleInterface *ProgramAccessibleFactory(const QString &, QObject *object)
{
    if (auto *canvas = qobject_cast<PictureBox *>(object); canvas && canvas->objectName() == QLatin1String("picText"))
        return new PageAccessible(canvas);
    return TabAccessibleFor(object);
}

void InstallAccessibility()
{
    static bool installed = false;
    if (!installed) {
        QAccessible::installFactory(ProgramAccessibleFactory);
        installed = true;
    }
}
