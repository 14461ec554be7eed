#include "DropIconDialog.h"

#include "DialogLook.h"
#include "launcher/lumbra.h"
#include "settings/Diagnostic.h"
#include "settings/SettingStore.h"

#include <QDir>
#include <QFile>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

namespace {

const QString kIconFolder = QStringLiteral("./Icon/");

// What may stand in a file name of the picture folder.
QString safeFileBase(const QString &base)
{
    QString safe;
    for (QChar c : base) {
        if (c == u'/' || c == u'\\' || c.unicode() < 0x20 || c == u':')
            safe += u'_';
        else
            safe += c;
    }
    safe.replace(QLatin1String(".."), QLatin1String("_"));
    safe = safe.trimmed();
    while (safe.startsWith(u'.'))
        safe.remove(0, 1);
    return safe.isEmpty() ? QStringLiteral("program") : safe.left(100);
}

bool pictureInUse(const QString &path)
{
    for (const IconInfo &icon : std::as_const(theSettings.icons)) {
        if (icon.ICON_AP_PNG_FILE_NAME == path)
            return true;
    }
    return false;
}

} // namespace

DropIconDialog::DropIconDialog()
    : QDialog(nullptr)
{
    if (objectName().isEmpty())
        setObjectName(QStringLiteral("DropIconDialogClass"));
    resize(674, 180);
    resize(size().expandedTo(minimumSizeHint()));
    setWindowTitle(QString());
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    label_Icon = new QLabel(this);
    label_Icon->setObjectName(QStringLiteral("label_Icon"));
    label_Icon->setGeometry(20, 20, 130, 130);
    label_Icon->setAlignment(Qt::AlignCenter);
    label_text1 = captionLabel(QRect(190, 20, 81, 16), QString(), "label_text1");
    lineEdit = field(QRect(280, 20, 321, 20), "lineEdit");
    lineEdit->hide();
    label_text2 = captionLabel(QRect(190, 40, 81, 16), theSettings.getString(1431), "label_text2");
    lineEdit_2 = field(QRect(280, 40, 371, 20), "lineEdit_2");
    lineEdit_2->setReadOnly(true);
    label_text3 = captionLabel(QRect(190, 80, 81, 16), theSettings.getString(1432), "label_text3");
    lineEdit_3 = field(QRect(280, 80, 371, 20), "lineEdit_3");
    dropOkButton = new QPushButton(theSettings.getString(1426), this);
    dropOkButton->setGeometry(470, 120, 80, 30);
    dropCancelButton = new QPushButton(theSettings.getString(1427), this);
    dropCancelButton->setGeometry(570, 120, 80, 30);
    for (QWidget *text : {static_cast<QWidget *>(dropOkButton), static_cast<QWidget *>(dropCancelButton),
                          static_cast<QWidget *>(label_text2), static_cast<QWidget *>(label_text3)})
        DialogLook::fitText(text);
    connect(dropOkButton, &QPushButton::clicked, this, &DropIconDialog::fn_addItem);
    connect(dropCancelButton, &QPushButton::clicked, this, &DropIconDialog::fn_closeDialog);
}

QLabel *DropIconDialog::captionLabel(const QRect &geometry, const QString &text, const char *name)
{
    auto *label = new QLabel(text, this);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    label->setLayoutDirection(Qt::RightToLeft);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return label;
}

QLineEdit *DropIconDialog::field(const QRect &geometry, const char *name)
{
    auto *edit = new QLineEdit(this);
    edit->setObjectName(QLatin1String(name));
    edit->setGeometry(geometry);
    return edit;
}

QString DropIconDialog::baseNameOf(const QString &fileName)
{
    return fileName.split(u'.', Qt::KeepEmptyParts).first();
}

void DropIconDialog::setDroppedFile(QString &path, const QString &fileName)
{
    path.replace(u'\\', u'/');
    lineEdit_2->setText(path);
    lineEdit_3->setText(baseNameOf(fileName));
    appIcon = QFileIconProvider().icon(QFileInfo(path)).pixmap(32, 32, QIcon::Normal, QIcon::Off);
    // Without an icon theme the desktop may have no picture for the file: a program then
    // gets the generic one rather than none.
    if (appIcon.isNull())
        appIcon = QFileIconProvider().icon(QAbstractFileIconProvider::File).pixmap(32, 32);
    if (appIcon.isNull())
        appIcon = style()->standardIcon(QStyle::SP_FileIcon).pixmap(32, 32);
    label_Icon->setPixmap(appIcon);
    appFileName = fileName;
    appPath = path;
}

QString DropIconDialog::freePictureName(const QString &folder, const QString &base)
{
    const QString safe = safeFileBase(base);
    QString candidate = folder + safe + QStringLiteral(".png");
    for (int n = 2; pictureInUse(candidate) || QFileInfo::exists(candidate); ++n)
        candidate = folder + safe + QStringLiteral("-%1.png").arg(n);
    return candidate;
}

void DropIconDialog::fn_addItem()
{
    if (!theLauncher) {
        close();
        return;
    }
    theLauncher->newIconName.clear();
    theLauncher->newIconTarget.clear();
    theLauncher->newIconImage.clear();
    theLauncher->newIconKind = lumbra::fileKindOf(appFileName);
    const QString base = baseNameOf(appFileName);
    const QString typed = lineEdit_3->text().trimmed();
    theLauncher->newIconName = typed.isEmpty() ? base : typed;
    QDir().mkpath(kIconFolder);
    const QString picture = freePictureName(kIconFolder, base);
    if (!appIcon.save(picture, "PNG"))
        printDiagnostic(QStringLiteral("the picture %1 could not be saved").arg(picture));
    theLauncher->newIconImage = picture;
    theLauncher->newIconTarget = u'"' + appPath.split(u'\\', Qt::KeepEmptyParts).join(QLatin1String("\\\\")) + u'"';
    // A program that could not be added leaves no picture behind.
    if (!theLauncher->addIconToCurrentTab())
        QFile::remove(picture);
    close();
}

void DropIconDialog::fn_closeDialog()
{
    close();
}

void DropIconDialog::paintEvent(QPaintEvent *event)
{
    QDialog::paintEvent(event);
    DialogLook::paintFrame(this);
}
