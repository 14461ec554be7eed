#pragma once

#include "IconInfo.h"
#include "IconLayout.h"
#include "MySystem.h"
#include "SettingIds.h"
#include "StoreOrigin.h"
#include "TabInfo.h"
#include "TabsInfo.h"
#include "ThemeInfo.h"

#include <QList>
#include <QSet>
#include <QString>

class QColor;
class QFont;
class QPoint;

// Every persistent setting of the launcher. Windows and widgets ask for values by id
// (SettingIds.h) at the moment they need them; nothing is cached, so a changed theme shows at
// once. (The one exception is invisible: the icon list parsed last is kept with the text it
// came from, and parsed anew whenever a tab's list is another text.)
// The accessors never read outside a list: an index or icon number that points nowhere gives
// the accessor's fallback (-1, "NULL", an invalid colour, a default font).
// They answer the values the launcher can be drawn with: a CURRENT_THEME that names no theme
// is the first theme, and a size no launcher can have (an icon 0 pixels wide, no columns, a
// negative reserve) is the factory size, each said once on stderr. The records keep what is
// stored, and nothing is written for these.
// The records hold every text as it is stored, %NAME% references and all, so that a save
// writes back what was there; the accessors that hand out texts expand the references.
class SettingStore
{
public:
    MySystem mySystem;
    TabsInfo tabsInfo;
    QList<TabInfo> tabs;
    IconLayout iconLayout;
    QList<IconInfo> icons;
    QList<ThemeInfo> themes;
    // What loading found; not stored.
    StoreOrigin origin;

    // Computed by computeIconGrid for the current screen; not stored.
    int iconColumnGap = 0;
    int iconRowGap = 0;
    int gridLeft = 0;
    int gridTop = 0;
    // How much the launcher's sizes are scaled on this screen (ScreenFit), and the icon cell
    // at that scale.
    double gridScale = 1;
    int cellWidth = 0;
    int cellHeight = 0;

    int getInt(int id) const;
    QString getString(int id) const;
    QFont getFont(int id) const;
    QColor getColor(int id) const;
    int getThemeInt(int id) const;
    QString getThemeName(int id, int themeIndex) const;
    int getThemeImageCount(int id, int themeIndex) const;
    QString getThemeImagePath(int id, int themeIndex, int imageIndex) const;
    QString getTabString(int id, int tabIndex) const;
    int getTabInt(int id, int index) const;
    int getTabIconInt(int id, int tabIndex, int position) const;
    QString getTabIconString(int id, int tabIndex = 0, int position = 0) const;

    void computeIconGrid();
    QPoint getIconPosition(int position) const;
    // A size of the launcher (a setting's pixels) at the scale computeIconGrid found.
    int scaled(int size) const;

private:
    const ThemeInfo *currentTheme() const;
    int usable(int id, int stored, const QString &owner = QString()) const;
    void reportOnce(const QString &line) const;
    const TabInfo *tabAt(int tabIndex) const;
    const IconInfo *iconAt(int tabIndex, int position) const;
    QString themePicture(const QString ThemeInfo::*field) const;
    int screenWidth() const;
    int screenHeight() const;
    const QList<int> &iconNumbersOfTab(const TabInfo &tab) const;

    // The icon list parsed last. A page asks for every position of one tab several times;
    // parsing the whole list each time made a tab of thousands of icons take minutes. The
    // copy keeps the text's data alive, so the same data means the same, unchanged text.
    mutable QString parsedIconList;
    mutable QList<int> parsedIconNumbers;
    // The fallbacks already said on stderr.
    mutable QSet<QString> reported;
};

extern SettingStore theSettings;

// The icon numbers of a "."-separated TAB_ITEM_ALL_ICONS, empty parts included; a part that
// is not a number gives 0. An empty text has no positions.
QList<int> iconNumbersOf(const QString &allIcons);
