#include "app/Language.h"

#include "map/UserText.h"

#include <QCoreApplication>

#include <stdexcept>

std::optional<Language> LanguageNamed(const QString& name)
{
    if (name == QLatin1String("zh"))
        return Language::Chinese;
    if (name == QLatin1String("en"))
        return Language::English;
    return std::nullopt;
}

QString LanguageList()
{
    return QStringLiteral("zh  Chinese (the default)\nen  English\n");
}

namespace {

std::string TranslatedUserText(const char* context, const char* english)
{
    return QCoreApplication::translate(context, english).toStdString();
}

} // namespace

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
