// What a screen reader is given, checked through Qt's accessibility interfaces in the
// process (the same objects the AT-SPI bridge serves on the accessibility bus): names,
// roles and states of icons, title-bar buttons and tabs, and the highlight as the focused
// one. Qt hands focus events on only where a platform bridge is active, which the offscreen
// platform has none of: tst_e2e_screenreader hears them on the accessibility bus.

#include "LauncherFixture.h"

#include "launcher/TabEntry.h"
#include "launcher/TitleBar.h"
#include "launcher/lumbra.h"
#include "platform/WindowMessages.h"
#include "settings/ActionKind.h"
#include "settings/SettingStore.h"
#include "widgets/APIconQLabel.h"
#include "widgets/IconQLabel.h"
#include "widgets/LauncherAccessible.h"
#include "widgets/TabQLabel.h"

#include <QAccessible>
#include <QHash>
#include <QTest>

namespace {

const QString kLongTabName = QStringLiteral("A tab whose name is far too long for the strip");

LauncherStore accessibleStore()
{
    return LauncherStore({LauncherStore::iconList(1, 20), QStringLiteral("1.2")});
}

} // namespace

class tst_Accessibility : public LauncherFixture
{
    Q_OBJECT

private slots:
    void init();

    void widgetsAreNamed_data();
    void widgetsAreNamed();
    void shortenedTabKeepsItsFullName();
    void highlightIsTheFocus_data();
    void highlightIsTheFocus();
    void treeReachesTheIcons();

private:
    QWidget *widgetNamed(const QString &which) const;
};

void tst_Accessibility::init()
{
    LauncherFixture::init();
    accessibleStore().fill(theSettings);
    theSettings.tabs[1].TAB_ITEM_NAME = kLongTabName;
    theSettings.icons[2].ICON_AP_TOOLTIP_NAME = QStringLiteral("Write letters");
    startOnSettings();
}

QWidget *tst_Accessibility::widgetNamed(const QString &which) const
{
    if (which == QLatin1String("icon"))
        return launcher->iconAt(0, 2);
    if (which == QLatin1String("tab"))
        return launcher->tab(0)->tabLabel;
    if (which == QLatin1String("other tab"))
        return launcher->tab(1)->tabLabel;
    const QHash<QString, int> kinds{{QStringLiteral("page down"), ActionKind::PageDown},
                                    {QStringLiteral("page up"), ActionKind::PageUp},
                                    {QStringLiteral("back"), ActionKind::Back},
                                    {QStringLiteral("house"), ActionKind::House}};
    return button(kinds.value(which, ActionKind::Music));
}

void tst_Accessibility::widgetsAreNamed_data()
{
    QTest::addColumn<QString>("which");
    QTest::addColumn<int>("role");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("description");
    QTest::addColumn<bool>("selected");

    QTest::newRow("icon") << "icon" << int(QAccessible::Button) << "Icon 3" << "Write letters" << false;
    QTest::newRow("shown tab") << "tab" << int(QAccessible::PageTab) << "Tab 1" << "Tab 1" << true;
    QTest::newRow("other tab") << "other tab" << int(QAccessible::PageTab) << kLongTabName << kLongTabName << false;
    QTest::newRow("page down") << "page down" << int(QAccessible::Button) << "Next page" << "" << false;
    QTest::newRow("page up") << "page up" << int(QAccessible::Button) << "Previous page" << "" << false;
    QTest::newRow("back") << "back" << int(QAccessible::Button) << "Back" << "" << false;
    QTest::newRow("house") << "house" << int(QAccessible::Button) << "Hide Lumbra" << "" << false;
    QTest::newRow("music") << "music" << int(QAccessible::Button) << "Music" << "" << false;
}

void tst_Accessibility::widgetsAreNamed()
{
    QFETCH(QString, which);
    QFETCH(int, role);
    QFETCH(QString, name);
    QFETCH(QString, description);
    QFETCH(bool, selected);
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(widgetNamed(which));
    QVERIFY(face && face->isValid());
    QCOMPARE(int(face->role()), role);
    QCOMPARE(face->text(QAccessible::Name), name);
    QCOMPARE(face->text(QAccessible::Description), description);
    QVERIFY(face->state().focusable);
    QCOMPARE(bool(face->state().selected), selected);
}

void tst_Accessibility::shortenedTabKeepsItsFullName()
{
    TabQLabel *tab = launcher->tab(1)->tabLabel;
    QVERIFY2(tab->name.endsWith(QLatin1String("...")), qPrintable(tab->name));
    QCOMPARE(QAccessible::queryAccessibleInterface(tab)->text(QAccessible::Name), kLongTabName);
}

void tst_Accessibility::highlightIsTheFocus_data()
{
    QTest::addColumn<QList<unsigned>>("keys");
    QTest::addColumn<int>("focused");
    QTest::newRow("right") << QList<unsigned>{platform::kVkRight} << 1;
    QTest::newRow("down") << QList<unsigned>{platform::kVkDown} << 6;
    QTest::newRow("right, right, left") << QList<unsigned>{platform::kVkRight, platform::kVkRight, platform::kVkLeft}
                                        << 1;
    QTest::newRow("over the page edge") << QList<unsigned>{platform::kVkDown, platform::kVkDown, platform::kVkDown}
                                        << 18;
}

void tst_Accessibility::highlightIsTheFocus()
{
    QFETCH(QList<unsigned>, keys);
    QFETCH(int, focused);
    for (unsigned key : keys)
        launcher->handleMessage(platform::kWmKeyDown, key);
    QCOMPARE(launcher->selectedIcon(), focused);
    // Exactly one icon is focused, the highlighted one.
    for (APIconQLabel *icon : launcher->tab(0)->icons) {
        QAccessibleInterface *face = QAccessible::queryAccessibleInterface(icon);
        QCOMPARE(bool(face->state().focused), icon->position == focused);
    }
}

// A reader walks the tree from the window down: the icons of the shown page are in it.
void tst_Accessibility::treeReachesTheIcons()
{
    QAccessibleInterface *window = QAccessible::queryAccessibleInterface(launcher.get());
    QVERIFY(window);
    QStringList found;
    QList<QAccessibleInterface *> pending{window};
    while (!pending.isEmpty()) {
        QAccessibleInterface *face = pending.takeFirst();
        if (face->role() == QAccessible::Button && !face->state().invisible)
            found.append(face->text(QAccessible::Name));
        for (int i = 0; i < face->childCount(); ++i)
            pending.append(face->child(i));
    }
    for (int n = 1; n <= 18; ++n)
        QVERIFY2(found.contains(QStringLiteral("Icon %1").arg(n)), qPrintable(found.join(u',')));
    QVERIFY(!found.contains(QStringLiteral("Icon 19")));
}

QTEST_MAIN(tst_Accessibility)
#include "tst_accessibility.moc"
