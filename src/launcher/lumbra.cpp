#include "lumbra.h"

#include "TabEntry.h"

lumbra *theLauncher = nullptr;

// First version: the window's behaviour is being written.
lumbra::lumbra()
{
}

lumbra::~lumbra()
{
    qDeleteAll(tabs);
}

void lumbra::initialise() {}
void lumbra::applyTheme() {}
void lumbra::dispatchAction(APIconQLabel *, IconQLabel *, TabQLabel *) {}
QString lumbra::workingDirectoryOf(const QString &target) { return target; }
bool lumbra::handleMessage(unsigned, std::uintptr_t) { return false; }
int lumbra::fileKindOf(const QString &) { return -1; }
void lumbra::addIconToCurrentTab() {}
void lumbra::removeSelectedIcon() {}
void lumbra::buildTabStrip() {}
DragIconPage *lumbra::buildTabPage(int) { return nullptr; }
void lumbra::showFirstPage() {}
void lumbra::switchToTab(int) {}
void lumbra::updatePagingButtons(int) {}
void lumbra::showIconRange(int, int, int) {}
void lumbra::updateBackTitleBar(int) {}
void lumbra::resetIconHighlight(int) {}
void lumbra::relayoutTab(int) {}
void lumbra::relayoutTitleBarButtons() {}
void lumbra::timerStart_slot() {}
void lumbra::changeEvent(QEvent *) {}
void lumbra::keyPressEvent(QKeyEvent *) {}
void lumbra::reject() {}
