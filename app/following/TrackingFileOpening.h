#pragma once
// A tracking file being opened: in its client, off the window's thread, the
// position's and the map key's paths followed, and the players after the
// first found in running clients of their programs. What was found is told
// once, on the window's thread; a newer opening, or letGo() (the user chose
// a process or an address meanwhile), drops the one before, whose answer is
// then never told.

#include "app/following/FollowedClient.h"
#include "track/PathsInClient.h"
#include "track/TrackingFile.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

// A tracking file, its client, and where its paths land there now.
struct TrackingFileInClient {
    TrackingFile file;
    std::uint32_t client = 0;
    ResolvedPointerPath position;
    std::optional<ResolvedPointerPath> mapKey;
    QString fileName;
    std::vector<ClientSource> others; // the players after the first found in their clients
    QStringList othersNotFound;       // why the others that were not
};

class TrackingFileOpening : public QObject {
    Q_OBJECT
public:
    explicit TrackingFileOpening(QObject* parent) : QObject(parent) {}

    void open(TrackingFile file, std::uint32_t client, QString fileName,
              std::function<void(const TrackingFileInClient&)> opened);
    void letGo() { opening_.reset(); }
    bool isOpening() const { return opening_ != nullptr; }

private:
    std::shared_ptr<const TrackingFileInClient> opening_;
};
