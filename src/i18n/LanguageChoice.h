#pragma once

#include <QString>

// The two upper-case letters of the system language. They select the registry tree, the
// registry file and the shut-down dialog's translation. Empty until start-up sets it.
extern QString languageCode;

// The language code of the system's default language identifier.
QString chooseLanguageCode();

// The language code of a Windows language identifier, by exact match on all 16 bits;
// "EN" for every identifier without a translation of its own.
QString languageCodeForLangId(quint16 langId);

// The POSIX locale name for a language code, as desktop entries name their translations
// (Name[de], Name[pt_BR]); "en" for a code it does not know.
QString desktopLocaleFor(const QString &code);
