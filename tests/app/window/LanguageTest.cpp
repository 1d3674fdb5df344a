// The window in each language: Chinese by default with the fixed labels as
// they have always read, English on request, and the help listing every
// command the window has.

#include "app/shared/WindowStyle.h"
#include "app/window/HelpWindow.h"
#include "app/window/Language.h"
#include "app/window/MainWindow.h"
#include "app/window/MapMenu.h"
#include "track/TrackingFile.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QToolButton>
#include <QTreeView>

#include <gtest/gtest.h>

#include <memory>

namespace {

bool HasChinese(const QString& text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() >= 0x4E00 && c.unicode() <= 0x9FFF; });
}

class LanguageTest : public ::testing::Test {
protected:
    std::unique_ptr<MainWindow> OpenWindow(Language language)
    {
        language_ = std::make_unique<LanguageInUse>(language);
        return std::make_unique<MainWindow>(folder_.filePath("MapInfo.txt"), folder_.path());
    }

    template <typename Control>
    static QString TextOf(const MainWindow& window, const char* name)
    {
        const auto* control = window.findChild<Control*>(QLatin1String(name));
        return control ? control->text() : QStringLiteral("<missing %1>").arg(QLatin1String(name));
    }

    static QString HeaderOf(const MainWindow& window, int column)
    {
        const auto* list = window.findChild<QTreeView*>(QStringLiteral("lv1"));
        return list->model()->headerData(column, Qt::Horizontal).toString();
    }

    static HelpWindow* OpenHelp(MainWindow& window)
    {
        for (QAction* command : window.actions())
            if (command->shortcut() == QKeySequence(Qt::SHIFT | Qt::Key_F1))
                command->trigger();
        return window.findChild<HelpWindow*>();
    }

    QTemporaryDir folder_;
    std::unique_ptr<LanguageInUse> language_;
};

TEST(LanguageNamedTest, OnlyTheLanguagesThereAre)
{
    EXPECT_EQ(LanguageNamed("zh"), Language::Chinese);
    EXPECT_EQ(LanguageNamed("en"), Language::English);
    for (const char* name : {"", "EN", "fr", "zh_CN", " en"})
        EXPECT_EQ(LanguageNamed(name), std::nullopt) << name;
}

TEST_F(LanguageTest, ChineseKeepsTheFixedTextsAsTheyWereAndTranslatesTheRest)
{
    const auto window = OpenWindow(Language::Chinese);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Tarvex1.8地图查看器"));
    EXPECT_EQ(ApplicationTitle(), QStringLiteral("Tarvex1.8地图查看器")); // the failure box's caption
    EXPECT_EQ(AboutTitle(), QStringLiteral("Tarvex1.8地图查看器！"));
    EXPECT_EQ(TextOf<QLabel>(*window, "lbl1"), QStringLiteral("内存地址:"));
    EXPECT_EQ(TextOf<QCheckBox>(*window, "chk1"), QStringLiteral("读取坐标"));
    EXPECT_EQ(HeaderOf(*window, 0), QStringLiteral("进程"));
    EXPECT_EQ(HeaderOf(*window, 1), QStringLiteral("PID"));
    // The places made for the Chinese labels are kept.
    EXPECT_EQ(window->findChild<QLabel*>("lbl1")->geometry(), QRect(219, 8, 54, 12));
    EXPECT_EQ(window->findChild<QLineEdit*>("edt1")->geometry(), QRect(273, 4, 121, 20));
    EXPECT_EQ(window->findChild<QCheckBox*>("chk1")->geometry(), QRect(394, 6, 97, 17));
    // The toolbar's captions stay English.
    EXPECT_EQ(window->findChild<QToolButton*>("rtbtnBtnZoomIn")->defaultAction()->iconText(), "Zoom In");
    EXPECT_EQ(window->findChild<QToolButton*>("rtbtnBtnExit")->defaultAction()->iconText(), "Exit");
    for (const QAction* command : window->actions()) {
        EXPECT_TRUE(HasChinese(command->text())) << command->text().toStdString();
        EXPECT_TRUE(command->toolTip().isEmpty() || HasChinese(command->toolTip())) << command->toolTip().toStdString();
    }
    for (const QString& name : CellCommandNames())
        EXPECT_TRUE(HasChinese(name)) << name.toStdString();
}

TEST_F(LanguageTest, TheSentencesOfTheCodeWithoutQtFollowTheLanguage)
{
    const auto inChinese = [] { return QString::fromStdString(ParseTrackingFile("path=a.exe+1").failure); };
    {
        const LanguageInUse chinese(Language::Chinese);
        EXPECT_EQ(inChinese(), QStringLiteral("跟踪文件没有写明程序 (一行 \"program=Client.exe\")。"));
        EXPECT_EQ(QString::fromStdString(ParseTrackingFile("program=a.exe\npath=a.exe").failure),
                  QStringLiteral("跟踪文件中的路径有误: 指针路径以模块和偏移开头, 例如 \"Client.exe+1A2B3C\"。"));
    }
    EXPECT_EQ(inChinese(), "The tracking file names no program (a line \"program=Client.exe\").");
}

TEST_F(LanguageTest, EnglishShowsEveryLabelInEnglishWithRoomForIt)
{
    const auto window = OpenWindow(Language::English);
    EXPECT_EQ(window->windowTitle(), "Tarvex 1.8 map viewer");
    EXPECT_EQ(AboutTitle(), "Tarvex 1.8 map viewer!");
    EXPECT_EQ(TextOf<QLabel>(*window, "lbl1"), "Memory address:");
    EXPECT_EQ(TextOf<QCheckBox>(*window, "chk1"), "Read coordinates");
    EXPECT_EQ(HeaderOf(*window, 0), "Process");
    const auto* label = window->findChild<QLabel*>("lbl1");
    const auto* box = window->findChild<QCheckBox*>("chk1");
    EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text()));
    EXPECT_GE(window->findChild<QLineEdit*>("edt1")->x(), label->geometry().right());
    EXPECT_GE(box->width(), box->sizeHint().width());
    for (const QAction* command : window->actions())
        EXPECT_FALSE(HasChinese(command->text() + command->toolTip())) << command->text().toStdString();
}

TEST_F(LanguageTest, TheHelpListsEveryCommandWithItsKeysInEitherLanguage)
{
    for (Language language : {Language::English, Language::Chinese}) {
        const auto window = OpenWindow(language);
        HelpWindow* help = OpenHelp(*window);
        ASSERT_NE(help, nullptr);
        EXPECT_TRUE(help->isVisible());
        const QString text = help->text();
        for (const QAction* command : window->actions()) {
            EXPECT_TRUE(text.contains(command->text().remove(QLatin1String("...")))) << command->text().toStdString();
            for (const QKeySequence& keys : command->shortcuts())
                EXPECT_TRUE(text.contains(keys.toString(QKeySequence::NativeText))) << keys.toString().toStdString();
        }
        for (const QString& name : CellCommandNames())
            EXPECT_TRUE(text.contains(name)) << name.toStdString();
        EXPECT_TRUE(text.contains(language == Language::English ? "Read coordinates" : QStringLiteral("读取坐标")));
        // Esc ends measuring, though only while there is a measure to end.
        const QString endMeasuring = language == Language::English ? "End Measuring" : QStringLiteral("结束测量");
        const QString endMeasuringRow = text.mid(text.indexOf(endMeasuring)).section('\n', 0, 1); // its name and keys
        EXPECT_TRUE(endMeasuringRow.contains("Esc")) << endMeasuringRow.toStdString();
        EXPECT_EQ(HasChinese(text), language == Language::Chinese);
    }
}

// The guide to following the player names the commands it needs with the
// keys they have, not the keys they had when it was written.
TEST_F(LanguageTest, TheGuideNamesTheFindAndFollowCommandsWithTheirKeys)
{
    const auto window = OpenWindow(Language::English);
    for (QAction* command : window->actions())
        if (command->text() == QLatin1String("Follow the Player"))
            command->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_9));
    const QString text = OpenHelp(*window)->text();
    const QString guide = text.mid(text.indexOf(QLatin1String("How to follow the player")));
    EXPECT_TRUE(guide.contains(QStringLiteral("\"Find the Player's Address...\" (%1)")
                                   .arg(QKeySequence(QKeySequence::Find).toString(QKeySequence::NativeText))))
        << guide.toStdString();
    EXPECT_TRUE(guide.contains(QStringLiteral("\"Follow the Player\" (%1) pauses")
                                   .arg(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_9).toString(QKeySequence::NativeText))))
        << guide.toStdString();
}

} // namespace
