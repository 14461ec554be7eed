#pragma once

#include <QDialog>
#include <QFont>
#include <QString>

// The question of the first start: the launcher, or the ordinary desktop. Choosing the
// launcher stores the answer so that it is not asked again. The keyboard and one-switch
// scanning answer it too; Escape does not, since it would choose for the person.
class selectlumbraorwin : public QDialog
{
    Q_OBJECT

public:
    selectlumbraorwin(const QString &title, const QFont &font, const QString &lumbraText,
                      const QString &windowsText);

    QFont dialogFont;
    QString lumbraText;
    QString windowsText;
    bool launcherChosen = false;

public slots:
    void call_Lumbra();
    void call_WindowsMode();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void addCaption(const QRect &geometry, const QString &text);
};

// The step of start-up: true when the launcher is to start. Asks only while IS_FIRST_RUN is 1.
bool askStartChoice();
