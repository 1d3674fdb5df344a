#pragma once
// "Follow a Client Too": which running process, and where it keeps x and y:
// an address in hexadecimal, or a tracking file whose player of that
// program's name is followed. The process list is the system's at the
// moment it opens, without the processes already followed.

#include "process/ProcessList.h"

#include <QDialog>

#include <cstdint>
#include <optional>
#include <vector>

class QComboBox;
class QLineEdit;

class FollowClientDialog : public QDialog {
    Q_OBJECT
public:
    // Lists processes but those of `followed`, the first of the same program
    // as `like` chosen.
    FollowClientDialog(const std::vector<ProcessEntry>& processes, const std::vector<std::uint32_t>& followed,
                       const QString& like, QWidget* parent);

    std::optional<ProcessEntry> process() const;
    // False when it is not listed.
    bool chooseProcess(std::uint32_t processId);
    // The address typed; none: not hexadecimal digits ("Follow" is off then).
    std::optional<std::uint32_t> address() const;
    // The tracking file chosen instead of an address; empty: none.
    const QString& trackingFile() const { return trackingFile_; }
    void setAddressText(const QString& text);
    void chooseTrackingFile(const QString& file); // accepts the dialog

private:
    std::vector<ProcessEntry> processes_;
    QComboBox* processBox_;
    QLineEdit* addressEdit_;
    QString trackingFile_;
};
