// drawsprites: draws every small picture the game carries, from scratch, with QPainter and by pixel.
// Usage: drawsprites <outdir>  -> <outdir>/sprites/*.png (+ icon.svg) and <outdir>/frame/*.bmp
// Nothing random and nothing read from disk, so reruns give byte-identical files.

#include "frame.h"
#include "sprites.h"

#include <QString>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: drawsprites <outdir>\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    bool ok = drawSprites(out + QStringLiteral("/sprites"));
    ok &= drawFrame(out + QStringLiteral("/frame"));
    return ok ? 0 : 1;
}
