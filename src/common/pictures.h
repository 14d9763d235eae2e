// Pictures carried by the program. Where a picture has a double-size twin ("name@2x.png") it is used on
// screens scaled 1.5x and more, so sprites stay crisp; frame pieces are pixel art and are enlarged without
// smoothing instead.
#pragma once

#include <QPixmap>
#include <QString>
#include <QStringList>

#include <memory>

namespace Pictures {

// The picture at `path`, one of our own, read as the format its name ends with (any format, without one).
QPixmap fromFile(const QString& path);

// ":/<path>", choosing the @2x twin when the screen asks for it.
QPixmap load(const QString& path);

// A frame picture with its magenta areas made transparent.
QPixmap loadKeyed(const QString& path);

// Decodes JPEG pictures ahead, on a thread of its own: started before the application object exists, the
// decoding overlaps with connecting to the display. While it lives, load() takes those pictures from it,
// waiting for one not ready yet; a picture it could not decode, load() decodes as usual.
class Prefetch
{
public:
    explicit Prefetch(const QStringList& paths);
    ~Prefetch(); // waits for the thread; load() decodes everything itself again
    Prefetch(const Prefetch&) = delete;
    Prefetch& operator=(const Prefetch&) = delete;

    struct State;

private:
    std::shared_ptr<State> m_state;
};

} // namespace Pictures
