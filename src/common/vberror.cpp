#include "vberror.h"

#include "platform/platformservices.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace VbErrors {

QString programName()
{
    const QString path = QCoreApplication::applicationFilePath();
    return path.isEmpty() ? QStringLiteral("volarino") : QFileInfo(path).completeBaseName();
}

void reportUntrapped(PlatformServices& platform, const VbError& error)
{
    platform.messageBox(
        nullptr, QStringLiteral("Errore di run-time '%1':\r\n\r\n%2").arg(error.number()).arg(error.description()),
        16 /* critical */, QString());
    platform.exitNow();
}

} // namespace VbErrors
