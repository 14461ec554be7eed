#pragma once

#include <QObject>

class IconQLabel;
class QFont;
class QLabel;
class QWidget;

// The launcher's title bar: the tab area across the top with the house and speaker buttons,
// the back bar a folder's page shows with its back button, and the paging buttons, which
// stand on the page on the screen. It builds them, places all of them from one
// TitleBarLayout (when built and after each change of the display) and gives them the
// theme's pictures again. A click on a button is reported as buttonActivated().
class TitleBar : public QObject
{
    Q_OBJECT

public:
    explicit TitleBar(QWidget *window);
    ~TitleBar() override;

    void place();
    void applyTheme();

    QLabel *tabArea() const { return area; }
    QLabel *backBar() const { return back; }
    // The button of an action kind (house, back, page up, page down, music), or null.
    IconQLabel *button(int kind) const;

    // The paging buttons on `page`, in front of its icons; hidden when `shown` is false.
    void showPagingButtons(QWidget *page, bool shown);
    // The back bar on a folder's page, or taken off the page it was on.
    void showBackBar(QWidget *page);
    void hideBackBar();

signals:
    void buttonActivated(IconQLabel *button);

private:
    void paintTabAreaColour();
    void setUp(IconQLabel *button, int kind, QWidget *parent);
    QFont backCaptionFont() const;

    QLabel *area = nullptr;
    QLabel *back = nullptr;
    IconQLabel *backButton = nullptr;
    IconQLabel *upButton = nullptr;
    IconQLabel *downButton = nullptr;
    IconQLabel *houseButton = nullptr;
    IconQLabel *speakerButton = nullptr;
    // After a theme change the back button's caption is in the system font.
    bool themed = false;
};
