#pragma once

#include "settings/ActionKind.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QLabel>
#include <QRect>
#include <QString>

// One tab of the tab strip: a background colour with the tab's picture and its name beside
// it, centred as a group. A press is reported as activated().
class TabQLabel : public QLabel
{
    Q_OBJECT

public:
    // `name` receives the name as drawn, shortened with "..." when it does not fit.
    TabQLabel(const QRect &tabRect, const QColor &background, const QRect &pictureRect,
              const QString &pictureFile, QString &name, const QFont &font, const QColor &pen);

    void paintSelected();
    void paintUnselected();
    // Moves the tab to `tabRect` with a picture of `pictureRect`'s size and its name in
    // `font`, shortened anew from the whole name; a name not even "..." of which fits beside
    // the picture is left out (the tool tip and the screen reader keep it).
    void setPlace(const QRect &tabRect, const QRect &pictureRect, const QFont &font);
    // Whether this is the tab the launcher shows; the launcher sets it.
    void setSelected(bool on) { selected = on; }
    bool isSelected() const { return selected; }

    QRect tabRect;
    QRect pictureRect;
    QString pictureFile;
    QString name;
    // The name as the settings give it.
    QString fullName;
    QFont nameFont;
    int pictureX = 0;
    int pictureY = 0;
    int textX = 0;
    int textY = 0;
    int tabIndex = 0;
    int kind = ActionKind::Tab;
    QImage picture;
    QImage canvas;

signals:
    void activated();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    void layOut();
    void paintFace(const QColor &background, const QColor &pen);

    bool selected = false;
    // Which face is shown, to paint it again after a move.
    bool showsSelectedFace = false;
};
