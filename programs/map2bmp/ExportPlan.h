#pragma once
// Which map files the exporter converts, and where each picture goes.
//
// Names are kept as the system's bytes (std::filesystem::path). Only files
// whose name ends in ".map" (any letter case) are read; a folder stands for
// the .map files in it (hidden ones left out). Everything that cannot be
// converted safely is refused with its name and the reason, and nothing is
// written for it:
// - any other file named on the command line,
// - a folder that cannot be read, or holds no .map files,
// - two maps that would give the same picture (both of them),
// - a map whose picture would replace a file named on the command line.
// A map named twice (also through linked folders) is converted once; a link
// of another name to a map is converted under its own name too.

#include <QString>

#include <filesystem>
#include <string>
#include <vector>

struct Conversion {
    std::filesystem::path map;
    std::filesystem::path picture;
};

struct Refusal {
    std::filesystem::path name;
    QString reason;
};

struct ExportPlan {
    std::vector<Conversion> conversions; // in the order the maps were named
    std::vector<Refusal> refusals;
};

ExportPlan PlanExport(const std::vector<std::filesystem::path>& named, const std::filesystem::path& outputFolder);

// The text with A to Z made a to z.
std::string LowerAscii(std::string text);

// The same text for two names that one output folder takes for the same
// file: on Windows letter case does not tell files apart
// (ExportPlan_linux.cpp, ExportPlan_windows.cpp).
std::string OutputKey(const std::filesystem::path& picture);
