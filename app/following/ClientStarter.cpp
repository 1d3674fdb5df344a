#include "app/following/ClientStarter.h"

#include "app/following/StartClientDialog.h"
#include "process/ClientStart.h"
#include "process/ProcessList.h"

#include <QTimer>

#include <stdexcept>
#include <vector>

ClientStarter::ClientStarter(QWidget* dialogParent) : QObject(dialogParent), dialogParent_(dialogParent) {}

void ClientStarter::start(const ModalRunner& runModal)
{
    if (!dialog_)
        dialog_ = new StartClientDialog(dialogParent_);
    if (!runModal(*dialog_))
        return;
    std::vector<std::string> arguments;
    for (const QString& argument : dialog_->arguments())
        arguments.push_back(argument.toLocal8Bit().toStdString());
    const std::string program = dialog_->program().toLocal8Bit().toStdString();
    const StartedClient started = StartClient(program, arguments);
    if (started.processId == 0)
        throw std::runtime_error(started.failure);
    lookFor(started.processId, program, 40);
}

void ClientStarter::lookFor(std::uint32_t started, const std::string& program, int triesLeft)
{
    if (const std::optional<std::uint32_t> client = FindStartedClient(SnapshotProcesses(), started, program)) {
        emit clientListed(*client);
        return;
    }
    if (triesLeft > 0)
        QTimer::singleShot(250, this, [=] { lookFor(started, program, triesLeft - 1); });
}
