/* Whole-process measurements on a real X server (Xvfb), the same way for every editor.
 *
 *   xprobe [options] -- program args...
 *
 * Starts the program and watches the X server: when a top-level window whose title
 * contains --title is mapped ("visible"), when that window is first drawn into
 * ("painted", from the DAMAGE extension), and when drawing has stopped for --quiet
 * milliseconds ("idle": the time of the last drawing before the pause). With --type N
 * it then gives the window the size of --size, clicks into its middle (the text area of
 * an editor), and types N letters through the XTEST extension, one at a time: for each
 * key the time from sending the key to the first drawing of the window, and over all keys
 * the CPU time of the process (all threads) and of its main (GUI) thread, from
 * /proc/PID/task/TID/schedstat in nanoseconds. Finally the peak resident memory (VmHWM).
 * The program is killed at the end. One line of key=value pairs on standard output,
 * times in milliseconds, memory in MB (10^6 bytes).
 *
 * Options: --title TEXT (required), --timeout MS (default 60000), --quiet MS (500),
 *          --type N (0), --size WxH (1280x900), --key KEYSYM (a), --keep (do not kill).
 */
#define _GNU_SOURCE
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xdamage.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <dirent.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static Display *dpy;
static int damageEvent, damageError;
static pid_t child;

static double now_ms(void)
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

/* CPU time in ms of the whole process (sum over its threads) or of its main thread. */
static double cpu_ms(pid_t pid, int mainOnly)
{
    char path[256];
    double total = 0;
    if (mainOnly) {
        snprintf(path, sizeof path, "/proc/%d/task/%d/schedstat", pid, pid);
        FILE *f = fopen(path, "r");
        unsigned long long ns = 0;
        if (f) {
            if (fscanf(f, "%llu", &ns) != 1)
                ns = 0;
            fclose(f);
        }
        return ns / 1e6;
    }
    snprintf(path, sizeof path, "/proc/%d/task", pid);
    DIR *d = opendir(path);
    if (!d)
        return 0;
    struct dirent *e;
    while ((e = readdir(d))) {
        if (e->d_name[0] == '.')
            continue;
        char p2[512];
        snprintf(p2, sizeof p2, "/proc/%d/task/%s/schedstat", pid, e->d_name);
        FILE *f = fopen(p2, "r");
        unsigned long long ns = 0;
        if (f) {
            if (fscanf(f, "%llu", &ns) == 1)
                total += ns / 1e6;
            fclose(f);
        }
    }
    closedir(d);
    return total;
}

static double peak_mb(pid_t pid)
{
    char path[64], line[256];
    snprintf(path, sizeof path, "/proc/%d/status", pid);
    FILE *f = fopen(path, "r");
    double kb = -1;
    if (!f)
        return -1;
    while (fgets(line, sizeof line, f))
        if (sscanf(line, "VmHWM: %lf kB", &kb) == 1)
            break;
    fclose(f);
    return kb < 0 ? -1 : kb * 1024 / 1e6;
}

/* The window's title (_NET_WM_NAME, else WM_NAME), or "" */
static void title_of(Window w, char *out, size_t size)
{
    static Atom netName, utf8;
    if (!netName) {
        netName = XInternAtom(dpy, "_NET_WM_NAME", False);
        utf8 = XInternAtom(dpy, "UTF8_STRING", False);
    }
    out[0] = 0;
    Atom type;
    int format;
    unsigned long n, after;
    unsigned char *data = NULL;
    if (XGetWindowProperty(dpy, w, netName, 0, 1024, False, utf8, &type, &format, &n, &after, &data) == Success &&
        data && n > 0) {
        snprintf(out, size, "%s", (char *)data);
        XFree(data);
        return;
    }
    if (data)
        XFree(data);
    XTextProperty tp;
    if (XGetWMName(dpy, w, &tp) && tp.value) {
        snprintf(out, size, "%.*s", (int)tp.nitems, (char *)tp.value);
        XFree(tp.value);
    }
}

static int ignore_errors(Display *d, XErrorEvent *e)
{
    (void)d;
    (void)e;
    return 0;
}

/* Waits for the next event until deadline (ms on the monotonic clock); 0 on timeout. */
static int next_event(XEvent *ev, double deadline)
{
    for (;;) {
        if (XPending(dpy)) {
            XNextEvent(dpy, ev);
            return 1;
        }
        double left = deadline - now_ms();
        if (left <= 0)
            return 0;
        struct pollfd p = {ConnectionNumber(dpy), POLLIN, 0};
        poll(&p, 1, left > 1000 ? 1000 : (int)left + 1);
        int status;
        if (child && waitpid(child, &status, WNOHANG) == child) {
            child = 0;
            return 0;
        }
    }
}

#define MAXW 256
static Window watched[MAXW];
static Damage damages[MAXW];
static double firstDrawn[MAXW]; /* time of the first drawing into each window, or -1 */
static int nwatched;
static int verbose;

static int index_of(Window w)
{
    for (int i = 0; i < nwatched; ++i)
        if (watched[i] == w)
            return i;
    return -1;
}

static void watch(Window w)
{
    for (int i = 0; i < nwatched; ++i)
        if (watched[i] == w)
            return;
    if (nwatched == MAXW)
        return;
    XSelectInput(dpy, w, PropertyChangeMask | StructureNotifyMask);
    watched[nwatched] = w;
    firstDrawn[nwatched] = -1;
    damages[nwatched] = XDamageCreate(dpy, w, XDamageReportNonEmpty);
    ++nwatched;
}

static int is_viewable(Window w)
{
    XWindowAttributes a;
    return XGetWindowAttributes(dpy, w, &a) && a.map_state == IsViewable;
}

static int cmp_double(const void *a, const void *b)
{
    double x = *(const double *)a, y = *(const double *)b;
    return x < y ? -1 : x > y;
}

/* Drawing into w (or any watched window) until quiet ms pass without; returns the time of the last. */
static double settle(Window w, double quiet, double limit)
{
    double last = now_ms(), end = last + limit;
    XEvent ev;
    while (now_ms() < end) {
        if (!next_event(&ev, (last + quiet < end ? last + quiet : end)))
            break;
        if (ev.type == damageEvent + XDamageNotify) {
            XDamageNotifyEvent *de = (XDamageNotifyEvent *)&ev;
            XDamageSubtract(dpy, de->damage, None, None);
            (void)w;
            last = now_ms();
        }
    }
    return last;
}

int main(int argc, char **argv)
{
    const char *title = NULL, *keyName = "a";
    double timeout = 60000, quiet = 500;
    int typeCount = 0, width = 1280, height = 900, keep = 0;
    int i = 1;
    for (; i < argc; ++i) {
        if (!strcmp(argv[i], "--")) {
            ++i;
            break;
        } else if (!strcmp(argv[i], "--title") && i + 1 < argc) title = argv[++i];
        else if (!strcmp(argv[i], "--timeout") && i + 1 < argc) timeout = atof(argv[++i]);
        else if (!strcmp(argv[i], "--quiet") && i + 1 < argc) quiet = atof(argv[++i]);
        else if (!strcmp(argv[i], "--type") && i + 1 < argc) typeCount = atoi(argv[++i]);
        else if (!strcmp(argv[i], "--key") && i + 1 < argc) keyName = argv[++i];
        else if (!strcmp(argv[i], "--keep")) keep = 1;
        else if (!strcmp(argv[i], "--verbose")) verbose = 1;
        else if (!strcmp(argv[i], "--size") && i + 1 < argc) {
            if (sscanf(argv[++i], "%dx%d", &width, &height) != 2) return 2;
        } else {
            fprintf(stderr, "xprobe: unknown option %s\n", argv[i]);
            return 2;
        }
    }
    if (!title || i >= argc) {
        fprintf(stderr, "usage: xprobe --title TEXT [options] -- program args...\n");
        return 2;
    }
    dpy = XOpenDisplay(NULL);
    if (!dpy) {
        fprintf(stderr, "xprobe: no X display\n");
        return 2;
    }
    int xtestEvent, xtestError, major, minor;
    if (!XDamageQueryExtension(dpy, &damageEvent, &damageError) ||
        !XTestQueryExtension(dpy, &xtestEvent, &xtestError, &major, &minor)) {
        fprintf(stderr, "xprobe: the X server lacks DAMAGE or XTEST\n");
        return 2;
    }
    XSetErrorHandler(ignore_errors);
    Window root = DefaultRootWindow(dpy);
    XSelectInput(dpy, root, SubstructureNotifyMask);
    XSync(dpy, False);

    const double start = now_ms();
    child = fork();
    if (child == 0) {
        close(ConnectionNumber(dpy));
        /* The program's own chatter stays out of the measurement's output. */
        FILE *null = fopen("/dev/null", "w");
        if (null) {
            dup2(fileno(null), 1);
            dup2(fileno(null), 2);
        }
        execvp(argv[i], argv + i);
        _exit(127);
    }
    const pid_t pid = child;

    Window win = 0;
    double visible = -1, painted = -1, idle = -1;
    char name[1024];
    XEvent ev;
    const double deadline = start + timeout;
    while (!win && next_event(&ev, deadline)) {
        Window w = 0;
        if (ev.type == damageEvent + XDamageNotify) {
            /* Drawing before the title is right (a window that shows its page later). */
            XDamageNotifyEvent *de = (XDamageNotifyEvent *)&ev;
            XDamageSubtract(dpy, de->damage, None, None);
            const int at = index_of(de->drawable);
            if (at >= 0 && firstDrawn[at] < 0)
                firstDrawn[at] = now_ms() - start;
            continue;
        }
        if (ev.type == CreateNotify && ev.xcreatewindow.parent == root)
            watch(ev.xcreatewindow.window);
        else if (ev.type == MapNotify && ev.xmap.event == root)
            w = ev.xmap.window;
        else if (ev.type == PropertyNotify)
            w = ev.xproperty.window;
        if (w && is_viewable(w)) {
            title_of(w, name, sizeof name);
            if (verbose)
                fprintf(stderr, "xprobe: %.1f ms window 0x%lx \"%s\"\n", now_ms() - start, w, name);
            if (strstr(name, title)) {
                visible = now_ms() - start;
                win = w;
            }
        }
    }
    if (win) {
        /* The first drawing into that window once it is visible with its title (drawn
         * before: the next drawing, which shows the page), then the pause that ends start-up. */
        const int at = index_of(win);
        const double waitUntil = at >= 0 && firstDrawn[at] >= 0 ? now_ms() + quiet : deadline;
        while (painted < 0 && next_event(&ev, waitUntil < deadline ? waitUntil : deadline)) {
            if (ev.type == damageEvent + XDamageNotify) {
                XDamageNotifyEvent *de = (XDamageNotifyEvent *)&ev;
                XDamageSubtract(dpy, de->damage, None, None);
                if (de->drawable == win)
                    painted = now_ms() - start;
            }
        }
        /* Nothing new drawn after the title changed: it was drawn with it. */
        if (painted < 0 && at >= 0 && firstDrawn[at] >= 0)
            painted = visible;
        if (painted >= 0)
            idle = settle(win, quiet, deadline - now_ms()) - start;
    }
    printf("visible_ms=%.1f painted_ms=%.1f idle_ms=%.1f", visible, painted, idle);
    printf(" start_cpu_ms=%.1f", cpu_ms(pid, 0));

    if (win && typeCount > 0 && child) {
        XMoveResizeWindow(dpy, win, 0, 0, width, height);
        XSync(dpy, False);
        settle(win, 300, 10000);
        XSetInputFocus(dpy, win, RevertToParent, CurrentTime);
        XTestFakeMotionEvent(dpy, -1, width / 2, height / 2, 0);
        XTestFakeButtonEvent(dpy, 1, True, 0);
        XTestFakeButtonEvent(dpy, 1, False, 0);
        XSync(dpy, False);
        settle(win, 300, 10000);
        const KeyCode key = XKeysymToKeycode(dpy, XStringToKeysym(keyName));
        double *latency = calloc(typeCount, sizeof(double));
        int answered = 0;
        const double cpu0 = cpu_ms(pid, 0), gui0 = cpu_ms(pid, 1), t0 = now_ms();
        for (int k = 0; k < typeCount && child; ++k) {
            const double sent = now_ms();
            XTestFakeKeyEvent(dpy, key, True, 0);
            XTestFakeKeyEvent(dpy, key, False, 0);
            XFlush(dpy);
            /* The first drawing of the window after the key. */
            double got = -1;
            while (next_event(&ev, sent + 10000)) {
                if (ev.type == damageEvent + XDamageNotify) {
                    XDamageNotifyEvent *de = (XDamageNotifyEvent *)&ev;
                    XDamageSubtract(dpy, de->damage, None, None);
                    if (de->drawable == win) {
                        got = now_ms() - sent;
                        break;
                    }
                }
            }
            if (got >= 0)
                latency[answered++] = got;
            /* Let the key's work finish before the next one. */
            settle(win, 60, 10000);
        }
        const double cpu = cpu_ms(pid, 0) - cpu0, gui = cpu_ms(pid, 1) - gui0, wall = now_ms() - t0;
        qsort(latency, answered, sizeof(double), cmp_double);
        printf(" keys=%d painted_keys=%d key_to_paint_median_ms=%.2f key_to_paint_p90_ms=%.2f"
               " cpu_per_key_ms=%.2f gui_cpu_per_key_ms=%.2f typing_wall_ms=%.0f",
               typeCount, answered, answered ? latency[answered / 2] : -1.0,
               answered ? latency[(int)(answered * 0.9)] : -1.0, cpu / typeCount, gui / typeCount, wall);
        free(latency);
    }
    printf(" peak_mb=%.1f\n", child ? peak_mb(pid) : -1.0);
    fflush(stdout);
    if (child && !keep) {
        kill(pid, SIGKILL);
        waitpid(pid, NULL, 0);
    }
    return win ? 0 : 1;
}
