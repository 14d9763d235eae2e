#include "untrappederror.h"

#include "platformservices.h"

namespace VbErrors {

void reportUntrapped(PlatformServices& platform, const VbError& error)
{
    platform.messageBox(
        nullptr, QStringLiteral("Errore di run-time '%1':\r\n\r\n%2").arg(error.number()).arg(error.description()),
        16 /* critical */, QString());
    platform.exitNow(UntrappedExitStatus);
}

} // namespace VbErrors
