#pragma once
// The interface's language: Japanese or English. Most texts are Japanese in the sources, the
// command line's and the data file reader's messages English; each language's catalogue
// (translations/yb-downloader_ja.ts, _en.ts, built into the program) translates the others.
//
// The program starts in the language the option --lang names (ja or en), else the one the
// environment variable YB_LANG names, else (the window only) the one last chosen in its menu,
// else the system's preferred interface language: Japanese when that is Japanese or when none is
// set (the C or POSIX locale of servers and CI), English for any other. A YB_LANG that names
// no language is passed over; such a --lang is a usage error of the command line.
//
// UseLanguage installs the program's catalogue of the language and Qt's own for its dialogs,
// message box buttons and serial port errors (qtbase and qtserialport, from Qt's translations
// folder); widgets are then sent QEvent::LanguageChange and retranslate themselves. The data file
// and what scripts read (summary --json keys, exit codes) are the same in either language.

#include <QString>
#include <QStringList>

#include <optional>

namespace yb {

enum class Language { Japanese, English };

// "ja" or "en" (case and blanks aside); nullopt for anything else.
std::optional<Language> LanguageNamed(QStringView name);
QString LanguageCode(Language language);

// Where the choice comes from: the option's and the variable's values as given (empty: not
// given; a value that names no language is passed over), the window's remembered choice and the
// system's preferred interface languages, most preferred first (QLocale::uiLanguages).
struct LanguageSources {
    QString option;
    QString environment;
    std::optional<Language> remembered;
    QStringList system;
};
Language ChooseLanguage(const LanguageSources& sources);

// The value of --lang LANG or --lang=LANG among the arguments (the program's name first);
// nullopt when there is none.
std::optional<QString> LanguageOption(const QStringList& arguments);
// The arguments without --lang and its value.
QStringList WithoutLanguageOption(QStringList arguments);

// The language the program starts in, from its arguments, YB_LANG, the remembered choice (when
// it opens its window) and the system.
Language StartLanguage(const QStringList& arguments, bool window);
// Installs the catalogues of `language` in place of those of the language used before (the
// application object exists); false when the program's own could not be loaded.
bool UseLanguage(Language language);
Language CurrentLanguage();

// The window's choice, kept in the program's settings.
std::optional<Language> RememberedLanguage();
void RememberLanguage(Language language);

}  // namespace yb
