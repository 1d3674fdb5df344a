#include "tests/support/AsOrdinaryUser.h"
#include "tests/support/MapBytes.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct CommandRun {
    int exitCode = -1;
    std::string output;
    std::string errors;
};

std::string Quoted(const std::string& argument)
{
    std::string quoted = "'";
    for (char c : argument)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string FileText(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

class RouteCommandTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = fs::temp_directory_path() / ("tarvex-route-test-" + std::to_string(::getpid()));
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    CommandRun Run(const std::vector<std::string>& arguments) const
    {
        std::string command = Quoted(TARVEX_ROUTE);
        for (const std::string& argument : arguments)
            command += " " + Quoted(argument);
        const fs::path errors = folder_ / "errors.txt";
        command += " 2>" + Quoted(errors.string());
        CommandRun run;
        FILE* program = ::popen(command.c_str(), "r");
        if (!program)
            return run;
        char buffer[4096];
        for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, program)) > 0;)
            run.output.append(buffer, got);
        const int status = ::pclose(program);
        run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.errors = FileText(errors);
        return run;
    }

    // A map file of the given columns, each a string of '.' (open), 'X'
    // (blocked), 'B' (blocked and flagged: blue).
    std::string WriteMap(const std::string& name, const std::vector<std::string>& columns) const
    {
        std::string bytes = MapHeaderBytes(int(columns.size()), int(columns.front().size()));
        for (const std::string& column : columns)
            for (char cell : column)
                bytes += cell == '.' ? CellBytes(30) : cell == 'X' ? CellBytes(180) : CellBytes(180, 0x80, 0x80);
        const fs::path path = folder_ / name;
        WriteBytes(path, bytes);
        return path.string();
    }

    fs::path folder_;
};

TEST_F(RouteCommandTest, PrintsTheStepsThenEveryCell)
{
    const std::string strip = WriteMap("strip.map", {"...."});
    CommandRun run = Run({strip, "0", "0", "0", "3"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.output, "3\n0:0\n0:1\n0:2\n0:3\n");
    EXPECT_EQ(run.errors, "");
    EXPECT_EQ(Run({strip, "0", "2", "0", "2"}).output, "0\n0:2\n");

    // Blue cells are walked through even where their blocking value blocks.
    const std::string row = WriteMap("blue.map", {".", "B", "."});
    run = Run({row, "2", "0", "0", "0"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.output, "2\n2:0\n1:0\n0:0\n");
}

TEST_F(RouteCommandTest, NoRouteSaysSoAndWhyWhenAnEndIsTheCause)
{
    const std::string map = WriteMap("split.map", {"...", "XXX", "...", "X.."});
    CommandRun run = Run({map, "0", "0", "2", "2"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.output, "no route\n");
    EXPECT_EQ(run.errors, "");

    run = Run({map, "3", "0", "2", "2"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.output, "no route\n");
    EXPECT_NE(run.errors.find("3:0 is blocked"), std::string::npos) << run.errors;

    run = Run({map, "2", "2", "4", "-1"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.output, "no route\n");
    EXPECT_NE(run.errors.find("4:-1 lies outside the map of 4 x 3 cells"), std::string::npos) << run.errors;
}

TEST_F(RouteCommandTest, WrongCommandLinesAndUnreadableMapsExitWithTwo)
{
    const std::string map = WriteMap("small.map", {"..", ".."});
    const std::vector<std::vector<std::string>> wrong = {
        {},
        {map, "0", "0", "1"},
        {map, "0", "0", "1", "1", "1"},
        {map, "0", "0", "1", "1x"},
        {map, "0", "", "1", "1"},
        {map, "0", "0", "1", "99999999999"},
        {map, "--frobnicate", "0", "1", "1"},
        {(folder_ / "missing.map").string(), "0", "0", "1", "1"},
        {folder_.string(), "0", "0", "1", "1"},
    };
    for (const std::vector<std::string>& arguments : wrong) {
        const CommandRun run = Run(arguments);
        std::string line;
        for (const std::string& argument : arguments)
            line += " " + argument;
        EXPECT_EQ(run.exitCode, 2) << line;
        EXPECT_EQ(run.output, "") << line;
        EXPECT_NE(run.errors, "") << line;
    }
    const CommandRun missing = Run({(folder_ / "missing.map").string(), "0", "0", "1", "1"});
    EXPECT_NE(missing.errors.find("missing.map: no such map file"), std::string::npos) << missing.errors;
    // What lies at the path is told, never waited on.
    ASSERT_EQ(::mkfifo((folder_ / "pipe.map").c_str(), 0666), 0);
    fs::create_symlink("/dev/zero", folder_ / "zero.map");
    fs::create_directory(folder_ / "folder.map");
    for (const auto& [name, why] : {std::pair<const char*, const char*>{"pipe.map", "is a pipe, not a map file"},
                                    {"zero.map", "is a device, not a map file"},
                                    {"folder.map", "is a folder, not a map file"}}) {
        const CommandRun run = Run({(folder_ / name).string(), "0", "0", "1", "1"});
        EXPECT_EQ(run.exitCode, 2) << name;
        EXPECT_NE(run.errors.find(std::string(name) + ": " + why), std::string::npos) << run.errors;
    }
    fs::permissions(map, fs::perms::none);
    const std::optional<std::string> unreadable = AsOrdinaryUser([&] { // who cannot write errors.txt: told on stdout
        std::string told;
        if (FILE* program = ::popen((Quoted(TARVEX_ROUTE) + " " + Quoted(map) + " 0 0 1 1 2>&1").c_str(), "r")) {
            char buffer[256];
            for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, program)) > 0;)
                told.append(buffer, got);
            ::pclose(program);
        }
        return told;
    });
    ASSERT_TRUE(unreadable);
    EXPECT_NE(unreadable->find("small.map: cannot be read: Permission denied"), std::string::npos) << *unreadable;

    const CommandRun huge = Run({std::string(TEST_DATA_DIR) + "/declares-65535x65535.map", "0", "0", "1", "1"});
    EXPECT_EQ(huge.exitCode, 2);
    EXPECT_NE(huge.errors.find("Out of system resources"), std::string::npos) << huge.errors;
}

// Short routes stay in the output's buffer until it is flushed; long ones
// are written at once. Either way a full disk is told, not taken for done.
TEST_F(RouteCommandTest, AnOutputThatCannotBeWrittenExitsWithTwo)
{
    const std::string shortStrip = WriteMap("short.map", {std::string(10, '.')});
    const std::string longStrip = WriteMap("long.map", {std::string(2000, '.')});
    const std::pair<std::string, std::string> routes[] = {{shortStrip, "9"}, {longStrip, "1999"}};
    for (const auto& [map, lastRow] : routes) {
        const fs::path errors = folder_ / "errors.txt";
        const std::string command = Quoted(TARVEX_ROUTE) + " " + Quoted(map) + " 0 0 0 " + lastRow + " >/dev/full 2>" +
                                    Quoted(errors.string());
        const int status = std::system(command.c_str());
        ASSERT_TRUE(WIFEXITED(status)) << map;
        EXPECT_EQ(WEXITSTATUS(status), 2) << map;
        EXPECT_NE(FileText(errors).find("cannot write the route"), std::string::npos) << map;
    }
}

TEST_F(RouteCommandTest, CellsAreTakenAsXColonYOrAsTwoNumbers)
{
    const std::string strip = WriteMap("forms.map", {"...."});
    for (const std::vector<std::string>& cells : std::vector<std::vector<std::string>>{
             {"0", "0", "0", "3"}, {"0:0", "0:3"}, {"0:0", "0", "3"}, {"0", "0", "0:3"}, {"0,0", "0,3"}}) {
        std::vector<std::string> arguments{strip};
        arguments.insert(arguments.end(), cells.begin(), cells.end());
        const CommandRun run = Run(arguments);
        EXPECT_EQ(run.exitCode, 0) << cells[0] << " " << cells[1];
        EXPECT_EQ(run.output, "3\n0:0\n0:1\n0:2\n0:3\n") << cells[0] << " " << cells[1];
    }
}

TEST_F(RouteCommandTest, AWrongCommandLineSaysWhatIsWrong)
{
    const std::string map = WriteMap("said.map", {"..", ".."});
    const std::pair<std::vector<std::string>, std::string> said[] = {
        {{}, "no map file given"},
        {{map}, "give two cells after the map, the start and the goal; 0 were given"},
        {{map, "0:0"}, "give two cells after the map, the start and the goal; 1 was given"},
        {{map, "0", "0", "1"}, "\"1\" stands alone: a cell is two numbers X Y, or one argument X:Y"},
        {{map, "0:0", "1:1", "1:0"}, "give two cells after the map, the start and the goal; 3 were given"},
        {{map, "0:a", "1:1"}, "not a cell: \"0:a\" (give it as X:Y, as the viewer's Copy Cell does, or as two numbers X Y)"},
        {{map, "0", "x", "1", "1"}, "not a cell: \"0\" \"x\" (two whole numbers X Y, or X:Y)"},
        {{map, "--frobnicate", "0:1", "1:1"}, "unknown option --frobnicate"},
    };
    for (const auto& [arguments, why] : said) {
        const CommandRun run = Run(arguments);
        EXPECT_EQ(run.exitCode, 2) << why;
        EXPECT_EQ(run.errors, "tarvex-route: " + why + "\nTry 'tarvex-route --help' for how to give the map and the cells.\n");
    }
    const CommandRun version = Run({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.output.rfind("tarvex-route 1.", 0), 0u) << version.output;
}

TEST_F(RouteCommandTest, HelpIsShownOnRequest)
{
    for (const char* option : {"--help", "-h"}) {
        const CommandRun run = Run({option});
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.output.rfind("Usage: tarvex-route MAP X1 Y1 X2 Y2\n", 0), 0u) << run.output;
    }
}

} // namespace
