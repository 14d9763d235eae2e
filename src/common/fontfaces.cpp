#include "fontfaces.h"

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
        QString face = installedSpelling(installed, family);
        for (const char* lookAlike : classic.lookAlikes) {
            if (!face.isEmpty())
                break;
            face = installedSpelling(installed, QString::fromLatin1(lookAlike));
        }
        faces.insert(family, face.isEmpty() ? family : face);
    }
}

void chooseInstalled()
{
    choose(QFontDatabase::families());
}

QString face(const QString& classic)
{
    return chosen().value(classic, classic);
}

QStringList lookAlikes(const QString& classic)
{
    for (const Classic& entry : Classics)
        if (classic == QLatin1String(entry.family))
            return {QString::fromLatin1(entry.lookAlikes[0]), QString::fromLatin1(entry.lookAlikes[1])};
    return {};
}

} // namespace FontFaces
