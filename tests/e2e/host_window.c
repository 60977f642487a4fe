/* A window standing for the desktop's saver window in end-to-end tests.
 *
 *   host_window X Y W H [--focus]
 *
 * Maps a magenta window at that place (an override-redirect window, so that
 * no window manager moves it), prints its id in decimal on standard output
 * and stays until killed. --focus gives it the input focus (a window the
 * size of the screen with the focus is what a full-screen video looks like
 * without a window manager). */
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int main(int argc, char** argv) {
  if (argc < 5) {
    fprintf(stderr, "usage: host_window X Y W H [--focus]\n");
    return 2;
  }
  Display* d = XOpenDisplay(NULL);
  if (!d) {
    fprintf(stderr, "host_window: cannot open the display\n");
    return 1;
  }
  int focus = 0;
  for (int i = 5; i < argc; ++i)
    if (strcmp(argv[i], "--focus") == 0) focus = 1;
  XSetWindowAttributes a;
  a.background_pixel = 0xFF00FF;
  a.override_redirect = True;
  Window w = XCreateWindow(d, DefaultRootWindow(d), atoi(argv[1]), atoi(argv[2]), (unsigned)atoi(argv[3]),
                           (unsigned)atoi(argv[4]), 0, CopyFromParent, InputOutput, CopyFromParent,
                           CWBackPixel | CWOverrideRedirect, &a);
  XStoreName(d, w, "lumora-test-host");
  XSelectInput(d, w, ExposureMask | StructureNotifyMask);
  XMapWindow(d, w);
  for (;;) {
    XEvent e;
    XNextEvent(d, &e);
    if (e.type == MapNotify) break;
  }
  if (focus) XSetInputFocus(d, w, RevertToParent, CurrentTime);
  XSync(d, False);
  printf("%lu\n", (unsigned long)w);
  fflush(stdout);
  for (;;) {
    XEvent e;
    XNextEvent(d, &e);
  }
}
