#include "Drives.h"
#include "FormMainFixture.h"
#include "TDirectoryListBox.h"
#include "TDriveComboBox.h"
#include "TSplitter.h"
#include "TToolbar.h"
#include "WorkingDirectory.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

namespace {

TEST_F(FormMainTest, LayoutAtTheInitialSizeAndAfterAResize)
{
    EXPECT_EQ(form_->size(), QSize(688, 582));
    EXPECT_EQ(form_->windowTitle(), QString::fromUtf8(kApplicationTitle));
    EXPECT_EQ(form_->font().pixelSize(), 12);
    EXPECT_EQ(PlaceInForm(form_->rtr1), QRect(0, 0, 688, 29));
    EXPECT_EQ(PlaceInForm(form_->pnl1), QRect(0, 29, 177, 428));
    EXPECT_EQ(PlaceInForm(form_->sb1), QRect(177, 29, 511, 428));
    EXPECT_EQ(PlaceInForm(form_->spl2), QRect(0, 457, 688, 3));
    EXPECT_EQ(PlaceInForm(form_->mmo1), QRect(0, 460, 688, 122));
    EXPECT_EQ(form_->pnl2->geometry(), QRect(1, 1, 175, 24));
    EXPECT_EQ(form_->drvcbb1->geometry(), QRect(4, 4, 145, 18));
    EXPECT_EQ(form_->dirlst1->geometry(), QRect(1, 25, 175, 124));
    EXPECT_EQ(form_->spl1->geometry(), QRect(1, 149, 175, 3));
    EXPECT_EQ(form_->fllst1->geometry(), QRect(1, 152, 175, 122));
    EXPECT_EQ(form_->spl3->geometry(), QRect(1, 274, 175, 3));
    EXPECT_EQ(form_->lv1->geometry(), QRect(1, 277, 175, 150));
    EXPECT_EQ(form_->img1->geometry(), QRect(0, 0, 257, 245));

    const std::pair<QWidget*, QRect> toolbar[] = {
        {form_->rtbBtnBtnExecute, {4, 2, 25, 25}},  {form_->Rsp1, {29, 2, 8, 25}},
        {form_->rtbtnBtnZoomIn, {37, 2, 25, 25}},   {form_->rtbtnBtnZoomOut, {62, 2, 25, 25}},
        {form_->rtbtnBtnView, {87, 2, 25, 25}},     {form_->rtRs1, {112, 2, 8, 25}},
        {form_->rtbtnBtnSave, {120, 2, 25, 25}},    {form_->rtRs2, {145, 2, 8, 25}},
        {form_->rtbtnBtnContextHelp, {153, 2, 25, 25}}, {form_->rtRs3, {178, 2, 8, 25}},
        {form_->rtbtnBtnExit, {186, 2, 25, 25}},    {form_->Rsp2, {211, 2, 8, 25}},
        {form_->lbl1, {219, 8, 54, 12}},            {form_->edt1, {273, 4, 121, 20}},
        {form_->chk1, {394, 6, 97, 17}},
    };
    for (const auto& [control, place] : toolbar)
        EXPECT_EQ(control->geometry(), place) << control->objectName().toStdString() << " at " << place.x();
    EXPECT_FALSE(form_->Rsp2->Grooved());
    EXPECT_TRUE(form_->rtRs3->Grooved());

    form_->resize(900, 700);
    QApplication::processEvents();
    EXPECT_EQ(PlaceInForm(form_->pnl1), QRect(0, 29, 177, 546));
    EXPECT_EQ(PlaceInForm(form_->sb1), QRect(177, 29, 723, 546));
    EXPECT_EQ(PlaceInForm(form_->spl2), QRect(0, 575, 900, 3));
    EXPECT_EQ(PlaceInForm(form_->mmo1), QRect(0, 578, 900, 122));
    EXPECT_EQ(form_->rtr1->width(), 900);
    EXPECT_EQ(form_->dirlst1->height(), 124);
    EXPECT_EQ(form_->fllst1->height(), 122 + 118);
    EXPECT_EQ(form_->lv1->geometry(), QRect(1, 395, 175, 150));
}

TEST_F(FormMainTest, ControlsStartEmptyWithTheirCaptions)
{
    const std::pair<QToolButton*, const char*> captions[] = {
        {form_->rtbBtnBtnExecute, "Execute"}, {form_->rtbtnBtnZoomIn, "Zoom In"}, {form_->rtbtnBtnZoomOut, "Zoom Out"},
        {form_->rtbtnBtnView, "View"},        {form_->rtbtnBtnSave, "Save"},      {form_->rtbtnBtnContextHelp, "Context Help"},
        {form_->rtbtnBtnExit, "Exit"},
    };
    for (const auto& [button, caption] : captions) {
        EXPECT_EQ(button->text(), caption);
        EXPECT_FALSE(button->icon().isNull()) << caption;
        EXPECT_EQ(button->toolButtonStyle(), Qt::ToolButtonIconOnly);
    }
    EXPECT_EQ(form_->lbl1->text(), QStringLiteral("内存地址:"));
    EXPECT_EQ(form_->chk1->text(), QStringLiteral("读取坐标"));
    EXPECT_FALSE(form_->chk1->isChecked());
    EXPECT_FALSE(form_->tmr1->isActive());
    EXPECT_EQ(form_->tmr1->interval(), 1000);
    EXPECT_TRUE(form_->edt1->text().isEmpty());
    EXPECT_TRUE(form_->mmo1->toPlainText().isEmpty());
    EXPECT_EQ(form_->lv1->topLevelItemCount(), 0);
    EXPECT_EQ(form_->lv1->headerItem()->text(0), QStringLiteral("进程"));
    EXPECT_EQ(form_->lv1->headerItem()->text(1), QStringLiteral("PID"));
    EXPECT_EQ(form_->lv1->columnWidth(0), 120);
    EXPECT_EQ(form_->lv1->columnWidth(1), 50);
    EXPECT_TRUE(Shown().isNull());
    EXPECT_TRUE(Clean().isNull());
}

TEST_F(FormMainTest, TabMovesThroughBrowserListsMemoAndTrackerControls)
{
    QApplication::setActiveWindow(form_.get());
    form_->fllst1->setFocus();
    QWidget* const expected[] = {form_->dirlst1, form_->drvcbb1, form_->lv1, form_->mmo1, form_->edt1, form_->chk1, form_->fllst1};
    for (QWidget* next : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next) << QApplication::focusWidget()->metaObject()->className();
    }
}

TEST_F(FormMainTest, ClickingAMapShowsItsCellsAndItsLinks)
{
    ClickMap("Harbor2.map");
    ASSERT_EQ(Shown().size(), QSize(3, 2));
    EXPECT_EQ(Shown().format(), QImage::Format_Indexed8);
    ASSERT_EQ(Shown().colorCount(), 16);
    EXPECT_EQ(Shown().color(9), qRgb(255, 0, 0));
    EXPECT_EQ(Shown().color(12), qRgb(0, 0, 255));
    const int expected[2][3] = {{0, 12, 12}, {9, 9, 0}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(Shown().pixelIndex(x, y), expected[y][x]) << x << "," << y;
    EXPECT_EQ(form_->img1->size(), QSize(3, 2));
    EXPECT_EQ(MemoLines(), (QStringList{"[HARBOR2 Old harbour]", "harbor2\tnorth pier"}));

    // The unmarked copy holds the same image, and drawing on the shown one
    // leaves it alone.
    EXPECT_EQ(Clean(), Shown());
    QImage marked = Shown();
    marked.setPixel(0, 0, 2);
    form_->img1->SetPicture(marked);
    EXPECT_EQ(Clean().pixelIndex(0, 0), 0);

    // Another map replaces the lines; the same map again lists them once.
    ClickMap("Mine7.map");
    EXPECT_EQ(Shown().pixelIndex(1, 1), 9);
    EXPECT_EQ(MemoLines(), QStringList{"Mine7 gate to HARBOR2"});
    ClickMap("Mine7.map");
    EXPECT_EQ(MemoLines(), QStringList{"Mine7 gate to HARBOR2"});
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(FormMainTest, AChineseFileNameFindsItsGbkLine)
{
    ClickMap(QStringLiteral("港口.map"));
    EXPECT_EQ(MemoLines(), QStringList{QStringLiteral("[港口 码头]")});
}

TEST_F(FormMainTest, MovingTheSelectionWithTheKeyboardLoadsTheMap)
{
    ClickMap("Harbor2.map");
    QTest::keyClick(form_->fllst1, Qt::Key_Down); // Huge.map, Mine7.map, Wide.map, 港口.map follow
    EXPECT_EQ(form_->fllst1->currentItem()->text(), "Huge.map");
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, "Out of system resources.");
    QTest::keyClick(form_->fllst1, Qt::Key_Down);
    EXPECT_EQ(Shown().size(), QSize(2, 2));
}

TEST_F(FormMainTest, AMapTooLargeKeepsThePreviousMapAndLines)
{
    ClickMap("Harbor2.map");
    ClickMap("Huge.map");
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, "Out of system resources.");
    EXPECT_EQ(Shown().size(), QSize(3, 2));
    EXPECT_EQ(Clean().size(), QSize(3, 2));
    EXPECT_EQ(MemoLines().size(), 2);
}

TEST_F(FormMainTest, AVanishedFileEmptiesTheImageSilentlyAndKeepsTheLines)
{
    ClickMap("Harbor2.map");
    ASSERT_TRUE(QFile::remove(maps_.filePath("Mine7.map")));
    ClickMap("Mine7.map");
    EXPECT_TRUE(Shown().isNull());
    EXPECT_TRUE(Clean().isNull());
    EXPECT_EQ(MemoLines().size(), 2);
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(FormMainTest, AMapWithNoRowsListsItsLinesWithAnEmptyImage)
{
    ClickMap("Harbor2.map");
    ClickMap("Wide.map");
    EXPECT_TRUE(Shown().isNull());
    EXPECT_TRUE(Clean().isNull());
    EXPECT_EQ(MemoLines(), QStringList{"Wide open"});
}

TEST_F(FormMainTest, BrokenMapFilesShowWhatTheirBytesSay)
{
    emit form_->dirlst1->DirectoryActivated(TEST_DATA_DIR);
    WriteMapInfo("empty listed\n");
    ClickMap("empty.map");
    EXPECT_TRUE(Shown().isNull());
    EXPECT_EQ(MemoLines(), QStringList{"empty listed"});

    ClickMap("header-only.map");
    ASSERT_EQ(Shown().size(), QSize(40, 30));
    EXPECT_EQ(Shown().pixelIndex(39, 29), 0);

    // Its last record keeps its blocking byte and takes the flags of the one before.
    ClickMap("truncated-record.map");
    ASSERT_EQ(Shown().size(), QSize(3, 2));
    EXPECT_EQ(Shown().pixelIndex(2, 0), 9);
    EXPECT_EQ(Shown().pixelIndex(2, 1), 9);

    ClickMap("declares-65535x65535.map");
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, "Out of system resources.");
    EXPECT_EQ(Shown().size(), QSize(3, 2));
}

TEST_F(FormMainTest, AMissingMapInfoIsReportedAndNothingChanges)
{
    ClickMap("Harbor2.map");
    ASSERT_TRUE(QFile::remove(MapInfoPath()));
    ClickMap("Mine7.map");
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, "Cannot open file \"" + QDir::toNativeSeparators(MapInfoPath()) + "\". " +
                                  SystemReason(MapInfoPath(), QIODevice::ReadOnly) + ".");
    EXPECT_EQ(Shown().size(), QSize(3, 2));
    EXPECT_EQ(Clean().size(), QSize(3, 2));
    EXPECT_EQ(MemoLines().size(), 2);

    // The file is read afresh at every load.
    WriteMapInfo("Mine7 back again\n");
    ClickMap("Mine7.map");
    EXPECT_EQ(MemoLines(), QStringList{"Mine7 back again"});
}

TEST_F(FormMainTest, AClickWithNothingSelectedFailsAndKeepsTheMap)
{
    ClickMap("Harbor2.map");
    form_->fllst1->clearSelection();
    form_->RunHandler([this] { form_->fllst1Click(); });
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, "List index out of bounds (-1)"); // ")" sorts before "."
    EXPECT_EQ(Shown().size(), QSize(3, 2));
}

TEST_F(FormMainTest, FailureBoxHasTheTitleAnErrorIconAndOk)
{
    form_->RunHandler([] { throw std::runtime_error("I/O error 21"); });
    form_->RunHandler([] { throw std::bad_alloc(); });
    ASSERT_EQ(boxes_.size(), 2u);
    EXPECT_EQ(boxes_[0].caption, QString::fromUtf8(kApplicationTitle));
    EXPECT_EQ(boxes_[0].icon, QMessageBox::Critical);
    EXPECT_EQ(boxes_[0].buttons, QMessageBox::Ok);
    EXPECT_EQ(boxes_[0].text, "I/O error 21.");
    EXPECT_EQ(boxes_[1].text, "Out of system resources.");

    EXPECT_EQ(FailureBoxText("List index out of bounds (-1)"), "List index out of bounds (-1)");
    EXPECT_EQ(FailureBoxText("Stream write error."), "Stream write error.");
    EXPECT_EQ(FailureBoxText("ends with a comma,"), "ends with a comma,");
    EXPECT_EQ(FailureBoxText(QStringLiteral("地图")), QStringLiteral("地图."));
    EXPECT_EQ(FailureBoxText(""), "");
}

TEST_F(FormMainTest, BrowserListsMapFilesAndThePathFromTheRoot)
{
    ASSERT_TRUE(QDir(maps_.path()).mkpath("sub.map/deeper"));
    ASSERT_TRUE(QDir(maps_.path()).mkpath(".hidden"));
    Write(".secret.map", "");
    Write("LOUD.MAP", "");
    Write("notes.txt", "");
    form_->RunHandler([this] { form_->dirlst1->DirectoryActivated(maps_.path()); });

    QStringList files;
    for (int row = 0; row < form_->fllst1->count(); ++row)
        files << form_->fllst1->item(row)->text();
    EXPECT_EQ(files, (QStringList{"Harbor2.map", "Huge.map", "LOUD.MAP", "Mine7.map", "Wide.map", QStringLiteral("港口.map")}));

    const QString here = QDir(maps_.path()).canonicalPath();
    const int levels = here.count('/') + 1;
    ASSERT_EQ(form_->dirlst1->count(), levels + 1); // the path, then "sub.map"
    EXPECT_EQ(form_->dirlst1->item(0)->text(), here.left(here.indexOf('/') + 1)); // "/" or "C:/"
    EXPECT_EQ(TDirectoryListBox::RowPath(form_->dirlst1->item(levels - 1)), here);
    EXPECT_EQ(form_->dirlst1->currentRow(), levels - 1);
    EXPECT_EQ(form_->dirlst1->item(levels)->text(), "sub.map");
    EXPECT_EQ(form_->drvcbb1->currentText(), DriveRoots().contains(form_->drvcbb1->currentText())
                                                  ? form_->drvcbb1->currentText() : QString("not a mount"));

    // Enter on a row enters that directory: the working directory follows.
    form_->dirlst1->setCurrentRow(levels);
    QTest::keyClick(form_->dirlst1, Qt::Key_Return);
    EXPECT_EQ(QDir::currentPath(), here + "/sub.map");
    EXPECT_EQ(form_->fllst1->count(), 0);
    EXPECT_EQ(form_->dirlst1->item(form_->dirlst1->count() - 1)->text(), "deeper");
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(FormMainTest, ADirectoryThatCannotBeEnteredKeepsTheLists)
{
    const QString before = form_->fllst1->Directory();
    const int rows = form_->fllst1->count();
    emit form_->dirlst1->DirectoryActivated(maps_.filePath("gone"));
    emit form_->dirlst1->DirectoryActivated(maps_.filePath("Harbor2.map"));
    ASSERT_EQ(boxes_.size(), 2u);
    EXPECT_EQ(boxes_[0].text, "File not found.");
#ifdef _WIN32
    EXPECT_EQ(boxes_[1].text, "I/O error 267."); // the directory name is invalid
#else
    EXPECT_EQ(boxes_[1].text, "Invalid filename.");
#endif
    EXPECT_EQ(form_->fllst1->Directory(), before);
    EXPECT_EQ(form_->fllst1->count(), rows);
    EXPECT_EQ(QDir::currentPath(), QDir(before).canonicalPath());
}

#ifndef _WIN32 // Windows error codes: WindowsWindowTest.cpp
TEST(DirectoryChangeFailureTextTest, SystemErrorsGiveTheirTexts)
{
    using std::errc;
    EXPECT_EQ(DirectoryChangeFailureText(std::make_error_code(errc::no_such_file_or_directory)), "File not found");
    EXPECT_EQ(DirectoryChangeFailureText(std::make_error_code(errc::not_a_directory)), "Invalid filename");
    EXPECT_EQ(DirectoryChangeFailureText(std::make_error_code(errc::too_many_files_open)), "Too many open files");
    EXPECT_EQ(DirectoryChangeFailureText(std::make_error_code(errc::too_many_files_open_in_system)), "Too many open files");
    EXPECT_EQ(DirectoryChangeFailureText(std::make_error_code(errc::permission_denied)), "File access denied");
    EXPECT_EQ(DirectoryChangeFailureText(std::make_error_code(errc::operation_not_permitted)), "File access denied");
    const std::error_code io = std::make_error_code(errc::io_error);
    EXPECT_EQ(DirectoryChangeFailureText(io), "I/O error " + std::to_string(io.value()));
}

#endif

TEST(SplitterTest, HeightsAtOrBelowThirtyCollapse)
{
    EXPECT_EQ(TSplitter::SnappedHeight(100, 300), 100);
    EXPECT_EQ(TSplitter::SnappedHeight(31, 300), 31);
    EXPECT_EQ(TSplitter::SnappedHeight(30, 300), 0);
    EXPECT_EQ(TSplitter::SnappedHeight(-20, 300), 0);
    EXPECT_EQ(TSplitter::SnappedHeight(500, 300), 300);
}

TEST_F(FormMainTest, DraggingASplitterResizesItsNeighbour)
{
    auto drag = [](QWidget* splitter, int dy) {
        QTest::mousePress(splitter, Qt::LeftButton, {}, QPoint(10, 1));
        QMouseEvent move(QEvent::MouseMove, QPointF(10, 1 + dy), splitter->mapToGlobal(QPointF(10, 1 + dy)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(splitter, &move);
        QTest::mouseRelease(splitter, Qt::LeftButton, {}, QPoint(10, 1 + dy));
        QApplication::processEvents();
    };
    drag(form_->spl2, -50);
    EXPECT_EQ(form_->mmo1->height(), 172);
    EXPECT_EQ(form_->sb1->height(), 378);

    drag(form_->spl1, 40);
    EXPECT_EQ(form_->dirlst1->height(), 164);
    EXPECT_EQ(form_->fllst1->height(), 122 - 50 - 40);

    drag(form_->spl3, 130); // lv1 down to 20: collapses
    EXPECT_FALSE(form_->lv1->isVisible());
    EXPECT_EQ(form_->lv1->height(), 0);
    drag(form_->spl3, -60); // and back out of its splitter
    EXPECT_TRUE(form_->lv1->isVisible());
    EXPECT_EQ(form_->lv1->height(), 60);

    drag(form_->spl2, -2000); // at most what the map area can give
    EXPECT_GT(form_->mmo1->height(), 172);
    EXPECT_EQ(form_->height(), 582);
}

} // namespace
