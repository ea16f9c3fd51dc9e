#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QtEndian>
#include <QtTest>

// The embedded pictures and sounds: present, of the sizes the drawing code
// relies on, with an exact transparent colour, and playable mono WAV clips of
// roughly their intended lengths.
class tst_assets : public QObject {
    Q_OBJECT
private:
    static constexpr QRgb Key = 0xFFFF00FF;

    static QImage load(const QString &name)
    {
        QImage img(QStringLiteral(":/assets/") + name);
        return img.convertToFormat(QImage::Format_RGB32);
    }

    static bool isDark(QRgb c) { return qRed(c) < 40 && qGreen(c) < 40 && qBlue(c) < 40; }

    static double meanLuma(const QImage &img, const QRect &r)
    {
        double sum = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                sum += qGray(img.pixel(x, y));
        return sum / (r.width() * r.height());
    }

private slots:
    void backgrounds()
    {
        const QImage title = load(QStringLiteral("title.png"));
        const QImage board = load(QStringLiteral("board.png"));
        QCOMPARE(title.size(), QSize(880, 480));
        QCOMPARE(board.size(), QSize(880, 480));

        // The lettering stands in the right half just above the horizon, none of it on the left.
        int leftDark = 0, rightDark = 0;
        for (int y = 150; y < 240; ++y)
            for (int x = 0; x < 880; ++x)
                (x < 440 ? leftDark : rightDark) += isDark(title.pixel(x, y)) ? 1 : 0;
        QCOMPARE(leftDark, 0);
        QVERIFY2(rightDark > 3000, qPrintable(QString::number(rightDark)));

        // The board is pale, and its right half visibly darker than its left.
        const double left = meanLuma(board, QRect(0, 0, 440, 480));
        const double right = meanLuma(board, QRect(440, 0, 440, 480));
        QVERIFY2(left > 190, qPrintable(QString::number(left)));
        QVERIFY2(left - right > 20, qPrintable(QStringLiteral("%1 %2").arg(left).arg(right)));
    }

    void sprites_data()
    {
        QTest::addColumn<int>("index");
        for (int i = 0; i < 8; ++i)
            QTest::addRow("ship%d", i) << i;
    }

    void sprites()
    {
        QFETCH(int, index);
        const int length = index % 4 + 1;
        const QImage s = load(QStringLiteral("ship%1.png").arg(index));
        QCOMPARE(s.size(), QSize(33 * length + 24, 50));
        const int w = s.width();
        for (QPoint corner : {QPoint(0, 0), QPoint(w - 1, 0), QPoint(0, 49), QPoint(w - 1, 49)})
            QCOMPARE(s.pixel(corner), Key);

        // The key colour must be exact: a pixel blended towards it would show as a
        // pink fringe, because only the exact value is transparent.
        int opaque = 0;
        for (int y = 0; y < 50; ++y) {
            for (int x = 0; x < w; ++x) {
                const QRgb c = s.pixel(x, y);
                if (c == Key)
                    continue;
                ++opaque;
                const bool pinkish = qRed(c) > 180 && qBlue(c) > 180 && qGreen(c) < 90;
                QVERIFY2(!pinkish, qPrintable(QStringLiteral("(%1,%2) %3").arg(x).arg(y).arg(c, 8, 16)));
            }
        }
        QVERIFY(opaque > w * 50 / 4);

        // Red hulls for 0 to 3, white ones for 4 to 7, seen at the middle of the hull.
        const QRgb hull = s.pixel(w / 2, 40);
        if (index < 4)
            QVERIFY2(qRed(hull) > 150 && qGreen(hull) < 80 && qBlue(hull) < 80,
                     qPrintable(QString::number(hull, 16)));
        else
            QVERIFY2(qRed(hull) > 220 && qGreen(hull) > 220 && qBlue(hull) > 220,
                     qPrintable(QString::number(hull, 16)));

        // The steamers' black funnels begin at row 13, nothing black above it.
        if (length >= 3) {
            int above = 0, at = 0;
            for (int x = 0; x < w; ++x) {
                for (int y = 0; y < 13; ++y)
                    above += isDark(s.pixel(x, y)) ? 1 : 0;
                at += isDark(s.pixel(x, 13)) ? 1 : 0;
            }
            QCOMPARE(above, 0);
            QVERIFY(at >= 6 * length);
        }
    }

    void logoAndIcon()
    {
        const QImage logo = load(QStringLiteral("logo.png"));
        QCOMPARE(logo.size(), QSize(142, 63));
        // White surround (the about banner shows its gradient there), black and coloured artwork.
        for (QPoint corner : {QPoint(0, 0), QPoint(141, 0), QPoint(0, 62), QPoint(141, 62)})
            QCOMPARE(logo.pixel(corner), qRgb(255, 255, 255));
        int black = 0, coloured = 0;
        for (int y = 0; y < 63; ++y) {
            for (int x = 0; x < 142; ++x) {
                const QRgb c = logo.pixel(x, y);
                black += c == qRgb(0, 0, 0) ? 1 : 0;
                const int spread =
                    std::max({qRed(c), qGreen(c), qBlue(c)}) - std::min({qRed(c), qGreen(c), qBlue(c)});
                coloured += spread > 100 ? 1 : 0;
            }
        }
        QVERIFY(black > 300);
        QVERIFY(coloured > 300);

        QCOMPARE(QImage(QStringLiteral(":/assets/icon.png")).size(), QSize(64, 64));
    }

    void sounds_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<double>("seconds");
        const QList<QPair<int, double>> table = {{1, 2.2},   {2, 2.9},   {3, 2.0},   {101, 3.1}, {102, 5.7},
                                                 {103, 1.7}, {104, 1.5}, {105, 2.6}, {106, 1.9}, {107, 2.1},
                                                 {108, 1.5}, {201, 1.1}, {202, 0.4}, {203, 2.1}, {204, 1.6},
                                                 {205, 0.7}, {206, 0.1}, {207, 2.6}, {301, 1.3}};
        for (const auto &[id, seconds] : table)
            QTest::addRow("sound_%d", id) << id << seconds;
    }

    void sounds()
    {
        QFETCH(int, id);
        QFETCH(double, seconds);
        QFile f(QStringLiteral(":/assets/sound_%1.wav").arg(id));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray wav = f.readAll();
        QVERIFY(wav.size() > 44);
        QCOMPARE(wav.left(4), QByteArray("RIFF"));
        QCOMPARE(qFromLittleEndian<quint32>(wav.constData() + 4), quint32(wav.size() - 8));
        QCOMPARE(wav.mid(8, 4), QByteArray("WAVE"));

        // Walk the chunks for the format and the data.
        int pos = 12, channels = 0, bits = 0, format = 0;
        quint32 rate = 0, dataBytes = 0;
        bool haveData = false;
        while (pos + 8 <= wav.size()) {
            const QByteArray tag = wav.mid(pos, 4);
            const quint32 len = qFromLittleEndian<quint32>(wav.constData() + pos + 4);
            QVERIFY(pos + 8 + qint64(len) <= wav.size());
            if (tag == "fmt ") {
                format = qFromLittleEndian<quint16>(wav.constData() + pos + 8);
                channels = qFromLittleEndian<quint16>(wav.constData() + pos + 10);
                rate = qFromLittleEndian<quint32>(wav.constData() + pos + 12);
                bits = qFromLittleEndian<quint16>(wav.constData() + pos + 22);
            } else if (tag == "data") {
                dataBytes = len;
                haveData = true;
            }
            pos += 8 + int(len) + int(len & 1);
        }
        QCOMPARE(format, 1);
        QCOMPARE(channels, 1);
        QCOMPARE(bits, 16);
        QVERIFY(rate >= 8000);
        QVERIFY(haveData);
        const double duration = double(dataBytes) / 2 / rate;
        QVERIFY2(duration >= seconds * 0.7 && duration <= seconds * 1.3,
                 qPrintable(QStringLiteral("%1 s").arg(duration)));
    }

    void totalSizeStaysSmall()
    {
        qint64 total = 0;
        QDirIterator it(QStringLiteral(":/assets"));
        while (it.hasNext())
            total += QFileInfo(it.next()).size();
        QVERIFY2(total < 3 * 1024 * 1024, qPrintable(QString::number(total)));
    }
};

QTEST_MAIN(tst_assets)
#include "tst_assets.moc"
