#pragma once

#include <QString>
#include <QStringList>

class SettingStore;

// Settings for launcher tests on a 1024 x 768 screen: R columns, one theme, the tabs' icon
// lists as given (the last `subTabs` tabs are sub-tabs), and `iconCount` icons numbered
// 1 ... iconCount; icons listed in `userIcons` were added by the user, the others are
// default applications. Icon 3 is a folder icon opening the tab at position `folderTarget`.
struct LauncherStore
{
    explicit LauncherStore(const QStringList &tabIcons = {}) : tabIcons(tabIcons) {}

    int columns = 6;
    QStringList tabIcons;
    int subTabs = 0;
    int iconCount = 30;
    QList<int> userIcons;
    int folderTarget = 0;

    void fill(SettingStore &store) const;
    // A tab's icon list of the icons numbered first ... last: "4.5.6".
    static QString iconList(int first, int last);
};
