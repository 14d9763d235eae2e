#include "cloadrespicture.h"

#include "common/vberror.h"
#include "picturedecoder.h"

#include <QFile>

QPixmap cLoadResPicture::LoadResPicture(qint16 id, const QString& type) const
{
    const QString source = VbErrors::programName() + QStringLiteral(".cLoadResPicture");
    QFile resource(QStringLiteral(":/%1/%2").arg(type).arg(id));
    if (!resource.open(QIODevice::ReadOnly))
        throw VbError(VbErrors::ResourceNotFound, QStringLiteral("Risorsa con identificatore '%1' non trovata").arg(id),
                      source);
    QImage image = PictureDecoder::decode(resource.readAll());
    if (image.isNull())
        throw VbError(VbErrors::InvalidPicture, QStringLiteral("Immagine non valida"), source);
    // Handing the decoded pixels over, not copying them.
    return QPixmap::fromImage(std::move(image));
}
