#include "WorkingDirectory.h"

#include <gtest/gtest.h>

namespace {

TEST(WorkingDirectoryTest, SystemErrorsGiveTheirTexts)
{
    using std::errc;
    EXPECT_EQ(DirectoryChangeFailureText(std::make_error_code(errc::no_such_file_or_directory)), "File not found");
    EXPECT_EQ(DirectoryChangeFailureText(std::make_error_code(errc::not_a_directory)), "Invalid filename");
    EXPECT_EQ(DirectoryChangeFailureText(std::make_error_code(errc::too_many_files_open)), "Too many open files");
    EXPECT_EQ(DirectoryChangeFailureText(std::make_error_code(errc::too_many_files_open_in_system)), "Too many open files");
    EXPECT_EQ(DirectoryChangeFailureText(std::make_error_code(errc::permission_denied)), "File access denied");
    EXPECT_EQ(DirectoryChangeFailureText(std::make_error_code(errc::operation_not_permitted)), "File access denied");
    const std::error_code io = std::make_error_code(errc::io_error);
    EXPECT_EQ(DirectoryChangeFailureText(io), "I/O error " + std::to_string(io.value()));
}

} // namespace
