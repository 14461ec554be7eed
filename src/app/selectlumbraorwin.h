#pragma once

#include <QDialog>
#include <QFont>
#include <QString>

#include "platform/WindowMessages.h"

// The question of the first start: the launcher, or the ordinary desktop. Choosing the
// launcher stores the answer so that it is not asked again. The keyboard and one-switch
// scanning answer it too; Escape does not, since it would choose for the person. Until it is
// answered it stands where the launcher's window will be, so that "--close" ends it.
class selectlumbraorwin : public QDialog
{
    Q_OBJECT

public:
    selectlumbraorwin(const QString &title, const QFont &font, const QString &lumbraText,
                      const QString &windowsText);
    ~selectlumbraorwin() override;

    QFont dialogFont;
    QString lumbraText;
    QString windowsText;
    bool launcherChosen = false;
    // "--close" ended the question: the process ends as a launcher closed that way does.
    bool closeRequested = false;

public slots:
    void call_Lumbra();
    void call_WindowsMode();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void addCaption(const QRect &geometry, const QString &text);

    platform::WindowHandle endpoint = platform::kNoWindow;
};

// The step of start-up: true when the launcher is to start. Asks only while IS_FIRST_RUN is 1.
// When false, the process ends with `*exitCode`: 0 for the desktop, 1 after "--close".
bool askStartChoice(int *exitCode = nullptr);
