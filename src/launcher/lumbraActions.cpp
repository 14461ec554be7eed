// What a click or a key does: the dispatcher, starting applications, the keyboard, and
// adding and taking off icons.

#include "lumbra.h"

#include "TabEntry.h"
#include "dialogs/CaregiverLock.h"
#include "dialogs/DropIconDialog.h"
#include "dialogs/NewIcon.h"
#include "dialogs/ThemeSettingDialog.h"
#include "platform/Diagnostic.h"
#include "platform/Platform.h"
#include "platform/Shell.h"
#include "platform/Sound.h"
#include "platform/SystemServices.h"
#include "platform/WindowMessages.h"
#include "settings/ActionKind.h"
#include "settings/SettingStore.h"
#include "settings/SettingsPersistence.h"
#include "widgets/APIconQLabel.h"
#include "widgets/DragIconPage.h"
#include "widgets/IconQLabel.h"
#include "widgets/TabQLabel.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QStringList>
#include <QSystemTrayIcon>
#include <QTimer>

#include <algorithm>

namespace {

std::u16string utf16(const QString &text)
{
    return text.toStdU16String();
}

bool quoted(const QString &text)
{
    return text.size() >= 2 && text.startsWith(u'"') && text.endsWith(u'"');
}

QString unquoted(const QString &text)
{
    return quoted(text) ? text.mid(1, text.size() - 2) : text;
}

class WaitCursor
{
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};

} // namespace

void lumbra::dispatchAction(APIconQLabel *icon, IconQLabel *button, TabQLabel *tab)
{
    // Before initialise() has built the window there is nothing to act on.
    if (!tabArea)
        return;
    if (!icon || !tellIfMissing(icon))
        act(icon, button, tab);
    markSelection();
}

void lumbra::act(APIconQLabel *icon, IconQLabel *button, TabQLabel *tab)
{
    const int kind = icon ? icon->kind : button ? button->kind : tab ? tab->kind : 0;
    switch (kind) {
    case ActionKind::StartProgram:
        if (icon)
            startProgram(icon);
        break;
    case ActionKind::OpenWithShell:
        if (icon)
            openWithShell(icon->exeLocation);
        break;
    case ActionKind::Tab:
        if (tab)
            tabClicked(tab);
        break;
    case ActionKind::House:
        // Only the tray icon brings a minimised launcher back; without a tray to show it, the
        // person would be left with an empty screen and no way back.
        if (theSettings.getInt(IntSetting::ALWAYS_ON_BACKGROUND) == 0 && QSystemTrayIcon::isSystemTrayAvailable())
            showMinimized();
        break;
    case ActionKind::SubTab:
        if (icon)
            openSubTab(icon);
        break;
    case ActionKind::Back:
        goBack();
        break;
    case ActionKind::PageUp:
        pageUp();
        break;
    case ActionKind::PageDown:
        pageDown();
        break;
    case ActionKind::ThemeDialog:
        if (icon)
            openThemeDialog();
        break;
    case ActionKind::Music:
        if (button && button == speakerButton)
            setMusic(theSettings.mySystem.MUSIC_BACKGROUND_ON == 0);
        break;
    default:
        break;
    }
}

// Targets are stored quoted with doubled backslashes ("C:\\Tools\\a.exe"), and then the
// folder is everything up to the last doubled backslash. Any other target (single
// backslashes, forward slashes, an unquoted path such as /usr/bin/vlc) starts in the folder
// its path names; a bare program name in the launcher's own folder.
QString lumbra::workingDirectoryOf(const QString &target)
{
    const qsizetype doubled = target.lastIndexOf(QLatin1String("\\\\"));
    if (quoted(target) && doubled > 0)
        return target.left(doubled + 2).mid(1);
    const QString path = unquoted(target);
    const qsizetype separator = std::max(path.lastIndexOf(u'\\'), path.lastIndexOf(u'/'));
    return separator < 0 ? QString() : path.left(separator + 1);
}

void lumbra::startProgram(APIconQLabel *icon)
{
    const QString &target = icon->exeLocation;
    platform::shell().startDetached(utf16(target), {}, utf16(workingDirectoryOf(target)));
    if (icon->tabNumber == 6 && icon->position == 6) {
        platform::WindowMessages &windows = platform::windows();
        const platform::WindowHandle window =
            windows.findWindow(u"SymHTMLWindow", u"Norton Internet Security");
        windows.showWindow(window, platform::kSwShowNormal);
    }
}

void lumbra::openWithShell(const QString &target)
{
    const QString directory = u'"' + workingDirectoryOf(target) + u'"';
    platform::shell().shellOpen(utf16(target), utf16(directory));
}

void lumbra::setMusic(bool on)
{
    theSettings.mySystem.MUSIC_BACKGROUND_ON = on ? 1 : 0;
    if (on) {
        if (speakerButton)
            speakerButton->showPressedImage();
        platform::sound().play(musicPath());
    } else {
        if (speakerButton)
            speakerButton->showNormalImage();
        platform::sound().stop();
    }
}

std::u16string lumbra::musicPath()
{
    std::u16string folder = platform::system().currentDirectory();
    if (!folder.empty() && folder.back() != u'/' && folder.back() != u'\\')
        folder += u'/';
    return folder + u"bgmusic.wav";
}

void lumbra::openThemeDialog()
{
    if (!CaregiverLock::allow(CaregiverLock::Action::ThemeDialog, this))
        return;
    themeDialog = new ThemeSettingDialog(nullptr);
    themeDialog->setupThemeDialog();
    themeDialog->loadThemeList();
    themeDialog->exec();
    delete themeDialog;
    themeDialog = nullptr;
}

void lumbra::applicationDropped(const QString &path, const QString &fileName)
{
    pendingDrops.append({path, fileName});
    if (pendingDrops.size() == 1)
        QTimer::singleShot(0, this, &lumbra::openNextDropDialog);
}

// Dialogs run after the drop has been answered: a modal loop inside the drop would keep
// the file manager waiting for it.
void lumbra::openNextDropDialog()
{
    // One PIN for everything dropped together; without it nothing of the drop is added.
    if (!pendingDrops.isEmpty() && !CaregiverLock::allow(CaregiverLock::Action::Drop, this))
        pendingDrops.clear();
    while (!pendingDrops.isEmpty()) {
        QString path = pendingDrops.first().first;
        const QString fileName = pendingDrops.first().second;
        DropIconDialog dialog;
        dialog.setDroppedFile(path, fileName);
        dialog.exec();
        pendingDrops.removeFirst();
    }
}

void lumbra::nextTab()
{
    const int count = topLevelTabCount();
    if (count == 0)
        return;
    if (TabEntry *entry = tabs.value(currentTab))
        entry->tabLabel->paintUnselected();
    currentTab = currentTab < count - 1 ? currentTab + 1 : 0;
    dispatchAction(nullptr, nullptr, tabs.at(currentTab)->tabLabel);
}

void lumbra::previousTab()
{
    const int count = topLevelTabCount();
    if (count == 0)
        return;
    if (TabEntry *entry = tabs.value(currentTab))
        entry->tabLabel->paintUnselected();
    // From a sub-tab, as from the first tab, Shift+Tab goes to the last tab of the strip.
    currentTab = currentTab >= 1 && currentTab <= count ? currentTab - 1 : count - 1;
    dispatchAction(nullptr, nullptr, tabs.at(currentTab)->tabLabel);
}

void lumbra::startSelectedIcon()
{
    APIconQLabel *icon = iconAt(currentTab, selectedIcon);
    if (!icon || icon->clickBlocked)
        return;
    icon->startClickBlock();
    icon->growStep();
    dispatchAction(icon, nullptr, nullptr);
}

void lumbra::moveHighlight(unsigned key)
{
    if (currentTab < 0 || currentTab >= tabs.size())
        return;
    const int count = int(tabs.at(currentTab)->icons.size());
    const int columns = columnCount();
    const int perPage = iconsPerPage();
    const int s = selectedIcon;
    int target = s;
    switch (key) {
    case platform::kVkLeft:
        target = s - 1;
        break;
    case platform::kVkRight:
        target = s + 1;
        break;
    case platform::kVkUp:
        target = s / columns > 0 ? s - columns : -1;
        break;
    case platform::kVkDown:
        target = s + columns;
        break;
    default:
        return;
    }
    if (target < 0 || target >= count)
        return;
    const int page = s / perPage;
    if (target / perPage == page) {
        if (APIconQLabel *previous = iconAt(currentTab, previousSelectedIcon))
            previous->refreshFace(true);
        iconAt(currentTab, s)->refreshFace(true);
        previousSelectedIcon = key == platform::kVkLeft || key == platform::kVkRight ? s : target;
        selectedIcon = target;
        highlight(iconAt(currentTab, target));
        return;
    }
    // Across a page boundary: the page action shows the new page and highlights its first
    // icon, which the key then moves on to its own target.
    if (target / perPage < page)
        pageUp();
    else
        pageDown();
    if (key == platform::kVkRight)
        return;
    if (APIconQLabel *first = iconAt(currentTab, selectedIcon))
        first->refreshFace(true);
    selectedIcon = target;
    highlight(iconAt(currentTab, target));
}

bool lumbra::addIcon(const NewIcon &icon)
{
    const bool added = addIconToCurrentTab(icon);
    markSelection();
    return added;
}

bool lumbra::addIconToCurrentTab(const NewIcon &newIcon)
{
    if (currentTab < 0 || currentTab >= tabs.size() || currentTab >= theSettings.tabs.size())
        return false;
    const int storedKind = newIcon.kind == ActionKind::OpenWithShell ? ActionKind::OpenWithShell
                                                                     : ActionKind::StartProgram;
    IconInfo record;
    record.ICON_ID = int(theSettings.icons.size()) + 1;
    record.ICON_AP_PNG_FILE_NAME = newIcon.image;
    record.ICON_AP_NAME = newIcon.name;
    record.ICON_AP_TOOLTIP_NAME = newIcon.name;
    record.ICON_AP_EXE_LOCATION = newIcon.target;
    record.ICON_DATA_TYPE = storedKind;
    record.ICON_IS_DEFAULT_APP = 0;
    record.ICON_DIRTY = 1;
    record.ICON_SUB_TAB_ID = 0;
    theSettings.icons.append(record);
    QString &list = theSettings.tabs[currentTab].TAB_ITEM_ALL_ICONS;
    const QString listBefore = list;
    list = list.isEmpty() ? QString::number(record.ICON_ID) : list + u'.' + QString::number(record.ICON_ID);
    if (!saveAllSettings(theSettings)) {
        // Shown but not stored, the icon would be gone at the next start without a word.
        theSettings.icons.removeLast();
        list = listBefore;
        printDiagnostic(QStringLiteral("the new icon \"%1\" could not be stored").arg(newIcon.name));
        tellNotSaved(tr("\"%1\" could not be added: Lumbra could not save its settings.").arg(newIcon.name));
        return false;
    }

    TabEntry *entry = tabs.at(currentTab);
    const int parts = theSettings.getTabInt(TabIntSetting::ICON_POSITION_COUNT, currentTab);
    APIconQLabel *icon = makeIcon(currentTab, parts - 1, int(entry->icons.size()));
    icon->setParent(pageOf(currentTab));
    entry->icons.append(icon);
    // The new icon is shown when it falls on the page on the screen.
    const int perPage = iconsPerPage();
    icon->setVisible(icon->position / perPage == selectedIcon / perPage);
    refreshPagingButtons();
    checkTargets(currentTab);
    return true;
}

// The launcher covers the screen and nobody reads its standard error: a change that could not
// be saved is told in a message of its own, which does not hold up the launcher.
void lumbra::tellNotSaved(const QString &text)
{
    auto *message = new QMessageBox(QMessageBox::Warning, windowTitle(), text, QMessageBox::Ok, this);
    message->setAttribute(Qt::WA_DeleteOnClose);
    message->open();
}

// The paging buttons follow the number of icons on the tab that is shown.
void lumbra::refreshPagingButtons()
{
    const bool paged = tabs.at(currentTab)->icons.size() > iconsPerPage();
    for (IconQLabel *button : {upButton, downButton}) {
        if (paged) {
            button->setParent(tabs.at(currentTab)->page);
            button->show();
            button->raise();
        } else {
            button->hide();
        }
    }
}

void lumbra::removeSelectedIcon()
{
    const int s = selectedIcon;
    APIconQLabel *icon = iconAt(currentTab, s);
    if (!icon || currentTab >= theSettings.tabs.size())
        return;
    const int part = storePartOf(currentTab, s);
    if (part < 0 || theSettings.getTabIconInt(TabIconIntSetting::ICON_IS_DEFAULT_APP, currentTab, part) != 0)
        return;
    if (!CaregiverLock::allow(CaregiverLock::Action::Delete, this))
        return;
    printDiagnostic(QString::number(theSettings.getTabIconInt(TabIconIntSetting::ICON_INDEX, currentTab, part) + 1));
    WaitCursor wait;
    // Exactly the entry under the highlight goes, even when the same icon is listed twice.
    QString &list = theSettings.tabs[currentTab].TAB_ITEM_ALL_ICONS;
    const QString listBefore = list;
    QStringList parts = list.split(u'.', Qt::KeepEmptyParts);
    const QString removed = parts.takeAt(part);
    list = parts.join(u'.');
    if (!saveAllSettings(theSettings)) {
        // Taken off the screen but not from the store, the icon would come back at the next start.
        list = listBefore;
        printDiagnostic(QStringLiteral("taking the icon \"%1\" off could not be stored").arg(icon->name));
        tellNotSaved(tr("\"%1\" could not be taken off: Lumbra could not save its settings.").arg(icon->name));
        return;
    }
    offerUndo({currentTab, part, removed, listBefore, list, s, icon->name});

    QList<APIconQLabel *> &icons = tabs[currentTab]->icons;
    icons.removeAt(s);
    icon->hide();
    icon->deleteLater();
    for (int position = s; position < icons.size(); ++position) {
        APIconQLabel *later = icons.at(position);
        later->position = position;
        const QPoint cell = cellOf(position);
        later->moveTo(cell.x(), cell.y());
    }
    const int left = int(icons.size());
    if (left == 0)
        return refreshPagingButtons();
    selectedIcon = std::min(s, left - 1);
    previousSelectedIcon = selectedIcon;
    // The page shown is the one that holds the highlight, also when the last icon of a
    // page was taken off.
    const int perPage = iconsPerPage();
    const int page = selectedIcon / perPage;
    showIconRange(currentTab, page * perPage, std::min((page + 1) * perPage, left) - 1);
    highlight(icons.at(selectedIcon));
    refreshPagingButtons();
}
