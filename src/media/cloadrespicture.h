// Turns a picture stored in the executable into a picture object. The bytes are decoded straight from memory,
// so nothing is written to disk and no temporary file can fail or be left behind.
#pragma once

#include <QPixmap>
#include <QString>
#include <QtGlobal>

class cLoadResPicture
{
public:
    // The picture stored under `type`/`id` (the backgrounds are "CUSTOM" 101 to 107).
    // Throws VbError (source "<program>.cLoadResPicture") when there is no such resource or it is no picture.
    QPixmap LoadResPicture(qint16 id, const QString& type) const;
};
