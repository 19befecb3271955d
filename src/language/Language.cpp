#include "language/Language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QSettings>
#include <QTranslator>

#include <vector>

namespace yb {

namespace {

const QString kRememberedKey = QStringLiteral("interface/language");

// The catalogues installed now, and their language.
struct Installed {
    Language language = Language::Japanese;
    std::vector<QPointer<QTranslator>> translators;
};

Installed& Current() {
    static Installed installed;
    return installed;
}

// The system's preferred language: none set (C, POSIX) counts as Japanese.
Language SystemLanguage(const QStringList& uiLanguages) {
    const QString first = uiLanguages.value(0);
    if (first.isEmpty() || first == QLatin1String("C") || first == QLatin1String("POSIX") ||
        first.startsWith(QLatin1String("ja"), Qt::CaseInsensitive)) {
        return Language::Japanese;
    }
    return Language::English;
}

}  // namespace

std::optional<Language> LanguageNamed(QStringView name) {
    const QStringView code = name.trimmed();
    if (code.compare(QLatin1String("ja"), Qt::CaseInsensitive) == 0) return Language::Japanese;
    if (code.compare(QLatin1String("en"), Qt::CaseInsensitive) == 0) return Language::English;
    return std::nullopt;
}

QString LanguageCode(Language language) {
    return language == Language::English ? QStringLiteral("en") : QStringLiteral("ja");
}

Language ChooseLanguage(const LanguageSources& sources) {
    if (const auto option = LanguageNamed(sources.option)) return *option;
    if (const auto environment = LanguageNamed(sources.environment)) return *environment;
    if (sources.remembered) return *sources.remembered;
    return SystemLanguage(sources.system);
}

std::optional<QString> LanguageOption(const QStringList& arguments) {
    const QString prefix = QStringLiteral("--lang=");
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--lang")) return arguments.value(i + 1);
        if (arguments[i].startsWith(prefix)) return arguments[i].mid(prefix.size());
    }
    return std::nullopt;
}

QStringList WithoutLanguageOption(QStringList arguments) {
    for (qsizetype i = 1; i < arguments.size();) {
        if (arguments[i] == QLatin1String("--lang"))
            arguments.remove(i, std::min<qsizetype>(2, arguments.size() - i));
        else if (arguments[i].startsWith(QLatin1String("--lang=")))
            arguments.remove(i);
        else
            ++i;
    }
    return arguments;
}

Language StartLanguage(const QStringList& arguments, bool window) {
    LanguageSources sources;
    sources.option = LanguageOption(arguments).value_or(QString());
    sources.environment = qEnvironmentVariable("YB_LANG");
    if (window) sources.remembered = RememberedLanguage();
    sources.system = QLocale::system().uiLanguages();
    return ChooseLanguage(sources);
}

bool UseLanguage(Language language) {
    Installed& installed = Current();
    for (const QPointer<QTranslator>& translator : installed.translators) {
        if (!translator) continue;
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
    installed.translators.clear();
    installed.language = language;
    const auto install = [&installed](const QString& name, const QString& folder) {
        auto* translator = new QTranslator(QCoreApplication::instance());
        if (!translator->load(name, folder)) {
            delete translator;
            return false;
        }
        QCoreApplication::installTranslator(translator);
        installed.translators.emplace_back(translator);
        return true;
    };
    // Qt's catalogues may be missing (a system without them): Qt's own texts stay English.
    const QString code = LanguageCode(language);
    const QString qtFolder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const char* catalogue : {"qtbase", "qtserialport"}) {
        install(QLatin1String(catalogue) + u'_' + code, qtFolder);
    }
    // The sources hold most texts in Japanese, the command line's and the data file reader's
    // messages in English: each catalogue translates the texts of the other language.
    return install(QStringLiteral("yb-downloader_") + code, QStringLiteral(":/i18n"));
}

Language CurrentLanguage() {
    return Current().language;
}

std::optional<Language> RememberedLanguage() {
    return LanguageNamed(QSettings().value(kRememberedKey).toString());
}

void RememberLanguage(Language language) {
    QSettings().setValue(kRememberedKey, LanguageCode(language));
}

}  // namespace yb
