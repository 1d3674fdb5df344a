#pragma once
// Saving a 16-colour picture as a 4-bit BMP file (BitmapFormat.h).

#include "map/IndexedImage.h"

#include <QString>

#include <filesystem>

inline constexpr char kNoMapToSave[] = "There is no map to save";

// The name with its extension replaced by ".bmp": the extension runs from the
// last "." after the last path separator; a name without one gets ".bmp".
QString WithBmpExtension(const QString& fileName);
std::filesystem::path BmpPathFor(const std::filesystem::path& fileName);

// Writes the picture in place of fileName. The file is replaced only once
// every byte is written, so a failure leaves an earlier file of that name as
// it was and no partial file behind; a writable file in a folder that is not
// writable is written in place instead.
// Throws std::runtime_error with kNoMapToSave for a picture of no pixels
// (nothing is written), "Cannot create file "%s". %s" with the system's
// text for the error, or "Stream write error".
void SaveBitmapFile(const IndexedImage& picture, const QString& fileName);

// The same for a name kept as the system's bytes (FileNames.h), which need
// not be valid UTF-8. The new file is written beside the old one and renamed
// over it, which replaces a symbolic link at fileName rather than its target.
// On Linux it has no name until it is whole: a writer killed half-way leaves
// no file behind.
void SaveBitmapFile(const IndexedImage& picture, const std::filesystem::path& fileName);
