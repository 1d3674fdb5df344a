#include "track/TrackingFile.h"

#include "base/RegularFile.h"
#include "base/UserText.h"

#include <algorithm>
#include <optional>

namespace {

// Every value of the key, in the file's order.
std::vector<std::string_view> ValuesOf(std::string_view text, std::string_view key)
{
    std::vector<std::string_view> values;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.size() > key.size() && line.substr(0, key.size()) == key && line[key.size()] == '=')
            values.push_back(line.substr(key.size() + 1));
    }
    return values;
}

std::optional<std::string_view> ValueOf(std::string_view text, std::string_view key)
{
    const std::vector<std::string_view> values = ValuesOf(text, key);
    return values.empty() ? std::nullopt : std::optional<std::string_view>(values.front());
}

constexpr char kHexDigits[] = "0123456789ABCDEF";

int HexValue(char c)
{
    return c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

std::string Hex(std::string_view bytes)
{
    std::string hex;
    for (const char c : bytes) {
        hex += kHexDigits[static_cast<unsigned char>(c) >> 4];
        hex += kHexDigits[static_cast<unsigned char>(c) & 15];
    }
    return hex;
}

std::optional<std::string> FromHex(std::string_view hex)
{
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        const int high = HexValue(hex[i]), low = HexValue(hex[i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        bytes += char(high << 4 | low);
    }
    return hex.size() % 2 == 0 && !hex.empty() ? std::optional<std::string>(bytes) : std::nullopt;
}

// Bytes outside printable ASCII, and "%", as %XX.
std::string Escaped(std::string_view bytes)
{
    std::string text;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte > 0x20 && byte < 0x7F && c != '%')
            text += c;
        else
            text += std::string("%") + Hex(std::string_view(&c, 1));
    }
    return text;
}

std::optional<std::string> Unescaped(std::string_view text)
{
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            bytes += text[i];
            continue;
        }
        const std::optional<std::string> byte = FromHex(text.substr(i + 1, 2));
        if (!byte || i + 2 >= text.size())
            return std::nullopt;
        bytes += *byte;
        i += 2;
    }
    return bytes;
}

// The program's name as it is, unless it would not read back so or is not
// UTF-8 (a control character, "%", GBK bytes): then escaped as the map
// names are. Files written before kept every name as it is.
std::string ProgramValue(std::string_view program)
{
    const bool asItIs = IsUtf8(program) && std::none_of(program.begin(), program.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 || c == 0x7F || c == '%';
    });
    return asItIs ? std::string(program) : Escaped(program);
}

std::string ProgramFromValue(std::string_view value)
{
    return Unescaped(value).value_or(std::string(value));
}

// The map key's lines; failure names the line that is wrong.
std::string ReadMapKeyLines(std::string_view text, TrackedPlayer& player)
{
    const std::optional<std::string_view> keyPath = ValueOf(text, "map-key");
    if (!keyPath)
        return {};
    ParsedPointerPath parsed = ParsePointerPath(*keyPath);
    if (!parsed.path)
        return WithValues(UserText("TrackingFile", "The tracking file's map key path is wrong: %1"), {parsed.failure});
    const std::optional<MapKeyForm> form = MapKeyFormNamed(ValueOf(text, "map-key-form").value_or(""));
    if (!form)
        return UserText("TrackingFile", "The tracking file's map key has no form (a line \"map-key-form=text\", u32 or u16).");
    player.mapKey = TrackedMapKey{std::move(*parsed.path), *form};
    return {};
}

// The maps learned for the map keys, in the folder they were learned in.
std::string ReadLearnedMapLines(std::string_view text, TrackingFile& file)
{
    file.mapFolder = Unescaped(ValueOf(text, "map-folder").value_or("")).value_or("");
    for (const std::string_view line : ValuesOf(text, "map")) {
        const std::size_t space = line.find(' ');
        const std::optional<std::string> key = FromHex(line.substr(0, space));
        const std::optional<std::string> name = space == std::string_view::npos ? std::nullopt : Unescaped(line.substr(space + 1));
        if (!key || !name || name->empty())
            return WithValues(UserText("TrackingFile", "The tracking file's line \"map=%1\" is not a key in hexadecimal and a map's name."),
                              {std::string(line)});
        file.learnedMaps.emplace_back(*key, *name);
    }
    return {};
}

// "RRGGBB" in hexadecimal.
std::optional<std::uint32_t> Colour(std::string_view text)
{
    const std::optional<std::string> bytes = FromHex(text);
    if (!bytes || bytes->size() != 3)
        return std::nullopt;
    return std::uint32_t(static_cast<unsigned char>((*bytes)[0])) << 16 |
           std::uint32_t(static_cast<unsigned char>((*bytes)[1])) << 8 | static_cast<unsigned char>((*bytes)[2]);
}

// A player's program, paths, name and colour; failure tells what is wrong.
std::string ReadPlayerLines(std::string_view text, TrackedPlayer& player)
{
    const std::optional<std::string_view> program = ValueOf(text, "program");
    if (!program || program->empty())
        return UserText("TrackingFile", "The tracking file names no program (a line \"program=Client.exe\").");
    const std::optional<std::string_view> path = ValueOf(text, "path");
    if (!path)
        return UserText("TrackingFile", "The tracking file has no pointer path (a line \"path=Client.exe+1A2B3C -> +10\").");
    ParsedPointerPath parsed = ParsePointerPath(*path);
    if (!parsed.path)
        return WithValues(UserText("TrackingFile", "The tracking file's path is wrong: %1"), {parsed.failure});
    player.program = ProgramFromValue(*program);
    player.path = std::move(*parsed.path);
    player.name = ProgramFromValue(ValueOf(text, "name").value_or(""));
    if (const std::optional<std::string_view> colour = ValueOf(text, "colour")) {
        player.colour = Colour(*colour);
        if (!player.colour)
            return WithValues(UserText("TrackingFile", "The tracking file's colour \"%1\" is not RRGGBB in hexadecimal."),
                              {std::string(*colour)});
    }
    return ReadMapKeyLines(text, player);
}

// The text before the first "player=" line, then each player's after it.
std::vector<std::string_view> PlayerSections(std::string_view text)
{
    std::vector<std::string_view> sections;
    std::size_t start = 0;
    for (std::size_t line = 0; line < text.size();) {
        const std::size_t end = std::min(text.find('\n', line), text.size());
        if (line > 0 && text.compare(line, 7, "player=") == 0) {
            sections.push_back(text.substr(start, line - start));
            start = line;
        }
        line = end + 1;
    }
    sections.push_back(text.substr(start));
    return sections;
}

std::string PlayerText(const TrackedPlayer& player)
{
    std::string text;
    if (player.mapKey)
        text += "map-key=" + FormatPointerPath(player.mapKey->path) + "\nmap-key-form=" + MapKeyFormName(player.mapKey->form) + "\n";
    if (!player.name.empty())
        text += "name=" + ProgramValue(player.name) + "\n";
    if (player.colour) {
        const char bytes[] = {char(*player.colour >> 16), char(*player.colour >> 8), char(*player.colour)};
        text += "colour=" + Hex(std::string_view(bytes, 3)) + "\n";
    }
    return text;
}

// "10" to "100", digits only.
std::optional<int> Percent(std::string_view text)
{
    if (text.empty() || text.size() > 3 || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const int percent = std::stoi(std::string(text));
    return percent >= 10 && percent <= 100 ? std::optional<int>(percent) : std::nullopt;
}

} // namespace

std::string TrackingFileText(const TrackingFile& file)
{
    std::string text =
        "# Tarvex tracking file\nprogram=" + ProgramValue(file.program) + "\npath=" + FormatPointerPath(file.path) + "\n";
    if (file.followAcrossMaps)
        text += "follow-maps=yes\n";
    if (file.stayOnTop)
        text += "stay-on-top=yes\n";
    if (file.compactView)
        text += "compact-view=yes\n";
    if (file.opacity != 100)
        text += "opacity=" + std::to_string(file.opacity) + "\n";
    text += PlayerText(file);
    if (!file.learnedMaps.empty())
        text += "map-folder=" + Escaped(file.mapFolder) + "\n";
    for (const auto& [key, name] : file.learnedMaps)
        text += "map=" + Hex(key) + " " + Escaped(name) + "\n";
    for (std::size_t i = 0; i < file.others.size(); ++i) {
        const TrackedPlayer& other = file.others[i];
        text += "player=" + std::to_string(i + 2) + "\nprogram=" + ProgramValue(other.program) +
                "\npath=" + FormatPointerPath(other.path) + "\n" + PlayerText(other);
    }
    return text;
}

TrackingFileRead ParseTrackingFile(std::string_view text)
{
    const std::vector<std::string_view> sections = PlayerSections(text);
    if (sections.size() > kMostTrackedPlayers)
        return {std::nullopt, WithValues(UserText("TrackingFile", "The tracking file holds %1 players; the viewer follows at most %2."),
                                         {std::to_string(sections.size()), std::to_string(kMostTrackedPlayers)})};
    const std::string_view first = sections.front();
    TrackingFile file;
    if (std::string failure = ReadPlayerLines(first, file); !failure.empty())
        return {std::nullopt, std::move(failure)};
    file.followAcrossMaps = ValueOf(first, "follow-maps") == "yes";
    file.stayOnTop = ValueOf(first, "stay-on-top") == "yes";
    file.compactView = ValueOf(first, "compact-view") == "yes";
    if (const std::optional<std::string_view> opacity = ValueOf(first, "opacity")) {
        const std::optional<int> percent = Percent(*opacity);
        if (!percent)
            return {std::nullopt, WithValues(UserText("TrackingFile", "The tracking file's opacity \"%1\" is not a number "
                                                                      "from 10 to 100."),
                                             {std::string(*opacity)})};
        file.opacity = *percent;
    }
    if (std::string failure = ReadLearnedMapLines(first, file); !failure.empty())
        return {std::nullopt, std::move(failure)};
    for (std::size_t i = 1; i < sections.size(); ++i) {
        TrackedPlayer other;
        if (std::string failure = ReadPlayerLines(sections[i], other); !failure.empty())
            return {std::nullopt, WithValues(UserText("TrackingFile", "Player %1 of the tracking file: %2"),
                                             {std::to_string(i + 1), failure})};
        file.others.push_back(std::move(other));
    }
    return {std::move(file), {}};
}

TrackingFileRead ReadTrackingFile(const std::filesystem::path& path)
{
    const WholeFile whole = ReadWholeRegularFile(path, kMaxTrackingFileBytes);
    if (!whole.read)
        return {std::nullopt, "Cannot open file \"" + path.u8string() + "\". " + whole.failure};
    return ParseTrackingFile(whole.bytes);
}
