#include "BitmapFile.h"
#include "FormMainFixture.h"
#include "ImageScaling.h"
#include "QtConversions.h"
#include "TDirectoryListBox.h"
#include "TSaveDialog.h"

#include <QProcess>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#endif

namespace {

QByteArray Bytes(std::initializer_list<int> values)
{
    QByteArray bytes;
    for (int value : values)
        bytes.append(char(value));
    return bytes;
}

struct ZoomStep {
    int size, zoomedIn, zoomedOut;
};

class ZoomStepTest : public ::testing::TestWithParam<ZoomStep> {};

TEST_P(ZoomStepTest, AFifthOfTheSizeTruncated)
{
    EXPECT_EQ(ZoomedInSize(GetParam().size), GetParam().zoomedIn);
    EXPECT_EQ(ZoomedOutSize(GetParam().size), GetParam().zoomedOut);
}

INSTANTIATE_TEST_SUITE_P(Sizes, ZoomStepTest,
                         ::testing::Values(ZoomStep{100, 120, 80}, ZoomStep{120, 144, 96}, ZoomStep{80, 96, 64},
                                           ZoomStep{96, 115, 77}, ZoomStep{9, 10, 8}, ZoomStep{5, 6, 4},
                                           ZoomStep{4, 4, 4}, ZoomStep{1, 1, 1}, ZoomStep{0, 0, 0},
                                           ZoomStep{257, 308, 206}, ZoomStep{245, 294, 196},
                                           ZoomStep{kMaxControlSize - 1, kMaxControlSize, 13421772},
                                           ZoomStep{kMaxControlSize, kMaxControlSize, 13421772}));

TEST(SourcePixelTest, WholePixelsAreRepeatedOrDropped)
{
    // 3 picture pixels over 7 screen pixels: 0 0 0 1 1 2 2.
    const int expected[] = {0, 0, 0, 1, 1, 2, 2};
    for (int at = 0; at < 7; ++at)
        EXPECT_EQ(SourcePixel(at, 7, 3), expected[at]) << at;
    EXPECT_EQ(SourcePixel(kMaxControlSize - 1, kMaxControlSize, 65535), 65534); // no overflow
    EXPECT_EQ(SourcePixel(3, 4, 8), 6); // shrinking drops every other pixel
}

struct NameCase {
    const char* typed;
    const char* saved;
};

class BmpNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(BmpNameTest, ExtensionIsReplacedOrAppended)
{
    EXPECT_EQ(WithBmpExtension(GetParam().typed), GetParam().saved);
}

INSTANTIATE_TEST_SUITE_P(Names, BmpNameTest,
                         ::testing::Values(NameCase{"plan", "plan.bmp"}, NameCase{"plan.png", "plan.bmp"},
                                           NameCase{"plan.bmp", "plan.bmp"}, NameCase{"a.b.c", "a.b.bmp"},
                                           NameCase{"/maps.old/plan", "/maps.old/plan.bmp"},
                                           NameCase{"maps.old/plan", "maps.old/plan.bmp"},
                                           NameCase{"/x/.hidden", "/x/.bmp"}, NameCase{"", ".bmp"}));

class ViewCommandsTest : public FormMainTest {
protected:
    void SetUp() override
    {
        FormMainTest::SetUp();
        // 100 x 80 cells, each column's entry telling it apart: x % 3 gives open, blocked, flagged.
        std::string field = MapHeaderBytes(100, 80);
        for (int x = 0; x < 100; ++x)
            for (int y = 0; y < 80; ++y)
                field += x % 3 == 0 ? CellBytes(0) : x % 3 == 1 ? CellBytes(200) : CellBytes(0, 0x80, 0x80);
        Write("Field.map", field);
        emit form_->dirlst1->DirectoryActivated(maps_.path());
    }

    QSize ImageSize() const { return form_->img1->size(); }
    void Repeat(int times, void (TFormMain::*command)())
    {
        for (int i = 0; i < times; ++i)
            form_->RunHandler([this, command] { (form_.get()->*command)(); });
    }
    // Answers the save dialog with a name, or cancels it; returns the name it started with.
    QString AnswerSaveDialog(const QString& name)
    {
        QString started;
        form_->dlgSave1->RunModal = [&](TSaveDialog& dialog) {
            started = dialog.selectedFiles().value(0);
            if (!name.isEmpty())
                dialog.selectFile(name);
            return !name.isEmpty();
        };
        form_->RunHandler([this] { form_->rtbtnBtnSaveClick(); });
        return started;
    }
    QString SavePath(const QString& name) const { return maps_.filePath(name); }
};

TEST_F(ViewCommandsTest, ZoomAndViewFollowTheControlSize)
{
    form_->rtbtnBtnViewClick(); // natural mode already: nothing changes
    EXPECT_EQ(ImageSize(), QSize(257, 245));
    form_->rtbtnBtnZoomInClick();
    EXPECT_EQ(ImageSize(), QSize(308, 294));
    EXPECT_TRUE(form_->img1->Stretch());
    EXPECT_FALSE(form_->img1->AutoSize());

    // A map loaded while zoomed is stretched into the control's size.
    ClickMap("Field.map");
    EXPECT_EQ(ImageSize(), QSize(308, 294));
    form_->rtbtnBtnViewClick();
    EXPECT_EQ(ImageSize(), QSize(100, 80));
    form_->rtbtnBtnZoomInClick();
    EXPECT_EQ(ImageSize(), QSize(120, 96));
    form_->rtbtnBtnZoomOutClick();
    EXPECT_EQ(ImageSize(), QSize(96, 77));
    Repeat(40, &TFormMain::rtbtnBtnZoomOutClick);
    EXPECT_EQ(ImageSize(), QSize(4, 4));
    Repeat(3, &TFormMain::rtbtnBtnZoomInClick);
    EXPECT_EQ(ImageSize(), QSize(4, 4)); // below 5 nothing grows
    form_->rtbtnBtnViewClick();
    EXPECT_EQ(ImageSize(), QSize(100, 80));
    EXPECT_EQ(Clean().size(), QSize(100, 80)); // zoom never touches the map copies

    // Tall and narrow: each direction steps by itself.
    Write("Narrow.map", MapHeaderBytes(3, 200));
    emit form_->dirlst1->DirectoryActivated(maps_.path());
    ClickMap("Narrow.map");
    form_->rtbtnBtnZoomInClick();
    EXPECT_EQ(ImageSize(), QSize(3, 240));
}

TEST_F(ViewCommandsTest, ViewWithoutAPictureShrinksTheControlToNothing)
{
    form_->rtbtnBtnZoomInClick();
    form_->rtbtnBtnViewClick();
    EXPECT_EQ(ImageSize(), QSize(0, 0));
    form_->rtbtnBtnZoomInClick();
    EXPECT_EQ(ImageSize(), QSize(0, 0));
    ClickMap("Harbor2.map");
    EXPECT_EQ(ImageSize(), QSize(0, 0)); // still zoomed: the map is stretched into nothing
    form_->rtbtnBtnViewClick();
    EXPECT_EQ(ImageSize(), QSize(3, 2));
}

TEST_F(ViewCommandsTest, TwoHundredZoomInClicksStopAtTheLargestControl)
{
    ClickMap("Field.map");
    for (int i = 0; i < 200; ++i)
        form_->rtbtnBtnZoomIn->click();
    EXPECT_EQ(ImageSize(), QSize(kMaxControlSize, kMaxControlSize));
    QApplication::processEvents();
    form_->sb1->verticalScrollBar()->setValue(form_->sb1->verticalScrollBar()->maximum());
    QApplication::processEvents();
    // Column 98 (flagged) covers a hundredth of the control, from 98 % of its width.
    const QImage corner = form_->img1->grab(QRect(kMaxControlSize / 100 * 98 + 100, kMaxControlSize - 20, 20, 20)).toImage();
    EXPECT_EQ(corner.pixel(0, 0), qRgb(0, 0, 255));
    EXPECT_EQ(corner.pixel(19, 19), qRgb(0, 0, 255));
    form_->rtbtnBtnView->click();
    EXPECT_EQ(ImageSize(), QSize(100, 80));
}

TEST_F(ViewCommandsTest, AZoomedMapPaintsTheCellsUnderTheExposedArea)
{
    ClickMap("Field.map");
    Repeat(20, &TFormMain::rtbtnBtnZoomInClick);
    const QSize size = ImageSize();
    ASSERT_GT(size.width(), 3000);
    const QRect exposed(1234, 567, 60, 30);
    const QImage shown = form_->img1->grab(exposed).toImage();
    const QRgb entryColor[] = {qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(0, 0, 255)};
    for (int y = 0; y < exposed.height(); ++y) {
        for (int x = 0; x < exposed.width(); ++x) {
            const int cellX = SourcePixel(exposed.x() + x, size.width(), 100);
            ASSERT_EQ(shown.pixel(x, y), entryColor[cellX % 3]) << x << "," << y;
        }
    }
}

TEST_F(ViewCommandsTest, SaveWritesTheNaturalSizeBitmapUnderABmpName)
{
    ClickMap("Field.map");
    Repeat(3, &TFormMain::rtbtnBtnZoomInClick);
    AnswerSaveDialog(SavePath("plan.png"));
    const QImage saved(SavePath("plan.bmp"));
    ASSERT_EQ(saved.size(), QSize(100, 80));
    EXPECT_EQ(saved.pixel(1, 79), qRgb(255, 0, 0));
    EXPECT_FALSE(QFile::exists(SavePath("plan.png")));
    EXPECT_EQ(ImageSize(), QSize(172, 138)); // the view stays as it was

    // The dialog starts with the name confirmed last time, before its extension changed.
    EXPECT_EQ(AnswerSaveDialog(""), SavePath("plan.png"));
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(ViewCommandsTest, CancellingOrSavingWithoutAMapWritesNothingOrAnEmptyFile)
{
    AnswerSaveDialog("");
    EXPECT_EQ(QDir(maps_.path()).entryList({"*.bmp"}, QDir::Files), QStringList());
    AnswerSaveDialog(SavePath("nothing"));
    EXPECT_EQ(Contents(SavePath("nothing.bmp")), QByteArray());
}

TEST_F(ViewCommandsTest, AFileThatCannotBeCreatedIsReported)
{
    ClickMap("Harbor2.map");
    AnswerSaveDialog(SavePath("no-such-folder/plan"));
    ASSERT_EQ(boxes_.size(), 1u);
    const QString path = SavePath("no-such-folder/plan.bmp");
    EXPECT_EQ(boxes_[0].text, "Cannot create file \"" + QDir::toNativeSeparators(path) + "\". " +
                                  SystemReason(path, QIODevice::WriteOnly) + ".");
}

#ifndef _WIN32
TEST_F(ViewCommandsTest, AFailedWriteKeepsTheEarlierFileAndLeavesNoPartialOne)
{
    ClickMap("Field.map");
    Write("plan.bmp", "earlier picture");
    // A file size limit makes every write past 4 KiB fail, as a full disk does.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    getrlimit(RLIMIT_FSIZE, &previous);
    const rlimit small{4096, previous.rlim_max};
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    AnswerSaveDialog(SavePath("plan.bmp"));
    setrlimit(RLIMIT_FSIZE, &previous);

    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, "Stream write error.");
    EXPECT_EQ(Contents(SavePath("plan.bmp")), "earlier picture");
    EXPECT_EQ(QDir(maps_.path()).entryList(QDir::Files | QDir::Hidden).filter("plan"), QStringList{"plan.bmp"});
}
#endif

// Pins the bytes of the 4-bit BMP files, so a change of Qt cannot alter them unseen.
TEST(BitmapFileTest, FourBitFilesHaveTheseBytes)
{
    QTemporaryDir folder;
    for (int width = 1; width <= 9; ++width) {
        SCOPED_TRACE("width " + std::to_string(width));
        IndexedImage image(width, 3);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < width; ++x)
                image.SetPixel(x, y, std::uint8_t((x + 5 * y) % 16));
        const QString path = folder.filePath(QString("w%1.bmp").arg(width));
        SaveBitmapFile(ToQImage(std::move(image)), path);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        auto u16 = [&](int at) { return quint8(bytes[at]) | quint8(bytes[at + 1]) << 8; };
        auto u32 = [&](int at) { return quint32(u16(at)) | quint32(u16(at + 2)) << 16; };

        const int rowBytes = ((width + 1) / 2 + 3) / 4 * 4;
        ASSERT_EQ(bytes.size(), 14 + 40 + 64 + 3 * rowBytes);
        EXPECT_EQ(bytes.left(2), "BM");
        EXPECT_EQ(u32(2), quint32(bytes.size()));
        EXPECT_EQ(u32(6), 0u);
        EXPECT_EQ(u32(10), 118u);
        EXPECT_EQ(u32(14), 40u);
        EXPECT_EQ(u32(18), quint32(width));
        EXPECT_EQ(u32(22), 3u); // positive: rows bottom-up
        EXPECT_EQ(u16(26), 1);
        EXPECT_EQ(u16(28), 4);
        EXPECT_EQ(u32(30), 0u);
        EXPECT_EQ(u32(34), quint32(3 * rowBytes));
        EXPECT_EQ(u32(38), 3780u); // 96 dots per inch
        EXPECT_EQ(u32(42), 3780u);
        EXPECT_EQ(u32(46), 16u);
        EXPECT_EQ(u32(50), 16u);
        for (int entry = 0; entry < 16; ++entry) {
            const Rgb colour = kColorTable[std::size_t(entry)];
            EXPECT_EQ(bytes.mid(54 + 4 * entry, 4), Bytes({colour.blue, colour.green, colour.red, 0}));
        }
        for (int row = 0; row < 3; ++row) {
            const int y = 2 - row;
            QByteArray expected(rowBytes, '\0');
            for (int x = 0; x < width; ++x)
                expected[x / 2] = char(expected[x / 2] | (((x + 5 * y) % 16) << (x % 2 ? 0 : 4)));
            EXPECT_EQ(bytes.mid(118 + row * rowBytes, rowBytes).toHex(), expected.toHex()) << "row " << row;
        }
    }
}

#ifndef _WIN32 // ImageMagick and the Qt-drawn About box are tools of the Linux build
TEST(BitmapFileTest, ImageMagickReadsBackTheSamePixels)
{
    QTemporaryDir folder;
    IndexedImage image(7, 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            image.SetPixel(x, y, std::uint8_t((x * 3 + y) % 16));
    const QString path = folder.filePath("plan.bmp");
    SaveBitmapFile(ToQImage(image), path);

    QProcess convert;
    convert.start("convert", {path, "-depth", "8", "rgb:-"});
    ASSERT_TRUE(convert.waitForFinished(20000)) << "ImageMagick's convert is needed";
    const QByteArray rgb = convert.readAllStandardOutput();
    ASSERT_EQ(rgb.size(), 7 * 5 * 3) << convert.readAllStandardError().toStdString();
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 7; ++x) {
            const Rgb colour = kColorTable[image.Pixel(x, y)];
            const int at = (y * 7 + x) * 3;
            EXPECT_EQ(rgb.mid(at, 3), Bytes({colour.red, colour.green, colour.blue}))
                << x << "," << y;
        }
    }
}

TEST_F(ViewCommandsTest, AboutShowsTheApplicationTextAndIcon)
{
    form_->rtbtnBtnContextHelp->click();
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].caption, QStringLiteral("Tarvex1.8地图查看器！"));
    EXPECT_TRUE(boxes_[0].text.startsWith(QStringLiteral("Tarvex1.8地图查看器！\n")));
    EXPECT_TRUE(boxes_[0].text.endsWith(QString::fromUtf8(kAboutCredit)));
    EXPECT_FALSE(boxes_[0].iconPixmap.isNull());
}

#endif

TEST_F(ViewCommandsTest, ExitClosesTheWindow)
{
    form_->rtbtnBtnExit->click();
    EXPECT_FALSE(form_->isVisible());
    EXPECT_TRUE(boxes_.empty());
}

} // namespace
