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
    void changeEvent(QEvent *event) override;
    void reject() override;

private:
    friend class StepList;

    void placeControls();
    void paintSteps(QPainter &canvas, int width, int height);
    void render();
    void openSettings();
    void saveSettings();
    void updateScheduleControls();

    UpdateWizardModel *model_;
    bool settingsShown_ = false;
    bool installFailedShown_ = false;

    // Null until the constructor has made them: a font change on the way
    // places nothing.
    QWidget *stepList_ = nullptr;
    QLabel *title_ = nullptr;
    QStackedWidget *pages_ = nullptr;
    // Welcome page.
    QLabel *welcomeIcon_ = nullptr, *welcomeText_ = nullptr;
    // Check page.
    QLabel *checkText_ = nullptr;
    QPushButton *checkButton_ = nullptr;
    // Result page.
    QLabel *checkResult_ = nullptr;
    // Download page.
    QLabel *downloadText_ = nullptr;
    QProgressBar *progressBar_ = nullptr;
    QLabel *percent_ = nullptr, *received_ = nullptr, *timeLeft_ = nullptr, *downloadIcon_ = nullptr;
    QPushButton *cancelDownloadButton_ = nullptr;
    // Install page.
    QLabel *installIcon_ = nullptr, *installText_ = nullptr;
    QCheckBox *restartCheck_ = nullptr;
    // Finish page.
    QLabel *finishIcon_ = nullptr, *finishText_ = nullptr;
    // Settings page: how often the wizard asks.
    QGroupBox *scheduleGroup_ = nullptr;
    QRadioButton *neverRadio_ = nullptr, *regularlyRadio_ = nullptr;
    QLabel *neverText_ = nullptr, *regularlyText_ = nullptr, *intervalBefore_ = nullptr,
           *intervalAfter_ = nullptr;
    QSpinBox *intervalSpin_ = nullptr;
    // Below the pages: the rule, "Einstellungen", and either the step
    // buttons or those of the settings page.
    QFrame *buttonRule_ = nullptr;
    QPushButton *settingsButton_ = nullptr;
    QStackedWidget *buttonPages_ = nullptr;
    QPushButton *cancelButton_ = nullptr;
    QPushButton *nextButton_ = nullptr;
    QPushButton *settingsCancelButton_ = nullptr;
    QPushButton *settingsSaveButton_ = nullptr;
};
