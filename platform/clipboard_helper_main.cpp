// glasswake-clipboard - keeps a text on the X11 clipboard after the game ends.
//
// Reads the text from stdin, takes the CLIPBOARD selection, writes '1' (or '0')
// to stdout, closes it, and serves pastes until another program takes over.
#include <unistd.h>

#include <string>

#include "platform/x11_clipboard.h"

static void report(bool owned)
{
    const char c = owned ? '1' : '0';
    (void)!write(1, &c, 1);
    close(1);
}

int main()
{
    std::string text;
    char buffer[4096];
    ssize_t n;
    while ((n = read(0, buffer, sizeof buffer)) > 0)
        text.append(buffer, static_cast<size_t>(n));
    close(0);
    for (int fd = 3; fd < 1024; ++fd)
        close(fd);
    return x11clipboard::serve(text, report);
}
