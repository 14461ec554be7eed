#pragma once

#include "LauncherStore.h"
#include "TestPlatform.h"

#include <QList>
#include <QObject>
#include <QTemporaryDir>

#include <memory>

class APIconQLabel;
class IconQLabel;
class NoticeBubble;
class SettingStore;
class SwitchScanner;
class UndoBar;
class lumbra;
struct TabEntry;

// The base of the tests that drive a launcher window in their own process (a test class
// derives from it; its test functions are its own private slots). Each test function gets a
// fresh TestPlatform and a temporary folder as the current directory, where the launcher
// writes pictures and looks for its music; a launcher started on a LauncherStore is
// theLauncher until the function ends. The helpers reach the launcher the way a person does.
class LauncherFixture : public QObject
{
    Q_OBJECT

public:
    LauncherFixture();
    ~LauncherFixture() override;

protected slots:
    // A test class with an init() or cleanup() of its own calls these from it.
    void init();
    void cleanup();

protected:
    // Fills theSettings from `store` and starts a launcher on them.
    void start(const LauncherStore &store);
    // Starts a launcher on theSettings as the test left them.
    void startOnSettings();
    // A key down (or up) in the launcher window, by its virtual-key code.
    void key(unsigned code, bool down = true);
    void controlZ();
    // Arrows from the first icon of the page shown to `position`, as a person goes there; then
    // Delete takes it off.
    void walkTo(int position);
    void removeAt(int position);
    // The title-bar button of an action kind, and a click on it.
    IconQLabel *button(int kind) const;
    void clickButton(int kind);
    // A press on the label of tab t.
    void pressTab(int t);
    const TabEntry *tab(int t) const;
    APIconQLabel *icon(int t, int position) const;
    // The positions of tab t's icons that are shown.
    QList<int> visiblePositions(int t) const;
    UndoBar *undoBar() const;
    NoticeBubble *notice() const;
    SwitchScanner *scanner() const;
    // The store as the next start reads it, and its list of tab t.
    static SettingStore stored();
    static QString storedList(int t);
    // From now on the store refuses every write, as a full disk or another owner's file does.
    void refuseWrites();
    // Tab t's labels stand in order at their cells, one for each entry of its list that names
    // an icon ("Icon N").
    void verifyLabels(int t);
    // What stands where it should not, measured on the widgets, described; empty when nothing
    // does: an icon of tab t outside its page, over another icon of the same page or under a
    // paging button; a tab label outside the strip, over another or under the house or the
    // speaker; a title-bar button off the screen, or not the widget a click at its middle
    // reaches.
    QString misplaced(int t) const;
    QString folderPath(const QString &name) const { return folder->filePath(name); }

    std::unique_ptr<TestPlatform> platform;
    std::unique_ptr<lumbra> launcher;

private:
    std::unique_ptr<QTemporaryDir> folder;
    QString savedDirectory;
};
