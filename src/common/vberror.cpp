#include "vberror.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace VbErrors {

QString programName()
{
    const QString path = QCoreApplication::applicationFilePath();
    return path.isEmpty() ? QStringLiteral("volarino") : QFileInfo(path).completeBaseName();
}

} // namespace VbErrors
