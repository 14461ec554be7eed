#pragma once

#include "TabTree.h"
#include "dialogs/LauncherControl.h"
#include "dialogs/NewIcon.h"

#include <QDialog>
#include <QList>
#include <QTimer>

#include <cstdint>
#include <functional>

class APIconQLabel;
class DragIconPage;
class DropQueue;
class HighlightReporter;
class IconQLabel;
class MissingPrograms;
class Navigator;
class PageBuilder;
class QLabel;
class SwitchScanner;
class TabQLabel;
class TabStrip;
class TitleBar;
class UndoOffer;
struct RemovalOffer;
struct TabEntry;

// The launcher: one frameless window over the work area, the tab strip over the selected tab's
// page of icons; each part of its work (title bar, pages, moving about ...) is a collaborator.
class lumbra : public QDialog, public LauncherControl
{
    Q_OBJECT

public:
    lumbra();
    ~lumbra() override;

    // Builds everything and shows the window; called once, right after construction.
    void initialise();
    // What the first frame does not show (tray icons, shut-down dialog ...) runs once right
    // after it, or sooner by finishStart(); startPending() until then.
    void setRestOfStart(std::function<void()> rest) { restOfStart = std::move(rest); }
    void finishStart();
    bool startPending() const { return bool(restOfStart); }
    void applyTheme() override;
    void tellNotSaved(const QString &text) override;
    bool afterChange(SettingsChange::Outcome outcome, const QString &notSaved) override;
    void setMusic(bool on) override;
    void restore() override;
    bool addIcon(const NewIcon &icon) override;
    QWidget *widget() override { return this; }
    // What a click on an icon, a title-bar button or a tab means; exactly one is given.
    void dispatchAction(APIconQLabel *icon, IconQLabel *button, TabQLabel *tab);
    // The window's own messages (keys, display change) by their Windows numbers; answers false.
    bool handleMessage(unsigned message, std::uintptr_t wParam);
    // Whether Shift or Control (a virtual-key code) is down as the launcher last heard.
    bool isHeld(unsigned virtualKey) const;
    int currentTab() const;
    int selectedIcon() const;
    // Moves the keyboard highlight to the icon at a position of the page on the screen.
    void selectIcon(int position);
    // A tab label pressed: the tab shown is remembered as the way back, then the tab is shown.
    void chooseTab(TabQLabel *tab);
    APIconQLabel *iconAt(int t, int position) const;
    const TabEntry *tab(int t) const;
    int tabCount() const { return int(tabs.size()); }
    // Everything built anew from the store; the tab and highlight stay where they still can.
    void showSettingsAnew();
    // Which tabs stand in the strip and which are folders.
    const TabTree &tabTree() const;
    TitleBar *titleBar() const { return bar; }

signals:
    void timerStart_signal(int);

public slots:
    void timerStart_slot();
    void reject() override;

protected:
    void changeEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void displayChanged();
    void keyDown(unsigned key);
    void removeSelectedIcon();
    void playMusic(bool on);
    void act(APIconQLabel *icon, IconQLabel *button, TabQLabel *tab);
    DragIconPage *pageOf(int t);
    void showFirstPage();
    void checkTargets(int t);
    bool addIconToCurrentTab(const NewIcon &icon);
    void storeMusic(bool on);
    void putBackLabel(const RemovalOffer &offer, int part, bool shownAnew);
    void buildTitleBar();
    void takeDownTabs();
    void showWhetherSettingsAreThere();

    QList<TabEntry *> tabs;
    // Said over the whole window when there are no settings to show.
    QLabel *noSettings = nullptr;
    bool musicPlaying = false, shiftDown = false, controlDown = false;
    QTimer pageBuildTimer;
    std::uintptr_t endpoint = 0;
    TitleBar *bar = nullptr;
    UndoOffer *undo = nullptr;
    MissingPrograms *missing = nullptr;
    DropQueue *drops = nullptr;
    HighlightReporter *reporter = nullptr;
    SwitchScanner *scanner = nullptr;
    std::function<void()> restOfStart;
    PageBuilder *pageBuilder = nullptr;
    TabStrip *tabStrip = nullptr;
    Navigator *navigator = nullptr;
};
