#pragma once
// Saving a picture as a BMP file. A 16-colour indexed picture is written with
// 4 bits per pixel: file header, 40-byte information header, the 16-entry
// colour table, rows bottom-up padded to 4 bytes.

#include <QImage>
#include <QString>

// The name with its extension replaced by ".bmp": the extension runs from the
// last "." after the last path separator; a name without one gets ".bmp".
QString WithBmpExtension(const QString& fileName);

// Writes the picture (an empty file when it is null) in place of fileName.
// The file is replaced only once every byte is written, so a failure leaves
// an earlier file of that name as it was and no partial file behind.
// Throws std::runtime_error with "Cannot create file "%s". %s" or
// "Stream write error".
void SaveBitmapFile(const QImage& picture, const QString& fileName);
