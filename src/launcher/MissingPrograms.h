#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

class APIconQLabel;
class NoticeBubble;

// Programs and documents that are not on this computer (TargetCheck): their icons are dimmed
// on the pages, and a click on one is answered by a bubble beside it that says so, instead
// of starting nothing.
class MissingPrograms : public QObject
{
    Q_OBJECT

public:
    explicit MissingPrograms(QObject *parent);

    // Marks the icons as the disk is now.
    void check(const QList<APIconQLabel *> &icons);
    // Looked up again at the click: a program installed since the page was shown starts at
    // once. True, with the bubble shown, when it is missing.
    bool tellIfMissing(APIconQLabel *icon);
    NoticeBubble *notice() const;

private:
    QPointer<NoticeBubble> bubble;
};
