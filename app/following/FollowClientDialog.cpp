#include "app/following/FollowClientDialog.h"

#include "qtfiles/FileNames.h"
#include "track/Tracker.h"
#include "track/TrackingFile.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

FollowClientDialog::FollowClientDialog(const std::vector<ProcessEntry>& processes, const std::vector<std::uint32_t>& followed,
                                       const QString& like, QWidget* parent)
    : QDialog(parent), processBox_(new QComboBox(this)), addressEdit_(new QLineEdit(this))
{
    setWindowTitle(tr("Follow a Client Too"));
    for (const ProcessEntry& process : processes) {
        if (std::find(followed.begin(), followed.end(), process.processId) != followed.end())
            continue;
        processes_.push_back(process);
        processBox_->addItem(tr("%1, process %2").arg(ShownFileName(std::filesystem::path(process.exeFile))).arg(process.processId));
    }
    const auto alike = std::find_if(processes_.begin(), processes_.end(), [&](const ProcessEntry& process) {
        return ShownFileName(std::filesystem::path(process.exeFile)).compare(like, Qt::CaseInsensitive) == 0;
    });
    if (alike != processes_.end())
        processBox_->setCurrentIndex(int(alike - processes_.begin()));
    processBox_->setObjectName(QStringLiteral("processBox"));
    addressEdit_->setObjectName(QStringLiteral("addressEdit"));
    addressEdit_->setPlaceholderText(tr("hexadecimal, as in the toolbar"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("Follow"));
    auto* fromFile = buttons->addButton(tr("Tracking File..."), QDialogButtonBox::ActionRole);
    auto* form = new QFormLayout(this);
    form->addRow(tr("Client:"), processBox_);
    form->addRow(tr("Address of x and y:"), addressEdit_);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    QPushButton* follow = buttons->button(QDialogButtonBox::Ok);
    follow->setEnabled(false);
    connect(addressEdit_, &QLineEdit::textChanged, this, [this, follow] { follow->setEnabled(process() && address()); });
    connect(fromFile, &QPushButton::clicked, this, [this] {
        const QString file = QFileDialog::getOpenFileName(this, tr("Open Tracking File"), QString(),
                                                          tr("Tracking files (*%1)").arg(QLatin1String(kTrackingFileSuffix)));
        if (!file.isEmpty())
            chooseTrackingFile(file);
    });
}

std::optional<ProcessEntry> FollowClientDialog::process() const
{
    const int chosen = processBox_->currentIndex();
    return chosen < 0 ? std::nullopt : std::optional(processes_[std::size_t(chosen)]);
}

bool FollowClientDialog::chooseProcess(std::uint32_t processId)
{
    for (std::size_t i = 0; i < processes_.size(); ++i)
        if (processes_[i].processId == processId) {
            processBox_->setCurrentIndex(int(i));
            return true;
        }
    return false;
}

std::optional<std::uint32_t> FollowClientDialog::address() const
{
    return ParseHexAddress(addressEdit_->text().trimmed().toStdString());
}

void FollowClientDialog::setAddressText(const QString& text)
{
    addressEdit_->setText(text);
}

void FollowClientDialog::chooseTrackingFile(const QString& file)
{
    trackingFile_ = file;
    accept();
}
