#pragma once
// What saving a file asks of the system, one file per platform
// (SafeWriting_linux.cpp, SafeWriting_windows.cpp).

#include <QString>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <vector>

// Why the file cannot be opened for writing, asked of the system; empty
// when it can be.
QString WhyNotWritable(const QString& fileName);

// The system's text for the last failed call.
QString LastErrorText();

// Why the name is no file to replace (a pipe, a device); empty when it is
// one or there is none. Never waits on a pipe.
QString WhyNotAFileToReplace(const QString& fileName);

// Writes the bytes over the file from its start, the space reserved first,
// so a full disk refuses before a byte of the old file changes. Throws
// std::runtime_error, with the file named when it cannot be opened.
void OverwriteInPlace(const QString& fileName, const std::vector<std::uint8_t>& bytes);

// A new file without a name in the folder, where the system has them (a
// writer stopped half-way then leaves nothing behind); nullptr elsewhere.
std::FILE* OpenUnnamedIn(const std::filesystem::path& folder);
// Gives a file from OpenUnnamedIn() its name; false when it cannot.
bool NameUnnamed(std::FILE* file, const std::filesystem::path& name);

std::FILE* OpenForWriting(const std::filesystem::path& path);

// Where the last folder separator of the name lies, or -1.
qsizetype LastSeparatorIn(const QString& fileName);
