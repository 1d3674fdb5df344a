#include "app/browser/OpenPath.h"

#include "map/MapFormat.h"
#include "qtfiles/FileNames.h"
#include "qtfiles/QtConversions.h"

#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

#include <filesystem>
#include <stdexcept>
#include <system_error>

namespace fs = std::filesystem;

namespace {

std::runtime_error CannotOpen(const QString& path, const QString& reason)
{
    return std::runtime_error(QCoreApplication::translate("OpenPath", "Cannot open \"%1\": %2").arg(path, reason).toStdString());
}

QString SystemText(const std::error_code& error)
{
    return QString::fromLocal8Bit(error.message().c_str());
}

// As the file list hides them: a name starting with "." (and, on Windows,
// a file the system marks hidden).
bool IsHidden(const fs::path& file)
{
    return ShownFileName(file.filename()).startsWith(QLatin1Char('.')) ||
           (QtCanNamePath(file) && QFileInfo(ToQtPath(file)).isHidden());
}

} // namespace

OpenTarget ResolveOpenTarget(const fs::path& path)
{
    const QString shown = ShownFileName(path);
    if (path.empty())
        throw CannotOpen(shown, QCoreApplication::translate("OpenPath", "no path given"));
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (error == std::errc::filename_too_long)
        throw CannotOpen(shown, QCoreApplication::translate("OpenPath", "the path is longer than the system allows"));
    if (status.type() == fs::file_type::not_found || error == std::errc::no_such_file_or_directory ||
        error == std::errc::not_a_directory)
        throw CannotOpen(shown, QCoreApplication::translate("OpenPath", "no such file or folder"));
    if (error)
        throw CannotOpen(shown, SystemText(error));
    fs::path absolute = fs::absolute(path, error).lexically_normal();
    if (!absolute.has_filename() && absolute.has_parent_path() && absolute != absolute.root_path())
        absolute = absolute.parent_path(); // "folder/" names the folder
    if (fs::is_directory(status)) {
        fs::directory_iterator probe(path, error);
        if (error)
            throw CannotOpen(shown, QCoreApplication::translate("OpenPath", "the folder cannot be read: %1").arg(SystemText(error)));
        return {absolute, fs::path()};
    }
    if (!fs::is_regular_file(status) || !HasMapExtension(path))
        throw CannotOpen(shown, QCoreApplication::translate("OpenPath", "not a folder or a .map file"));
    if (IsHidden(absolute))
        throw CannotOpen(shown, QCoreApplication::translate("OpenPath", "hidden files are not listed"));
    return {absolute.parent_path(), absolute.filename()};
}

OpenTarget ResolveOpenTarget(const QString& path)
{
    // Bytes that do not decode became replacement characters on the way in.
    if (path.contains(QChar::ReplacementCharacter))
        throw CannotOpen(path, QCoreApplication::translate("OpenPath", "the name holds bytes that are not valid in the system's encoding"));
    return ResolveOpenTarget(ToFilesystemPath(path));
}

bool IsWorthDropping(const QMimeData& data)
{
    const QList<QUrl> urls = data.urls();
    if (urls.size() != 1)
        return false;
    if (!urls.first().isLocalFile())
        return true; // the drop says why it cannot be opened
    const QFileInfo info(urls.first().toLocalFile());
    return !info.exists() || info.isDir() || HasMapExtension(ToFilesystemPath(info.fileName()));
}

fs::path DroppedPath(const QUrl& url)
{
    if (!url.isLocalFile())
        throw CannotOpen(url.toDisplayString(), QCoreApplication::translate("OpenPath", "only files on this computer can be opened"));
    return LocalPathBytes(url);
}

DropOpener::DropOpener(QWidget* window) : QObject(window)
{
    for (QWidget* control : window->findChildren<QWidget*>()) // not those of its dialogs
        if (control->window() == window)
            control->setAcceptDrops(false);
    window->setAcceptDrops(true);
    window->installEventFilter(this);
}

bool DropOpener::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::DragEnter) {
        auto* enter = static_cast<QDragEnterEvent*>(event);
        if (IsWorthDropping(*enter->mimeData()))
            enter->acceptProposedAction();
        else
            enter->ignore();
        return true;
    }
    if (event->type() == QEvent::Drop) {
        auto* drop = static_cast<QDropEvent*>(event);
        const QUrl url = drop->mimeData()->urls().value(0);
        drop->acceptProposedAction();
        QMetaObject::invokeMethod(this, [this, url] { emit dropped(url); }, Qt::QueuedConnection);
        return true;
    }
    return QObject::eventFilter(watched, event);
}
