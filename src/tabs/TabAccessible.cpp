#include "tabs/TabAccessible.h"

#include "tabs/TabManager.h"
#include "tabs/usrPanel.h"

#include <QAccessibleWidget>
#include <QLabel>
#include <QPointer>
#include <QTimer>

namespace {

// Presses over the accessibility bus are answered at once; the tab
// operation, which lets events run, follows on the next turn.
template <typename Operation>
void later(usrPanel *tab, Operation operation)
{
    QPointer<usrPanel> alive = tab;
    const int index = tab->MeIndex;
    QTimer::singleShot(0, tab, [alive, index, operation] {
        if (alive)
            operation(index);
    });
}

class TabAccessible : public QAccessibleWidget
{
public:
    explicit TabAccessible(usrPanel *tab) : QAccessibleWidget(tab, QAccessible::PageTab) {}

    usrPanel *tab() const { return static_cast<usrPanel *>(widget()); }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return tab()->caption();
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.selectable = true;
        s.selected = tab()->backColor() == ActiveTabColor;
        return s;
    }

    // The close button is the tab's only child; the caption is its name.
    int childCount() const override { return tab()->picFon->isHidden() ? 0 : 1; }
    QAccessibleInterface *child(int index) const override
    {
        return index == 0 && childCount() == 1 ? QAccessible::queryAccessibleInterface(tab()->picClose) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        return childCount() == 1 && child && child->object() == tab()->picClose ? 0 : -1;
    }
    QAccessibleInterface *childAt(int x, int y) const override
    {
        QAccessibleInterface *close = child(0);
        return close && close->rect().contains(x, y) ? close : nullptr;
    }

    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString &name) override
    {
        if (name == pressAction())
            later(tab(), [](int index) { ActivePanelM(index); });
    }
};

class CloseAccessible : public QAccessibleWidget
{
public:
    CloseAccessible(QLabel *button, usrPanel *tab) : QAccessibleWidget(button, QAccessible::Button), m_tab(tab) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return QStringLiteral("Закрыть вкладку");
        return QAccessibleWidget::text(t);
    }
    QAccessibleInterface *parent() const override
    {
        return m_tab ? QAccessible::queryAccessibleInterface(m_tab.data()) : nullptr;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString &name) override
    {
        if (name == pressAction() && m_tab)
            later(m_tab, [](int index) { UnloadPanelM(index); });
    }

private:
    QPointer<usrPanel> m_tab;
};

} // namespace

QAccessibleInterface *TabAccessibleFor(QObject *object)
{
    if (auto *tab = qobject_cast<usrPanel *>(object))
        return new TabAccessible(tab);
    if (auto *button = qobject_cast<QLabel *>(object); button && button->objectName() == QLatin1String("picClose")) {
        QObject *square = button->parent();
        if (auto *tab = qobject_cast<usrPanel *>(square ? square->parent() : nullptr))
            return new CloseAccessible(button, tab);
    }
    return nullptr;
}
