/* x11_window_lit WINDOW_ID - prints the share (0 ... 1) of a window's pixels
 * that are not black, so a test can wait until a frame is on screen. */
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <stdio.h>
#include <stdlib.h>

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: %s WINDOW_ID\n", argv[0]);
        return 2;
    }
    Display* display = XOpenDisplay(NULL);
    if (!display)
        return 1;
    const Window window = (Window)strtoul(argv[1], NULL, 0);
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes) || attributes.width <= 0 || attributes.height <= 0) {
        XCloseDisplay(display);
        return 1;
    }
    XImage* image = XGetImage(display, window, 0, 0, (unsigned)attributes.width, (unsigned)attributes.height,
                              AllPlanes, ZPixmap);
    if (!image) {
        XCloseDisplay(display);
        return 1;
    }
    long lit = 0;
    for (int y = 0; y < attributes.height; ++y)
        for (int x = 0; x < attributes.width; ++x) {
            const unsigned long p = XGetPixel(image, x, y);
            const unsigned long r = (p & image->red_mask) >> __builtin_ctzl(image->red_mask);
            const unsigned long g = (p & image->green_mask) >> __builtin_ctzl(image->green_mask);
            const unsigned long b = (p & image->blue_mask) >> __builtin_ctzl(image->blue_mask);
            lit += r > 16 || g > 16 || b > 16;
        }
    printf("%.3f\n", (double)lit / ((double)attributes.width * attributes.height));
    XDestroyImage(image);
    XCloseDisplay(display);
    return 0;
}
