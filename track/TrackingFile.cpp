#include "track/TrackingFile.h"

#include "map/RegularFile.h"
#include "map/UserText.h"

#include <optional>

namespace {

std::optional<std::string_view> ValueOf(std::string_view text, std::string_view key)
{
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.size() > key.size() && line.substr(0, key.size()) == key && line[key.size()] == '=')
            return line.substr(key.size() + 1);
    }
    return std::nullopt;
}

} // namespace

std::string TrackingFileText(const TrackingFile& file)
{
    return "# Tarvex tracking file\nprogram=" + file.program + "\npath=" + FormatPointerPath(file.path) + "\n" +
           (file.followAcrossMaps ? "follow-maps=yes\n" : "");
}

TrackingFileRead ParseTrackingFile(std::string_view text)
{
    const std::optional<std::string_view> program = ValueOf(text, "program");
    if (!program || program->empty())
        return {std::nullopt, UserText("TrackingFile", "The tracking file names no program (a line \"program=Client.exe\").")};
    const std::optional<std::string_view> path = ValueOf(text, "path");
    if (!path)
        return {std::nullopt,
                UserText("TrackingFile", "The tracking file has no pointer path (a line \"path=Client.exe+1A2B3C -> +10\").")};
    ParsedPointerPath parsed = ParsePointerPath(*path);
    if (!parsed.path)
        return {std::nullopt, WithValues(UserText("TrackingFile", "The tracking file's path is wrong: %1"), {parsed.failure})};
    return {TrackingFile{std::string(*program), std::move(*parsed.path), ValueOf(text, "follow-maps") == "yes"}, {}};
}

TrackingFileRead ReadTrackingFile(const std::filesystem::path& path)
{
    const WholeFile whole = ReadWholeRegularFile(path, kMaxTrackingFileBytes);
    if (!whole.read)
        return {std::nullopt, "Cannot open file \"" + path.u8string() + "\". " + whole.failure};
    return ParseTrackingFile(whole.bytes);
}
