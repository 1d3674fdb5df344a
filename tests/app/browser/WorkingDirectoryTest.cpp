#include "app/browser/WorkingDirectory.h"

#include <gtest/gtest.h>

namespace {

TEST(WorkingDirectoryTest, SystemErrorsGiveTheirTexts)
{
    using std::errc;
    const auto DirectoryChangeFailureText = [](std::error_code error) {
        return ::DirectoryChangeFailureText(error, "/home/ann/maps");
    };
    EXPECT_EQ(DirectoryChangeFailureText(std::make_error_code(errc::no_such_file_or_directory)), "File not found");
    EXPECT_EQ(DirectoryChangeFailureText(std::make_error_code(errc::not_a_directory)), "Invalid filename");
    EXPECT_EQ(DirectoryChangeFailureText(std::make_error_code(errc::too_many_files_open)), "Too many open files");
    EXPECT_EQ(DirectoryChangeFailureText(std::make_error_code(errc::too_many_files_open_in_system)), "Too many open files");
    EXPECT_EQ(DirectoryChangeFailureText(std::make_error_code(errc::permission_denied)),
              "File access denied: you may not enter \"/home/ann/maps\"");
    EXPECT_EQ(DirectoryChangeFailureText(std::make_error_code(errc::operation_not_permitted)),
              "File access denied: you may not enter \"/home/ann/maps\"");
    EXPECT_EQ(DirectoryChangeFailureText(std::make_error_code(errc::filename_too_long)),
              "File name too long: \"/home/ann/maps\"");
    const std::error_code io = std::make_error_code(errc::io_error);
    EXPECT_EQ(DirectoryChangeFailureText(io), "I/O error " + std::to_string(io.value()));
}

} // namespace

TEST(WorkingDirectoryTest, LongPathsAreCutInTheMiddle)
{
    const std::string deep = "/home/" + std::string(300, 'a') + "/maps/Harbor";
    const std::string quoted = QuotedFolder(deep);
    EXPECT_EQ(QString::fromStdString(quoted).size(), 102);
    EXPECT_EQ(quoted.substr(0, 7), "\"/home/");
    EXPECT_EQ(quoted.substr(quoted.size() - 13), "/maps/Harbor\"");
    EXPECT_NE(quoted.find("\u2026"), std::string::npos);
    EXPECT_EQ(QuotedFolder("/home/ann"), "\"/home/ann\"");
}
