#pragma once

#include <QDialog>
#include <QList>
#include <QPair>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <string>

#include "RemovalOffer.h"
#include "dialogs/LauncherControl.h"
#include "dialogs/NewIcon.h"

class APIconQLabel;
class DragIconPage;
class HighlightReporter;
class IconQLabel;
class NoticeBubble;
class QLabel;
class SwitchScanner;
class TabQLabel;
class ThemeSettingDialog;
class UndoBar;
struct TabEntry;

// The launcher: one frameless window over the whole work area, a strip of tabs across its
// top and, under it, the page of the selected tab with its grid of application icons.
class lumbra : public QDialog, public LauncherControl
{
    Q_OBJECT

public:
    lumbra();
    ~lumbra() override;

    // Builds everything and shows the window; called once, right after construction.
    void initialise();
    // What the dialogs and the tray ask of the launcher (LauncherControl).
    void applyTheme() override;
    void tellNotSaved(const QString &text) override;
    void setMusic(bool on) override;
    void restore() override;
    bool addIcon(const NewIcon &icon) override;
    QWidget *widget() override { return this; }

    // Carries out what a click on an icon, a title-bar button or a tab means. Exactly one of
    // the three is given.
    void dispatchAction(APIconQLabel *icon, IconQLabel *button, TabQLabel *tab);
    static QString workingDirectoryOf(const QString &target);

    // The window's own messages (keys, display change) by their Windows numbers. Answers
    // false: the window goes on to handle every message as usual.
    bool handleMessage(unsigned message, std::uintptr_t wParam);

    // Both are stored at once. A change the store refuses is taken back and the person is
    // told; addIconToCurrentTab then answers false.
    bool addIconToCurrentTab(const NewIcon &icon);
    void removeSelectedIcon();
    // While the undo bar shows, puts the icon the last Delete took off back where it was,
    // stores that at once and highlights it. False when nothing is offered or the store
    // refused (the person is told).
    bool undoRemoval();
    // Dims the icons of tab t whose program or document is not on this computer, and shows
    // again those that have come back.
    void checkTargets(int t);

    // Pages and navigation.
    void buildTabStrip();
    DragIconPage *buildTabPage(int t);
    void showFirstPage();
    void switchToTab(int t);
    void updatePagingButtons(int t);
    void showIconRange(int t, int first, int last);
    void updateBackTitleBar(int t);
    void resetIconHighlight(int t);
    // Moves the keyboard highlight to the icon at a position of the page on the screen.
    void selectIcon(int position);
    // A tab label pressed: the tab shown is remembered as the way back, then the tab is shown.
    void chooseTab(TabQLabel *tab);
    void relayoutTab(int t);
    void relayoutTitleBarButtons();

    // A size from the settings as the launcher uses it: nothing it places is larger than the
    // screen, and nothing smaller than nothing.
    static int pixels(int size);
    // Where the icon at a position stands on its page, kept well inside the int range.
    static QPoint cellOf(int position);
    // Icons per row as the launcher counts them: at least one, and never so many that a
    // page's count overflows.
    static int columnCount();

    // The icon label at a position of a tab, or null.
    APIconQLabel *iconAt(int t, int position) const;
    int topLevelTabCount() const;

    bool shiftDown = false;
    bool controlDown = false;
    UndoBar *undoBar = nullptr;
    QPointer<NoticeBubble> notInstalledNotice;
    ThemeSettingDialog *themeDialog = nullptr;
    QList<TabEntry *> tabs;
    QList<QLabel *> separators;
    QLabel *tabArea = nullptr;
    QLabel *backTitleBar = nullptr;
    IconQLabel *upButton = nullptr;
    IconQLabel *downButton = nullptr;
    IconQLabel *backButton = nullptr;
    IconQLabel *houseButton = nullptr;
    IconQLabel *speakerButton = nullptr;
    int currentTab = 0;
    int returnTab = 0;
    int selectedIcon = 0;
    int previousSelectedIcon = 0;
    QTimer pageBuildTimer;
    // Dropped programs waiting for their drop dialog: path and file name.
    QList<QPair<QString, QString>> pendingDrops;
    // Tells the screen reader and the voice where the highlight is; scans with one switch.
    HighlightReporter *reporter = nullptr;
    SwitchScanner *scanner = nullptr;

signals:
    void timerStart_signal(int);

public slots:
    void timerStart_slot();
    void reject() override;
    // A program dropped on a page: its drop dialog opens once the drop has ended, one
    // dialog after the other when several were dropped together.
    void applicationDropped(const QString &path, const QString &fileName);

protected:
    void changeEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    static int screenWidth();
    static int screenHeight();
    static int tabAreaHeight();
    static int iconsPerPage();
    static int themeBarHeight();
    static std::u16string musicPath();

    void fitToScreen();
    void fitTabArea();
    void paintTabAreaColour();
    void buildTitleBarWidgets();
    void setUpButton(IconQLabel *button, int kind, QWidget *parent);
    void hideSubTabLabels();
    APIconQLabel *makeIcon(int t, int part, int position);
    DragIconPage *pageOf(int t);
    void showWindow();
    void showPagePicture(int t);
    void showTabLabels(int selected);
    void highlight(APIconQLabel *icon);
    void iconHovered(APIconQLabel *icon, bool entered);
    // Puts the widgets' "selected" flags on the icon at selectedIcon and the label of
    // currentTab, and takes them off the others.
    void markSelection();
    QPointer<APIconQLabel> markedIcon;
    int storePartOf(int t, int position) const;
    void refreshPagingButtons();

    void keyDown(unsigned key);
    void displayChanged();
    void nextTab();
    void previousTab();
    void startSelectedIcon();
    void moveHighlight(unsigned key);

    void act(APIconQLabel *icon, IconQLabel *button, TabQLabel *tab);
    void tabClicked(TabQLabel *tab);
    void openSubTab(APIconQLabel *icon);
    void goBack();
    void pageUp();
    void pageDown();
    void showPage(int page);
    void startProgram(APIconQLabel *icon);
    void openWithShell(const QString &target);
    void openThemeDialog();

    void openNextDropDialog();

    // A missing program or document is said in a bubble instead of being started; true then.
    bool tellIfMissing(APIconQLabel *icon);
    void offerUndo(const RemovalOffer &offer);
    void placeUndoBar();
    void putBackLabel(const RemovalOffer &offer, int part);
    void showRestoredIcon(int t, int position);
    void onLauncherShownAgain();
    RemovalOffer removalOffer;

    void showPictureAfterFirstFrame(QWidget *page);
    void markAllBuilt();

    std::uintptr_t endpoint = 0;
};
