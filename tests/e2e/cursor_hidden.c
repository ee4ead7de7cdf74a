/* Tells whether the mouse cursor is hidden over a window: moves the pointer to the window's
 * centre and reads the cursor image the server shows there. Exit code 0: hidden (every pixel
 * transparent), 1: shown, 2: usage or display problem. Usage: cursor_hidden WINDOW_ID */
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>
#include <stdio.h>
#include <stdlib.h>

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: cursor_hidden WINDOW_ID\n");
        return 2;
    }
    Display* display = XOpenDisplay(NULL);
    int eventBase = 0;
    int errorBase = 0;
    if (display == NULL || !XFixesQueryExtension(display, &eventBase, &errorBase)) {
        fprintf(stderr, "cursor_hidden: no display with the XFIXES extension\n");
        return 2;
    }
    Window window = (Window)strtoul(argv[1], NULL, 0);
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes)) {
        fprintf(stderr, "cursor_hidden: no window %s\n", argv[1]);
        return 2;
    }
    XWarpPointer(display, None, window, 0, 0, 0, 0, attributes.width / 2, attributes.height / 2);
    XSync(display, False);
    XFixesCursorImage* image = XFixesGetCursorImage(display);
    if (image == NULL) {
        fprintf(stderr, "cursor_hidden: the server gave no cursor image\n");
        return 2;
    }
    int hidden = 1;
    for (int i = 0; i < image->width * image->height; ++i) {
        if ((image->pixels[i] >> 24) & 0xff)
            hidden = 0;
    }
    XFree(image);
    XCloseDisplay(display);
    return hidden ? 0 : 1;
}
