#pragma once

#include "ScanLoop.h"
#include "widgets/HeldKeys.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

class HighlightReporter;
class IconQLabel;
class QWidget;
class ScanFrame;
class lumbra;

// One-switch scanning: with SWITCH_SCAN_MS above 0 the highlight moves by itself round the
// loop of ScanLoop, one step each SWITCH_SCAN_MS milliseconds, and one switch (Space,
// Return, or a click anywhere on the launcher or the dialog scanned, which is what switch
// boxes send) does what is highlighted. After each action the loop starts again from the
// first icon of what is now shown. While a dialog is open the launcher waits and the
// dialog's buttons are scanned instead. Without a launcher (the first start's question comes
// before it) only dialogs are scanned.
class SwitchScanner : public QObject
{
    Q_OBJECT

public:
    SwitchScanner(lumbra *launcher, HighlightReporter *reporter);
    ~SwitchScanner() override;

    // The step time for a SWITCH_SCAN_MS value: 0 (no scanning) for 0 or less, else kept
    // between kShortestStep and kLongestStep.
    static int stepTime(int setting);
    static constexpr int kShortestStep = 200;
    static constexpr int kLongestStep = 60000;

    // Highlights the first step and moves on every `milliseconds`; 0 stops scanning.
    void start(int milliseconds);
    bool isScanning() const { return scanning; }

    // One step on, as the timer does it.
    void step();
    // The switch: does what is highlighted.
    void activate();

    // What is scanned now and which step of it is highlighted (-1 before the first).
    ScanLoop::View view() const;
    QList<ScanLoop::Step> loop() const { return steps; }
    int currentStep() const { return index; }
    // The widget a step highlights and the name said for it.
    QWidget *widgetOf(const ScanLoop::Step &step) const;
    QString nameOf(const ScanLoop::Step &step) const;
    // The dialog whose buttons are scanned, or null when it is the launcher's turn.
    QWidget *openDialog() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QList<QWidget *> buttonsOf(QWidget *dialog) const;
    bool launcherAway() const;
    void restart();
    void highlightStep();
    void perform(const ScanLoop::Step &step);
    void turnPage();
    void openShutDownDialog();
    bool onScannedWindow(QObject *watched) const;
    // What a key or a click means: nothing to the scanner, the switch, or the switch held.
    enum class Press { None, Switch, Repeat };
    Press pressOf(QObject *watched, QEvent *event);
    IconQLabel *button(int kind) const;

    lumbra *launcher;
    HighlightReporter *reporter;
    QTimer timer;
    ScanFrame *launcherFrame = nullptr;
    QPointer<ScanFrame> dialogFrame;
    ScanLoop::View shownView;
    QList<ScanLoop::Step> steps;
    int index = -1;
    bool scanning = false;
    HeldKeys held;
};
