#include "LauncherAccessible.h"

#include "APIconQLabel.h"
#include "IconQLabel.h"
#include "ShutdownQLabel.h"
#include "TabQLabel.h"
#include "launcher/lumbra.h"
#include "settings/SettingStore.h"

namespace {

const char kHighlightProperty[] = "lumbraHighlighted";

QAccessibleInterface *launcherWidgetInterface(const QString &, QObject *object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    auto *widget = static_cast<QWidget *>(object);
    if (qobject_cast<TabQLabel *>(widget))
        return new LauncherAccessible(widget, QAccessible::PageTab);
    if (qobject_cast<APIconQLabel *>(widget) || qobject_cast<IconQLabel *>(widget)
        || qobject_cast<ShutdownQLabel *>(widget))
        return new LauncherAccessible(widget, QAccessible::Button);
    return nullptr;
}

bool isShownTab(const QWidget *widget)
{
    const auto *tab = qobject_cast<const TabQLabel *>(widget);
    return tab && theLauncher && theLauncher->currentTab == tab->tabIndex;
}

} // namespace

LauncherAccessible::LauncherAccessible(QWidget *widget, QAccessible::Role role)
    : QAccessibleWidget(widget, role)
{
}

QAccessible::State LauncherAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.focusable = true;
    state.focused = hasHighlight(widget());
    if (role() == QAccessible::PageTab) {
        state.selectable = true;
        state.selected = isShownTab(widget());
    }
    return state;
}

void LauncherAccessible::install()
{
    static const bool installed = [] {
        QAccessible::installFactory(launcherWidgetInterface);
        return true;
    }();
    Q_UNUSED(installed);
}

QString LauncherAccessible::buttonName(int kind)
{
    switch (kind) {
    case 6:
        return theSettings.getString(1454);
    case 8:
        return theSettings.getString(1435);
    case 9:
        return theSettings.getString(1452);
    case 10:
        return theSettings.getString(1451);
    case 12:
        return theSettings.getString(1453);
    default:
        return QString();
    }
}

bool LauncherAccessible::hasHighlight(const QWidget *widget)
{
    return widget && widget->property(kHighlightProperty).toBool();
}

void LauncherAccessible::moveFocus(QWidget *from, QWidget *to)
{
    if (from && from != to)
        from->setProperty(kHighlightProperty, false);
    if (!to)
        return;
    to->setProperty(kHighlightProperty, true);
    QAccessibleEvent focus(to, QAccessible::Focus);
    QAccessible::updateAccessibility(&focus);
}
