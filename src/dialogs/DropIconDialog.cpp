#include "DropIconDialog.h"

#include "DialogLook.h"
#include "LauncherControl.h"
#include "NewIcon.h"
#include "i18n/LanguageChoice.h"
#include "platform/DesktopEntry.h"
#include "platform/CodeUnits.h"
#include "platform/Diagnostic.h"
#include "platform/Platform.h"
#include "platform/Shell.h"
#include "settings/SettingStore.h"
#include "widgets/PictureFiles.h"

#include <QDir>
#include <QFile>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QStyle>

#include <algorithm>

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

// A drive ("C:\x", "c:/x") or a UNC name ("\\server\share") is a Windows path, whose
// backslashes separate folders; in a POSIX name a backslash is a character like any other.
bool isWindowsPath(const QString &path)
{
    const bool drive = path.size() >= 2 && path.at(0).unicode() < 128 && path.at(0).isLetter() && path.at(1) == u':';
    return drive || path.startsWith(QLatin1String("\\\\"));
}

// The picture saved where the name says, or where the program's folder cannot take it, in
// the person's data folder; answers the file written, or an empty string.
QString savePicture(const QPixmap &picture, const QString &name)
{
    for (const QString &file : {name, PictureFiles::userCopyOf(name)}) {
        if (file.isEmpty() || !QDir().mkpath(QFileInfo(file).path()))
            continue;
        if (picture.save(file, "PNG"))
            return file;
        // A file left half written would be found before the whole copy.
        QFile::remove(file);
    }
    return QString();
}

bool isDesktopEntryName(const QString &fileName)
{
    return fileName.endsWith(QLatin1String(".desktop"));
}

// Icon pictures are drawn at the size of an icon; a size a broken store gives is kept sane.
QSize iconSize()
{
    const int width = theSettings.getInt(IntSetting::ICON_WIDTH);
    const int height = theSettings.getInt(IntSetting::ICON_HEIGHT);
    if (width < 16 || height < 16 || width > 1024 || height > 1024)
        return QSize(150, 136);
    return QSize(width, height);
}

// An entry's Icon is a name in the desktop's icon theme or the path of a picture. Theme names
// come without an extension, but some entries give one.
QIcon entryIcon(const QString &icon)
{
    if (icon.isEmpty())
        return QIcon();
    if (QDir::isAbsolutePath(icon))
        return QFileInfo(icon).isFile() ? QIcon(icon) : QIcon();
    QString name = icon;
    for (const char *extension : {".png", ".svg", ".xpm"}) {
        if (name.endsWith(QLatin1String(extension)))
            name.chop(4);
    }
    return QIcon::fromTheme(name);
}

// The picture as large as fits the icon, centred on a clear canvas of the icon's size; a
// theme with small pictures only is scaled up rather than shown as a speck.
QPixmap entryPicture(const QString &icon)
{
    const QIcon found = entryIcon(icon);
    const QSize size = iconSize();
    const int side = std::min(size.width(), size.height());
    QPixmap picture = found.isNull() ? QPixmap() : found.pixmap(QSize(side, side));
    if (picture.isNull())
        return QPixmap();
    if (picture.width() < side && picture.height() < side)
        picture = picture.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QPixmap canvas(size);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    painter.drawPixmap((size.width() - picture.width()) / 2, (size.height() - picture.height()) / 2, picture);
    return canvas;
}

// An entry's name becomes an icon's name: one line, and no longer than a name can be shown.
QString iconNameOf(const std::u16string &entryName)
{
    constexpr int kLongestName = 200;
    QString name = platform::fromCodeUnits(entryName).left(kLongestName);
    for (QChar &c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            c = u' ';
    }
    return name.simplified();
}

int refusalTextId(platform::DesktopEntry::Status status)
{
    switch (status) {
    case platform::DesktopEntry::Status::Hidden:
        return 1443;
    case platform::DesktopEntry::Status::NoProgram:
        return 1444;
    case platform::DesktopEntry::Status::ProgramMissing:
        return 1445;
    default:
        return 1446;
    }
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
    label_text2 = captionLabel(QRect(190, 40, 81, 16), theSettings.getString(TextSetting::DIALOG_DROP_AP_PATH),
                               "label_text2");
    lineEdit_2 = field(QRect(280, 40, 371, 20), "lineEdit_2");
    lineEdit_2->setReadOnly(true);
    label_text3 = captionLabel(QRect(190, 80, 81, 16), theSettings.getString(TextSetting::DIALOG_DROP_AP_NAME),
                               "label_text3");
    lineEdit_3 = field(QRect(280, 80, 371, 20), "lineEdit_3");
    dropOkButton = new QPushButton(theSettings.getString(TextSetting::DIALOG_OK), this);
    dropOkButton->setGeometry(470, 120, 80, 30);
    dropCancelButton = new QPushButton(theSettings.getString(TextSetting::DIALOG_CANCEL), this);
    dropCancelButton->setGeometry(570, 120, 80, 30);
    refusalLabel = new QLabel(this);
    refusalLabel->setObjectName(QStringLiteral("refusalLabel"));
    refusalLabel->setGeometry(190, 70, 461, 44);
    refusalLabel->setWordWrap(true);
    QFont bold = refusalLabel->font();
    bold.setBold(true);
    refusalLabel->setFont(bold);
    refusalLabel->hide();
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
    if (isWindowsPath(path))
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
    appFileName = fileName;
    appPath = path;
    if (isDesktopEntryName(fileName))
        fillFromDesktopEntry(path);
    label_Icon->setPixmap(appIcon.width() > label_Icon->width() || appIcon.height() > label_Icon->height()
                              ? appIcon.scaled(label_Icon->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation)
                              : appIcon);
}

void DropIconDialog::fillFromDesktopEntry(const QString &path)
{
    const platform::DesktopEntry entry = platform::shell().readDesktopEntry(
        path.toStdU16String(), desktopLocaleFor(languageCode).toStdU16String());
    // A refused entry is still shown with its own picture, so that the person sees which
    // program the reason is about.
    const QPixmap picture = entryPicture(platform::fromCodeUnits(entry.icon));
    if (!picture.isNull())
        appIcon = picture;
    if (entry.status != platform::DesktopEntry::Status::Usable) {
        refuse(theSettings.getString(refusalTextId(entry.status)));
        return;
    }
    const QString name = iconNameOf(entry.name);
    lineEdit_3->setText(name.isEmpty() ? QFileInfo(path).completeBaseName() : name);
}

// The entry stays shown, with the reason in place of its name, and only Cancel is left.
void DropIconDialog::refuse(const QString &reason)
{
    refusal = reason;
    refusalLabel->setText(reason);
    refusalLabel->show();
    label_text3->hide();
    lineEdit_3->hide();
    dropOkButton->hide();
}

// Desktop entries are named like "org.gnome.TextEditor.desktop": their picture keeps the
// whole name, not the part before its first dot.
QString DropIconDialog::pictureBase() const
{
    return isDesktopEntryName(appFileName) ? QFileInfo(appFileName).completeBaseName() : baseNameOf(appFileName);
}

QString DropIconDialog::freePictureName(const QString &folder, const QString &base)
{
    const QString safe = safeFileBase(base);
    const auto taken = [](const QString &name) {
        const QString copy = PictureFiles::userCopyOf(name);
        return pictureInUse(name) || QFileInfo::exists(name) || (!copy.isEmpty() && QFileInfo::exists(copy));
    };
    QString candidate = folder + safe + QStringLiteral(".png");
    for (int n = 2; taken(candidate); ++n)
        candidate = folder + safe + QStringLiteral("-%1.png").arg(n);
    return candidate;
}

void DropIconDialog::fn_addItem()
{
    if (!theLauncher || !refusal.isEmpty()) {
        close();
        return;
    }
    NewIcon icon;
    icon.kind = NewIcon::fileKindOf(appFileName);
    const QString base = pictureBase();
    const QString typed = lineEdit_3->text().trimmed();
    icon.name = typed.isEmpty() ? base : typed;
    const QString picture = freePictureName(kIconFolder, base);
    const QString written = savePicture(appIcon, picture);
    if (written.isEmpty())
        printDiagnostic(QStringLiteral("the picture %1 could not be saved").arg(picture));
    icon.image = picture;
    const QString target = isWindowsPath(appPath) ? appPath.split(u'\\', Qt::KeepEmptyParts).join(QLatin1String("\\\\"))
                                                  : appPath;
    icon.target = u'"' + target + u'"';
    // A program that could not be added leaves no picture behind.
    if (!theLauncher->addIcon(icon) && !written.isEmpty())
        QFile::remove(written);
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
