// Synthesises every sound of the program as mono 16-bit WAV files at 22050 Hz.
//
//   soundgen <output folder>
//
// Splashes for shots into the water (1-3), impacts and explosions for hits
// (101-108), short signals (201-207) and a fanfare when all ships are found
// (301). The output is reproducible: all randomness comes from fixed seeds.

#include "Dsp.h"
#include "Sounds.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: soundgen <output folder>\n");
        return 2;
    }
    if (!QDir().mkpath(args[0])) {
        std::fprintf(stderr, "soundgen: cannot create %s\n", qPrintable(args[0]));
        return 1;
    }
    const QDir dir(args[0]);
    bool ok = true;
    for (const sounds::Clip &clip : sounds::all()) {
        const dsp::Buffer buf = sounds::make(clip.id);
        const QString name = QStringLiteral("sound_%1.wav").arg(clip.id);
        const QString path = dir.filePath(name);
        if (buf.empty() || !dsp::writeWav(path.toStdString(), buf)) {
            std::fprintf(stderr, "soundgen: cannot write %s\n", qPrintable(path));
            ok = false;
            continue;
        }
        std::printf("%s %.2f s\n", qPrintable(name), double(buf.size()) / dsp::Rate);
    }
    return ok ? 0 : 1;
}
