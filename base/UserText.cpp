#include "base/UserText.h"

#include <atomic>
#include <vector>

namespace {

std::atomic<UserTextTranslation> translation{nullptr};

} // namespace

void SetUserTextTranslation(UserTextTranslation newTranslation)
{
    translation = newTranslation;
}

std::string UserText(const char* context, const char* english)
{
    const UserTextTranslation translate = translation;
    return translate ? translate(context, english) : std::string(english);
}

std::string WithValues(const std::string& format, std::initializer_list<std::string> values)
{
    const std::vector<std::string> byNumber(values);
    std::string text;
    for (std::size_t i = 0; i < format.size(); ++i) {
        const bool numbered = format[i] == '%' && i + 1 < format.size() && format[i + 1] >= '1' && format[i + 1] <= '9';
        const std::size_t number = numbered ? std::size_t(format[i + 1] - '1') : byNumber.size();
        if (number < byNumber.size()) {
            text += byNumber[number];
            ++i;
        } else {
            text += format[i];
        }
    }
    return text;
}
