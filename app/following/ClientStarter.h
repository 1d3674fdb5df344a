#pragma once
// "Start a Game Client...": asks for the program and its arguments
// (StartClientDialog, kept for the next time), starts it, and tells its
// process once the process list shows it as itself: under Wine that takes
// seconds, so the list is made again every quarter of a second, for ten
// seconds at most.

#include "app/shared/ModalRunner.h"

#include <QObject>

#include <cstdint>
#include <string>

class QWidget;
class StartClientDialog;

class ClientStarter : public QObject {
    Q_OBJECT
public:
    explicit ClientStarter(QWidget* dialogParent);

    // Throws std::runtime_error with the reason when the client cannot be started.
    void start(const ModalRunner& runModal);

signals:
    void clientListed(std::uint32_t processId);

private:
    void lookFor(std::uint32_t started, const std::string& program, int triesLeft);

    QWidget* dialogParent_;
    StartClientDialog* dialog_ = nullptr;
};
