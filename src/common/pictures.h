// Pictures carried by the program. Where a picture has a double-size twin ("name@2x.png") it is used on
// screens scaled 1.5x and more, so sprites stay crisp; frame pieces are pixel art and are enlarged without
// smoothing instead.
#pragma once

#include <QPixmap>
#include <QString>

namespace Pictures {

// ":/<path>", choosing the @2x twin when the screen asks for it.
QPixmap load(const QString& path);

// A frame picture with its magenta areas made transparent.
QPixmap loadKeyed(const QString& path);

} // namespace Pictures
