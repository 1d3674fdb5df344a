#include "app/window/MainToolBar.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QToolButton>

#include <algorithm>

namespace {

// An etched line: a shadow line with a light line beside it.
void DrawGroove(QPainter& painter, const QPalette& palette, QPoint from, QPoint to, QPoint besideStep)
{
    painter.setPen(palette.color(QPalette::Mid));
    painter.drawLine(from, to);
    painter.setPen(palette.color(QPalette::Light));
    painter.drawLine(from + besideStep, to + besideStep);
}

// "Zoom In (Ctrl++)": the command and its first shortcut.
QString ToolTipOf(const QAction* command)
{
    const QString name = CommandName(*command);
    const QKeySequence shortcut = command->shortcut();
    if (shortcut.isEmpty())
        return name;
    return QStringLiteral("%1 (%2)").arg(name, shortcut.toString(QKeySequence::NativeText));
}

} // namespace

QString CommandName(const QAction& command)
{
    QString name = command.text();
    if (name.endsWith(QLatin1String("...")))
        name.chop(3);
    return name;
}

MainToolBar::MainToolBar(const ToolBarCommands& commands, QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("rtr1"));
    setFixedHeight(29);
    addButton("rtbBtnBtnExecute", 4, "Execute", commands.processList);
    addSeparator("Rsp1", 29, true);
    addButton("rtbtnBtnZoomIn", 37, "Zoom In", commands.zoomIn);
    addButton("rtbtnBtnZoomOut", 62, "Zoom Out", commands.zoomOut);
    addButton("rtbtnBtnView", 87, "View", commands.naturalSize);
    addSeparator("rtRs1", 112, true);
    addButton("rtbtnBtnSave", 120, "Save", commands.save);
    addSeparator("rtRs2", 145, true);
    addButton("rtbtnBtnContextHelp", 153, "Context Help", commands.about);
    addSeparator("rtRs3", 178, true);
    addButton("rtbtnBtnExit", 186, "Exit", commands.exit);
    addSeparator("Rsp2", 211, false);

    auto* addressLabel = new QLabel(tr("Memory address:"), this);
    addressLabel->setObjectName(QStringLiteral("lbl1"));
    // The English labels are wider than the Chinese the places were made for.
    const int labelExtra = std::max(0, addressLabel->fontMetrics().horizontalAdvance(addressLabel->text()) - 54);
    addressLabel->setGeometry(219, 8, 54 + labelExtra, 12);
    addressEdit_ = new QLineEdit(this);
    addressEdit_->setObjectName(QStringLiteral("edt1"));
    addressEdit_->setGeometry(273 + labelExtra, 4, 121, 20);
    addressLabel->setBuddy(addressEdit_);
    trackingBox_ = new QCheckBox(tr("Read coordinates"), this);
    trackingBox_->setObjectName(QStringLiteral("chk1"));
    trackingBox_->setGeometry(394 + labelExtra, 6, std::max(97, trackingBox_->sizeHint().width()), 17);
    connect(addressEdit_, &QLineEdit::textChanged, this, &MainToolBar::addressTextChanged);
    addressEdit_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(addressEdit_, &QLineEdit::customContextMenuRequested, this, [this](QPoint at) {
        QMenu* menu = addressEdit_->createStandardContextMenu();
        menu->addSeparator();
        menu->addActions(addressMenuCommands_);
        menu->exec(addressEdit_->mapToGlobal(at));
        delete menu;
    });
    connect(trackingBox_, &QCheckBox::clicked, this, &MainToolBar::trackingClicked);
}

void MainToolBar::setTrackingNote(const QString& note)
{
    trackingBox_->setToolTip(note);
}

QString MainToolBar::addressText() const
{
    return addressEdit_->text();
}

void MainToolBar::useAddress(const QString& address)
{
    addressEdit_->setText(address);
    if (!trackingBox_->isChecked())
        trackingBox_->click();
}

void MainToolBar::addAddressMenuCommand(QAction* command)
{
    addressMenuCommands_.append(command);
}

void MainToolBar::addButton(const char* name, int left, const char* caption, QAction* command)
{
    auto* button = new QToolButton(this);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(left, 2, 25, 25);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    button->setIconSize(QSize(16, 16));
    command->setIconText(QLatin1String(caption)); // the button's caption; menus show the command's text
    button->setDefaultAction(command);
    command->setToolTip(ToolTipOf(command));
}

void MainToolBar::addSeparator(const char* name, int left, bool grooved)
{
    auto* separator = new ToolBarSeparator(grooved, this);
    separator->setObjectName(QLatin1String(name));
    separator->move(left, 2);
}

void MainToolBar::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    QPainter painter(this);
    DrawGroove(painter, palette(), QPoint(0, 0), QPoint(width() - 1, 0), QPoint(0, 1));
}

ToolBarSeparator::ToolBarSeparator(bool grooved, QWidget* parent) : QWidget(parent), grooved_(grooved)
{
    setFixedSize(8, 25);
}

void ToolBarSeparator::paintEvent(QPaintEvent*)
{
    if (!grooved_)
        return;
    QPainter painter(this);
    const int middle = width() / 2 - 1;
    DrawGroove(painter, palette(), QPoint(middle, 1), QPoint(middle, height() - 2), QPoint(1, 0));
}
