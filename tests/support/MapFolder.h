#pragma once
// A folder of map files made for a test, removed after it.

#include "tests/support/MapBytes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

class MapFolderFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = fs::temp_directory_path() / ("tarvex-atlas-" + std::to_string(std::random_device{}()) +
                                               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    void Write(const char* name, const std::string& bytes) { WriteBytes(folder_ / name, bytes); }

    fs::path folder_;
};

inline std::vector<std::string> Names(const std::vector<fs::path>& paths)
{
    std::vector<std::string> names;
    for (const fs::path& path : paths)
        names.push_back(path.string());
    return names;
}

using Strings = std::vector<std::string>;
