// The floor of the start-up benchmark: a plain Qt Widgets program that draws the launcher's
// first page on the factory settings and does nothing else. It reads the factory settings
// file the build makes (EN.reg, read as text: no store, no settings code) for the names and
// pictures, and draws in its first frame the first tab's page picture at the page's size,
// the first tab's icons with their names, the tab strip with its pictures and names, and
// the title bar's speaker and house buttons, from the same PNG files at the same sizes.
// With --picture-after it paints the page in the theme's page colour first and decodes and
// draws the picture right after the first frame, as the launcher does. With
// LUMBRA_BENCH_MARKERS set it writes "first-frame" and "all-built" to stderr once its first
// frame has been painted and handed to the window system (and, with --picture-after, the
// picture drawn), as the launcher does.
//
//   first_page [--picture-after] [FOLDER]    FOLDER holds EN.reg, Icon/, Tab/ and Theme/
//                                             (the build folder)

#include <QApplication>
#include <QFile>
#include <QHash>
#include <QPainter>
#include <QScreen>
#include <QTextStream>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kTabAreaHeight = 64;
constexpr int kTabWidth = 176;
constexpr int kIconsPerPage = 15;
constexpr int kColumns = 5;
constexpr int kButtonSize = 48;

using Section = QHash<QString, QString>;

// Not inlined: callgrind dumps its counts when it is entered (bench_startup --callgrind).
Q_NEVER_INLINE void benchMarker(const char *marker)
{
    std::fputs(marker, stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

// The sections of a .reg file by the last part of their key path below the language
// ("TabInfo\01", "ThemeInfo\01"), each with its "name"="value" pairs.
QHash<QString, Section> readRegFile(const QString &path)
{
    QHash<QString, Section> sections;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return sections;
    QTextStream in(&file);
    Section *current = nullptr;
    const QString languageKey = QStringLiteral("\\Lumbra\\EN\\");
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            const int at = line.indexOf(languageKey);
            current = at < 0 ? nullptr : &sections[line.mid(at + languageKey.size()).chopped(1)];
        } else if (current && line.startsWith(u'"')) {
            const int equals = line.indexOf(QLatin1String("\"=\""));
            if (equals > 0)
                current->insert(line.mid(1, equals - 1), line.mid(equals + 3).chopped(1));
        }
    }
    return sections;
}

QColor colourOf(const Section &theme, const QString &name)
{
    return QColor(theme.value(name + QLatin1String("_R")).toInt(), theme.value(name + QLatin1String("_G")).toInt(),
                  theme.value(name + QLatin1String("_B")).toInt());
}

QPixmap pictureAt(const QString &file, const QSize &size)
{
    QImage image(file);
    if (!image.isNull() && image.size() != size)
        image = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return QPixmap::fromImage(std::move(image));
}

struct Tab
{
    QString name;
    QPixmap picture;
};

struct Icon
{
    QString name;
    QPixmap picture;
};

class FirstPage : public QWidget
{
public:
    FirstPage(const QString &folder, bool pictureAfter)
        : QWidget(nullptr, Qt::FramelessWindowHint)
    {
        const QHash<QString, Section> reg = readRegFile(folder + QLatin1String("/EN.reg"));
        const Section system = reg.value(QStringLiteral("System"));
        theme = reg.value(QStringLiteral("ThemeInfo\\01"));
        const QString themeDir = folder + u'/' + system.value(QStringLiteral("THEME_DIR")) + theme.value(QStringLiteral("THEME_NAME")) + u'/';
        const QString iconDir = folder + u'/' + system.value(QStringLiteral("ICON_DIR"));
        const QString tabDir = folder + u'/' + system.value(QStringLiteral("TAB_DIR"));
        setGeometry(QGuiApplication::primaryScreen()->geometry());

        for (int t = 1; reg.contains(QStringLiteral("TabInfo\\%1").arg(t, 2, 10, QChar(u'0'))); ++t) {
            const Section tab = reg.value(QStringLiteral("TabInfo\\%1").arg(t, 2, 10, QChar(u'0')));
            if (tab.value(QStringLiteral("TAB_ITEM_PARENT")) != QLatin1String("0"))
                continue;
            const QSize size(tab.value(QStringLiteral("TAB_ITEM_ICON_WIDTH")).toInt(),
                             tab.value(QStringLiteral("TAB_ITEM_ICON_HEIGHT")).toInt());
            tabs.append({tab.value(QStringLiteral("TAB_ITEM_NAME")),
                         pictureAt(tabDir + tab.value(QStringLiteral("TAB_ITEM_ICON_PNG_FILE_NAME")), size)});
            if (tabs.size() == 1)
                readIcons(reg, tab, iconDir);
        }
        tabSelected = pictureAt(themeDir + theme.value(QStringLiteral("TABITEM_HI_PNG_NAME")), QSize(kTabWidth, kTabAreaHeight));
        tabNormal = pictureAt(themeDir + theme.value(QStringLiteral("TABITEM_NOR_PNG_NAME")), QSize(kTabWidth, kTabAreaHeight));
        const QSize button(kButtonSize, kButtonSize);
        speaker = pictureAt(themeDir + theme.value(QStringLiteral("SPEAKER_OFF_PNG_NAME")), button);
        house = pictureAt(themeDir + theme.value(QStringLiteral("HOUSE_PNG_NAME")), button);
        pageFile = themeDir + QLatin1String("page1.png");
        if (!pictureAfter)
            page = pictureAt(pageFile, pageSize());
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        if (page.isNull())
            painter.fillRect(QRect(QPoint(0, kTabAreaHeight), pageSize()), colourOf(theme, QStringLiteral("THEME_TAB_ITEM_REVERSE_BACKGROUND_COLOR")));
        else
            painter.drawPixmap(0, kTabAreaHeight, page);
        paintTabStrip(painter);
        paintIcons(painter);
        if (painted)
            return;
        painted = true;
        // The frame reaches the window system when this paint returns; the zero timer
        // runs after that.
        QTimer::singleShot(0, this, [this] {
            const bool markers = std::getenv("LUMBRA_BENCH_MARKERS");
            if (markers)
                benchMarker("first-frame");
            if (page.isNull()) {
                page = pictureAt(pageFile, pageSize());
                repaint();
            }
            if (markers)
                benchMarker("all-built");
        });
    }

private:
    QSize pageSize() const { return QSize(width(), height() - kTabAreaHeight); }

    void readIcons(const QHash<QString, Section> &reg, const Section &tab, const QString &iconDir)
    {
        const Section layout = reg.value(QStringLiteral("IconInfo"));
        const QSize size(layout.value(QStringLiteral("ICON_WIDTH")).toInt(), layout.value(QStringLiteral("ICON_HEIGHT")).toInt());
        for (const QString &number : tab.value(QStringLiteral("TAB_ITEM_ALL_ICONS")).split(u'.')) {
            if (icons.size() == kIconsPerPage)
                break;
            const Section icon = reg.value(QStringLiteral("IconInfo\\%1").arg(number.toInt(), 2, 10, QChar(u'0')));
            icons.append({icon.value(QStringLiteral("ICON_AP_NAME")),
                          pictureAt(iconDir + icon.value(QStringLiteral("ICON_AP_PNG_FILE_NAME")), size)});
        }
        nameFont = QFont(layout.value(QStringLiteral("ICON_AP_NAME_FONT")), layout.value(QStringLiteral("ICON_AP_NAME_FONT_SIZE")).toInt(),
                         QFont::Bold);
        nameTop = layout.value(QStringLiteral("ICON_AP_NAME_Y_POSITION")).toInt();
    }

    void paintTabStrip(QPainter &painter)
    {
        painter.fillRect(0, 0, width(), kTabAreaHeight, colourOf(theme, QStringLiteral("THEME_TAB_AREA_BACKGROUND_COLOR")));
        painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 12));
        for (int t = 0; t < tabs.size(); ++t) {
            const QRect cell(t * kTabWidth, 0, kTabWidth, kTabAreaHeight);
            painter.drawPixmap(cell.topLeft(), t == 0 ? tabSelected : tabNormal);
            const Tab &tab = tabs.at(t);
            painter.drawPixmap(cell.x() + 26, (kTabAreaHeight - tab.picture.height()) / 2, tab.picture);
            painter.setPen(colourOf(theme, t == 0 ? QStringLiteral("THEME_TAB_ITEM_PEN_REVERSE_COLOR")
                                                  : QStringLiteral("THEME_TAB_ITEM_PEN_COLOR")));
            painter.drawText(cell.adjusted(26 + tab.picture.width() + 8, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, tab.name);
        }
        const int top = (kTabAreaHeight - kButtonSize) / 2;
        painter.drawPixmap(width() - 2 * kButtonSize - 8, top, speaker);
        painter.drawPixmap(width() - kButtonSize - 4, top, house);
    }

    void paintIcons(QPainter &painter)
    {
        painter.setFont(nameFont);
        painter.setPen(colourOf(theme, QStringLiteral("THEME_ICON_AP_NAME_COLOR")));
        const int columnWidth = width() / kColumns;
        for (int i = 0; i < icons.size(); ++i) {
            const Icon &icon = icons.at(i);
            const QRect cell((i % kColumns) * columnWidth + (columnWidth - icon.picture.width()) / 2,
                             kTabAreaHeight + 40 + (i / kColumns) * (icon.picture.height() + 40), icon.picture.width(),
                             icon.picture.height());
            painter.drawPixmap(cell.topLeft(), icon.picture);
            painter.drawText(cell.adjusted(0, nameTop, 0, 0), Qt::AlignHCenter | Qt::AlignTop, icon.name);
            if (i == 0) {
                painter.setPen(QPen(colourOf(theme, QStringLiteral("THEME_ICON_AP_NAME_REVERSE_COLOR")), 3));
                painter.drawRoundedRect(cell, 10, 10);
                painter.setPen(colourOf(theme, QStringLiteral("THEME_ICON_AP_NAME_COLOR")));
            }
        }
    }

    Section theme;
    QList<Tab> tabs;
    QList<Icon> icons;
    QString pageFile;
    QPixmap page;
    QPixmap tabSelected;
    QPixmap tabNormal;
    QPixmap speaker;
    QPixmap house;
    QFont nameFont;
    int nameTop = 0;
    bool painted = false;
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QStringList arguments = app.arguments().mid(1);
    const bool pictureAfter = arguments.removeAll(QStringLiteral("--picture-after")) > 0;
    FirstPage window(arguments.value(0, QStringLiteral(FIRST_PAGE_FOLDER)), pictureAfter);
    window.show();
    return app.exec();
}
