// The classic faces the windows ask for, named as the face this machine will really draw them with.
#pragma once

#include <QString>
#include <QStringList>

namespace FontFaces {

// Chooses, for each classic face, the face itself when installed, else its first installed look-alike. Asking Qt
// for a family that is not installed makes fontconfig sort every font on the machine for a fallback list, and
// that search was a third of building and first painting the game window; a face named as installed skips it.
// Matching ignores case; with none of the candidates installed the classic name stays, for Qt to fall back from.
void choose(const QStringList& installed);
// Gives Qt the look-alikes as substitutions, for any font that names a classic face itself, and chooses as above
// with the families Qt's font database knows (reading them fills the database, once per process).
void install();

// The chosen face for a classic family; a family never chosen for comes back as it is.
QString face(const QString& classic);

} // namespace FontFaces
