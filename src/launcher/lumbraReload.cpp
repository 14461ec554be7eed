// The settings changing under the launcher: a person's change that found the store changed by
// someone else (an install, another launcher) has read it again, and the window is built anew
// from it; a change that no longer fits, or that the store refused, is said on the screen;
// and where there are no settings to show at all, the window says so and what to do.

#include "lumbra.h"

#include "LauncherGeometry.h"
#include "Navigator.h"
#include "PageBuilder.h"
#include "SwitchScanner.h"
#include "TabEntry.h"
#include "TabStrip.h"
#include "TitleBar.h"
#include "UndoOffer.h"
#include "platform/Diagnostic.h"
#include "settings/ActionKind.h"
#include "settings/SettingStore.h"
#include "widgets/APIconQLabel.h"
#include "widgets/DragIconPage.h"
#include "widgets/IconQLabel.h"

#include <QFont>
#include <QLabel>
#include <QPalette>

#include <algorithm>

using G = LauncherGeometry;

bool lumbra::afterChange(SettingsChange::Outcome outcome, const QString &notSaved)
{
    if (SettingsChange::redrawNeeded(outcome))
        showSettingsAnew();
    if (outcome == SettingsChange::Outcome::NoLongerFits) {
        printDiagnostic(
            QStringLiteral("the settings were changed meanwhile and no longer fit the change; it was not made"));
        tellNotSaved(theSettings.getString(TextSetting::DIALOG_CHANGED_MEANWHILE));
        return false;
    }
    if (outcome == SettingsChange::Outcome::StoreRefused) {
        printDiagnostic(notSaved);
        tellNotSaved(notSaved);
        return false;
    }
    return true;
}

void lumbra::storeMusic(bool on)
{
    setMusic(on);
    afterChange(SettingsChange::setNumber(QStringLiteral("MUSIC_BACKGROUND_ON"), on ? 1 : 0).applyTo(theSettings),
                tr("The music setting could not be kept for the next start: Lumbra could not save its settings."));
}

void lumbra::showSettingsAnew()
{
    if (!bar)
        return;
    const Navigator::Selection kept = navigator->selection();
    takeDownTabs();
    theSettings.computeIconGrid();
    buildTitleBar();
    if (musicPlaying)
        bar->button(ActionKind::Music)->showPressedImage();
    tabStrip->build(bar->tabArea(), tabs);
    showWhetherSettingsAreThere();
    navigator->reset();
    if (!tabs.isEmpty()) {
        // A tab that is still there stays, a folder's page too; one that went gives way to the
        // last tab of the strip.
        const int last = std::max(0, int(tabTree().stripTabs().size()) - 1);
        const int t = kept.currentTab < tabs.size() ? kept.currentTab : last;
        navigator->setReturnTab(std::min(kept.returnTab, last));
        navigator->showTab(t);
        navigator->showIconOf(t, kept.selectedIcon);
    }
    navigator->markSelection();
    undo->review();
    undo->place();
    scanner->start(SwitchScanner::stepTime(theSettings.mySystem.SWITCH_SCAN_MS));
    emit timerStart_signal(100);
}

// The old widgets are hidden at once and deleted once the event that led here is done: the
// button or icon that was pressed may be one of them.
void lumbra::takeDownTabs()
{
    pageBuildTimer.stop();
    pageBuilder->places().forget();
    // The back bar and the paging buttons may stand on a page; off it, the title bar takes
    // them with it.
    bar->hideBackBar();
    for (const int kind : {ActionKind::PageUp, ActionKind::PageDown}) {
        IconQLabel *button = bar->button(kind);
        button->hide();
        button->setParent(nullptr);
    }
    // The tab area holds the house and speaker buttons, the tab labels and the separators.
    QList<QWidget *> old{bar->tabArea()};
    for (const TabEntry *entry : std::as_const(tabs))
        old.append(entry->page);
    for (QWidget *widget : std::as_const(old)) {
        if (widget) {
            widget->hide();
            widget->deleteLater();
        }
    }
    bar->deleteLater();
    bar = nullptr;
    qDeleteAll(tabs);
    tabs.clear();
    tabStrip->forget();
}

// Without settings the window would be a blank grey screen that says nothing. The message
// needs no settings to be read; the tray's Exit still ends the launcher.
void lumbra::showWhetherSettingsAreThere()
{
    const StoreOrigin::State state = theSettings.origin.state;
    if (state != StoreOrigin::State::Unreadable && state != StoreOrigin::State::NoTree) {
        delete noSettings;
        noSettings = nullptr;
        return;
    }
    if (!noSettings) {
        printDiagnostic(QStringLiteral("lumbra: there are no settings to show; install them with "
                                       "\"lumbra --installRegister\""));
        noSettings = new QLabel(this);
        noSettings->setObjectName(QStringLiteral("noSettings"));
        noSettings->setWordWrap(true);
        noSettings->setAlignment(Qt::AlignCenter);
        noSettings->setTextFormat(Qt::RichText);
        noSettings->setAutoFillBackground(true);
        QPalette palette = noSettings->palette();
        palette.setColor(QPalette::Window, QColor(0xf4, 0xf1, 0xea));
        palette.setColor(QPalette::WindowText, QColor(0x20, 0x20, 0x20));
        noSettings->setPalette(palette);
        noSettings->setText(tr("<p style=\"font-size: large\"><b>Lumbra's settings could not be read.</b></p>"
                               "<p>There is nothing to show until they are installed again. Please ask "
                               "the person who looks after this computer to run the command</p>"
                               "<p><tt>lumbra --installRegister</tt></p>"));
    }
    const int width = G::screenWidth();
    const int height = G::screenHeight();
    QFont font = noSettings->font();
    font.setPixelSize(std::clamp(std::min(width, height) / 24, 20, 48));
    noSettings->setFont(font);
    const int margin = std::min(width, height) / 10;
    noSettings->setContentsMargins(margin, margin, margin, margin);
    noSettings->setGeometry(0, 0, width, height);
    noSettings->show();
    noSettings->raise();
}
