#pragma once
// Where the window meets the plain map code: pictures, text in the GBK code
// page, and file paths.

#include "IndexedImage.h"

#include <QByteArray>
#include <QImage>
#include <QString>

#include <filesystem>
#include <stdexcept>
#include <string_view>

// A copy at one byte a pixel with the colour table, as the clipboard and
// Qt's painting take it; 96 dots per inch.
QImage ToQImage(const IndexedImage& image);

QByteArray ToGbk(const QString& text);
QString FromGbk(std::string_view bytes);

std::filesystem::path ToFilesystemPath(const QString& path);

// The failure "Cannot <verb> file "<path>". <system text>", the system's text
// without trailing blanks, line breaks and dots.
std::runtime_error FileFailure(const char* verb, const QString& path, const QString& systemText);
