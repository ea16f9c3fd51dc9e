#pragma once

#include <QDialog>
#include <QIcon>
#include <QImage>

class QLabel;
class QPainter;
class QPushButton;

// The about dialog: a painted banner with the program's icon, title, version
// and development time over a gradient carrying the maker's logo, the maker's
// contact lines and OK. Created once with the main window and shown modally.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget *parent = nullptr);

    // Sets what the banner shows and the caption "Info über <title>", then
    // shows the dialog modally.
    void showInfo(const QString &title, const QString &developmentTime, const QIcon &icon);
    void setBannerContents(const QString &title, const QString &developmentTime, const QIcon &icon);

    // The program's own version ("1.0.0.0"), empty when it has none.
    static QString programVersion();
    QString versionText() const { return QStringLiteral("Version: ") + programVersion(); }

    // The banner as it is painted, the size of its area; and the maker's
    // logo in it.
    QImage composeBanner() const;
    const QImage &logo() const { return logo_; }

    static const QString MakerLine;
    static const QString MailAddress;
    static const QString WebAddress;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void loadContents();
    void placeControls();
    void paintBanner(QPainter &painter);
    void openMail();
    void openWebSite();
    // A link label looks like a link: underlined under the mouse, red while pressed.
    void linkEntered(QLabel *link);
    void linkLeft(QLabel *link);
    void linkPressed(QLabel *link);
    void linkReleased(QLabel *link);

    QString title_;
    QString developmentTime_;
    QIcon icon_;
    QImage logo_;
    QImage logoMask_;

    QWidget *banner_ = nullptr;
    QLabel *makerLabel_ = nullptr;
    QLabel *mailLink_ = nullptr;
    QLabel *webLink_ = nullptr;
    QPushButton *okButton_ = nullptr;
};
