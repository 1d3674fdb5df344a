#pragma once
// Where Qt meets the plain map code: text in the GBK code page, and file
// paths.

#include <QByteArray>
#include <QString>

#include <filesystem>
#include <stdexcept>
#include <string_view>

QByteArray ToGbk(const QString& text);
QString FromGbk(std::string_view bytes);

std::filesystem::path ToFilesystemPath(const QString& path);

// The failure "Cannot <verb> file "<path>". <system text>", the system's text
// without trailing blanks, line breaks and dots.
std::runtime_error FileFailure(const char* verb, const QString& path, const QString& systemText);
