#include "app/shared/WindowStyle.h"
#include "app/window/FailureBox.h"
#include "tests/support/MainWindowFixture.h"

#include "app/browser/Drives.h"
#include "app/browser/DriveSelector.h"
#include "app/browser/MapFileList.h"
#include "app/mapview/ImageControl.h"
#ifndef _WIN32
#include "tests/support/Unprivileged.h"

#include <sys/stat.h>
#endif
#include "app/following/ProcessPicker.h"
#include "app/routes/RoutePlanner.h"
#include "app/window/MapMenu.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>
#include <QMessageBox>
#include <QSet>
#include <QTimer>
#include <QToolButton>

namespace {

const char* const kToolBarControls[] = {"rtbBtnBtnExecute", "Rsp1", "rtbtnBtnZoomIn", "rtbtnBtnZoomOut",
                                        "rtbtnBtnView", "rtRs1", "rtbtnBtnSave", "rtRs2", "rtbtnBtnContextHelp",
                                        "rtRs3", "rtbtnBtnExit", "Rsp2", "lbl1", "edt1", "chk1"};

TEST_F(MainWindowTest, TheMapAreaTakesWhatTheFixedPartsLeaveAtAnySize)
{
    for (const QSize size : {QSize(688, 582), QSize(900, 700), QSize(760, 600)}) {
        SCOPED_TRACE(size.width());
        window_->resize(size);
        QApplication::processEvents();
        const QRect toolBar = PlaceInWindow(Find<QWidget>("rtr1"));
        const QRect panel = PlaceInWindow(Find<QWidget>("pnl1"));
        const QRect mapArea = PlaceInWindow(Find<QWidget>("sb1"));
        const QRect memo = PlaceInWindow(Find<QWidget>("mmo1"));
        EXPECT_EQ(toolBar, QRect(0, 0, size.width(), 29));
        EXPECT_EQ(panel, QRect(0, 29, 177, size.height() - 29 - 3 - 122));
        EXPECT_EQ(mapArea, QRect(177, 29, size.width() - 177, panel.height()));
        EXPECT_EQ(memo, QRect(0, size.height() - 122, size.width(), 122));
        // Inside the panel the file list takes up the change.
        EXPECT_EQ(Find<QWidget>("dirlst1")->height(), 124);
        EXPECT_EQ(Find<QWidget>("lv1")->height(), 150);
        EXPECT_EQ(FileList()->height(), panel.height() - 2 - 24 - 124 - 3 - 3 - 150);
    }
}

TEST_F(MainWindowTest, ToolBarControlsStandLeftToRightWithoutOverlapping)
{
    int right = 0;
    for (const char* name : kToolBarControls) {
        const QWidget* control = Find<QWidget>(name);
        EXPECT_GE(control->x(), right) << name;
        EXPECT_TRUE(QRect(0, 0, 688, 29).contains(control->geometry())) << name;
        right = control->geometry().right() + 1;
    }
    for (const char* name : {"rtbBtnBtnExecute", "rtbtnBtnZoomIn", "rtbtnBtnSave", "rtbtnBtnExit"})
        EXPECT_EQ(Find<QWidget>(name)->size(), QSize(25, 25)) << name;
}

TEST_F(MainWindowTest, CommandsHaveShortcutsTooltipsAndAccessibleNames)
{
    struct Button {
        const char* name;
        const char* caption;
        const char* toolTip;
    };
    const Button buttons[] = {
        {"rtbBtnBtnExecute", "Execute", "List Processes (F5 keeps the selected one)"}, {"rtbtnBtnZoomIn", "Zoom In", "Zoom In (Ctrl++)"},
        {"rtbtnBtnZoomOut", "Zoom Out", "Zoom Out (Ctrl+-)"}, {"rtbtnBtnView", "View", "Natural Size (Ctrl+0)"},
        {"rtbtnBtnSave", "Save", "Save (Ctrl+S)"}, {"rtbtnBtnContextHelp", "Context Help", "About (F1)"},
        {"rtbtnBtnExit", "Exit", "Exit (Ctrl+Q)"},
    };
    for (const Button& expected : buttons) {
        auto* button = Find<QToolButton>(expected.name);
        EXPECT_EQ(button->text(), expected.caption);
        EXPECT_EQ(button->toolTip(), expected.toolTip);
        EXPECT_FALSE(button->icon().isNull()) << expected.name;
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(button);
        ASSERT_NE(accessible, nullptr);
        EXPECT_EQ(accessible->role(), QAccessible::Button);
        EXPECT_EQ(accessible->text(QAccessible::Name), expected.caption);
    }
    EXPECT_EQ(QAccessible::queryAccessibleInterface(window_.get())->role(), QAccessible::Window);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(Find<QWidget>("rtr1"))->role(), QAccessible::ToolBar);

    ClickMap("Harbor2.map");
    QTest::keyClick(window_.get(), Qt::Key_Plus, Qt::ControlModifier);
    EXPECT_EQ(window_->mapView().imageSize(), QSize(3, 2)); // below 5 pixels nothing grows
    QTest::keyClick(window_.get(), Qt::Key_0, Qt::ControlModifier);
    QTest::keyClick(window_.get(), Qt::Key_F1);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_TRUE(boxes_[0].caption.startsWith(ApplicationTitle()));
    QTest::keyClick(window_.get(), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(window_->isVisible());
}

// The window is built with its font as the application's for a while.
TEST_F(MainWindowTest, ControlsHaveTheWindowsFontAndBoxesTheApplications)
{
    EXPECT_NE(QApplication::font().family(), window_->font().family());
    for (const char* name : {"edt1", "mmo1", "lv1", "dirlst1"})
        EXPECT_EQ(Find<QWidget>(name)->font(), window_->font()) << name;
    QMessageBox box(window_.get());
    EXPECT_EQ(box.font(), QApplication::font());
}

TEST_F(MainWindowTest, StartsEmptyInItsFolder)
{
    EXPECT_EQ(Caption(), ApplicationTitle());
    EXPECT_EQ(window_->font().pixelSize(), 12);
    EXPECT_FALSE(Find<QCheckBox>("chk1")->isChecked());
    EXPECT_FALSE(Tracker()->isRunning());
    EXPECT_TRUE(Find<QLineEdit>("edt1")->text().isEmpty());
    EXPECT_TRUE(MemoLines().isEmpty());
    EXPECT_EQ(Find<ProcessPicker>("lv1")->rowCount(), 0);
    EXPECT_TRUE(Shown().isNull());
    EXPECT_EQ(QDir::currentPath(), QDir(maps_.path()).canonicalPath());
    EXPECT_EQ(FileList()->count(), 5);
}

TEST_F(MainWindowTest, TabMovesThroughBrowserListsMemoAndTrackerControls)
{
    QApplication::setActiveWindow(window_.get());
    FileList()->setFocus();
    for (const char* next : {"dirlst1", "drvcbb1", "lv1", "mmo1", "edt1", "chk1", "fllst1"}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget()->objectName(), next);
    }
}

TEST_F(MainWindowTest, ClickingAMapShowsItsCellsAndItsLinks)
{
    ClickMap("Harbor2.map");
    ASSERT_EQ(Shown().size(), QSize(3, 2));
    const int expected[2][3] = {{0, 12, 12}, {9, 9, 0}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(Shown().pixelIndex(x, y), expected[y][x]) << x << "," << y;
    EXPECT_EQ(window_->mapView().imageSize(), QSize(3, 2));
    EXPECT_EQ(MemoLines(), (QStringList{"[HARBOR2 Old harbour]", "harbor2\tnorth pier"}));

    // Another map replaces the lines; the same map again lists them once.
    ClickMap("Mine7.map");
    EXPECT_EQ(Shown().pixelIndex(1, 1), 9);
    EXPECT_EQ(MemoLines(), QStringList{"Mine7 gate to HARBOR2"});
    ClickMap("Mine7.map");
    EXPECT_EQ(MemoLines(), QStringList{"Mine7 gate to HARBOR2"});
    ClickMap(QStringLiteral("港口.map"));
    EXPECT_EQ(MemoLines(), QStringList{QStringLiteral("[港口 码头]")});
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(MainWindowTest, MovingTheSelectionWithTheKeyboardLoadsTheMap)
{
    ClickMap("Harbor2.map");
    QTest::keyClick(FileList(), Qt::Key_Down); // Huge.map, Mine7.map, Wide.map, 港口.map follow
    EXPECT_EQ(FileList()->currentItem()->text(), "Huge.map");
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, "Out of system resources.");
    EXPECT_EQ(Shown().size(), QSize(3, 2)); // the previous map stays
    QTest::keyClick(FileList(), Qt::Key_Down);
    EXPECT_EQ(Shown().size(), QSize(2, 2));
}

TEST_F(MainWindowTest, FailuresAreShownInOneBoxWithTheTitleAnErrorIconAndOk)
{
    ClickMap("Harbor2.map");
    FileList()->clearSelection();
    emit Find<MapFileList>("fllst1")->fileChosen();
    window_->runCommand([] { throw std::bad_alloc(); });
    ASSERT_EQ(boxes_.size(), 2u);
    EXPECT_EQ(boxes_[0].caption, ApplicationTitle());
    EXPECT_EQ(boxes_[0].icon, QMessageBox::Critical);
    EXPECT_EQ(boxes_[0].buttons, QMessageBox::Ok);
    EXPECT_EQ(boxes_[0].text, "List index out of bounds (-1)"); // ")" sorts before "."
    EXPECT_EQ(boxes_[1].text, "Out of system resources.");
    EXPECT_EQ(Shown().size(), QSize(3, 2));

    EXPECT_EQ(FailureBoxText("Stream write error."), "Stream write error.");
    EXPECT_EQ(FailureBoxText("ends with a comma,"), "ends with a comma,");
    EXPECT_EQ(FailureBoxText(QStringLiteral("地图")), QStringLiteral("地图."));
    EXPECT_EQ(FailureBoxText(""), "");
}

TEST_F(MainWindowTest, AMissingMapInfoIsReportedAndNothingChanges)
{
    ClickMap("Harbor2.map");
    ASSERT_TRUE(QFile::remove(MapInfoPath()));
    ClickMap("Mine7.map");
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, "Cannot open file \"" + QDir::toNativeSeparators(MapInfoPath()) +
                                  "\". No such file or directory.");
    EXPECT_EQ(Shown().size(), QSize(3, 2));
    EXPECT_EQ(MemoLines().size(), 2);
}

TEST_F(MainWindowTest, TheBrowserListsFollowTheDirectoryEntered)
{
    ASSERT_TRUE(QDir(maps_.path()).mkpath("sub.map/deeper"));
    ASSERT_TRUE(QDir(maps_.path()).mkpath(".hidden"));
    Write(".secret.map", "");
    Write("LOUD.MAP", "");
    Write("notes.txt", "");
    EnterFolder(maps_.path());

    QStringList files;
    for (int row = 0; row < FileList()->count(); ++row)
        files << FileList()->item(row)->text();
    EXPECT_EQ(files, (QStringList{"Harbor2.map", "Huge.map", "LOUD.MAP", "Mine7.map", "Wide.map", QStringLiteral("港口.map")}));

    auto* directories = Find<QListWidget>("dirlst1");
    const QString here = QDir(maps_.path()).canonicalPath();
    const int levels = here.count('/') + 1;
    ASSERT_EQ(directories->count(), levels + 2); // the path, then ".hidden" and "sub.map"
    EXPECT_EQ(directories->item(0)->text(), "/");
    EXPECT_EQ(DirectoryList::rowPath(directories->item(levels - 1)), ToFilesystemPath(here));
    EXPECT_EQ(directories->currentRow(), levels - 1);
    EXPECT_EQ(directories->item(levels)->text(), ".hidden");
    EXPECT_EQ(directories->item(levels + 1)->text(), "sub.map");
    auto* drives = Find<QComboBox>("drvcbb1");
    EXPECT_TRUE(DriveRoots().contains(drives->currentText())) << drives->currentText().toStdString();

    // Enter on a row enters that directory: the working directory follows.
    directories->setCurrentRow(levels + 1);
    QTest::keyClick(directories, Qt::Key_Return);
    EXPECT_EQ(QDir::currentPath(), here + "/sub.map");
    EXPECT_EQ(FileList()->count(), 0);
    EXPECT_EQ(directories->item(directories->count() - 1)->text(), "deeper");
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(MainWindowTest, ADirectoryThatCannotBeEnteredKeepsTheLists)
{
    EnterFolder(maps_.filePath("gone"));
    EnterFolder(maps_.filePath("Harbor2.map"));
    ASSERT_EQ(boxes_.size(), 2u);
    EXPECT_EQ(boxes_[0].text, "File not found.");
    EXPECT_EQ(boxes_[1].text, "Invalid filename.");
    EXPECT_EQ(FileList()->count(), 5);
    EXPECT_EQ(QDir::currentPath(), QDir(maps_.path()).canonicalPath());
}

TEST_F(MainWindowTest, DraggingASplitterResizesItsNeighbour)
{
    auto drag = [this](const char* splitterName, int dy) {
        QWidget* splitter = Find<QWidget>(splitterName);
        QTest::mousePress(splitter, Qt::LeftButton, {}, QPoint(10, 1));
        QMouseEvent move(QEvent::MouseMove, QPointF(10, 1 + dy), splitter->mapToGlobal(QPointF(10, 1 + dy)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(splitter, &move);
        QTest::mouseRelease(splitter, Qt::LeftButton, {}, QPoint(10, 1 + dy));
        QApplication::processEvents();
    };
    QWidget* memo = Find<QWidget>("mmo1");
    QWidget* processes = Find<QWidget>("lv1");
    drag("spl2", -50);
    EXPECT_EQ(memo->height(), 172);
    EXPECT_EQ(Find<QWidget>("sb1")->height(), 378);

    drag("spl1", 40);
    EXPECT_EQ(Find<QWidget>("dirlst1")->height(), 164);
    EXPECT_EQ(FileList()->height(), 122 - 50 - 40);

    drag("spl3", 130); // the process list down to 20: it collapses
    EXPECT_FALSE(processes->isVisible());
    drag("spl3", -60); // and comes back out of its splitter
    EXPECT_TRUE(processes->isVisible());
    EXPECT_EQ(processes->height(), 60);

    drag("spl2", -2000); // at most what the map area can give
    EXPECT_GT(memo->height(), 172);
    EXPECT_EQ(window_->height(), 582);
}

TEST_F(MainWindowTest, AboutShowsTheApplicationTextAndIconAndExitCloses)
{
    Click("rtbtnBtnContextHelp");
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].caption, AboutTitle());
    EXPECT_EQ(boxes_[0].text, AboutTitle() + QLatin1Char('\n') + AboutCredit());
    EXPECT_FALSE(boxes_[0].iconPixmap.isNull());
    Click("rtbtnBtnExit");
    EXPECT_FALSE(window_->isVisible());
}

TEST_F(MainWindowTest, SaveWritesTheNaturalSizePictureUnderABmpNameAndRemembersTheName)
{
    Write("Field.map", MapHeaderBytes(100, 80) + CellBytes(200));
    EnterFolder(maps_.path());
    ClickMap("Field.map");
    for (int i = 0; i < 3; ++i)
        Click("rtbtnBtnZoomIn");
    // The first time, it starts beside the map with the map's name.
    SaveAs("");
    EXPECT_EQ(saveStartedWith_, maps_.filePath("Field.bmp"));
    SaveAs(maps_.filePath("plan.png"));
    const QImage saved(maps_.filePath("plan.bmp"));
    ASSERT_EQ(saved.size(), QSize(100, 80));
    EXPECT_EQ(saved.pixel(99, 79), qRgb(255, 0, 0));
    EXPECT_FALSE(QFile::exists(maps_.filePath("plan.png")));
    EXPECT_EQ(window_->mapView().imageSize(), QSize(172, 138)); // the view stays as it was

    // The dialog starts with the name confirmed last time; cancelling writes nothing.
    ASSERT_TRUE(QFile::remove(maps_.filePath("plan.bmp")));
    SaveAs("");
    EXPECT_EQ(saveStartedWith_, maps_.filePath("plan.png"));
    EXPECT_EQ(QDir(maps_.path()).entryList({"*.bmp"}, QDir::Files), QStringList());
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(MainWindowTest, TheMapMenuCopiesThePictureAndTheCellClicked)
{
    ClickMap("Harbor2.map");
    RoutePlanner routes(window_->document(), nullptr);
    QAction clearRoute("Clear Route");
    QAction follow("Follow");
    QAction followMaps("Follow Across Maps");
    followMaps.setCheckable(true);
    QAction pickMap("Pick");
    QAction findAddress(QStringLiteral("Find"));
    std::optional<QPoint> measuredFrom;
    QAction endMeasure(QStringLiteral("End Measuring"));
    endMeasure.setEnabled(false);
    QAction help(QStringLiteral("Help"));
    QAction compact(QStringLiteral("Compact View"));
    QAction halfSeen(QStringLiteral("50%"));
    MapMenuCommands commands{{},         {},       &routes,      &clearRoute,
                             &follow,    &followMaps, &pickMap, &findAddress,
                             [&measuredFrom](QPoint from) { measuredFrom = from; }, &endMeasure, {&compact}, {}, &help};
    auto entry = [](const QMenu& menu, const QString& text) {
        for (QAction* action : menu.actions())
            if (action->text() == text)
                return action;
        return static_cast<QAction*>(nullptr);
    };
    MapMenu menu(commands, QPoint(2, 1), window_.get());
    entry(menu, "Copy Cell")->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "2:1");
    EXPECT_FALSE(entry(menu, "Route from the Player to Here")->isEnabled()); // not tracking
    EXPECT_FALSE(entry(menu, "...to Here")->isEnabled());
    entry(menu, "Route from Here")->trigger();
    EXPECT_TRUE(entry(MapMenu(commands, QPoint(0, 0), window_.get()), "...to Here")->isEnabled());
    EXPECT_FALSE(entry(MapMenu(commands, std::nullopt, window_.get()), "Copy Cell")->isEnabled());
    EXPECT_EQ(entry(menu, "End Measuring"), nullptr); // only while measuring
    entry(menu, "Measure from Here")->trigger();
    EXPECT_EQ(measuredFrom, QPoint(2, 1));
    endMeasure.setEnabled(true);
    EXPECT_NE(entry(MapMenu(commands, QPoint(0, 0), window_.get()), "End Measuring"), nullptr);
    EXPECT_EQ(entry(menu, "Pick"), nullptr); // only while following across maps
    followMaps.setChecked(true);
    EXPECT_NE(entry(MapMenu(commands, QPoint(0, 0), window_.get()), "Pick"), nullptr);
    EXPECT_NE(entry(menu, "Compact View"), nullptr);
    EXPECT_EQ(entry(menu, "Opacity"), nullptr); // only in compact view, when the window hands them over
    commands.opacities = {&halfSeen};
    const MapMenu compactMenu(commands, QPoint(0, 0), window_.get());
    const QAction* opacity = entry(compactMenu, "Opacity");
    ASSERT_TRUE(opacity && opacity->menu());
    EXPECT_EQ(opacity->menu()->actions(), QList<QAction*>{&halfSeen});

    for (QAction* action : window_->actions())
        if (action->text() == "Copy Picture")
            action->trigger();
    const QImage copied = QGuiApplication::clipboard()->image();
    ASSERT_EQ(copied.size(), QSize(3, 2));
    EXPECT_EQ(copied.pixel(0, 1), qRgb(255, 0, 0));
}

TEST_F(MainWindowTest, SaveNeverEmptiesAFileAndAsksBeforeReplacingAnotherName)
{
    Write("plan.bmp", "earlier picture");
    SaveAs(maps_.filePath("plan.bmp"));
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, "There is no map to save.");
    EXPECT_EQ(Contents(maps_.filePath("plan.bmp")), "earlier picture");

    // A map that vanished leaves no picture either.
    ClickMap("Harbor2.map");
    ASSERT_TRUE(QFile::remove(maps_.filePath("Mine7.map")));
    ClickMap("Mine7.map");
    SaveAs(maps_.filePath("plan.bmp"));
    ASSERT_EQ(boxes_.size(), 2u);
    EXPECT_EQ(Contents(maps_.filePath("plan.bmp")), "earlier picture");

    // "plan.png" becomes "plan.bmp", which the dialog never asked about.
    ClickMap("Harbor2.map");
    SaveAs(maps_.filePath("plan.png"));
    ASSERT_EQ(boxes_.size(), 3u);
    EXPECT_EQ(boxes_[2].icon, QMessageBox::Question);
    EXPECT_TRUE(boxes_[2].text.contains(QDir::toNativeSeparators(maps_.filePath("plan.bmp"))));
    EXPECT_EQ(Contents(maps_.filePath("plan.bmp")), "earlier picture");
    replaceAnswer_ = QMessageBox::Yes;
    SaveAs(maps_.filePath("plan.png"));
    EXPECT_EQ(QImage(maps_.filePath("plan.bmp")).size(), QSize(3, 2));

    // The name confirmed itself is replaced without a question, as always.
    SaveAs(maps_.filePath("plan.bmp"));
    EXPECT_EQ(boxes_.size(), 4u);
}

TEST_F(MainWindowTest, NamesThatAreNotUtf8AreShownDecodedAndOpenedByTheirBytes)
{
    WriteBytes(QFile::encodeName(maps_.path()).toStdString() + "/\xC2\xEB\xCD\xB7.map", // 码头 in GBK
               MapHeaderBytes(2, 1) + CellBytes(200) + CellBytes(0));
    WriteBytes(QFile::encodeName(maps_.path()).toStdString() + "/\xFF\xFE.map", MapHeaderBytes(1, 1) + CellBytes(0));
    WriteMapInfo("[\xC2\xEB\xCD\xB7 pier]\r\n");
    EnterFolder(maps_.path());
    ClickMap(QStringLiteral("码头.map"));
    EXPECT_EQ(Shown().size(), QSize(2, 1));
    EXPECT_EQ(MemoLines(), QStringList{QStringLiteral("[码头 pier]")});
    ClickMap("\\xFF\\xFE.map");
    EXPECT_EQ(Shown().size(), QSize(1, 1));

    // The same name in UTF-8 beside it: two rows read alike, each opens its
    // own file, and so does the path of the UTF-8 one.
    WriteBytes(QFile::encodeName(maps_.filePath(QStringLiteral("码头.map"))).toStdString(),
               MapHeaderBytes(3, 1) + CellBytes(0) + CellBytes(0) + CellBytes(0));
    QTRY_COMPARE_WITH_TIMEOUT(FileList()->findItems(QStringLiteral("码头.map"), Qt::MatchExactly).size(), 2, 5000);
    QSet<int> widths;
    for (QListWidgetItem* row : FileList()->findItems(QStringLiteral("码头.map"), Qt::MatchExactly)) {
        QTest::mouseClick(FileList()->viewport(), Qt::LeftButton, {}, FileList()->visualItemRect(row).center());
        widths.insert(Shown().width());
    }
    EXPECT_EQ(widths, QSet<int>({2, 3}));
    window_->openPath(maps_.filePath(QStringLiteral("码头.map")));
    EXPECT_EQ(Shown().size(), QSize(3, 1));

    // A folder named in GBK bytes is listed decoded and entered by its bytes.
    const std::string folder = QFile::encodeName(maps_.path()).toStdString() + "/\xB5\xD8\xCD\xBC"; // 地图
    std::filesystem::create_directory(folder);
    WriteBytes(folder + "/Deep.map", MapHeaderBytes(1, 2) + CellBytes(0) + CellBytes(0));
    EnterFolder(maps_.path());
    auto* directories = Find<QListWidget>("dirlst1");
    const QList<QListWidgetItem*> rows = directories->findItems(QStringLiteral("地图"), Qt::MatchExactly);
    ASSERT_EQ(rows.size(), 1);
    directories->setCurrentItem(rows[0]);
    QTest::keyClick(directories, Qt::Key_Return);
    EXPECT_EQ(std::filesystem::current_path(), std::filesystem::path(folder));
    ClickMap("Deep.map");
    EXPECT_EQ(Shown().size(), QSize(1, 2));
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(MainWindowTest, AMapInfoThatIsNoFileOrTooLargeIsReportedAtOnce)
{
    ClickMap("Harbor2.map");
    ASSERT_TRUE(QFile::remove(MapInfoPath()));
#ifndef _WIN32
    ASSERT_EQ(::mkfifo(QFile::encodeName(MapInfoPath()).constData(), 0600), 0);
    ClickMap("Mine7.map"); // a pipe nobody writes to: answered at once, not waited on
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_TRUE(boxes_[0].text.startsWith("Cannot open file \"" + QDir::toNativeSeparators(MapInfoPath()) + "\". "));
    ASSERT_TRUE(QFile::remove(MapInfoPath()));
#endif
    QFile huge(MapInfoPath());
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    ASSERT_TRUE(huge.resize((qint64(64) << 20) + 1)); // sparse: no disk needed
    huge.close();
    ClickMap("Mine7.map");
    ASSERT_FALSE(boxes_.empty());
    EXPECT_EQ(boxes_.back().text, "Cannot open file \"" + QDir::toNativeSeparators(MapInfoPath()) + "\". File too large.");
    EXPECT_EQ(Shown().size(), QSize(3, 2));
    EXPECT_EQ(MemoLines().size(), 2);
}

#if !defined(_WIN32) && !defined(UNDER_ADDRESS_SANITIZER)
namespace {

std::int64_t StatusKiB(const char* field)
{
    QFile status("/proc/self/status");
    EXPECT_TRUE(status.open(QIODevice::ReadOnly));
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').value(0).toLongLong();
    ADD_FAILURE() << field;
    return 0;
}

// From here on VmHWM, the peak of the memory in use, counts from what is in use now.
void ResetMemoryPeak()
{
    QFile clearRefs("/proc/self/clear_refs");
    ASSERT_TRUE(clearRefs.open(QIODevice::WriteOnly));
    ASSERT_EQ(clearRefs.write("5"), 1);
}

} // namespace

TEST_F(MainWindowTest, ManyLongLinesCostTheMemoAFewTimesTheTextShown)
{
    QByteArray line = "HARBOR2 " + QByteArray(4992, 'x') + "\r\n";
    QByteArray lines;
    lines.reserve(line.size() * 10000);
    for (int i = 0; i < 10000; ++i)
        lines += line;
    WriteMapInfo(lines);
    lines = QByteArray();
    ClickMap("Mine7.map"); // the memo's first lines, laid out
    QCoreApplication::processEvents();

    ResetMemoryPeak();
    const std::int64_t before = StatusKiB("VmRSS:");
    ClickMap("Harbor2.map");
    QCoreApplication::processEvents();
    const std::int64_t peak = StatusKiB("VmHWM:");
    const qsizetype shownKiB = Find<QPlainTextEdit>("mmo1")->document()->characterCount() * 2 / 1024;
    EXPECT_GT(shownKiB, 80000);
    EXPECT_LT(peak - before, 5 * shownKiB / 2) << "KiB at the peak, for " << shownKiB << " KiB shown";
}
#endif

#ifndef _WIN32
TEST_F(MainWindowTest, AMapThatCannotBeOpenedIsReportedAndTheMapStays)
{
    ClickMap("Harbor2.map");
    // Only the file itself refuses: its folder is open to everybody.
    ASSERT_TRUE(QFile::setPermissions(maps_.path(), QFileDevice::Permissions(0x7555)));
    ASSERT_TRUE(QFile::setPermissions(maps_.filePath("Mine7.map"), QFileDevice::Permissions()));
    {
        const Unprivileged asAnOrdinaryUser;
        if (::geteuid() == 0)
            GTEST_SKIP() << "root reads every file";
        ClickMap("Mine7.map");
    }
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, "Cannot open file \"" + QDir::toNativeSeparators(maps_.filePath("Mine7.map")) +
                                  "\". Permission denied.");
    EXPECT_EQ(Shown().size(), QSize(3, 2));
    EXPECT_EQ(MemoLines().size(), 2);
}
#endif

} // namespace
