#include "E2eStore.h"

#include <QStringList>

namespace {

const QString kKey = QStringLiteral("[HKEY_LOCAL_MACHINE\\Software\\ORTAN\\Lumbra\\EN\\%1]\n");

QString value(const QString &name, const QString &text)
{
    QString escaped = text;
    escaped.replace(u'\\', QStringLiteral("\\\\")).replace(u'"', QStringLiteral("\\\""));
    return QStringLiteral("\"%1\"=\"%2\"\n").arg(name, escaped);
}

QString icon(int number, const QString &name, const QString &target, int kind, int isDefault)
{
    return kKey.arg(QStringLiteral("IconInfo\\%1").arg(number, 2, 10, QLatin1Char('0')))
        + value(QStringLiteral("ICON_ID"), QString::number(number))
        + value(QStringLiteral("ICON_AP_NAME"), name)
        + value(QStringLiteral("ICON_AP_TOOLTIP_NAME"), name)
        + value(QStringLiteral("ICON_AP_EXE_LOCATION"), target)
        + value(QStringLiteral("ICON_DATA_TYPE"), QString::number(kind))
        + value(QStringLiteral("ICON_IS_DEFAULT_APP"), QString::number(isDefault))
        + value(QStringLiteral("ICON_AP_PNG_FILE_NAME"), QStringLiteral("none.png")) + u'\n';
}

} // namespace

QString e2eStoreFile(const QString &program, const QString &folder, int firstRun)
{
    QString text = QStringLiteral("Windows Registry Editor Version 5.00\n\n");
    text += kKey.arg(QStringLiteral("System")) + value(QStringLiteral("IS_FIRST_RUN"), QString::number(firstRun))
        + value(QStringLiteral("CURRENT_THEME"), QStringLiteral("1"))
        + value(QStringLiteral("NUMBER_OF_TABS"), QStringLiteral("2"))
        + value(QStringLiteral("NUMBER_OF_ICON_PER_ROW"), QStringLiteral("4"))
        + value(QStringLiteral("ICON_DISABLE_CLICK_TIMER"), QStringLiteral("300"))
        + value(QStringLiteral("LUMBRA_WINDOWTITLE"), QStringLiteral("Lumbra")) + u'\n';
    text += kKey.arg(QStringLiteral("TabInfo")) + value(QStringLiteral("TABINFO_HEIGHT"), QStringLiteral("60"))
        + value(QStringLiteral("TABINFO_ITEM_WIDTH"), QStringLiteral("160"))
        + value(QStringLiteral("TABINFO_ITEM_HIGHT"), QStringLiteral("60")) + u'\n';
    const QStringList lists = {QStringLiteral("1.2.3"), QStringLiteral("1.4")};
    for (int t = 1; t <= 2; ++t) {
        text += kKey.arg(QStringLiteral("TabInfo\\0%1").arg(t)) + value(QStringLiteral("TAB_ITEM_ID"), QString::number(t))
            + value(QStringLiteral("TAB_ITEM_NAME"), QStringLiteral("Tab %1").arg(t))
            + value(QStringLiteral("TAB_ITEM_ALL_ICONS"), lists.at(t - 1))
            + value(QStringLiteral("TAB_ITEM_PARENT"), QStringLiteral("0")) + u'\n';
    }
    text += kKey.arg(QStringLiteral("IconInfo")) + value(QStringLiteral("ICON_WIDTH"), QStringLiteral("150"))
        + value(QStringLiteral("ICON_HEIGHT"), QStringLiteral("140"))
        + value(QStringLiteral("ICON_RESERVE_VERTICAL"), QStringLiteral("5"))
        + value(QStringLiteral("ICON_RESERVE_HORIZONTAL"), QStringLiteral("5"))
        + value(QStringLiteral("ICON_AP_NAME_Y_POSITION"), QStringLiteral("100"))
        + value(QStringLiteral("ICON_EFFICACY_PIXEL"), QStringLiteral("2"))
        + value(QStringLiteral("ICON_EFFICACY_INTERVAL"), QStringLiteral("20"))
        + value(QStringLiteral("ICON_EFFICACY_COUNTER"), QStringLiteral("2")) + u'\n';
    text += icon(1, QStringLiteral("Recorder"), program, 1, 1);
    text += icon(2, QStringLiteral("Papers"), folder, 3, 1);
    text += icon(3, QStringLiteral("Added"), program, 1, 0);
    text += icon(4, QStringLiteral("Missing"), program + QStringLiteral(".uninstalled"), 1, 1);
    text += kKey.arg(QStringLiteral("ThemeInfo\\01")) + value(QStringLiteral("THEME_NAME"), QStringLiteral("Plain"))
        + value(QStringLiteral("THEME_TAB_AREA_BACKGROUND_COLOR_B"), QStringLiteral("160")) + u'\n';
    return text;
}

QString e2eIconEntry(int number, const QString &name, const QString &target, int kind, int isDefault)
{
    return icon(number, name, target, kind, isDefault);
}

QString e2eTabIcons(int tab, const QString &icons)
{
    return kKey.arg(QStringLiteral("TabInfo\\%1").arg(tab, 2, 10, QLatin1Char('0')))
        + value(QStringLiteral("TAB_ITEM_ALL_ICONS"), icons) + u'\n';
}

QString e2eSystemValue(const QString &name, const QString &text)
{
    return kKey.arg(QStringLiteral("System")) + value(name, text) + u'\n';
}

QString e2eThemes()
{
    // The pictures are the ones the build puts beside the program, whose folder the
    // launcher works in.
    QString text = kKey.arg(QStringLiteral("System")) + value(QStringLiteral("THEME_DIR"), QStringLiteral("./Theme/")) + u'\n';
    const QStringList names = {QStringLiteral("Light"), QStringLiteral("Dark")};
    for (int t = 1; t <= names.size(); ++t) {
        const QString theme = QStringLiteral("ThemeInfo\\%1").arg(t, 2, 10, QLatin1Char('0'));
        text += kKey.arg(theme) + value(QStringLiteral("THEME_NAME"), names.at(t - 1)) + u'\n';
        for (int page = 1; page <= 2; ++page) {
            text += kKey.arg(theme + QStringLiteral("\\THEME_ALL_IMAGE\\0%1").arg(page))
                + value(QStringLiteral("IMAGE_FILE_PATH"), QStringLiteral("page%1.png").arg(page))
                + value(QStringLiteral("IMAGE_TAB_ITEM_ID"), QString::number(page)) + u'\n';
        }
    }
    return text;
}

