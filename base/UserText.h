#pragma once
// Sentences for the user from the code without Qt, in the program's
// language. Each is written in English, with %1, %2... for what varies, as
//     WithValues(UserText("Context", "The client has no module \"%1\"."), {name})
// so that the translation tools find it (lupdate's
// -tr-function-alias translate+=UserText). A program with translations sets
// them once, before it starts threads; without, the English comes back, as
// the command-line programs print it.

#include <initializer_list>
#include <string>

using UserTextTranslation = std::string (*)(const char* context, const char* english);
void SetUserTextTranslation(UserTextTranslation translation);

std::string UserText(const char* context, const char* english);

// The format with %1 to %9 replaced by the values in order, in one pass (a
// value holding "%1" stays as it is); a number without a value stays too.
std::string WithValues(const std::string& format, std::initializer_list<std::string> values);
