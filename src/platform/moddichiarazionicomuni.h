// Routines shared by every window.
#pragma once

#include <QtGlobal>

class PlatformServices;

namespace modDichiarazioniComuni {

// Starts sound cue `id` and returns at once, never failing towards the caller. After a cue that exists it
// yields once to the event loop, so a tick or a click queued at that moment runs before the caller goes on;
// for a cue that does not exist it returns silently without yielding.
void PlaySoundCue(PlatformServices& platform, qint16 id);

} // namespace modDichiarazioniComuni
