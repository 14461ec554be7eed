#include "lumbra.h"

#include "HighlightReporter.h"
#include "LauncherMessageFilter.h"
#include "SwitchScanner.h"
#include "TabEntry.h"
#include "dialogs/LumbraShutDown.h"
#include "platform/Diagnostic.h"
#include "platform/Platform.h"
#include "platform/SystemServices.h"
#include "platform/WindowMessages.h"
#include "settings/ActionKind.h"
#include "settings/SettingStore.h"
#include "widgets/APIconQLabel.h"
#include "widgets/DragIconPage.h"
#include "widgets/FaceRecipes.h"
#include "widgets/IconQLabel.h"
#include "widgets/LauncherAccessible.h"
#include "widgets/TabQLabel.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QPalette>
#include <QPixmap>
#include <QTimer>

#include <algorithm>
#include <functional>

namespace {

int nonNegative(int value)
{
    return std::max(0, value);
}

// Settings hold whatever a hand-edited file gave them. Positions beyond this lie far off any
// screen, and sums of them cannot overflow an int.
constexpr int kFarestOffset = 1 << 20;

int themeInt(int id)
{
    return lumbra::pixels(theSettings.getThemeInt(id));
}

// When the benchmark asks for them, the moments the first frame is painted and every page
// is built are written to stderr.
bool benchMarkersWanted()
{
    static const bool wanted = [] {
        for (const std::u16string &entry : platform::system().environmentStrings()) {
            if (entry.rfind(u"LUMBRA_BENCH_MARKERS=", 0) == 0)
                return true;
        }
        return false;
    }();
    return wanted;
}

// Runs a task once the widget's first frame has been painted and flushed to the screen,
// which happens right after its first paint event, in the same pass of the event loop.
class AfterFirstPaint : public QObject
{
public:
    AfterFirstPaint(QWidget *widget, std::function<void()> task)
        : QObject(widget), task(std::move(task))
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

} // namespace

lumbra::lumbra()
    : QDialog(nullptr)
{
    if (objectName().isEmpty())
        setObjectName(QStringLiteral("lumbraClass"));
    resize(1024, 768);
    setMinimumSize(0, 0);
    setMaximumSize(1024, 1496);
    setSizeGripEnabled(true);
    setWindowTitle(QString());
    QMetaObject::connectSlotsByName(this);
    reporter = new HighlightReporter(this);
    LauncherAccessible::install();
}

lumbra::~lumbra()
{
    // The paging buttons and the back bar change parents as pages are shown; when they are
    // on no page nobody else deletes them.
    for (QWidget *floating : {static_cast<QWidget *>(upButton), static_cast<QWidget *>(downButton),
                              static_cast<QWidget *>(backTitleBar)}) {
        if (floating && !floating->parent())
            delete floating;
    }
    if (endpoint != platform::kNoWindow)
        platform::windows().unregisterWindow(endpoint);
    qDeleteAll(tabs);
    if (theLauncher == this)
        theLauncher = nullptr;
}

int lumbra::screenWidth()
{
    return nonNegative(theSettings.getInt(IntSetting::SCREEN_WIDTH));
}

int lumbra::screenHeight()
{
    return nonNegative(theSettings.getInt(IntSetting::SCREEN_HEIGHT));
}

int lumbra::tabAreaHeight()
{
    return pixels(theSettings.getInt(IntSetting::TABINFO_HEIGHT));
}

int lumbra::iconsPerPage()
{
    return 3 * columnCount();
}

int lumbra::columnCount()
{
    return std::clamp(theSettings.getInt(IntSetting::NUMBER_OF_ICON_PER_ROW), 1, kFarestOffset);
}

int lumbra::pixels(int size)
{
    return std::clamp(size, 0, std::max(screenWidth(), screenHeight()));
}

QPoint lumbra::cellOf(int position)
{
    return gridCell(position);
}

void lumbra::initialise()
{
    setWindowTitle(QStringLiteral("Lumbra"));
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    // A window as large as the screen has nothing to resize; a grip would only look unfinished.
    setSizeGripEnabled(false);
    currentTab = returnTab = selectedIcon = previousSelectedIcon = 0;
    shiftDown = false;
    theSettings.computeIconGrid();
    fitToScreen();

    tabArea = new QLabel(this);
    tabArea->setScaledContents(true);
    tabArea->show();
    fitTabArea();

    connect(this, &lumbra::timerStart_signal, &pageBuildTimer, qOverload<int>(&QTimer::start));
    connect(&pageBuildTimer, &QTimer::timeout, this, &lumbra::timerStart_slot);
    new LauncherMessageFilter(this);

    buildTitleBarWidgets();
    buildTabStrip();
    showFirstPage();
    // Other launcher processes find the window by its class and title.
    endpoint = platform::windows().registerWindow(u"QWidget", u"Lumbra", winId(),
                                                  [this](const platform::WindowMessage &message) {
                                                      handleMessage(message.message, message.wParam);
                                                      return false;
                                                  });
    emit timerStart_signal(100);
    scanner = new SwitchScanner(this, reporter);
    scanner->start(SwitchScanner::stepTime(theSettings.mySystem.SWITCH_SCAN_MS));
    markSelection();
}

void lumbra::fitToScreen()
{
    const int width = screenWidth();
    const int height = screenHeight();
    setMaximumSize(width, height);
    setMinimumSize(width, height);
    setGeometry(0, 0, width, height);
}

void lumbra::fitTabArea()
{
    const int width = screenWidth();
    tabArea->setMaximumSize(width, tabAreaHeight());
    tabArea->setMinimumSize(width, tabAreaHeight());
    tabArea->setGeometry(0, 0, width, tabAreaHeight());
}

// Right after start the tab area is the theme's flat colour; a theme change puts the
// theme's title bar picture there instead.
void lumbra::paintTabAreaColour()
{
    QImage colour(std::max(1, screenWidth()), std::max(1, tabAreaHeight()),
                  QImage::Format_ARGB32_Premultiplied);
    const QColor background = theSettings.getColor(ColourSetting::THEME_TAB_AREA_BACKGROUND_COLOR);
    colour.fill(background.isValid() ? background : QColor(Qt::black));
    tabArea->setPixmap(QPixmap::fromImage(colour));
}

void lumbra::buildTitleBarWidgets()
{
    const int width = screenWidth();
    const int tabHeight = tabAreaHeight();
    paintTabAreaColour();

    backTitleBar = new QLabel;
    backTitleBar->setScaledContents(true);
    backTitleBar->setGeometry(0, 0, width, themeInt(ThemeIntSetting::BACKTITLEBAR_PNG_HEIGHT));
    backTitleBar->setPixmap(QPixmap::fromImage(loadPicture(theSettings.getString(TextSetting::BACKTITLEBAR_PNG_NAME))));

    backButton = new IconQLabel(
        width - themeInt(ThemeIntSetting::BACKBUTTON_X_POSITION),
        (themeInt(ThemeIntSetting::BACKTITLEBAR_PNG_HEIGHT) - themeInt(ThemeIntSetting::BACKBUTTON_PNG_HEIGHT)) / 2,
        themeInt(ThemeIntSetting::BACKBUTTON_PNG_HEIGHT), themeInt(ThemeIntSetting::BACKBUTTON_PNG_WIDTH),
        theSettings.getString(TextSetting::BACKBUTTON_NOR_PNG_NAME),
        theSettings.getString(TextSetting::BACKBUTTON_HI_PNG_NAME), theSettings.getFont(FontSetting::ICON_AP_NAME_FONT),
        theSettings.getString(TextSetting::DIALOG_RETURN_TO_PREV_TAB), 0, -5,
        theSettings.getColor(ColourSetting::THEME_SYSTEM_PEN_REVERSE_COLOR));
    setUpButton(backButton, ActionKind::Back, backTitleBar);

    upButton = new IconQLabel(width - themeInt(ThemeIntSetting::UPBUTTON_PNG_WIDTH),
                              (screenHeight() - tabHeight) / 2 - themeInt(ThemeIntSetting::UPBUTTON_PNG_HEIGHT),
                              themeInt(ThemeIntSetting::UPBUTTON_PNG_HEIGHT),
                              themeInt(ThemeIntSetting::UPBUTTON_PNG_WIDTH),
                              theSettings.getString(TextSetting::UPBUTTON_NOR_PNG_NAME),
                              theSettings.getString(TextSetting::UPBUTTON_HI_PNG_NAME));
    setUpButton(upButton, ActionKind::PageUp, nullptr);

    downButton = new IconQLabel(width - themeInt(ThemeIntSetting::DOWNBUTTON_PNG_WIDTH),
                                (screenHeight() - tabHeight) / 2, themeInt(ThemeIntSetting::DOWNBUTTON_PNG_HEIGHT),
                                themeInt(ThemeIntSetting::DOWNBUTTON_PNG_WIDTH),
                                theSettings.getString(TextSetting::DOWNBUTTON_NOR_PNG_NAME),
                                theSettings.getString(TextSetting::DOWNBUTTON_HI_PNG_NAME));
    setUpButton(downButton, ActionKind::PageDown, nullptr);

    houseButton = new IconQLabel(
        width - themeInt(ThemeIntSetting::HOUSE_PNG_WIDTH) - 5,
        tabHeight / 2 - themeInt(ThemeIntSetting::HOUSE_PNG_HEIGHT) / 2, themeInt(ThemeIntSetting::HOUSE_PNG_HEIGHT),
        themeInt(ThemeIntSetting::HOUSE_PNG_WIDTH), theSettings.getString(TextSetting::HOUSE_PNG_NAME),
        theSettings.getString(TextSetting::HOUSE_PNG_NAME));
    setUpButton(houseButton, ActionKind::House, tabArea);

    speakerButton = new IconQLabel(
        width - 2 * themeInt(ThemeIntSetting::HOUSE_PNG_WIDTH) - 12,
        tabHeight / 2 - themeInt(ThemeIntSetting::HOUSE_PNG_HEIGHT) / 2, themeInt(ThemeIntSetting::SPEAKER_PNG_HEIGHT),
        themeInt(ThemeIntSetting::SPEAKER_PNG_WIDTH), theSettings.getString(TextSetting::SPEAKER_OFF_PNG_NAME),
        theSettings.getString(TextSetting::SPEAKER_ON_PNG_NAME));
    setUpButton(speakerButton, ActionKind::Music, tabArea);
}

void lumbra::setUpButton(IconQLabel *button, int kind, QWidget *parent)
{
    button->kind = kind;
    button->setAccessibleName(LauncherAccessible::buttonName(kind));
    button->setScaledContents(true);
    button->setAttribute(Qt::WA_MouseTracking);
    connect(button, &IconQLabel::activated, this, [this, button] { dispatchAction(nullptr, button, nullptr); });
    if (parent) {
        button->setParent(parent);
        button->show();
    }
}

void lumbra::applyTheme()
{
    showPagePicture(currentTab);
    tabArea->setPixmap(QPixmap::fromImage(loadPicture(theSettings.getString(TextSetting::TITLEBAR_PNG_NAME))));
    backTitleBar->setPixmap(QPixmap::fromImage(loadPicture(theSettings.getString(TextSetting::BACKTITLEBAR_PNG_NAME))));
    backButton->reloadImagesWithText(theSettings.getString(TextSetting::BACKBUTTON_HI_PNG_NAME),
                                     theSettings.getString(TextSetting::BACKBUTTON_NOR_PNG_NAME),
                                     theSettings.getColor(ColourSetting::THEME_SYSTEM_PEN_COLOR),
                                     theSettings.getColor(ColourSetting::THEME_SYSTEM_PEN_REVERSE_COLOR),
                                     theSettings.getFont(FontSetting::SYSTEM_STRING_FONT), 0, -5,
                                     theSettings.getString(TextSetting::DIALOG_RETURN_TO_PREV_TAB));
    for (IconQLabel *button : {downButton, upButton})
        button->reloadImages(theSettings.getString(button == upButton ? TextSetting::UPBUTTON_HI_PNG_NAME
                                                                      : TextSetting::DOWNBUTTON_HI_PNG_NAME),
                             theSettings.getString(button == upButton ? TextSetting::UPBUTTON_NOR_PNG_NAME
                                                                      : TextSetting::DOWNBUTTON_NOR_PNG_NAME));
    for (int t = 0; t < tabs.size(); ++t) {
        if (t == currentTab)
            tabs.at(t)->tabLabel->paintSelected();
        else
            tabs.at(t)->tabLabel->paintUnselected();
    }
    const QPixmap separator = QPixmap::fromImage(loadPicture(theSettings.getString(TextSetting::SEPARATE_PNG_NAME)));
    for (QLabel *label : std::as_const(separators))
        label->setPixmap(separator);
    for (TabEntry *entry : std::as_const(tabs)) {
        for (APIconQLabel *icon : std::as_const(entry->icons))
            icon->reloadFace(theSettings.getString(TextSetting::MASK_PNG_NAME),
                             theSettings.getColor(ColourSetting::THEME_ICON_AP_NAME_COLOR),
                             theSettings.getColor(ColourSetting::THEME_ICON_AP_NAME_REVERSE_COLOR),
                             theSettings.getFont(FontSetting::ICON_AP_NAME_FONT));
    }
    if (APIconQLabel *icon = iconAt(currentTab, selectedIcon))
        highlight(icon);
}

bool lumbra::handleMessage(unsigned message, std::uintptr_t wParam)
{
    if (message == platform::kWmDisplayChange) {
        displayChanged();
    } else if (message == platform::kWmKeyUp) {
        if (wParam == platform::kVkShift)
            shiftDown = false;
        if (wParam == platform::kVkControl)
            controlDown = false;
    } else if (message == platform::kWmKeyDown) {
        keyDown(static_cast<unsigned>(wParam));
    }
    markSelection();
    return false;
}

void lumbra::keyDown(unsigned key)
{
    switch (key) {
    case platform::kVkTab:
        if (shiftDown)
            previousTab();
        else
            nextTab();
        break;
    case platform::kVkReturn:
        startSelectedIcon();
        break;
    case platform::kVkShift:
        shiftDown = true;
        break;
    case platform::kVkControl:
        controlDown = true;
        break;
    case platform::kVkZ:
        if (controlDown)
            undoRemoval();
        break;
    case platform::kVkLeft:
    case platform::kVkUp:
    case platform::kVkRight:
    case platform::kVkDown:
        moveHighlight(key);
        break;
    case platform::kVkDelete:
        removeSelectedIcon();
        break;
    default:
        break;
    }
}

void lumbra::displayChanged()
{
    theSettings.computeIconGrid();
    for (int t = 0; t < tabs.size(); ++t)
        relayoutTab(t);
    relayoutTitleBarButtons();
    fitToScreen();
    fitTabArea();
    backTitleBar->setGeometry(0, 0, screenWidth(), themeInt(ThemeIntSetting::BACKTITLEBAR_PNG_HEIGHT));
    if (currentTab < tabs.size())
        switchToTab(currentTab);
    placeUndoBar();
    if (theShutDownDialog) {
        theShutDownDialog->move((screenWidth() - theShutDownDialog->width()) / 2,
                                (screenHeight() - theShutDownDialog->height()) / 2);
    }
}

void lumbra::relayoutTab(int t)
{
    for (APIconQLabel *icon : std::as_const(tabs.at(t)->icons)) {
        const QPoint cell = cellOf(icon->position);
        icon->moveTo(cell.x(), cell.y());
    }
}

void lumbra::relayoutTitleBarButtons()
{
    const int width = screenWidth();
    const int pageMiddle = (screenHeight() - tabAreaHeight()) / 2;
    speakerButton->placeAt(width - 2 * themeInt(ThemeIntSetting::SPEAKER_PNG_WIDTH) - 12,
                           pixels(theSettings.getInt(IntSetting::TABINFO_ITEM_HIGHT)) / 2
                               - themeInt(ThemeIntSetting::SPEAKER_PNG_WIDTH) / 2,
                           themeInt(ThemeIntSetting::SPEAKER_PNG_WIDTH), themeInt(ThemeIntSetting::SPEAKER_PNG_WIDTH));
    backButton->placeAt(
        width - themeInt(ThemeIntSetting::BACKBUTTON_X_POSITION),
        (themeInt(ThemeIntSetting::BACKTITLEBAR_PNG_HEIGHT) - themeInt(ThemeIntSetting::BACKBUTTON_PNG_HEIGHT)) / 2,
        themeInt(ThemeIntSetting::BACKBUTTON_PNG_HEIGHT), themeInt(ThemeIntSetting::BACKBUTTON_PNG_WIDTH));
    upButton->placeAt(width - themeInt(ThemeIntSetting::UPBUTTON_PNG_WIDTH),
                      pageMiddle - themeInt(ThemeIntSetting::UPBUTTON_PNG_HEIGHT),
                      themeInt(ThemeIntSetting::UPBUTTON_PNG_HEIGHT), themeInt(ThemeIntSetting::UPBUTTON_PNG_WIDTH));
    downButton->placeAt(width - themeInt(ThemeIntSetting::DOWNBUTTON_PNG_WIDTH), pageMiddle,
                        themeInt(ThemeIntSetting::DOWNBUTTON_PNG_HEIGHT),
                        themeInt(ThemeIntSetting::DOWNBUTTON_PNG_WIDTH));
    houseButton->placeAt(width - themeInt(ThemeIntSetting::HOUSE_PNG_WIDTH) - 5,
                         tabAreaHeight() / 2 - themeInt(ThemeIntSetting::HOUSE_PNG_HEIGHT) / 2,
                         themeInt(ThemeIntSetting::HOUSE_PNG_HEIGHT), themeInt(ThemeIntSetting::HOUSE_PNG_WIDTH));
}

void lumbra::restore()
{
    activateWindow();
    showNormal();
}

// Programs may have been installed or removed while the launcher was away.
void lumbra::changeEvent(QEvent *event)
{
    const bool back = (event->type() == QEvent::WindowStateChange && !isMinimized())
                      || (event->type() == QEvent::ActivationChange && isActiveWindow());
    if (back && tabArea)
        onLauncherShownAgain();
}

// Escape would reject the dialog and hide the launcher, leaving the person without a desktop.
void lumbra::keyPressEvent(QKeyEvent *event)
{
    event->accept();
}

void lumbra::reject()
{
}

// A close from the window manager ends the program the way WM_CLOSE does; the launcher is
// never left hidden with no way back.
void lumbra::closeEvent(QCloseEvent *event)
{
    event->ignore();
    QCoreApplication::exit(0);
}

// The first page shows its icons on the theme's page colour at once and gets its picture
// right after: decoding a screen-sized picture would double the time to the first frame.
void lumbra::showPictureAfterFirstFrame(QWidget *page)
{
    const QColor colour = theSettings.getColor(ColourSetting::THEME_TAB_ITEM_REVERSE_BACKGROUND_COLOR);
    if (colour.isValid()) {
        QPalette palette = page->palette();
        palette.setColor(QPalette::Window, colour);
        page->setPalette(palette);
        page->setAutoFillBackground(true);
    }
    new AfterFirstPaint(page, [this] {
        if (benchMarkersWanted())
            printDiagnostic("first-frame");
        showPagePicture(currentTab);
    });
}

void lumbra::markAllBuilt()
{
    if (benchMarkersWanted())
        printDiagnostic("all-built");
}
