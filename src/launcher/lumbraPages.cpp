// When the pages are built: the first page at once, the others 100 ms after the window is
// shown, and any tab chosen before that at once.

#include "lumbra.h"

#include "HighlightReporter.h"
#include "MissingPrograms.h"
#include "Navigator.h"
#include "PageBuilder.h"
#include "TabEntry.h"
#include "TabStrip.h"
#include "WaitCursor.h"
#include "platform/Diagnostic.h"
#include "platform/Platform.h"
#include "platform/SystemServices.h"
#include "settings/SettingStore.h"
#include "widgets/APIconQLabel.h"
#include "widgets/DragIconPage.h"
#include "widgets/TabQLabel.h"

#include <QPalette>

#include <functional>

namespace {

// When the benchmark asks for them, the moments the first frame is painted and every page
// is built are written to stderr. Not inlined: callgrind dumps its counts when it is entered
// (bench_startup --callgrind).
Q_NEVER_INLINE void benchMarker(const char *moment)
{
    static const bool wanted = [] {
        for (const std::u16string &entry : platform::system().environmentStrings()) {
            if (entry.rfind(u"LUMBRA_BENCH_MARKERS=", 0) == 0)
                return true;
        }
        return false;
    }();
    if (wanted)
        printDiagnostic(moment);
}

// Runs a task once the widget's first frame has been painted and flushed to the screen,
// which happens right after its first paint event, in the same pass of the event loop.
class AfterFirstPaint : public QObject
{
public:
    AfterFirstPaint(QWidget *widget, std::function<void()> task)
        : QObject(widget),
          task(std::move(task))
    {
        widget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, watched, std::move(task));
            deleteLater();
        }
        return false;
    }

private:
    std::function<void()> task;
};

// The first page shows its icons on the theme's page colour at once and gets its picture
// right after: decoding a screen-sized picture would double the time to the first frame.
void showPictureAfterFirstFrame(QWidget *page, std::function<void()> showPicture)
{
    const QColor colour = theSettings.getColor(ColourSetting::THEME_TAB_ITEM_REVERSE_BACKGROUND_COLOR);
    if (colour.isValid()) {
        QPalette palette = page->palette();
        palette.setColor(QPalette::Window, colour);
        page->setPalette(palette);
        page->setAutoFillBackground(true);
    }
    new AfterFirstPaint(page, [showPicture = std::move(showPicture)] {
        benchMarker("first-frame");
        showPicture();
    });
}

} // namespace

const TabTree &lumbra::tabTree() const
{
    return tabStrip->tree();
}

// A tab's page is built when it is first asked for: a tab chosen before the page-build timer
// ran gets its page at once.
DragIconPage *lumbra::pageOf(int t)
{
    if (t < 0 || t >= tabs.size())
        return nullptr;
    TabEntry *entry = tabs.at(t);
    if (!entry->page) {
        pageBuilder->build(t, entry);
        checkTargets(t);
    }
    return entry->page;
}

void lumbra::showFirstPage()
{
    const auto showWindow = [this] {
        setVisible(true);
        activateWindow();
        showNormal();
    };
    if (tabs.isEmpty())
        return showWindow();
    // The first tab of the strip: a folder first in the list is no place to start from.
    const int first = tabTree().stripTabs().value(0, 0);
    navigator->startAt(first);
    DragIconPage *page = pageOf(first);
    tabs.at(first)->tabLabel->paintSelected();
    page->show();
    if (APIconQLabel *icon = iconAt(first, 0))
        navigator->highlight(icon);
    reporter->tabShown(tabs.at(first)->tabLabel->accessibleName());
    showPictureAfterFirstFrame(page, [this] {
        pageBuilder->showPicture(currentTab(), tabs.value(currentTab()));
        finishStart();
    });
    navigator->showPagingButtons(first, true);
    showWindow();
}

void lumbra::finishStart()
{
    if (!restOfStart)
        return;
    const std::function<void()> rest = std::move(restOfStart);
    restOfStart = nullptr;
    rest();
}

// The rest of the start comes before the other pages also when the first frame is late.
void lumbra::timerStart_slot()
{
    pageBuildTimer.stop();
    finishStart();
    {
        WaitCursor wait;
        for (int t = 0; t < tabs.size(); ++t)
            pageOf(t);
        // Every face is ready before a tab or a page is turned to.
        for (TabEntry *entry : std::as_const(tabs)) {
            for (APIconQLabel *icon : std::as_const(entry->icons))
                icon->ensureFace();
        }
    }
    benchMarker("all-built");
}

// Dims the icons of tab t whose program or document is not on this computer, and shows again
// those that have come back.
void lumbra::checkTargets(int t)
{
    // A missing icon under the highlight is drawn highlighted again.
    navigator->markSelection();
    if (t >= 0 && t < tabs.size())
        missing->check(tabs.at(t)->icons);
}
