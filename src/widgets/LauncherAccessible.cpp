#include "LauncherAccessible.h"

#include "APIconQLabel.h"
#include "IconQLabel.h"
#include "ShutdownQLabel.h"
#include "TabQLabel.h"
#include "settings/ActionKind.h"
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
    return tab && tab->isSelected();
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
    case ActionKind::House:
        return theSettings.getString(TextSetting::DIALOG_HOUSE_NAME);
    case ActionKind::Back:
        return theSettings.getString(TextSetting::DIALOG_RETURN_TO_PREV_TAB);
    case ActionKind::PageUp:
        return theSettings.getString(TextSetting::DIALOG_PREVIOUS_PAGE_NAME);
    case ActionKind::PageDown:
        return theSettings.getString(TextSetting::DIALOG_NEXT_PAGE_NAME);
    case ActionKind::Music:
        return theSettings.getString(TextSetting::DIALOG_MUSIC_NAME);
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
