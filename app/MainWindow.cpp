#include "MainWindow.h"

#include "AccessibleRoles.h"
#include "BitmapFile.h"
#include "BrowserPanel.h"
#include "DirectoryList.h"
#include "DriveSelector.h"
#include "MainToolBar.h"
#include "MapFileList.h"
#include "MapReader.h"
#include "MapView.h"
#include "OpenPath.h"
#include "PanelSplitter.h"
#include "PlayerMarker.h"
#include "PlayerTracker.h"
#include "ProcessPicker.h"
#include "TightLayout.h"
#include "WorkingDirectory.h"

#include <QAction>
#include <QDir>
#include <QDragEnterEvent>
#include <QFontDatabase>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>

#include <stdexcept>

const char kApplicationTitle[] = "Tarvex1.8地图查看器";
const char kAboutCredit[] = "由玩家为玩家制作的地图查看器。";

namespace {

// "宋体" where it exists, otherwise a face with Chinese glyphs; 12 pixels high.
QFont WindowFont()
{
    QString family = QStringLiteral("宋体");
    if (!QFontDatabase::families().contains(family)) {
        const QStringList chinese = QFontDatabase::families(QFontDatabase::SimplifiedChinese);
        if (chinese.contains(QStringLiteral("WenQuanYi Zen Hei")))
            family = QStringLiteral("WenQuanYi Zen Hei");
        else if (!chinese.isEmpty())
            family = chinese.first();
    }
    QFont font(family);
    font.setPixelSize(12);
    return font;
}

QPlainTextEdit* NewLinkMemo(QWidget* parent)
{
    auto* memo = new QPlainTextEdit(parent);
    memo->setObjectName(QStringLiteral("mmo1"));
    memo->setFixedHeight(122);
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo->setTabChangesFocus(true);
    memo->setTabStopDistance(8 * memo->fontMetrics().averageCharWidth()); // eight characters
    return memo;
}

} // namespace

QString FailureBoxText(const QString& message)
{
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}

MainWindow::MainWindow(const QString& mapInfoPath, const QString& startDirectory, QWidget* parent)
    : QWidget(parent), document_(mapInfoPath), runModal_([](QDialog& dialog) { return dialog.exec() == QDialog::Accepted; })
{
    InstallAccessibleRoles();
    setWindowTitle(QString::fromUtf8(kApplicationTitle));
    QIcon icon(QStringLiteral(":/icons/tarvex-32.xpm"));
    icon.addFile(QStringLiteral(":/icons/tarvex-16.xpm"));
    setWindowIcon(icon);
    setFont(WindowFont());
    resize(688, 582);

    buildCommands();
    driveSelector_ = new DriveSelector(this);
    directoryList_ = new DirectoryList(this);
    fileList_ = new MapFileList(this);
    processPicker_ = new ProcessPicker(this);
    mapView_ = new MapView(this);
    linkMemo_ = NewLinkMemo(this);
    saveDialog_ = new SaveDialog(this);
    tracker_ = new PlayerTracker(this);

    auto* column = TightLayout<QVBoxLayout>(this);
    column->addWidget(toolBar_);
    auto* middle = new QWidget(this);
    auto* row = TightLayout<QHBoxLayout>(middle);
    row->addWidget(new BrowserPanel(driveSelector_, directoryList_, fileList_, processPicker_, middle));
    row->addWidget(mapView_, 1);
    column->addWidget(middle, 1);
    auto* aboveMemo = new PanelSplitter(linkMemo_, PanelSplitter::Side::Below, middle, this);
    aboveMemo->setObjectName(QStringLiteral("spl2"));
    column->addWidget(aboveMemo);
    column->addWidget(linkMemo_);

    connectParts();
    setTabOrderByName();
    for (QWidget* child : findChildren<QWidget*>()) // a drop anywhere is a drop on the window (not in a dialog)
        if (child->window() == this)
            child->setAcceptDrops(false);
    setAcceptDrops(true);
    runCommand([this, startDirectory] { enterDirectory(startDirectory); });
}

void MainWindow::buildCommands()
{
    ToolBarCommands commands{};
    commands.processList = addCommand("Execute", "execute", {}, [this] { refreshProcesses(); });
    addCommand("Refresh", "execute", {Qt::Key_F5}, [this] { processPicker_->refreshKeepingSelection(); });
    commands.zoomIn = addCommand("Zoom In", "zoom-in", {Qt::CTRL | Qt::Key_Plus, Qt::CTRL | Qt::Key_Equal},
                                 [this] { mapView_->zoomIn(); });
    commands.zoomOut = addCommand("Zoom Out", "zoom-out", {Qt::CTRL | Qt::Key_Minus}, [this] { mapView_->zoomOut(); });
    commands.naturalSize = addCommand("View", "view", {Qt::CTRL | Qt::Key_0}, [this] { mapView_->showNaturalSize(); });
    commands.save = addCommand("Save", "save", {QKeySequence::Save}, [this] { save(); });
    commands.about = addCommand("Context Help", "context-help", {Qt::Key_F1}, [this] { about(); });
    commands.exit = addCommand("Exit", "exit", {Qt::CTRL | Qt::Key_Q}, [this] { close(); });
    toolBar_ = new MainToolBar(commands, this);
}

QAction* MainWindow::addCommand(const char* text, const char* icon, const QList<QKeySequence>& shortcuts,
                                const std::function<void()>& command)
{
    auto* action = new QAction(QIcon(QStringLiteral(":/icons/%1.xpm").arg(QLatin1String(icon))),
                               QString::fromLatin1(text), this);
    action->setShortcuts(shortcuts);
    connect(action, &QAction::triggered, this, [this, command] { runCommand(command); });
    addAction(action);
    return action;
}

void MainWindow::connectParts()
{
    connect(driveSelector_, &DriveSelector::driveChosen, this,
            [this](const QString& root) { runCommand([this, root] { enterDirectory(root); }); });
    connect(directoryList_, &DirectoryList::directoryActivated, this,
            [this](const QString& directory) { runCommand([this, directory] { enterDirectory(directory); }); });
    connect(fileList_, &MapFileList::fileChosen, this, [this] { runCommand([this] { openSelectedMap(); }); });
    connect(processPicker_, &ProcessPicker::selectedProcessChanged, this,
            [this] { tracker_->setProcess(processPicker_->selectedProcessId()); });
    connect(toolBar_, &MainToolBar::addressTextChanged, tracker_, &PlayerTracker::setAddressText);
    connect(toolBar_, &MainToolBar::trackingClicked, this,
            [this](bool ticked) { runCommand([this, ticked] { setTracking(ticked); }); });
    connect(tracker_, &PlayerTracker::processAccessRead, this, [this](std::uint32_t processId, ProcessAccess access) {
        processPicker_->showAccess(processId, access);
        toolBar_->setTrackingNote(ProcessAccessNote(access));
    });
    connect(tracker_, &PlayerTracker::positionRead, this, &MainWindow::onPlayerMoved);
    connect(tracker_, &PlayerTracker::failed, this, &MainWindow::showFailure);
}

void MainWindow::setTabOrderByName()
{
    const char* const order[] = {"fllst1", "dirlst1", "drvcbb1", "lv1", "mmo1", "edt1", "chk1"};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(findChild<QWidget*>(QLatin1String(order[i - 1])), findChild<QWidget*>(QLatin1String(order[i])));
}

// The one place where the working directory changes. If the directory cannot
// be entered, every list keeps what it showed.
void MainWindow::enterDirectory(const QString& directory)
{
    const QString absolute = QDir::cleanPath(QDir(directory).absolutePath());
    ChangeWorkingDirectory(absolute);
    directoryList_->setDirectory(absolute);
    fileList_->setDirectory(absolute);
    driveSelector_->showDriveOf(absolute);
}

void MainWindow::openSelectedMap()
{
    document_.load(fileList_->selectedFilePath());
    mapView_->setPicture(document_.picture());
    linkMemo_->setPlainText(document_.linkLines().join(QLatin1Char('\n')));
}

void MainWindow::openPath(const QString& path)
{
    const OpenTarget target = ResolveOpenTarget(path);
    enterDirectory(target.folder);
    if (target.mapFile.isEmpty())
        return;
    if (!fileList_->selectFile(target.mapFile))
        throw std::runtime_error(
            QStringLiteral("Cannot open \"%1\": it is not in the file list").arg(path).toStdString());
    runCommand([this] { openSelectedMap(); });
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event)
{
    if (IsWorthDropping(*event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

// Opened once the drop is over, so that a failure box does not hold up the
// program the file came from.
void MainWindow::dropEvent(QDropEvent* event)
{
    const QUrl url = event->mimeData()->urls().value(0);
    event->acceptProposedAction();
    QMetaObject::invokeMethod(
        this, [this, url] { runCommand([this, url] { openPath(DroppedPath(url)); }); }, Qt::QueuedConnection);
}

void MainWindow::save()
{
    if (saveDialog_->execute(runModal_))
        SaveBitmapFile(mapView_->picture(), WithBmpExtension(saveDialog_->fileName()));
}

void MainWindow::about()
{
    const QString text = QStringLiteral("%1！").arg(QString::fromUtf8(kApplicationTitle));
    QMessageBox box(QMessageBox::NoIcon, text, text + QLatin1Char('\n') + QString::fromUtf8(kAboutCredit),
                    QMessageBox::Ok, this);
    box.setIconPixmap(windowIcon().pixmap(32, 32));
    runModal_(box);
}

void MainWindow::refreshProcesses()
{
    processPicker_->refresh();
}

void MainWindow::setTracking(bool on)
{
    tracker_->setRunning(on);
}

// The map is restored from its unmarked copy, then marked where the player is.
void MainWindow::onPlayerMoved(PlayerPosition position)
{
    QImage marked = document_.picture();
    DrawPlayerMarkerAt(marked, position.x - 5, position.y - 5);
    mapView_->setPicture(marked);
    setWindowTitle(QStringLiteral("%1:%2").arg(position.x).arg(position.y));
}

void MainWindow::runCommand(const std::function<void()>& command)
{
    try {
        command();
    } catch (const std::bad_alloc&) {
        showFailure(QString::fromLatin1(kOutOfSystemResources));
    } catch (const std::exception& failure) {
        showFailure(QString::fromUtf8(failure.what()));
    }
}

// While a failure box is open, failures of timer ticks that arrive
// meanwhile are dropped rather than stacked on it.
void MainWindow::showFailure(const QString& message)
{
    if (failureBoxOpen_)
        return;
    QMessageBox box(QMessageBox::Critical, QString::fromUtf8(kApplicationTitle), FailureBoxText(message),
                    QMessageBox::Ok, this);
    failureBoxOpen_ = true;
    runModal_(box);
    failureBoxOpen_ = false;
}
