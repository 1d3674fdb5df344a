#pragma once
// The main window: every control, its handlers and the map state.

#include "MapFormat.h"

#include <QImage>
#include <QWidget>

#include <cstdint>
#include <functional>

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMessageBox;
class QPlainTextEdit;
class QScrollArea;
class QTimer;
class QToolButton;
class QTreeWidget;
class TDirectoryListBox;
class TDriveComboBox;
class TFileListBox;
class TImage;
class TSpacer;
class TSaveDialog;
class TSplitter;
class TToolbar;

extern const char kApplicationTitle[];
extern const char kAboutCredit[];

// The failure box text: the message, with "." added when its last character
// sorts after ".".
QString FailureBoxText(const QString& message);

class TFormMain : public QWidget {
    Q_OBJECT
public:
    explicit TFormMain(QWidget* parent = nullptr);
    ~TFormMain() override;

    // Controls, owned through their Qt parents.
    QScrollArea* sb1;
    TImage* img1;
    QFrame* pnl1;
    TFileListBox* fllst1;
    TDirectoryListBox* dirlst1;
    QFrame* pnl2;
    TDriveComboBox* drvcbb1;
    TSplitter* spl1;
    QPlainTextEdit* mmo1;
    TSplitter* spl2;
    TToolbar* rtr1;
    QToolButton* rtbtnBtnZoomIn;
    QToolButton* rtbtnBtnZoomOut;
    QToolButton* rtbtnBtnView;
    TSpacer* rtRs1;
    QToolButton* rtbtnBtnSave;
    TSpacer* rtRs2;
    QToolButton* rtbtnBtnContextHelp;
    TSpacer* rtRs3;
    QToolButton* rtbtnBtnExit;
    TSaveDialog* dlgSave1;
    TSplitter* spl3;
    QTreeWidget* lv1;
    QToolButton* rtbBtnBtnExecute;
    TSpacer* Rsp1;
    TSpacer* Rsp2;
    QLabel* lbl1;
    QLineEdit* edt1;
    QCheckBox* chk1;
    QTimer* tmr1;

    // Event handlers. A failure leaving one is shown in the failure box.
    void FormCreate();
    void FormDestroy();
    void fllst1Click();
    void rtbBtnBtnExecuteClick();
    void rtbtnBtnZoomInClick();
    void rtbtnBtnZoomOutClick();
    void rtbtnBtnViewClick();
    void rtbtnBtnSaveClick();
    void rtbtnBtnContextHelpClick();
    void rtbtnBtnExitClick();
    void chk1Click();
    void tmr1Timer();

    // Runs a handler; the one place where failures are caught and shown.
    void RunHandler(const std::function<void()>& handler);

    // Runs the failure box and the About box; tests replace it to see the
    // box without a modal loop.
    std::function<void(QMessageBox&)> ExecMessageBox;

private:
    friend class FormMainTest;

    void RefreshProcessList();
    void LoadMapFile(const QString& path, QImage& bitmap);
    void ShowMapLinks(const QString& mapFilePath);
    void DrawPlayerMarker(QImage& bitmap);

    void ShowFailure(const QString& message);
    void BuildToolbar();
    QToolButton* AddToolButton(int left, const char* caption, const char* icon, void (TFormMain::*handler)());
    TSpacer* AddSpacer(int left, bool grooved);
    QFrame* BuildLeftPanel(QWidget* parent);
    void BuildMapArea(QWidget* parent);
    void BuildBottom();
    void ConnectBrowser();
    void SetTabOrder();
    void EnterDirectory(const QString& directory);

    TMapHeader FMapHeader;
    TMatrix FMatrix;
    int FMapWidth = 0;
    int FMapHeight = 0;
    std::int64_t FReadPos = 0;
    int FCellFlag = 0;
    QImage FCleanBitmap;
    TMapCell FCell;
    bool FFailureBoxOpen = false;
};
