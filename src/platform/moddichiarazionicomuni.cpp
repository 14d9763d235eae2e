#include "moddichiarazionicomuni.h"

#include "platform/platformservices.h"

namespace modDichiarazioniComuni {

void PlaySoundCue(PlatformServices& platform, qint16 id)
{
    if (!platform.startCue(id))
        return;
    platform.yieldToEvents();
}

} // namespace modDichiarazioniComuni
