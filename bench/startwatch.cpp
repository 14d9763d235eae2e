// Watches a program start from the outside, as the X server sees it, so that the program under test carries
// no timing code of its own and the yardstick program is measured exactly the same way.
//
//   startwatch HOLD_MS RSS_AT_MS program [args...]
//
// Starts the program and reports on one line, in milliseconds from just before the program was started:
//   map=     its first top-level window (the one whose _NET_WM_PID is the program's) was mapped;
//   painted= the window first showed the picture it still shows at HOLD_MS, i.e. its start-up paint is done;
//   rss=     the program's resident set (kB, /proc/PID/status VmRSS) at RSS_AT_MS;
//   changes= how many different pictures the window showed on the way.
// The window is read back through MIT-SHM about once a millisecond for the first half second, every 20 ms after
// that; an unpainted window shows what lies under it.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>

#include "xwindow.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

double nowMs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

long vmRssKb(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return -1;
}

// A hash of the pixels, eight bytes at a time (the unused top byte of each 32-bit pixel masked off): enough to
// tell one picture of the window from another, and cheap, so that watching takes little from the program watched.
std::uint64_t hashImage(const XImage* image)
{
    const std::size_t size = static_cast<std::size_t>(image->bytes_per_line) * static_cast<std::size_t>(image->height);
    std::uint64_t h = 0x9E3779B97F4A7C15ULL;
    for (std::size_t i = 0; i + 8 <= size; i += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, image->data + i, 8);
        h = (h ^ (word & 0x00FFFFFF00FFFFFFULL)) * 0xFF51AFD7ED558CCDULL;
        h ^= h >> 29;
    }
    return h;
}

// Until then the window is read back about once a millisecond, then every 20 ms.
constexpr double DenseMs = 500;

void sleepMs(double ms)
{
    timespec ts{0, static_cast<long>(ms * 1e6)};
    nanosleep(&ts, nullptr);
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s HOLD_MS RSS_AT_MS program [args...]\n", argv[0]);
        return 2;
    }
    const double holdMs = std::atof(argv[1]);
    const double rssAtMs = std::atof(argv[2]);

    // A busy X server may turn a connection away now and then: try again for up to two seconds.
    Display* display = XOpenDisplay(nullptr);
    for (int i = 0; !display && i < 40; ++i) {
        sleepMs(50);
        display = XOpenDisplay(nullptr);
    }
    if (!display) {
        std::fprintf(stderr, "startwatch: no X display\n");
        return 1;
    }
    if (!XShmQueryExtension(display)) {
        std::fprintf(stderr, "startwatch: the X server has no MIT-SHM\n");
        return 1;
    }
    XSetErrorHandler(ignoreXErrors);
    const Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);
    XSync(display, False);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const double start = nowMs();
    if (posix_spawn(&pid, argv[3], &actions, nullptr, argv + 3, environ) != 0) {
        std::fprintf(stderr, "startwatch: cannot start %s: %s\n", argv[3], std::strerror(errno));
        return 1;
    }
    posix_spawn_file_actions_destroy(&actions);

    // The map: wait for X events, giving up after ten seconds.
    Window window = 0;
    double mapped = -1;
    const int fd = ConnectionNumber(display);
    while (!window && nowMs() - start < 10000) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify && event.xmap.event == root && windowPid(display, event.xmap.window) == pid) {
                mapped = nowMs() - start;
                window = event.xmap.window;
                break;
            }
        }
        if (!window) {
            pollfd p{fd, POLLIN, 0};
            poll(&p, 1, 5);
        }
    }
    if (!window) {
        std::fprintf(stderr, "startwatch: %s mapped no window\n", argv[3]);
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        return 1;
    }

    XWindowAttributes attributes{};
    XGetWindowAttributes(display, window, &attributes);
    XShmSegmentInfo shm{};
    XImage* image =
        XShmCreateImage(display, attributes.visual, static_cast<unsigned>(attributes.depth), ZPixmap, nullptr, &shm,
                        static_cast<unsigned>(attributes.width), static_cast<unsigned>(attributes.height));
    const std::size_t bytes = static_cast<std::size_t>(image->bytes_per_line) * static_cast<std::size_t>(image->height);
    shm.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    shm.shmaddr = image->data = static_cast<char*>(shmat(shm.shmid, nullptr, 0));
    shm.readOnly = False;
    XShmAttach(display, &shm);
    XSync(display, False);
    shmctl(shm.shmid, IPC_RMID, nullptr);

    std::uint64_t last = 0;
    double lastChange = -1;
    int changes = 0;
    long rss = -1;
    for (;;) {
        const double now = nowMs() - start;
        if (rss < 0 && now >= rssAtMs)
            rss = vmRssKb(pid);
        if (now >= holdMs && rss >= 0)
            break;
        if (XShmGetImage(display, window, image, 0, 0, AllPlanes)) {
            const std::uint64_t h = hashImage(image);
            if (h != last) {
                last = h;
                lastChange = now;
                ++changes;
            }
        }
        // Densely while a start-up paint is to be expected, sparsely after: watching costs the machine too.
        sleepMs(now < DenseMs ? 1.0 : 20.0);
    }

    std::printf("map=%.1f painted=%.1f rss=%ld changes=%d size=%dx%d\n", mapped, lastChange, rss, changes,
                attributes.width, attributes.height);
    XShmDetach(display, &shm);
    shmdt(shm.shmaddr);
    kill(pid, SIGTERM);
    int status = 0;
    for (int i = 0; i < 200 && waitpid(pid, &status, WNOHANG) == 0; ++i)
        sleepMs(10);
    if (waitpid(pid, &status, WNOHANG) == 0) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    }
    XCloseDisplay(display);
    return 0;
}
