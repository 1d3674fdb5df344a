#include "UnitFormMain.h"

#include "AboutBox.h"
#include "BitmapFile.h"
#include "ImageScaling.h"
#include "MapLinks.h"
#include "MapReader.h"
#include "PlayerMarker.h"
#include "ProcessList.h"
#include "Tracker.h"
#include "QtConversions.h"
#include "TDirectoryListBox.h"
#include "TDriveComboBox.h"
#include "TFileListBox.h"
#include "TImage.h"
#include "TSaveDialog.h"
#include "TSplitter.h"
#include "TToolbar.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <stdexcept>

const char kApplicationTitle[] = "Tarvex1.8地图查看器";
const char kAboutCredit[] = "由玩家为玩家制作的地图查看器。";

namespace {

// "宋体" where it exists, otherwise a face with Chinese glyphs; 12 pixels high.
QFont WindowFont()
{
    QString family = QStringLiteral("宋体");
    const QStringList families = QFontDatabase::families();
    if (!families.contains(family)) {
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

// A layout whose controls touch each other and the owner's edges.
template <typename Layout>
Layout* TightLayout(QWidget* owner)
{
    auto* layout = new Layout(owner);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    return layout;
}

} // namespace

QString FailureBoxText(const QString& message)
{
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}

TFormMain::TFormMain(QWidget* parent)
    : QWidget(parent), ExecMessageBox([](QMessageBox& box) { box.exec(); })
{
    setWindowTitle(QString::fromUtf8(kApplicationTitle));
    QIcon icon(QStringLiteral(":/icons/tarvex-32.xpm"));
    icon.addFile(QStringLiteral(":/icons/tarvex-16.xpm"));
    setWindowIcon(icon);
    setFont(WindowFont());
    resize(688, 582);

    auto* layout = TightLayout<QVBoxLayout>(this);
    BuildToolbar();
    layout->addWidget(rtr1);
    auto* middle = new QWidget(this);
    auto* row = TightLayout<QHBoxLayout>(middle);
    row->addWidget(BuildLeftPanel(middle));
    BuildMapArea(middle);
    row->addWidget(sb1, 1);
    layout->addWidget(middle, 1);
    BuildBottom();
    spl2 = new TSplitter(mmo1, TSplitter::Side::Below, middle, this);
    layout->addWidget(spl2);
    layout->addWidget(mmo1);

    dlgSave1 = new TSaveDialog(this);
    tmr1 = new QTimer(this);
    tmr1->setInterval(1000);
    connect(tmr1, &QTimer::timeout, this, [this] { RunHandler([this] { tmr1Timer(); }); });

    ConnectBrowser();
    SetTabOrder();
    FormCreate();
}

TFormMain::~TFormMain()
{
    FormDestroy();
}

void TFormMain::BuildToolbar()
{
    rtr1 = new TToolbar(this);
    rtr1->setFixedHeight(29);
    rtbBtnBtnExecute = AddToolButton(4, "Execute", "execute", &TFormMain::rtbBtnBtnExecuteClick);
    Rsp1 = AddSpacer(29, true);
    rtbtnBtnZoomIn = AddToolButton(37, "Zoom In", "zoom-in", &TFormMain::rtbtnBtnZoomInClick);
    rtbtnBtnZoomOut = AddToolButton(62, "Zoom Out", "zoom-out", &TFormMain::rtbtnBtnZoomOutClick);
    rtbtnBtnView = AddToolButton(87, "View", "view", &TFormMain::rtbtnBtnViewClick);
    rtRs1 = AddSpacer(112, true);
    rtbtnBtnSave = AddToolButton(120, "Save", "save", &TFormMain::rtbtnBtnSaveClick);
    rtRs2 = AddSpacer(145, true);
    rtbtnBtnContextHelp = AddToolButton(153, "Context Help", "context-help", &TFormMain::rtbtnBtnContextHelpClick);
    rtRs3 = AddSpacer(178, true);
    rtbtnBtnExit = AddToolButton(186, "Exit", "exit", &TFormMain::rtbtnBtnExitClick);
    Rsp2 = AddSpacer(211, false);

    lbl1 = new QLabel(QStringLiteral("内存地址:"), rtr1);
    lbl1->setGeometry(219, 8, 54, 12);
    edt1 = new QLineEdit(rtr1);
    edt1->setGeometry(273, 4, 121, 20);
    chk1 = new QCheckBox(QStringLiteral("读取坐标"), rtr1);
    chk1->setGeometry(394, 6, 97, 17);
    connect(chk1, &QCheckBox::clicked, this, [this] { RunHandler([this] { chk1Click(); }); });
}

QToolButton* TFormMain::AddToolButton(int left, const char* caption, const char* icon, void (TFormMain::*handler)())
{
    auto* button = new QToolButton(rtr1);
    button->setGeometry(left, 2, 25, 25);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    button->setText(QString::fromLatin1(caption));
    button->setIconSize(QSize(16, 16));
    button->setIcon(QIcon(QStringLiteral(":/icons/%1.xpm").arg(QLatin1String(icon))));
    connect(button, &QToolButton::clicked, this, [this, handler] { RunHandler([this, handler] { (this->*handler)(); }); });
    return button;
}

TSpacer* TFormMain::AddSpacer(int left, bool grooved)
{
    auto* spacer = new TSpacer(grooved, rtr1);
    spacer->move(left, 2);
    return spacer;
}

QFrame* TFormMain::BuildLeftPanel(QWidget* parent)
{
    pnl1 = new QFrame(parent);
    pnl1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pnl1->setLineWidth(1);
    pnl1->setFixedWidth(177);
    auto* column = TightLayout<QVBoxLayout>(pnl1);

    pnl2 = new QFrame(pnl1);
    pnl2->setFrameStyle(QFrame::Panel | QFrame::Raised);
    pnl2->setFixedHeight(24);
    drvcbb1 = new TDriveComboBox(pnl2);
    drvcbb1->setGeometry(4, 4, 145, 18);
    column->addWidget(pnl2);

    dirlst1 = new TDirectoryListBox(pnl1);
    dirlst1->setFixedHeight(124);
    column->addWidget(dirlst1);

    fllst1 = new TFileListBox(pnl1);
    fllst1->setMinimumHeight(1);
    spl1 = new TSplitter(dirlst1, TSplitter::Side::Above, fllst1, pnl1);
    column->addWidget(spl1);
    column->addWidget(fllst1, 1);

    lv1 = new QTreeWidget(pnl1);
    lv1->setFixedHeight(150);
    lv1->setHeaderLabels({QStringLiteral("进程"), QStringLiteral("PID")});
    lv1->setColumnWidth(0, 120);
    lv1->setColumnWidth(1, 50);
    lv1->setRootIsDecorated(false);
    lv1->header()->setStretchLastSection(false);
    lv1->setSelectionMode(QAbstractItemView::SingleSelection);
    lv1->setSelectionBehavior(QAbstractItemView::SelectRows);
    lv1->setAllColumnsShowFocus(true);
    lv1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    QPalette unfocused = lv1->palette(); // the selection shows only while the list has the focus
    unfocused.setColor(QPalette::Inactive, QPalette::Highlight, unfocused.color(QPalette::Inactive, QPalette::Base));
    unfocused.setColor(QPalette::Inactive, QPalette::HighlightedText, unfocused.color(QPalette::Inactive, QPalette::Text));
    lv1->setPalette(unfocused);
    spl3 = new TSplitter(lv1, TSplitter::Side::Below, fllst1, pnl1);
    column->addWidget(spl3);
    column->addWidget(lv1);
    return pnl1;
}

void TFormMain::BuildMapArea(QWidget* parent)
{
    sb1 = new QScrollArea(parent);
    sb1->setFocusPolicy(Qt::NoFocus);
    sb1->setWidgetResizable(false);
    sb1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QPalette black = sb1->palette();
    black.setColor(QPalette::Window, Qt::black);
    sb1->viewport()->setPalette(black);
    sb1->viewport()->setAutoFillBackground(true);
    img1 = new TImage;
    img1->resize(257, 245);
    sb1->setWidget(img1);
    img1->setAutoFillBackground(false); // what the picture leaves free stays black
}

void TFormMain::BuildBottom()
{
    mmo1 = new QPlainTextEdit(this);
    mmo1->setFixedHeight(122);
    mmo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    mmo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    mmo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    mmo1->setTabChangesFocus(true);
    mmo1->setTabStopDistance(8 * mmo1->fontMetrics().averageCharWidth()); // eight characters
}

void TFormMain::ConnectBrowser()
{
    connect(drvcbb1, &TDriveComboBox::DriveChosen, this,
            [this](const QString& root) { RunHandler([this, root] { EnterDirectory(root); }); });
    connect(dirlst1, &TDirectoryListBox::DirectoryActivated, this,
            [this](const QString& directory) { RunHandler([this, directory] { EnterDirectory(directory); }); });
    connect(fllst1, &TFileListBox::Click, this, [this] { RunHandler([this] { fllst1Click(); }); });
    RunHandler([this] { EnterDirectory(QDir::currentPath()); });
}

void TFormMain::SetTabOrder()
{
    QWidget* order[] = {fllst1, dirlst1, drvcbb1, lv1, mmo1, edt1, chk1};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

// The directory list, the file list and the drive selector follow the
// directory; if it cannot be entered, all keep what they showed.
void TFormMain::EnterDirectory(const QString& directory)
{
    dirlst1->SetDirectory(directory);
    fllst1->SetDirectory(dirlst1->Directory());
    drvcbb1->ShowDriveOf(dirlst1->Directory());
}

void TFormMain::RunHandler(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const std::bad_alloc&) {
        ShowFailure(QString::fromLatin1(kOutOfSystemResources));
    } catch (const std::exception& failure) {
        ShowFailure(QString::fromUtf8(failure.what()));
    }
}

// While a failure box is open, failures of timer ticks that arrive
// meanwhile are dropped rather than stacked on it.
void TFormMain::ShowFailure(const QString& message)
{
    if (FFailureBoxOpen)
        return;
    QMessageBox box(QMessageBox::Critical, QString::fromUtf8(kApplicationTitle), FailureBoxText(message),
                    QMessageBox::Ok, this);
    FFailureBoxOpen = true;
    ExecMessageBox(box);
    FFailureBoxOpen = false;
}

void TFormMain::FormCreate()
{
    FCleanBitmap = QImage();
}

void TFormMain::FormDestroy()
{
    FCleanBitmap = QImage();
}

void TFormMain::fllst1Click()
{
    QListWidgetItem* selected = fllst1->currentItem();
    if (!selected || !selected->isSelected())
        throw std::runtime_error("List index out of bounds (-1)");
    QImage bitmap;
    LoadMapFile(fllst1->Directory() + QLatin1Char('/') + selected->text(), bitmap);
    img1->SetPicture(bitmap);
    FCleanBitmap = bitmap; // shares the pixels until either is drawn on
}

void TFormMain::LoadMapFile(const QString& path, QImage& bitmap)
{
    std::optional<MapLoad> load = ReadMapFile(ToFilesystemPath(path));
    if (!load)
        return;
    FMapHeader = load->header;
    FMapWidth = FMapHeader.Width();
    FMapHeight = FMapHeader.Height();
    FMatrix = std::move(load->matrix);
    FReadPos = load->endOfCells;
    FCell = load->lastCell;
    if (FMapWidth > 0 && FMapHeight > 0)
        FCellFlag = FCell.BlockingValue();
    ShowMapLinks(path);
    bitmap = ToQImage(std::move(load->image));
}

void TFormMain::ShowMapLinks(const QString& mapFilePath)
{
    const QString infoPath = QCoreApplication::applicationDirPath() + QLatin1Char('/') + QLatin1String(kMapInfoFileName);
    QFile file(infoPath);
    if (!file.open(QIODevice::ReadOnly))
        throw FileFailure("open", infoPath, file.errorString());
    const QByteArray mapInfo = file.readAll();
    const std::string mapName = MapNameOf(ToGbk(QFileInfo(mapFilePath).fileName()).toStdString());
    QStringList lines;
    for (std::string_view line : MatchMapLinks(std::string_view(mapInfo.constData(), std::size_t(mapInfo.size())), mapName))
        lines.append(FromGbk(line));
    mmo1->setPlainText(lines.join(QLatin1Char('\n')));
}

void TFormMain::rtbtnBtnZoomInClick()
{
    img1->SetAutoSize(false);
    img1->SetStretch(true);
    img1->resize(ZoomedInSize(img1->width()), ZoomedInSize(img1->height()));
}

void TFormMain::rtbtnBtnZoomOutClick()
{
    img1->SetAutoSize(false);
    img1->SetStretch(true);
    img1->resize(ZoomedOutSize(img1->width()), ZoomedOutSize(img1->height()));
}

void TFormMain::rtbtnBtnViewClick()
{
    img1->SetStretch(false);
    img1->SetAutoSize(true);
}

void TFormMain::rtbtnBtnSaveClick()
{
    if (dlgSave1->Execute())
        SaveBitmapFile(img1->Picture(), WithBmpExtension(dlgSave1->FileName()));
}

void TFormMain::rtbtnBtnContextHelpClick()
{
    ShowAboutBox(this, QStringLiteral("%1！").arg(QString::fromUtf8(kApplicationTitle)), QString::fromUtf8(kAboutCredit),
                 ExecMessageBox);
}

void TFormMain::rtbtnBtnExitClick()
{
    close();
}

void TFormMain::rtbBtnBtnExecuteClick()
{
    RefreshProcessList();
}

void TFormMain::RefreshProcessList()
{
    lv1->clear();
    for (const ProcessEntry& process : SnapshotProcesses()) {
        new QTreeWidgetItem(lv1, {QString::fromLocal8Bit(process.exeFile.c_str()),
                                  QString::number(process.processId)});
    }
    if (lv1->topLevelItemCount() > 0)
        lv1->topLevelItem(0)->setSelected(true); // the focused row stays as it is
}

void TFormMain::chk1Click()
{
    if (!chk1->isChecked()) {
        tmr1->stop();
        return;
    }
    tmr1->start();
    if (!tmr1->isActive())
        throw std::runtime_error("Not enough timers available");
}

void TFormMain::tmr1Timer()
{
    QImage bitmap = img1->Picture();
    DrawPlayerMarker(bitmap);
    img1->SetPicture(bitmap);
}

void TFormMain::DrawPlayerMarker(QImage& bitmap)
{
    const QList<QTreeWidgetItem*> selected = lv1->selectedItems();
    if (selected.isEmpty())
        return;
    const QString processText = selected.first()->text(1);
    const std::optional<std::int32_t> processId = ParseDecimalInteger(processText.toStdString());
    if (!processId)
        throw std::runtime_error(NotAValidInteger(processText.toStdString()));
    PlayerPosition position;
    {
        const ProcessMemory memory(*processId);
        const std::string addressText = "$" + edt1->text().toStdString();
        const std::optional<std::uint32_t> address = ParseHexAddress(addressText);
        if (!address)
            throw std::runtime_error(NotAValidInteger(addressText));
        position = ReadPlayerPosition(memory, *address);
    }
    bitmap = FCleanBitmap;
    DrawPlayerMarkerAt(bitmap, position.x - 5, position.y - 5);
    setWindowTitle(QStringLiteral("%1:%2").arg(position.x).arg(position.y));
}
