#pragma once

#include <QDialog>
#include <QPixmap>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;

// Confirms one program dropped on a page: shows its icon, path and name, and on OK saves
// the icon picture under ./Icon/ (in the person's data folder where the program's folder
// cannot take it, PictureFiles) and hands the new icon to the launcher.
class DropIconDialog : public QDialog
{
    Q_OBJECT

public:
    DropIconDialog();

    // Fills the dialog for one file; a Windows `path` (a drive or a UNC name) gets forward
    // slashes in place of backslashes, a POSIX one is kept as it is.
    // A desktop entry gives its own name and picture, or the reason it cannot be added.
    void setDroppedFile(QString &path, const QString &fileName);

    // A file name for the picture of `base` in `folder` that no icon and no file uses yet,
    // made safe: no separators, no "..".
    static QString freePictureName(const QString &folder, const QString &base);

    QPushButton *dropOkButton = nullptr;
    QPushButton *dropCancelButton = nullptr;
    QString appPath;
    QString appFileName;
    QPixmap appIcon;
    QLineEdit *lineEdit = nullptr;
    QLineEdit *lineEdit_2 = nullptr;
    QLineEdit *lineEdit_3 = nullptr;
    QLabel *label_Icon = nullptr;
    QLabel *label_text1 = nullptr;
    QLabel *label_text2 = nullptr;
    QLabel *label_text3 = nullptr;
    // Why a dropped desktop entry cannot be added; empty for one that can.
    QString refusal;
    QLabel *refusalLabel = nullptr;

public slots:
    void fn_addItem();
    void fn_closeDialog();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QLabel *captionLabel(const QRect &geometry, const QString &text, const char *name);
    QLineEdit *field(const QRect &geometry, const char *name);
    static QString baseNameOf(const QString &fileName);
    void fillFromDesktopEntry(const QString &path);
    void refuse(const QString &reason);
    QString pictureBase() const;
};
