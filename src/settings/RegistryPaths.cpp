#include "RegistryPaths.h"

#include "i18n/LanguageChoice.h"

QString registryBasePath;
QString systemKeyPath;
QString tabKeyPath;
QString iconKeyPath;
QString themeKeyPath;

namespace {

QString numbered(int n)
{
    return QString::asprintf("%.2d", n);
}

} // namespace

QString settingsRootPath()
{
    return QStringLiteral("Software\\ORTAN\\Lumbra");
}

void initRegistryPaths()
{
    registryBasePath = settingsRootPath() + u'\\' + languageCode + u'\\';
    systemKeyPath = registryBasePath + QStringLiteral("System");
    tabKeyPath = registryBasePath + QStringLiteral("TabInfo");
    iconKeyPath = registryBasePath + QStringLiteral("IconInfo");
    themeKeyPath = registryBasePath + QStringLiteral("ThemeInfo");
}

QString tabSubKeyPath(int tab)
{
    return tabKeyPath + u'\\' + numbered(tab);
}

QString iconSubKeyPath(int icon)
{
    return iconKeyPath + u'\\' + numbered(icon);
}

QString themeSubKeyPath(int theme)
{
    return themeKeyPath + u'\\' + numbered(theme);
}

QString themeImageSubKeyPath(int theme, int image)
{
    return themeSubKeyPath(theme) + QStringLiteral("\\THEME_ALL_IMAGE\\") + numbered(image);
}
