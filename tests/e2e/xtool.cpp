// A small X11 helper for the end-to-end tests: finds top-level windows by
// title and closes them the way a window manager's close button does.
//   plemox-xtool find TEXT      prints the id of the first window whose title contains TEXT
//   plemox-xtool title ID       prints the window's title
//   plemox-xtool close ID       asks the window to close (WM_DELETE_WINDOW)
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string windowTitle(Display* display, Window window)
{
    Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::string title;
    if (XGetWindowProperty(display, window, netName, 0, 1024, False, utf8, &type, &format, &count, &after,
                           &data) == Success &&
        data) {
        title.assign(reinterpret_cast<char*>(data), count);
        XFree(data);
        if (!title.empty())
            return title;
    }
    char* name = nullptr;
    if (XFetchName(display, window, &name) && name) {
        title = name;
        XFree(name);
    }
    return title;
}

Window findWindow(Display* display, Window parent, const char* text)
{
    Window root = 0, up = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, parent, &root, &up, &children, &count))
        return 0;
    Window found = 0;
    for (unsigned i = 0; i < count && !found; ++i) {
        if (windowTitle(display, children[i]).find(text) != std::string::npos)
            found = children[i];
        else
            found = findWindow(display, children[i], text);
    }
    if (children)
        XFree(children);
    return found;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s find TEXT | title ID | close ID\n", argv[0]);
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "cannot open the display\n");
        return 2;
    }
    int status = 0;
    if (std::strcmp(argv[1], "find") == 0) {
        const Window window = findWindow(display, DefaultRootWindow(display), argv[2]);
        if (window)
            std::printf("%lu\n", window);
        status = window ? 0 : 1;
    } else if (std::strcmp(argv[1], "title") == 0) {
        std::printf("%s\n", windowTitle(display, std::strtoul(argv[2], nullptr, 0)).c_str());
    } else if (std::strcmp(argv[1], "close") == 0) {
        XEvent event = {};
        event.xclient.type = ClientMessage;
        event.xclient.window = std::strtoul(argv[2], nullptr, 0);
        event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(display, event.xclient.window, False, NoEventMask, &event);
        XFlush(display);
    } else {
        status = 2;
    }
    XCloseDisplay(display);
    return status;
}
