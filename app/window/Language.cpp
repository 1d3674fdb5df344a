#include "app/window/Language.h"

#include "base/UserText.h"

#include <QCoreApplication>

#include <stdexcept>

namespace {

struct NamedLanguage {
    const char* name;
    Language language;
    const char* description;
};

constexpr NamedLanguage kLanguages[] = {
    {"zh", Language::Chinese, "Chinese (the default)"},
    {"en", Language::English, "English"},
};

std::string TranslatedUserText(const char* context, const char* english)
{
    return QCoreApplication::translate(context, english).toStdString();
}

} // namespace

std::optional<Language> LanguageNamed(const QString& name)
{
    for (const NamedLanguage& named : kLanguages)
        if (name == QLatin1String(named.name))
            return named.language;
    return std::nullopt;
}

QString LanguageList()
{
    QString list;
    for (const NamedLanguage& named : kLanguages)
        list += QStringLiteral("%1  %2\n").arg(QLatin1String(named.name), QLatin1String(named.description));
    return list;
}

LanguageInUse::LanguageInUse(Language language)
{
    if (language == Language::English)
        return; // the texts as written
    for (const char* file : {":/translations/tarvex_zh_CN.qm", ":/translations/qtbase_zh_CN.qm"}) {
        auto translator = std::make_unique<QTranslator>();
        if (!translator->load(QLatin1String(file)) || !QCoreApplication::installTranslator(translator.get()))
            throw std::runtime_error(std::string("The translation ") + file + " cannot be loaded");
        translators_.push_back(std::move(translator));
    }
    SetUserTextTranslation(&TranslatedUserText);
}

LanguageInUse::~LanguageInUse()
{
    SetUserTextTranslation(nullptr);
}
