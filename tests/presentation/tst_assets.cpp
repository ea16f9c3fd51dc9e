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

} // namespace

// The embedded pictures and sounds: the sizes the drawing code relies on, an
// exact transparent colour, and WAV clips the sound output can play.
class tst_assets : public QObject {
    Q_OBJECT
private slots:
    void pictures()
    {
        QCOMPARE(load("title.png").size(), QSize(880, 480));
        QCOMPARE(load("board.png").size(), QSize(880, 480));
        QCOMPARE(load("title@2x.png").size(), QSize(1760, 960)); // for high-density screens
        QCOMPARE(load("board@2x.png").size(), QSize(1760, 960));
        QCOMPARE(load("logo.png").size(), QSize(142, 63)); // its artwork: see the about banner
        QCOMPARE(QImage(":/assets/icon.png").size(), QSize(64, 64));
    }

    void sprites_data()
    {
        QTest::addColumn<int>("scale");
        QTest::newRow("1x") << 1;
        QTest::newRow("2x") << 2; // "ship<k>@2x.png" for high-density screens
    }
    void sprites()
    {
        QFETCH(int, scale);
        for (int k = 0; k < 8; ++k) {
            const QImage s = load(QStringLiteral("ship%1%2.png").arg(k).arg(scale == 2 ? "@2x" : ""));
            const int w = s.width(), h = 50 * scale;
            QCOMPARE(s.size(), QSize(33 * (k % 4 + 1) + 24, 50) * scale);
            QCOMPARE(s.pixel(0, 0), 0xFFFF00FF);
            QCOMPARE(s.pixel(w - 1, h - 1), 0xFFFF00FF);
            // Only the exact key colour is transparent: a pixel blended towards it would show pink.
            QCOMPARE(count(s, s.rect(),
                           [](QRgb c) {
                               return c != 0xFFFF00FF && qRed(c) > 180 && qBlue(c) > 180 && qGreen(c) < 90;
                           }),
                     0);
            QVERIFY(count(s, s.rect(), [](QRgb c) { return c != 0xFFFF00FF; }) > w * h / 4);
            // Red hulls for 0 to 3, white ones for 4 to 7.
            const QRgb hull = s.pixel(w / 2, 40 * scale);
            QVERIFY2(k < 4 ? qRed(hull) > 150 && qGreen(hull) < 80 && qBlue(hull) < 80 : qGray(hull) > 220,
                     qPrintable(QStringLiteral("ship%1: %2").arg(k).arg(hull, 0, 16)));
        }
    }

    void sounds()
    {
        const int ids[] = {1,   2,   3,   101, 102, 103, 104, 105, 106, 107,
                           108, 201, 202, 203, 204, 205, 206, 207, 301};
        for (int id : ids) {
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
            const quint32 bytes = qFromLittleEndian<quint32>(d + data + 4);
            QVERIFY(bytes > 1000 && data + 8 + bytes <= quint32(wav.size()));
        }
    }
};

QTEST_MAIN(tst_assets)
#include "tst_assets.moc"
