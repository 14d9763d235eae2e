#pragma once

class QString;

// Writes the frame pieces and title buttons as 24-bit BMPs into outDir. False if a file failed.
bool drawFrame(const QString& outDir);
