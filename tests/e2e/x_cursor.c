/* The pointer the X server shows right now, as a user sees it: its name (when
 * the theme gave one), size, hot spot and a hash of its pixels, on one line.
 * The driver runs it from inside Wine to compare pointers by what they look
 * like, not by handle. Usage: x_cursor [output file] */
#include <stdint.h>
#include <stdio.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

int main(int argc, char** argv) {
    Display* d = XOpenDisplay(NULL);
    if (!d) {
        fprintf(stderr, "x_cursor: cannot open the display\n");
        return 2;
    }
    int event, error;
    if (!XFixesQueryExtension(d, &event, &error)) {
        fprintf(stderr, "x_cursor: no XFixes extension\n");
        return 3;
    }
    XFixesCursorImage* c = XFixesGetCursorImage(d);
    if (!c) {
        fprintf(stderr, "x_cursor: no cursor image\n");
        return 4;
    }
    uint64_t hash = 1469598103934665603ULL; /* FNV-1a over the ARGB bytes */
    for (long i = 0; i < (long)c->width * c->height; ++i) {
        uint32_t px = (uint32_t)c->pixels[i];
        for (int b = 0; b < 4; ++b) {
            hash ^= (px >> (8 * b)) & 0xFF;
            hash *= 1099511628211ULL;
        }
    }
    FILE* out = argc > 1 ? fopen(argv[1], "w") : stdout;
    if (!out) return 5;
    fprintf(out, "%s %dx%d %d,%d %016llx\n", c->name && *c->name ? c->name : "-", c->width, c->height, c->xhot,
            c->yhot, (unsigned long long)hash);
    if (out != stdout) fclose(out);
    XFree(c);
    XCloseDisplay(d);
    return 0;
}
