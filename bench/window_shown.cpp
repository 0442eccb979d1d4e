// Starts a program and prints the milliseconds from its start until it maps a top-level
// window on the X display, then ends it with SIGTERM. Exits 1 when the program ends first.
//
// window_shown PROGRAM [ARGS...]   (on the display DISPLAY names)
#include <xcb/xcb.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <poll.h>

extern char** environ;

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: window_shown PROGRAM [ARGS...]\n");
        return 2;
    }
    xcb_connection_t* x = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(x)) {
        std::fprintf(stderr, "window_shown: no X display\n");
        return 2;
    }
    // Every window mapped on the root, the program's main window among them.
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(x)).data;
    const uint32_t events = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(x, screen->root, XCB_CW_EVENT_MASK, &events);
    xcb_flush(x);

    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    if (posix_spawn(&child, argv[1], nullptr, nullptr, argv + 1, environ) != 0) {
        std::fprintf(stderr, "window_shown: cannot start %s\n", argv[1]);
        return 2;
    }
    pollfd wait{xcb_get_file_descriptor(x), POLLIN, 0};
    for (;;) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(x)) {
            const bool mapped = (event->response_type & 0x7F) == XCB_MAP_NOTIFY;
            free(event);
            if (mapped) {
                const auto shown = std::chrono::steady_clock::now();
                std::printf("%lld\n",
                            static_cast<long long>(
                                std::chrono::duration_cast<std::chrono::milliseconds>(shown - start)
                                    .count()));
                kill(child, SIGTERM);
                waitpid(child, nullptr, 0);
                return 0;
            }
        }
        int status = 0;
        if (waitpid(child, &status, WNOHANG) == child) {
            std::fprintf(stderr, "window_shown: %s ended before a window showed\n", argv[1]);
            return 1;
        }
        poll(&wait, 1, 5);
    }
}
