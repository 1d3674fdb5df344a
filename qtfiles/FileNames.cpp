#include "qtfiles/FileNames.h"

#include <algorithm>
#include <system_error>

QString ShownPathCut(const std::filesystem::path& path, int maxCharacters)
{
    const QString shown = ShownFileName(path);
    if (shown.size() <= maxCharacters)
        return shown;
    const int head = (maxCharacters - 1) / 2;
    return shown.left(head) + QChar(0x2026) + shown.right(maxCharacters - 1 - head);
}

FolderListing ListFolder(const std::filesystem::path& folder, const std::atomic<bool>* cancel)
{
    FolderListing listing;
    std::error_code error;
    std::filesystem::directory_iterator entry(folder, error);
    for (; !error && entry != std::filesystem::directory_iterator(); entry.increment(error)) {
        if (cancel && *cancel) {
            listing.entries.clear();
            return listing;
        }
        std::error_code typeError;
        listing.entries.push_back({entry->path().filename(), entry->is_directory(typeError)});
    }
    if (error) {
        listing.failure = QString::fromLocal8Bit(error.message().c_str());
        listing.entries.clear();
        return listing;
    }
    listing.read = true;
    return listing;
}

bool ShownBefore(const ShownEntry& a, const ShownEntry& b)
{
    if (const int byReading = a.name.compare(b.name, Qt::CaseInsensitive))
        return byReading < 0;
    if (const int byCase = a.name.compare(b.name))
        return byCase < 0;
    return a.bytes < b.bytes;
}

ShownListing ListShownEntries(const std::filesystem::path& folder, const std::function<bool(const FolderEntry&)>& keep,
                              const std::atomic<bool>* cancel)
{
    FolderListing listing = ListFolder(folder, cancel);
    ShownListing shown{listing.read, std::move(listing.failure), {}};
    for (const FolderEntry& entry : listing.entries)
        if (keep(entry))
            shown.entries.push_back({ShownFileName(entry.name), entry.name});
    std::sort(shown.entries.begin(), shown.entries.end(), ShownBefore);
    return shown;
}
