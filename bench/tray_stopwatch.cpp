// A stopwatch for tray programs driven by X events, so that nothing polls
// beside the program being measured: it blocks on the X connection until the
// event it waits for arrives.
//
//   tray_stopwatch start PROGRAM [ARG...]
//       starts PROGRAM and waits until its icon is docked and shown in the
//       notification area (reparented away from the root window, then mapped);
//       one second after the start it reads the program's resident memory and
//       the CPU time it has used. Prints "pid dock_ms rss_kib cpu_ms" and
//       leaves the program running.
//   tray_stopwatch click PID [BUTTON]
//       clicks the docked icon of process PID (button 1 unless given) and
//       waits until a new top-level window of that process is mapped (its
//       menu). Prints "menu_ms", from the button press to the map, then
//       closes the menu with Escape. The program shows no other top-level
//       window meanwhile.
//
// The icon is recognised by _NET_WM_PID, which Qt sets on every window it
// makes.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <X11/extensions/XTest.h>

#include <cerrno>
#include <dirent.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <signal.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr double TimeLimitSeconds = 10;

double Now()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

[[noreturn]] void Fail(const char *what)
{
    std::fprintf(stderr, "tray_stopwatch: %s\n", what);
    std::exit(1);
}

long WindowPid(Display *display, Window window)
{
    static const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    long pid = -1;
    if (XGetWindowProperty(display, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &count, &after,
                           &data) == Success &&
        data) {
        if (type == XA_CARDINAL && format == 32 && count == 1)
            pid = long(*reinterpret_cast<unsigned long *>(data));
        XFree(data);
    }
    return pid;
}

// Errors for windows that vanish between an event and a query are expected.
int IgnoreErrors(Display *, XErrorEvent *) { return 0; }

// Waits for the next event until the deadline; false when time ran out.
bool NextEvent(Display *display, XEvent *event, double deadline)
{
    const int fd = ConnectionNumber(display);
    while (!XPending(display)) {
        const double left = deadline - Now();
        if (left <= 0)
            return false;
        fd_set fds;
        FD_ZERO(&fds);
        FD_SET(fd, &fds);
        timeval tv{time_t(left), suseconds_t((left - double(time_t(left))) * 1e6)};
        if (select(fd + 1, &fds, nullptr, nullptr, &tv) < 0 && errno != EINTR)
            return false;
    }
    XNextEvent(display, event);
    return true;
}

long KibFromStatus(pid_t pid, const char *key)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(key, 0) == 0)
            return std::strtol(line.c_str() + std::strlen(key), nullptr, 10);
    return -1;
}

// CPU time of every thread of the process, from the scheduler's own
// nanosecond accounting (the tick counts of /proc/PID/stat are 10 ms coarse).
double CpuMs(pid_t pid)
{
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    DIR *dir = opendir(tasks.c_str());
    if (!dir)
        return -1;
    unsigned long long total = 0;
    while (const dirent *entry = readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        std::ifstream schedstat(tasks + "/" + entry->d_name + "/schedstat");
        unsigned long long ns = 0;
        if (schedstat >> ns)
            total += ns;
    }
    closedir(dir);
    return double(total) / 1e6;
}

int Start(char **argv)
{
    Display *display = XOpenDisplay(nullptr);
    if (!display)
        Fail("cannot open the display");
    XSetErrorHandler(IgnoreErrors);
    const Window root = DefaultRootWindow(display);
    // Top-level windows being reparented (into the tray) and mapped are
    // reported on the root; the icon's own map after docking on the icon.
    XSelectInput(display, root, SubstructureNotifyMask);
    XSync(display, False);

    const double t0 = Now();
    const pid_t pid = fork();
    if (pid < 0)
        Fail("fork failed");
    if (pid == 0) {
        // The program's output must not hold the caller's pipe open.
        const int null = open("/dev/null", O_RDWR);
        dup2(null, STDIN_FILENO);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        execvp(argv[0], argv);
        _exit(127);
    }

    const double deadline = t0 + TimeLimitSeconds;
    Window icon = None;
    double docked = -1;
    XEvent event;
    while (docked < 0) {
        if (!NextEvent(display, &event, deadline)) {
            kill(pid, SIGKILL);
            Fail("no icon docked in time");
        }
        if (event.type == ReparentNotify && event.xreparent.event == root && event.xreparent.parent != root &&
            WindowPid(display, event.xreparent.window) == pid) {
            icon = event.xreparent.window;
            XSelectInput(display, icon, StructureNotifyMask);
            XWindowAttributes attributes{};
            if (XGetWindowAttributes(display, icon, &attributes) && attributes.map_state != IsUnmapped)
                docked = Now();
        } else if (event.type == MapNotify && icon != None && event.xmap.window == icon) {
            docked = Now();
        }
    }
    XCloseDisplay(display);

    const double settle = t0 + 1.0 - Now();
    if (settle > 0) {
        timespec ts{time_t(settle), long((settle - double(time_t(settle))) * 1e9)};
        nanosleep(&ts, nullptr);
    }
    std::printf("%d %.2f %ld %.1f\n", int(pid), (docked - t0) * 1000, KibFromStatus(pid, "VmRSS:"), CpuMs(pid));
    return 0;
}

// The docked icon of `pid`: the window with that pid that is not a child of the root.
Window FindIcon(Display *display, Window window, long pid, Window root)
{
    Window rootReturn, parent, *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, window, &rootReturn, &parent, &children, &count))
        return None;
    Window found = None;
    for (unsigned int i = 0; i < count && found == None; ++i) {
        if (window != root && WindowPid(display, children[i]) == pid)
            found = children[i];
        else
            found = FindIcon(display, children[i], pid, root);
    }
    if (children)
        XFree(children);
    return found;
}

int Click(long pid, unsigned int button)
{
    Display *display = XOpenDisplay(nullptr);
    if (!display)
        Fail("cannot open the display");
    XSetErrorHandler(IgnoreErrors);
    int eventBase, errorBase, major, minor;
    if (!XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor))
        Fail("the display has no XTEST");
    const Window root = DefaultRootWindow(display);
    const Window icon = FindIcon(display, root, pid, root);
    if (icon == None)
        Fail("no docked icon of that process");
    XWindowAttributes attributes{};
    XGetWindowAttributes(display, icon, &attributes);
    int x = 0, y = 0;
    Window child;
    XTranslateCoordinates(display, icon, root, attributes.width / 2, attributes.height / 2, &x, &y, &child);

    XSelectInput(display, root, SubstructureNotifyMask);
    XTestFakeMotionEvent(display, -1, x, y, CurrentTime);
    XSync(display, False);
    // A press within the double-click time of the last one would be taken
    // as a double click, which opens nothing.
    usleep(600000);

    const double t0 = Now();
    XTestFakeButtonEvent(display, button, True, CurrentTime);
    XTestFakeButtonEvent(display, button, False, CurrentTime);
    XFlush(display);
    const double deadline = t0 + TimeLimitSeconds;
    XEvent event;
    Window menu = None;
    while (menu == None) {
        if (!NextEvent(display, &event, deadline))
            Fail("no menu shown in time");
        if (event.type == MapNotify && event.xmap.event == root && WindowPid(display, event.xmap.window) == pid)
            menu = event.xmap.window;
    }
    const double shown = Now();

    // Close it again, so that the next click opens it anew: Escape once the
    // menu has taken the keyboard, until it is unmapped.
    const KeyCode escape = XKeysymToKeycode(display, XK_Escape);
    bool closed = false;
    for (int attempt = 0; attempt < 20 && !closed; ++attempt) {
        usleep(150000);
        XTestFakeKeyEvent(display, escape, True, CurrentTime);
        XTestFakeKeyEvent(display, escape, False, CurrentTime);
        XFlush(display);
        const double until = Now() + 0.5;
        while (!closed && NextEvent(display, &event, until))
            closed = event.type == UnmapNotify && event.xunmap.window == menu;
    }
    if (!closed)
        Fail("the menu did not close");
    std::printf("%.2f\n", (shown - t0) * 1000);
    XCloseDisplay(display);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc >= 3 && std::strcmp(argv[1], "start") == 0)
        return Start(argv + 2);
    if ((argc == 3 || argc == 4) && std::strcmp(argv[1], "click") == 0)
        return Click(std::strtol(argv[2], nullptr, 10), argc == 4 ? unsigned(std::atoi(argv[3])) : 1u);
    std::fprintf(stderr, "usage: tray_stopwatch start PROGRAM [ARG...] | click PID [BUTTON]\n");
    return 2;
}
