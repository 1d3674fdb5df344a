#include "app/window/BrowserPanel.h"

#include "app/browser/DirectoryList.h"
#include "app/browser/DriveSelector.h"
#include "app/browser/MapFileList.h"
#include "app/following/ProcessPicker.h"
#include "app/shared/TightLayout.h"
#include "app/window/PanelSplitter.h"

BrowserPanel::BrowserPanel(DriveSelector* drives, DirectoryList* directories, MapFileList* files,
                           ProcessPicker* processes, QWidget* parent)
    : QFrame(parent)
{
    setObjectName(QStringLiteral("pnl1"));
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    setFixedWidth(177);
    auto* column = TightLayout<QVBoxLayout>(this);

    auto* driveStrip = new QFrame(this);
    driveStrip->setObjectName(QStringLiteral("pnl2"));
    driveStrip->setFrameStyle(QFrame::Panel | QFrame::Raised);
    driveStrip->setFixedHeight(24);
    drives->setParent(driveStrip);
    drives->setGeometry(4, 4, 145, 18);
    column->addWidget(driveStrip);

    directories->setFixedHeight(124);
    column->addWidget(directories);
    files->setMinimumHeight(1);
    auto* aboveFiles = new PanelSplitter(directories, PanelSplitter::Side::Above, files, this);
    aboveFiles->setObjectName(QStringLiteral("spl1"));
    column->addWidget(aboveFiles);
    column->addWidget(files, 1);

    processes->setFixedHeight(150);
    auto* belowFiles = new PanelSplitter(processes, PanelSplitter::Side::Below, files, this);
    belowFiles->setObjectName(QStringLiteral("spl3"));
    column->addWidget(belowFiles);
    column->addWidget(processes);
}
