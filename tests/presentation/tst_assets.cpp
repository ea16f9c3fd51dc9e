#include <QFile>
#include <QImage>
#include <QtEndian>
#include <QtTest>

namespace {

QImage load(const QString &name)
{
    return QImage(QStringLiteral(":/assets/") + name).convertToFormat(QImage::Format_RGB32);
}

int count(const QImage &img, const QRect &r, const std::function<bool(QRgb)> &match)
{
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            n += match(img.pixel(x, y));
    return n;
}

bool isDark(QRgb c)
{
    return qRed(c) < 40 && qGreen(c) < 40 && qBlue(c) < 40;
}

} // namespace

// The embedded pictures and sounds: the sizes the drawing code relies on, an
// exact transparent colour, and mono WAV clips of roughly their intended lengths.
class tst_assets : public QObject {
    Q_OBJECT
private slots:
    void pictures()
    {
        const QImage title = load("title.png"), board = load("board.png");
        QCOMPARE(title.size(), QSize(880, 480));
        QCOMPARE(board.size(), QSize(880, 480));
        QCOMPARE(load("logo.png").size(), QSize(142, 63)); // its artwork: see the about banner
        QCOMPARE(QImage(":/assets/icon.png").size(), QSize(64, 64));
        // The title's lettering stands in the right half above the horizon.
        QCOMPARE(count(title, QRect(0, 150, 440, 90), isDark), 0);
        QVERIFY(count(title, QRect(440, 150, 440, 90), isDark) > 3000);
        // The board is pale, its right half visibly darker.
        double luma[2] = {};
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 880; ++x)
                luma[x / 440] += qGray(board.pixel(x, y)) / (440.0 * 480);
        QVERIFY(luma[0] > 190 && luma[0] - luma[1] > 20);
    }

    void sprites()
    {
        for (int k = 0; k < 8; ++k) {
            const QImage s = load(QStringLiteral("ship%1.png").arg(k));
            const int w = s.width();
            QCOMPARE(s.size(), QSize(33 * (k % 4 + 1) + 24, 50));
            QCOMPARE(s.pixel(0, 0), 0xFFFF00FF);
            QCOMPARE(s.pixel(w - 1, 49), 0xFFFF00FF);
            // Only the exact key colour is transparent: a pixel blended towards it would show pink.
            QCOMPARE(count(s, s.rect(),
                           [](QRgb c) {
                               return c != 0xFFFF00FF && qRed(c) > 180 && qBlue(c) > 180 && qGreen(c) < 90;
                           }),
                     0);
            QVERIFY(count(s, s.rect(), [](QRgb c) { return c != 0xFFFF00FF; }) > w * 50 / 4);
            // Red hulls for 0 to 3, white ones for 4 to 7.
            const QRgb hull = s.pixel(w / 2, 40);
            QVERIFY2(k < 4 ? qRed(hull) > 150 && qGreen(hull) < 80 && qBlue(hull) < 80 : qGray(hull) > 220,
                     qPrintable(QStringLiteral("ship%1: %2").arg(k).arg(hull, 0, 16)));
        }
    }

    void sounds()
    {
        const QList<QPair<int, double>> table = {{1, 2.2},   {2, 2.9},   {3, 2.0},   {101, 3.1}, {102, 5.7},
                                                 {103, 1.7}, {104, 1.5}, {105, 2.6}, {106, 1.9}, {107, 2.1},
                                                 {108, 1.5}, {201, 1.1}, {202, 0.4}, {203, 2.1}, {204, 1.6},
                                                 {205, 0.7}, {206, 0.1}, {207, 2.6}, {301, 1.3}};
        for (const auto &[id, seconds] : table) {
            QFile f(QStringLiteral(":/assets/sound_%1.wav").arg(id));
            const QByteArray wav = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
            const char *d = wav.constData();
            QVERIFY(wav.startsWith("RIFF") && wav.mid(8, 4) == "WAVE");
            QCOMPARE(qFromLittleEndian<quint32>(d + 4), quint32(wav.size() - 8));
            const qsizetype fmt = wav.indexOf("fmt "), data = wav.indexOf("data");
            QVERIFY(fmt >= 12 && data > fmt && data + 8 <= wav.size());
            // PCM, mono, 16 bits
            QVERIFY(qFromLittleEndian<quint16>(d + fmt + 8) == 1 &&
                    qFromLittleEndian<quint16>(d + fmt + 10) == 1 &&
                    qFromLittleEndian<quint16>(d + fmt + 22) == 16);
            const quint32 rate = qFromLittleEndian<quint32>(d + fmt + 12),
                          bytes = qFromLittleEndian<quint32>(d + data + 4);
            QVERIFY(rate >= 8000 && data + 8 + bytes <= quint32(wav.size()));
            const double duration = double(bytes) / 2 / rate;
            QVERIFY2(duration >= seconds * 0.7 && duration <= seconds * 1.3,
                     qPrintable(QStringLiteral("sound %1: %2 s").arg(id).arg(duration)));
        }
    }
};

QTEST_MAIN(tst_assets)
#include "tst_assets.moc"
