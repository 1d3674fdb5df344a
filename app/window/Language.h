#pragma once
// The language of the window's texts. The texts are written in English;
// Chinese, the default, comes from translations/tarvex_zh_CN.ts, built into
// the program, together with Qt's own Chinese for its dialogs' buttons.
// The window's few fixed Chinese labels (the title, "内存地址:", "读取坐标",
// "进程", "图象文件") are Chinese translations too, so that English shows them
// in English.

#include <QString>
#include <QTranslator>

#include <memory>
#include <optional>
#include <vector>

enum class Language { Chinese, English };

// "zh" or "en"; none for any other name.
std::optional<Language> LanguageNamed(const QString& name);
// The names LanguageNamed takes, with what each is, one a line.
QString LanguageList();

// The language's translations, in use by the application for as long as
// this lives, also for the sentences of the code without Qt (UserText.h). Throws std::runtime_error when a translation cannot be loaded.
class LanguageInUse {
public:
    explicit LanguageInUse(Language language);
    ~LanguageInUse();
    LanguageInUse(const LanguageInUse&) = delete;
    LanguageInUse& operator=(const LanguageInUse&) = delete;

private:
    std::vector<std::unique_ptr<QTranslator>> translators_;
};
