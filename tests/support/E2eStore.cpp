#include "E2eStore.h"

#include <QStringList>

namespace {

const QString kKey = QStringLiteral("[HKEY_LOCAL_MACHINE\\Software\\ORTAN\\Lumbra\\EN\\%1]\n");

QString value(const char *name, const QString &text)
{
    QString escaped = text;
    escaped.replace(u'\\', QStringLiteral("\\\\")).replace(u'"', QStringLiteral("\\\""));
    return QStringLiteral("\"%1\"=\"%2\"\n").arg(QLatin1String(name), escaped);
}

QString icon(int number, const QString &name, const QString &target, int kind, int isDefault)
{
    return kKey.arg(QStringLiteral("IconInfo\\%1").arg(number, 2, 10, QLatin1Char('0')))
        + value("ICON_ID", QString::number(number)) + value("ICON_AP_NAME", name) + value("ICON_AP_TOOLTIP_NAME", name)
        + value("ICON_AP_EXE_LOCATION", target) + value("ICON_DATA_TYPE", QString::number(kind))
        + value("ICON_IS_DEFAULT_APP", QString::number(isDefault)) + value("ICON_AP_PNG_FILE_NAME", "none.png") + u'\n';
}

} // namespace

QString e2eStoreFile(const QString &program, const QString &folder, int firstRun)
{
    QString text = QStringLiteral("Windows Registry Editor Version 5.00\n\n");
    text += kKey.arg(QStringLiteral("System")) + value("IS_FIRST_RUN", QString::number(firstRun))
        + value("CURRENT_THEME", "1") + value("NUMBER_OF_TABS", "2") + value("NUMBER_OF_ICON_PER_ROW", "4")
        + value("ICON_DISABLE_CLICK_TIMER", "300") + value("LUMBRA_WINDOWTITLE", "Lumbra") + u'\n';
    text += kKey.arg(QStringLiteral("TabInfo")) + value("TABINFO_HEIGHT", "60") + value("TABINFO_ITEM_WIDTH", "160")
        + value("TABINFO_ITEM_HIGHT", "60") + u'\n';
    const QStringList lists = {QStringLiteral("1.2.3"), QStringLiteral("1.4")};
    for (int t = 1; t <= 2; ++t) {
        text += kKey.arg(QStringLiteral("TabInfo\\0%1").arg(t)) + value("TAB_ITEM_ID", QString::number(t))
            + value("TAB_ITEM_NAME", QStringLiteral("Tab %1").arg(t)) + value("TAB_ITEM_ALL_ICONS", lists.at(t - 1))
            + value("TAB_ITEM_PARENT", "0") + u'\n';
    }
    text += kKey.arg(QStringLiteral("IconInfo")) + value("ICON_WIDTH", "150") + value("ICON_HEIGHT", "140")
        + value("ICON_RESERVE_VERTICAL", "5") + value("ICON_RESERVE_HORIZONTAL", "5")
        + value("ICON_AP_NAME_Y_POSITION", "100") + value("ICON_EFFICACY_PIXEL", "2")
        + value("ICON_EFFICACY_INTERVAL", "20") + value("ICON_EFFICACY_COUNTER", "2") + u'\n';
    text += icon(1, QStringLiteral("Recorder"), program, 1, 1);
    text += icon(2, QStringLiteral("Papers"), folder, 3, 1);
    text += icon(3, QStringLiteral("Added"), program, 1, 0);
    text += icon(4, QStringLiteral("Missing"), program + QStringLiteral(".uninstalled"), 1, 1);
    text += kKey.arg(QStringLiteral("ThemeInfo\\01")) + value("THEME_NAME", "Plain")
        + value("THEME_TAB_AREA_BACKGROUND_COLOR_B", "160") + u'\n';
    return text;
}

QString e2eIconEntry(int number, const QString &name, const QString &target, int kind, int isDefault)
{
    return icon(number, name, target, kind, isDefault);
}

QString e2eTabIcons(int tab, const QString &icons)
{
    return kKey.arg(QStringLiteral("TabInfo\\%1").arg(tab, 2, 10, QLatin1Char('0')))
        + value("TAB_ITEM_ALL_ICONS", icons) + u'\n';
}

QString e2eSystemValue(const QString &name, const QString &text)
{
    return kKey.arg(QStringLiteral("System")) + value(qPrintable(name), text) + u'\n';
}

QString e2eThemes()
{
    // The pictures are the ones the build puts beside the program, whose folder the
    // launcher works in.
    QString text = kKey.arg(QStringLiteral("System")) + value("THEME_DIR", "./Theme/") + u'\n';
    const QStringList names = {QStringLiteral("Light"), QStringLiteral("Dark")};
    for (int t = 1; t <= names.size(); ++t) {
        const QString theme = QStringLiteral("ThemeInfo\\%1").arg(t, 2, 10, QLatin1Char('0'));
        text += kKey.arg(theme) + value("THEME_NAME", names.at(t - 1)) + u'\n';
        for (int page = 1; page <= 2; ++page) {
            text += kKey.arg(theme + QStringLiteral("\\THEME_ALL_IMAGE\\0%1").arg(page))
                + value("IMAGE_FILE_PATH", QStringLiteral("page%1.png").arg(page))
                + value("IMAGE_TAB_ITEM_ID", QString::number(page)) + u'\n';
        }
    }
    return text;
}

