#pragma once

class QString;

// Writes the disc rims, fragments, gun-sight cursor and window icon as PNGs into outDir.
bool drawSprites(const QString& outDir);
