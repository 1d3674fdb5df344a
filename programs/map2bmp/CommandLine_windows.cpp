#include "programs/map2bmp/CommandLine.h"

#include <QCoreApplication>

#include <io.h>

// Windows hands the command line over as UTF-16, which Qt keeps as it is.
CommandLine::CommandLine(int, char**) : arguments_(QCoreApplication::arguments()) {}

std::filesystem::path CommandLine::PathOf(const QString& argument) const
{
    return std::filesystem::path(argument.toStdWString());
}

bool IsTerminal(std::FILE* stream)
{
    return ::_isatty(::_fileno(stream));
}
