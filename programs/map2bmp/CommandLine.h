#pragma once
// The exporter's command line for QCommandLineParser, and the file names in
// it as the system's bytes: Qt's own decoding would turn names that are not
// valid UTF-8 into different ones (CommandLine_linux.cpp,
// CommandLine_windows.cpp).

#include <QString>
#include <QStringList>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>

class CommandLine {
public:
    CommandLine(int argc, char** argv);

    const QStringList& Arguments() const { return arguments_; }
    std::filesystem::path PathOf(const QString& argument) const;

private:
    QStringList arguments_;
    std::map<QString, std::string> rawBytes_; // an argument's stand-in text and its bytes
};

// Whether the stream is a terminal, where progress can be shown.
bool IsTerminal(std::FILE* stream);
