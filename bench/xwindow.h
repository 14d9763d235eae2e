// What the bench's X watchers both need: which process a window belongs to, and an error handler that lets a
// window vanish between finding it and reading it.
#pragma once

#include <X11/Xatom.h>
#include <X11/Xlib.h>

// The _NET_WM_PID the window's toolkit set on it, or -1.
inline long windowPid(Display* display, Window window)
{
    const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    long pid = -1;
    if (XGetWindowProperty(display, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &count, &after, &data) ==
            Success &&
        data) {
        if (type == XA_CARDINAL && format == 32 && count == 1)
            pid = static_cast<long>(*reinterpret_cast<unsigned long*>(data));
        XFree(data);
    }
    return pid;
}

inline int ignoreXErrors(Display*, XErrorEvent*)
{
    return 0;
}
