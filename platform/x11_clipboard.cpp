#include "platform/x11_clipboard.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <vector>

extern char** environ;

namespace x11clipboard {

namespace {

int onIoError(Display*) { _exit(0); }  // the X server is gone: nothing left to serve

struct Atoms {
    Atom clipboard, targets, utf8, text, plain, plainUtf8;
};

void answer(Display* display, const Atoms& atoms, const XSelectionRequestEvent& request, const std::string& text)
{
    XSelectionEvent reply{};
    reply.type = SelectionNotify;
    reply.display = request.display;
    reply.requestor = request.requestor;
    reply.selection = request.selection;
    reply.target = request.target;
    reply.time = request.time;
    reply.property = None;

    Atom property = request.property != None ? request.property : request.target;  // obsolete clients
    if (request.target == atoms.targets) {
        const Atom offered[] = {atoms.targets, atoms.utf8, XA_STRING, atoms.text, atoms.plain, atoms.plainUtf8};
        XChangeProperty(display, request.requestor, property, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(offered), 6);
        reply.property = property;
    } else if (request.target == atoms.utf8 || request.target == XA_STRING || request.target == atoms.text ||
               request.target == atoms.plain || request.target == atoms.plainUtf8) {
        const Atom type = request.target == atoms.text ? atoms.utf8 : request.target;
        XChangeProperty(display, request.requestor, property, type, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
        reply.property = property;
    }
    XSendEvent(display, request.requestor, False, 0, reinterpret_cast<XEvent*>(&reply));
    XFlush(display);
}

}  // namespace

int serve(const std::string& text, void (*ready)(bool owned))
{
    XSetIOErrorHandler(onIoError);
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        ready(false);
        return 1;
    }
    Atoms atoms{XInternAtom(display, "CLIPBOARD", False), XInternAtom(display, "TARGETS", False),
                XInternAtom(display, "UTF8_STRING", False), XInternAtom(display, "TEXT", False),
                XInternAtom(display, "text/plain", False), XInternAtom(display, "text/plain;charset=utf-8", False)};
    const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);

    XSetSelectionOwner(display, atoms.clipboard, window, CurrentTime);
    const bool owned = XGetSelectionOwner(display, atoms.clipboard) == window;
    ready(owned);
    if (!owned) {
        XCloseDisplay(display);
        return 1;
    }
    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == SelectionClear)
            break;  // another program took the clipboard over
        if (event.type == SelectionRequest)
            answer(display, atoms, event.xselectionrequest, text);
    }
    XCloseDisplay(display);
    return 0;
}

bool handOver(const std::string& helperPath, const std::string& text)
{
    int toHelper[2];
    int fromHelper[2];
    if (pipe2(toHelper, O_CLOEXEC) != 0)
        return false;
    if (pipe2(fromHelper, O_CLOEXEC) != 0) {
        close(toHelper[0]);
        close(toHelper[1]);
        return false;
    }

    // The helper reads the text on stdin and reports on stdout; it never
    // keeps our stderr, so whoever waits on this process's output is not held up.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, toHelper[0], 0);
    posix_spawn_file_actions_adddup2(&actions, fromHelper[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);

    char* argv[] = {const_cast<char*>(helperPath.c_str()), nullptr};
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, helperPath.c_str(), &actions, &attributes, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    close(toHelper[0]);
    close(fromHelper[1]);
    if (spawned != 0) {
        close(toHelper[1]);
        close(fromHelper[0]);
        return false;
    }

    size_t sent = 0;
    while (sent < text.size()) {
        const ssize_t n = write(toHelper[1], text.data() + sent, text.size() - sent);
        if (n <= 0)
            break;
        sent += static_cast<size_t>(n);
    }
    close(toHelper[1]);

    // Wait (briefly) until the helper owns the selection.
    char status = 0;
    pollfd pfd{fromHelper[0], POLLIN, 0};
    if (poll(&pfd, 1, 3000) == 1 && read(fromHelper[0], &status, 1) != 1)
        status = 0;
    close(fromHelper[0]);
    return sent == text.size() && status == '1';
}

}  // namespace x11clipboard
