// Writes the desktop icons in the hicolor theme's layout from the program's
// drawn calendar logo: <out>/hicolor/<n>x<n>/apps/termifolio98.png for every
// size the menus ask for, and <out>/hicolor/scalable/apps/termifolio98.svg.
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <cstdio>

#include "Logo.h"

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fputs("Aufruf: tmf_make_icons ZIELORDNER\n", stderr);
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]) + "/hicolor/";
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString dir = out + QString("%1x%1/apps/").arg(size);
        if (!QDir().mkpath(dir) || !tmf::logo::IconImage(size).save(dir + "termifolio98.png")) {
            std::fprintf(stderr, "tmf_make_icons: %s nicht geschrieben\n", qPrintable(dir));
            return 1;
        }
    }
    const QString scalable = out + "scalable/apps/";
    QFile svg(scalable + "termifolio98.svg");
    if (!QDir().mkpath(scalable) || !svg.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        svg.write(tmf::logo::IconSvg().toUtf8()) < 0) {
        std::fprintf(stderr, "tmf_make_icons: %s nicht geschrieben\n", qPrintable(svg.fileName()));
        return 1;
    }
    return 0;
}
