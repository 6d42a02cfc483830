// Times a program's start on an X server and weighs it once it has settled, the same way for every program:
//   mapwatch SETTLE_SECONDS PROGRAM [ARGUMENTS...]
// prints "mapped_ms rss_kb cpu_ms": the time from starting the process to the X server mapping its first
// top-level window (a MapNotify on the root window, so no polling delay), then the resident memory (VmRSS) of
// the process and of every process it started, SETTLE_SECONDS after that, then the processor time the process
// and the processes it started had taken when the window was mapped (from /proc/PID/task/*/schedstat: on a
// busy machine, what the start-up cost in itself, without the time spent waiting for a processor). The
// program is then ended.

#include <X11/Xlib.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <dirent.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

long residentKb(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return 0;
}

// The process and all its descendants, found through the parent of every process.
std::set<pid_t> processTree(pid_t root)
{
    std::multimap<pid_t, pid_t> children;
    if (DIR *proc = opendir("/proc")) {
        while (const dirent *entry = readdir(proc)) {
            const pid_t pid = static_cast<pid_t>(std::strtol(entry->d_name, nullptr, 10));
            if (pid <= 0)
                continue;
            std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
            // A process that ends meanwhile fails the read: getline, unlike a stream iterator, says so
            // instead of throwing.
            std::string text;
            std::getline(stat, text);
            const auto close = text.rfind(')');
            if (close == std::string::npos)
                continue;
            std::istringstream rest(text.substr(close + 2));
            char state = 0;
            pid_t parent = 0;
            rest >> state >> parent;
            children.emplace(parent, pid);
        }
        closedir(proc);
    }
    std::set<pid_t> tree{root};
    std::vector<pid_t> todo{root};
    while (!todo.empty()) {
        const pid_t pid = todo.back();
        todo.pop_back();
        const auto [first, last] = children.equal_range(pid);
        for (auto it = first; it != last; ++it) {
            if (tree.insert(it->second).second)
                todo.push_back(it->second);
        }
    }
    return tree;
}

// The time the threads of a process have run, in milliseconds.
double runMs(pid_t pid)
{
    double ms = 0;
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    if (DIR *dir = opendir(tasks.c_str())) {
        while (const dirent *entry = readdir(dir)) {
            if (entry->d_name[0] == '.')
                continue;
            std::ifstream schedstat(tasks + "/" + entry->d_name + "/schedstat");
            unsigned long long ns = 0;
            if (schedstat >> ns)
                ms += static_cast<double>(ns) / 1e6;
        }
        closedir(dir);
    }
    return ms;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: mapwatch SETTLE_SECONDS PROGRAM [ARGUMENTS...]\n");
        return 2;
    }
    const double settle = std::strtod(argv[1], nullptr);
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "mapwatch: no X display\n");
        return 2;
    }
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);

    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    if (posix_spawnp(&child, argv[2], nullptr, &attributes, argv + 2, environ) != 0) {
        std::fprintf(stderr, "mapwatch: cannot start %s\n", argv[2]);
        return 2;
    }

    // Wait for the first top-level window of a useful size (not a pop-up) to be mapped, for 60 s at most.
    double mappedMs = -1;
    double cpuMs = 0;
    const int fd = ConnectionNumber(display);
    while (mappedMs < 0) {
        while (XPending(display) && mappedMs < 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type != MapNotify || event.xmap.override_redirect)
                continue;
            XWindowAttributes window;
            if (XGetWindowAttributes(display, event.xmap.window, &window) && window.width >= 50 &&
                window.height >= 20)
                mappedMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                               .count();
        }
        if (mappedMs >= 0) {
            for (const pid_t pid : processTree(child))
                cpuMs += runMs(pid);
            break;
        }
        if (std::chrono::steady_clock::now() - start > std::chrono::seconds(60) ||
            waitpid(child, nullptr, WNOHANG) == child) {
            std::fprintf(stderr, "mapwatch: %s showed no window\n", argv[2]);
            kill(-child, SIGKILL);
            return 1;
        }
        fd_set read;
        FD_ZERO(&read);
        FD_SET(fd, &read);
        timeval wait{0, 20000};
        select(fd + 1, &read, nullptr, nullptr, &wait);
    }

    std::this_thread::sleep_for(std::chrono::duration<double>(settle));
    long rss = 0;
    if (waitpid(child, nullptr, WNOHANG) == 0) {
        for (const pid_t pid : processTree(child))
            rss += residentKb(pid);
    }
    if (rss == 0) {
        std::fprintf(stderr, "mapwatch: %s ended before it could be weighed\n", argv[2]);
        XCloseDisplay(display);
        return 1;
    }
    std::printf("%.1f %ld %.1f\n", mappedMs, rss, cpuMs);
    std::fflush(stdout);

    kill(-child, SIGTERM);
    for (int i = 0; i < 50 && waitpid(child, nullptr, WNOHANG) == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    kill(-child, SIGKILL);
    waitpid(child, nullptr, 0);
    XCloseDisplay(display);
    return 0;
}
