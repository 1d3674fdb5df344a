#include "BitmapFile.h"
#include "FormMainFixture.h"
#include "PlayerMarker.h"
#include "StandInClient.h"
#include "TDirectoryListBox.h"
#include "TSaveDialog.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

namespace {

class TrackerWindowTest : public FormMainTest {
protected:
    void SetUp() override
    {
        FormMainTest::SetUp();
        Write("Open.map", MapHeaderBytes(60, 40)); // every cell open
        emit form_->dirlst1->DirectoryActivated(maps_.path());
        ClickMap("Open.map");
    }

    QTreeWidgetItem* RowOf(std::uint32_t processId) const
    {
        const QList<QTreeWidgetItem*> rows = form_->lv1->findItems(QString::number(processId), Qt::MatchExactly, 1);
        return rows.isEmpty() ? nullptr : rows.first();
    }
    void Follow(const StandInClient& client)
    {
        form_->rtbBtnBtnExecute->click();
        QTreeWidgetItem* row = RowOf(client.processId);
        ASSERT_NE(row, nullptr);
        form_->lv1->clearSelection();
        row->setSelected(true);
        form_->edt1->setText(QString::number(client.address, 16));
    }
    void Tick() { form_->RunHandler([this] { form_->tmr1Timer(); }); }
    static QList<QPoint> MarkerPixels(const QImage& picture)
    {
        QList<QPoint> pixels;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                if (picture.pixelIndex(x, y) == kMarkerEntry)
                    pixels.append(QPoint(x, y));
        return pixels;
    }
};

TEST_F(TrackerWindowTest, ExecuteListsProcessesAndSelectsTheFirstRow)
{
    StandInClient client("--hold 1 1 --seconds 30");
    form_->rtbBtnBtnExecute->click();
    ASSERT_GT(form_->lv1->topLevelItemCount(), 1);
    QTreeWidgetItem* row = RowOf(client.processId);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->text(0), "stand_in_client");
    const QRegularExpression unsignedDecimal("^(0|[1-9][0-9]*)$");
    for (int i = 0; i < form_->lv1->topLevelItemCount(); ++i)
        EXPECT_TRUE(unsignedDecimal.match(form_->lv1->topLevelItem(i)->text(1)).hasMatch());
    EXPECT_EQ(form_->lv1->selectedItems(), QList<QTreeWidgetItem*>{form_->lv1->topLevelItem(0)});

    // A second click rebuilds the list and selects its first row again.
    form_->lv1->clearSelection();
    row->setSelected(true);
    form_->rtbBtnBtnExecute->click();
    EXPECT_EQ(form_->lv1->selectedItems(), QList<QTreeWidgetItem*>{form_->lv1->topLevelItem(0)});
}

TEST_F(TrackerWindowTest, TickingMarksThePlayerAndShowsTheCoordinates)
{
    StandInClient client("--hold 30 20 --seconds 30");
    Follow(client);
    QTest::mouseClick(form_->chk1, Qt::LeftButton);
    ASSERT_TRUE(form_->tmr1->isActive());
    QTRY_COMPARE_WITH_TIMEOUT(form_->windowTitle(), QString("30:20"), 3000);

    const QList<QPoint> marker = MarkerPixels(Shown());
    ASSERT_FALSE(marker.isEmpty());
    for (const QPoint& pixel : marker) {
        EXPECT_GE(pixel.x(), 25);
        EXPECT_GE(pixel.y(), 15);
        EXPECT_LT(pixel.x(), 25 + 16);
        EXPECT_LT(pixel.y(), 15 + 16);
    }
    EXPECT_TRUE(MarkerPixels(Clean()).isEmpty());

    // Unticking stops the ticks and keeps the last marker and caption.
    QTest::mouseClick(form_->chk1, Qt::LeftButton);
    EXPECT_FALSE(form_->tmr1->isActive());
    EXPECT_EQ(MarkerPixels(Shown()), marker);

    // Saving while a marker is shown saves it with the map.
    form_->dlgSave1->RunModal = [this](TSaveDialog& dialog) {
        dialog.selectFile(maps_.filePath("tracked"));
        return true;
    };
    form_->rtbtnBtnSave->click();
    EXPECT_EQ(MarkerPixels(QImage(maps_.filePath("tracked.bmp"))), marker);
}

TEST_F(TrackerWindowTest, EachTickRestoresTheMapBeforeMarking)
{
    StandInClient first("--hold 10 10 --seconds 30");
    Follow(first);
    Tick();
    StandInClient second("--hold 40 30 --seconds 30");
    Follow(second);
    Tick();
    EXPECT_EQ(form_->windowTitle(), "40:30");
    for (const QPoint& pixel : MarkerPixels(Shown()))
        EXPECT_GE(pixel.x(), 35); // nothing left of the first marker
}

TEST_F(TrackerWindowTest, AnEndedProcessReadsAsZeroWithoutAMessage)
{
    StandInClient client("--hold 30 20 --seconds 30");
    Follow(client);
    client.End();
    Tick();
    EXPECT_EQ(form_->windowTitle(), "0:0");
    EXPECT_TRUE(boxes_.empty());
    for (const QPoint& pixel : MarkerPixels(Shown()))
        EXPECT_LT(pixel.x() + pixel.y(), 20); // the marker's corner is at (-5, -5)
}

TEST_F(TrackerWindowTest, WithNoRowSelectedTicksDoNothing)
{
    Tick();
    EXPECT_EQ(form_->windowTitle(), QString::fromUtf8(kApplicationTitle));
    EXPECT_TRUE(boxes_.empty());
    EXPECT_TRUE(MarkerPixels(Shown()).isEmpty());
}

TEST_F(TrackerWindowTest, ABadAddressIsReportedOnceATickAndBoxesNeverStack)
{
    StandInClient client("--hold 30 20 --seconds 30");
    Follow(client);
    form_->edt1->clear();
    // Ticks that come while the box is open fail too, and are dropped.
    form_->ExecMessageBox = [this](QMessageBox& box) {
        boxes_.push_back({box.windowTitle(), box.text(), box.icon(), box.standardButtons(), {}});
        Tick();
        Tick();
    };
    Tick();
    Tick();
    ASSERT_EQ(boxes_.size(), 2u);
    EXPECT_EQ(boxes_[0].text, "'$' is not a valid integer value.");
    EXPECT_EQ(form_->windowTitle(), QString::fromUtf8(kApplicationTitle));

    form_->edt1->setText("0x" + QString::number(client.address, 16));
    Tick();
    ASSERT_EQ(boxes_.size(), 3u);
    EXPECT_EQ(boxes_[2].text, "'$0x" + QString::number(client.address, 16) + "' is not a valid integer value.");
    EXPECT_TRUE(MarkerPixels(Shown()).isEmpty());
}

} // namespace
