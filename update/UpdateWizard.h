#pragma once

#include "update/UpdateWizardModel.h"

#include <QDialog>

class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QPainter;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QStackedWidget;

// The update wizard's window: the step list on the left, one page per step,
// a settings page for the automatic check, and the buttons below. What it
// shows and what its buttons do is the model's; the window only draws the
// model's state and passes the clicks on. Created once by the update
// component and shown modally any number of times.
class UpdateWizard : public QDialog {
    Q_OBJECT
public:
    explicit UpdateWizard(const UpdatePlatform &platform, QWidget *parent = nullptr);
    ~UpdateWizard() override;

    UpdateWizardModel &model() { return *model_; }
    const UpdateWizardModel &model() const { return *model_; }

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    friend class StepList;

    void paintSteps(QPainter &canvas, int width, int height);
    void render();
    void openSettings();
    void saveSettings();
    void updateScheduleControls();

    UpdateWizardModel *model_;
    bool settingsShown_ = false;
    bool installFailedShown_ = false;

    QWidget *PaintBox_Process;
    QLabel *Panel_Title;
    QStackedWidget *Pages;
    QFrame *Bevel1;
    QPushButton *Button_Settings;
    QStackedWidget *Notebook_StdButtons;
    QPushButton *Button_Cancel;
    QPushButton *Button_Next;
    QPushButton *Button_SettingsCancel;
    QPushButton *Button_SettingsSave;
    QLabel *Image_Icon1, *Label2;
    QLabel *Label4;
    QPushButton *Button_Check;
    QLabel *Label_CheckResult;
    QLabel *Label_Download;
    QProgressBar *Status;
    QLabel *PerCent, *StatusLabel, *TimeLeft, *Icon;
    QPushButton *CancelDownload;
    QLabel *Image_Icon2, *Label3;
    QCheckBox *CheckBox_Restart;
    QLabel *Image_Icon3, *Label5;
    QGroupBox *GroupBox1;
    QRadioButton *RadioButton_NoAutoUpdt, *RadioButton_AutoUpdt;
    QLabel *Label1, *Label6, *Label_AutoUpdt1, *Label_AutoUpdt2;
    QSpinBox *SpinEdit_AutoUpdt;
};
