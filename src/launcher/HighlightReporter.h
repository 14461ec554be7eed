#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <string>

class QWidget;

// Tells the person where the highlight is when they cannot see it: the screen reader hears
// of it as the focus, and with SPEAK_NAMES the name is said aloud in the tree's language.
// Several changes in one pass of the event loop (a tab shown and its first icon highlighted)
// are said once, the tab's name over the icon's, so that a name is not cut off by the next.
class HighlightReporter : public QObject
{
    Q_OBJECT

public:
    explicit HighlightReporter(QObject *parent = nullptr);

    // The highlight moved to `target`, whose full name is `name`.
    void highlighted(QWidget *target, const QString &name);
    // A tab (or a folder's page) came on the screen.
    void tabShown(const QString &name);
    // The pointer came to rest on `target`: its name is said after half a second there.
    void pointerEntered(QWidget *target, const QString &name);
    void pointerLeft(QWidget *target);

    // The widget the screen reader was last told has the focus.
    QWidget *focusWidget() const { return focused; }
    // The language tag a voice understands for a tree's language code ("BR" -> "pt-BR").
    static std::string speechLanguage(const QString &treeCode);
    // How long the pointer rests on an icon before its name is said.
    static constexpr int kRestMilliseconds = 500;

private:
    void say(const QString &name, bool isTab);
    void sayPending();
    void sayRestingName();

    QPointer<QWidget> focused;
    QString pendingName;
    bool pendingIsTab = false;
    bool sayQueued = false;
    QTimer restTimer;
    QPointer<QWidget> restTarget;
    QString restName;
};
