#include "accessibility.h"

#include <QAccessible>
#include <QAccessibleObject>
#include <QAction>
#include <QMenuBar>
#include <QPointer>
#include <QStyle>

namespace platform {

namespace {

// The dynamic property that gives a menu bar item the name a screen reader reads. Qt names a menu
// item after its caption alone, and a QAction has no accessible name of its own.
const char accessibleNameProperty[] = "accessibleName";

// A plain menu bar item (no submenu) read by that name; in all else it reads and works as Qt's own.
class NamedMenuBarItem : public QAccessibleObject, public QAccessibleActionInterface {
public:
    NamedMenuBarItem(QAction *action, QMenuBar *owner)
        : QAccessibleObject(action)
        , bar(owner)
    {
    }

    bool isValid() const override { return QAccessibleObject::isValid() && bar; }
    QWindow *window() const override { return bar ? bar->window()->windowHandle() : nullptr; }
    QAccessibleInterface *parent() const override { return QAccessible::queryAccessibleInterface(bar); }
    int childCount() const override { return 0; }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessible::Role role() const override { return QAccessible::MenuItem; }

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Name)
            return action()->property(accessibleNameProperty).toString();
        if (kind == QAccessible::Accelerator)
            return (action()->shortcut().isEmpty() ? QKeySequence::mnemonic(action()->text()) : action()->shortcut())
                .toString();
        return QString();
    }

    QRect rect() const override { return bar->actionGeometry(action()).translated(bar->mapToGlobal(QPoint(0, 0))); }

    QAccessible::State state() const override
    {
        QAccessible::State state;
        state.invisible = !bar->isVisible() || !action()->isVisible();
        state.focused = bar->activeAction() == action();
        state.hotTracked = bar->style()->styleHint(QStyle::SH_Menu_MouseTracking);
        state.disabled = !action()->isEnabled();
        return state;
    }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface *>(this) : nullptr;
    }

    QStringList actionNames() const override { return { pressAction() }; }
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

    void doAction(const QString &name) override
    {
        if (name == pressAction() && action()->isEnabled())
            action()->trigger();
    }

private:
    QAction *action() const { return static_cast<QAction *>(object()); }

    QPointer<QMenuBar> bar;
};

// Asked by Qt's accessibility for each object it has no interface for yet, before Qt makes its own;
// answers only for an action that carries the name and lies on a menu bar.
QAccessibleInterface *namedMenuBarItem(const QString &, QObject *object)
{
    auto *action = qobject_cast<QAction *>(object);
    if (!action || action->property(accessibleNameProperty).toString().isEmpty())
        return nullptr;
    const QObjectList owners = action->associatedObjects();
    for (QObject *owner : owners) {
        if (auto *bar = qobject_cast<QMenuBar *>(owner))
            return new NamedMenuBarItem(action, bar);
    }
    return nullptr;
}

} // namespace

void setAccessibleName(QAction *menuBarItem, const QString &name)
{
    QAccessible::installFactory(namedMenuBarItem);
    menuBarItem->setProperty(accessibleNameProperty, name);
}

} // namespace platform
