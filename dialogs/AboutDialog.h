#pragma once

#include <QDialog>
#include <QIcon>
#include <QImage>

class QLabel;
class QPainter;
class QPushButton;

// The about dialog: a painted banner with the program's icon, title, version
// and development time over a gradient carrying the maker's logo, the maker's
// contact lines and OK. Created once, as the last of the program's windows:
// creating it gives every window of font size 8 the system's message face.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget *parent = nullptr);
    ~AboutDialog() override;

    // Sets what the banner shows and the caption "Info über <title>", then
    // shows the dialog modally.
    void ShowInfo(const QString &title, const QString &developmentTime, const QIcon &icon);

    // Every window existing now whose font is exactly 8 points (also when it
    // is given in pixels) takes the face of the system's message font; size,
    // style and colour stay.
    static void AdoptSystemFont();
    // The program's own version ("1.0.0.0"), empty when it has none.
    static QString GetFileVersionString();
    QString VersionText() const { return QStringLiteral("Version: ") + GetFileVersionString(); }

    // Paints the banner (the size of LogoPB) onto the painter at (0, 0).
    void LogoPBPaint(QPainter &painter);
    QImage ComposeBanner() const;

    void EMailLblClick();
    void URLLblClick();
    void HyperLinkMouseEnter(QLabel *sender);
    void HyperLinkMouseLeave(QLabel *sender);
    void HyperLinkMouseDown(QLabel *sender);
    void HyperLinkMouseUp(QLabel *sender);

    static const QString MakerLine;
    static const QString MailAddress;
    static const QString WebAddress;

    QImage LogoMask;
    QString AppTitle;
    QString DevelopmentTime;
    QIcon AppIcon;
    QImage LogoBitmap;

    QWidget *LogoPB = nullptr;
    QLabel *InfoLbl = nullptr;
    QLabel *EMailLbl = nullptr;
    QLabel *URLLbl = nullptr;
    QPushButton *OK = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void FormCreate();
    void FormDestroy();
    void placeLabels();
};
