#include "fontfaces.h"

#include <QFont>
#include <QFontDatabase>
#include <QHash>

namespace FontFaces {
namespace {

struct Classic
{
    const char* family;
    const char* lookAlikes[2];
};

// Metric look-alikes first, so labels sized for the classic faces keep their lines.
constexpr Classic Classics[] = {
    {"Arial", {"Liberation Sans", "Arimo"}},
    {"Comic Sans MS", {"Comic Neue", "Comic Relief"}},
    {"MS Sans Serif", {"Liberation Sans", "DejaVu Sans"}},
};

QHash<QString, QString>& chosen()
{
    static QHash<QString, QString> faces;
    return faces;
}

QString installedSpelling(const QStringList& installed, const QString& family)
{
    for (const QString& name : installed)
        if (name.compare(family, Qt::CaseInsensitive) == 0)
            return name;
    return {};
}

} // namespace

void choose(const QStringList& installed)
{
    QHash<QString, QString>& faces = chosen();
    faces.clear();
    for (const Classic& classic : Classics) {
        const QString family = QString::fromLatin1(classic.family);
        QString face;
        for (const char* candidate : {classic.family, classic.lookAlikes[0], classic.lookAlikes[1]}) {
            face = installedSpelling(installed, QString::fromLatin1(candidate));
            if (!face.isEmpty())
                break;
        }
        faces.insert(family, face.isEmpty() ? family : face);
    }
}

void install()
{
    for (const Classic& classic : Classics)
        QFont::insertSubstitutions(QString::fromLatin1(classic.family), {QString::fromLatin1(classic.lookAlikes[0]),
                                                                         QString::fromLatin1(classic.lookAlikes[1])});
    choose(QFontDatabase::families());
}

QString face(const QString& classic)
{
    return chosen().value(classic, classic);
}

} // namespace FontFaces
