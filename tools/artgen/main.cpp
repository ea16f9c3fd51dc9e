// Paints every picture of the program: the title picture, the board
// background, the eight ship sprites, the logo and the icon.
//
//   artgen <output folder> [--preview <file.png>] [--supersample <n>] [--scale 2]
//   artgen --icons <folder>    only the launcher icons <folder>/<n>x<n>.png
//
// --scale 2 paints the pictures the program draws (title, board, ship0-7) at
// twice the size as "<name>@2x.png", for high-density screens; supersample
// then counts samples per double-size pixel.
//
// The output is reproducible: all randomness comes from fixed seeds.

#include "Logo.h"
#include "Preview.h"
#include "Seascape.h"
#include "Ships.h"

#include <QDir>
#include <QGuiApplication>
#include <QStringList>

#include <cstdio>

namespace {

bool save(const QImage &img, const QDir &dir, const QString &name)
{
    const QString path = dir.filePath(name);
    if (!img.save(path, "PNG", 9)) {
        std::fprintf(stderr, "artgen: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s %dx%d\n", qPrintable(name), img.width(), img.height());
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    // Offscreen is enough for painting and needs no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.size() == 2 && args[0] == QLatin1String("--icons")) {
        // The desktop's icon theme wants the icon at these sizes; each is
        // painted at its own size rather than scaled from a big one.
        QDir dir(args[1]);
        bool ok = dir.exists() || QDir().mkpath(args[1]);
        for (int size : {16, 32, 48, 64, 128, 256})
            ok = ok && save(Logo::icon(size), dir, QStringLiteral("%1x%1.png").arg(size));
        return ok ? 0 : 1;
    }
    QString preview;
    int supersample = 4;
    int scale = 1;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--preview") && i + 1 < args.size()) {
            preview = args[i + 1];
            args.remove(i, 2);
            --i;
        } else if (args[i] == QLatin1String("--supersample") && i + 1 < args.size()) {
            supersample = args[i + 1].toInt();
            args.remove(i, 2);
            --i;
        } else if (args[i] == QLatin1String("--scale") && i + 1 < args.size()) {
            scale = args[i + 1].toInt();
            args.remove(i, 2);
            --i;
        }
    }
    if (args.size() != 1 || (scale != 1 && scale != 2)) {
        std::fprintf(
            stderr, "usage: artgen <output folder> [--preview <file.png>] [--supersample <n>] [--scale 2]\n");
        return 2;
    }
    QDir dir(args[0]);
    if (!dir.exists() && !QDir().mkpath(args[0])) {
        std::fprintf(stderr, "artgen: cannot create %s\n", qPrintable(args[0]));
        return 1;
    }

    bool ok = true;
    if (scale == 2) {
        for (int i = 0; i < 8; ++i)
            ok &= save(Ships::sprite(i, 2), dir, QStringLiteral("ship%1@2x.png").arg(i));
        const QImage sea = Seascape::render(supersample, 2);
        ok &= save(Seascape::title(sea, Logo::logo(2), 2), dir, QStringLiteral("title@2x.png"));
        ok &= save(Seascape::board(sea, 2), dir, QStringLiteral("board@2x.png"));
        return ok ? 0 : 1;
    }
    const QImage logo = Logo::logo();
    ok &= save(logo, dir, QStringLiteral("logo.png"));
    ok &= save(Logo::icon(64), dir, QStringLiteral("icon.png"));
    ok &= save(Logo::icon(256), dir, QStringLiteral("icon-256.png"));

    QList<QImage> sprites;
    for (int i = 0; i < 8; ++i) {
        sprites.push_back(Ships::sprite(i));
        ok &= save(sprites.back(), dir, QStringLiteral("ship%1.png").arg(i));
    }

    const QImage sea = Seascape::render(supersample);
    const QImage title = Seascape::title(sea, logo);
    const QImage board = Seascape::board(sea);
    ok &= save(title, dir, QStringLiteral("title.png"));
    ok &= save(board, dir, QStringLiteral("board.png"));

    if (!preview.isEmpty()) {
        const QImage sheet = Preview::compose(title, board, sprites, logo, Logo::icon(32));
        if (!sheet.save(preview)) {
            std::fprintf(stderr, "artgen: cannot write %s\n", qPrintable(preview));
            ok = false;
        }
    }
    return ok ? 0 : 1;
}
