// The time from a key pressed on the X server to the first change of a window's pixels, for Frappin and for
// a floor program (bench/bare_text_window) in the same run, taking turns word after word:
//   latency ROUNDS SERIES_WORDS WORD FLOOR_PID NAME=PID [NAME=PID...]
// Each NAME=PID is a running Frappin (several, to compare two builds in one run) that shows a word list
// holding WORD alone, in series of SERIES_WORDS words, with the guide's hands that stay; WORD has exactly one
// letter made with the ^ dead key, neither first nor last (bench/latency.sh sets this up). The windows are
// placed side by side. For each round the word is typed once in each window. Each letter is one sample:
//   right     a right letter (the hand moves to the next key);
//   wrong     an x typed in place of the dead-key letter (the mistake is selected, the hands move);
//   dead key  the dead-key letter, replacing the mistake: ^ then the base letter, timed from the base letter,
//             the key that makes the letter (the ^ alone is not timed);
//   last      the word's last letter ("Bravo !", the hands go).
// A sample starts just before the fake key press (XTest) and ends at the first DamageNotify of the window
// (XDamage, a report on the first damage only); nothing is subtracted. Before each sample the window has
// had no damage for a while, stale events are read and the damage is emptied. Prints one table and exits
// with 1 when a Frappin misses a target: median within 1.2 x the floor's and under 4 ms for every kind, 99th
// percentile under 8 ms.

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xdamage.h>
#include <X11/keysym.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include <poll.h>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

enum Kind { Right, Wrong, DeadKey, Last, KindCount };
constexpr std::array<const char *, KindCount> KindNames{"right letter", "wrong letter", "dead-key letter",
                                                        "last letter"};

// The targets.
constexpr double MedianRatio = 1.2;
constexpr double MedianMs = 4.0;
constexpr double P99Ms = 8.0;

// A window is settled when it has had no damage for this long.
constexpr auto Quiet = 60ms;
// Frappin's pause after a completed word ("Bravo !"), and a margin for the next word to be drawn.
constexpr auto WordPause = 2000ms + 400ms;

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Target {
    std::string name;
    Window window = 0;
    Damage damage = 0;
    std::array<std::vector<double>, KindCount> samples;
};

class Session {
public:
    explicit Session(Display *display) : m_display(display)
    {
        int error = 0;
        if (!XDamageQueryExtension(display, &m_damageEvent, &error)) {
            std::fprintf(stderr, "latency: the X server has no DAMAGE extension\n");
            std::exit(2);
        }
        int major = 0;
        int minor = 0;
        if (!XTestQueryExtension(display, &error, &error, &major, &minor)) {
            std::fprintf(stderr, "latency: the X server has no XTEST extension\n");
            std::exit(2);
        }
    }

    // The mapped top-level window of the process, waited for up to 30 s.
    Window windowOf(unsigned long pid)
    {
        const Atom pidAtom = XInternAtom(m_display, "_NET_WM_PID", False);
        const auto start = Clock::now();
        while (Clock::now() - start < 30s) {
            Window root = 0;
            Window parent = 0;
            Window *children = nullptr;
            unsigned count = 0;
            XQueryTree(m_display, DefaultRootWindow(m_display), &root, &parent, &children, &count);
            Window found = 0;
            for (unsigned i = 0; i < count && !found; ++i) {
                XWindowAttributes attributes;
                if (!XGetWindowAttributes(m_display, children[i], &attributes) ||
                    attributes.map_state != IsViewable || attributes.override_redirect ||
                    attributes.width < 300)
                    continue;
                Atom type = 0;
                int format = 0;
                unsigned long items = 0;
                unsigned long after = 0;
                unsigned char *data = nullptr;
                if (XGetWindowProperty(m_display, children[i], pidAtom, 0, 1, False, XA_CARDINAL, &type,
                                       &format, &items, &after, &data) == Success &&
                    data) {
                    if (format == 32 && items == 1 && *reinterpret_cast<unsigned long *>(data) == pid)
                        found = children[i];
                    XFree(data);
                }
            }
            if (children)
                XFree(children);
            if (found)
                return found;
            std::this_thread::sleep_for(100ms);
        }
        std::fprintf(stderr, "latency: process %lu showed no window\n", pid);
        std::exit(2);
    }

    void watch(Target &target)
    {
        target.damage = XDamageCreate(m_display, target.window, XDamageReportNonEmpty);
        XSync(m_display, False);
    }

    // The key that types the keysym without a modifier on the current layout.
    KeyCode keyOf(KeySym symbol)
    {
        const KeyCode code = XKeysymToKeycode(m_display, symbol);
        if (code == 0 || XkbKeycodeToKeysym(m_display, code, 0, 0) != symbol) {
            std::fprintf(stderr, "latency: no key types %s without Maj (is the French keyboard set?)\n",
                         XKeysymToString(symbol));
            std::exit(2);
        }
        return code;
    }

    void focus(const Target &target)
    {
        XSetInputFocus(m_display, target.window, RevertToParent, CurrentTime);
        XSync(m_display, False);
        std::this_thread::sleep_for(100ms);
        settle(target);
    }

    void press(KeyCode code)
    {
        XTestFakeKeyEvent(m_display, code, True, CurrentTime);
        XTestFakeKeyEvent(m_display, code, False, CurrentTime);
        XFlush(m_display);
    }

    // Waits until the window has had no damage for Quiet (5 s at most), then empties its damage.
    void settle(const Target &target)
    {
        const auto start = Clock::now();
        auto lastDamage = Clock::now();
        XDamageSubtract(m_display, target.damage, None, None);
        XSync(m_display, False);
        while (Clock::now() - lastDamage < Quiet && Clock::now() - start < 5s) {
            if (nextDamage(target, 10)) {
                lastDamage = Clock::now();
                XDamageSubtract(m_display, target.damage, None, None);
                XFlush(m_display);
            }
        }
        XDamageSubtract(m_display, target.damage, None, None);
        XSync(m_display, False);
        drain();
    }

    // The time from the key press to the window's first damage, in ms; negative when none came in 2 s.
    double time(const Target &target, KeyCode code)
    {
        settle(target);
        const auto start = Clock::now();
        press(code);
        while (Clock::now() - start < 2s) {
            if (nextDamage(target, 50))
                return msSince(start);
        }
        return -1;
    }

    // Presses a key that is not timed and lets the window settle after it.
    void type(const Target &target, KeyCode code)
    {
        settle(target);
        press(code);
        std::this_thread::sleep_for(20ms);
        settle(target);
    }

private:
    // Reads events for up to timeoutMs; true at the first DamageNotify of the target's damage.
    bool nextDamage(const Target &target, int timeoutMs)
    {
        const auto start = Clock::now();
        while (true) {
            while (XPending(m_display)) {
                XEvent event;
                XNextEvent(m_display, &event);
                if (event.type == m_damageEvent + XDamageNotify &&
                    reinterpret_cast<XDamageNotifyEvent &>(event).damage == target.damage)
                    return true;
            }
            const int left = timeoutMs - static_cast<int>(msSince(start));
            if (left <= 0)
                return false;
            pollfd fd{ConnectionNumber(m_display), POLLIN, 0};
            poll(&fd, 1, left);
        }
    }

    void drain()
    {
        while (XPending(m_display)) {
            XEvent event;
            XNextEvent(m_display, &event);
        }
    }

    Display *m_display;
    int m_damageEvent = 0;
};

struct Step {
    KeyCode key;
    Kind kind;
    KeyCode deadKey = 0; // pressed first, not timed
};

double percentile(std::vector<double> values, double fraction)
{
    if (values.empty())
        return std::nan("");
    std::sort(values.begin(), values.end());
    // Nearest rank.
    const auto rank = static_cast<std::size_t>(std::ceil(fraction * static_cast<double>(values.size())));
    return values[std::clamp<std::size_t>(rank, 1, values.size()) - 1];
}

double median(const std::vector<double> &values)
{
    if (values.empty())
        return std::nan("");
    std::vector<double> sorted = values;
    std::sort(sorted.begin(), sorted.end());
    const std::size_t n = sorted.size();
    return n % 2 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
}

// ^ with the letter it makes.
const std::map<std::string, KeySym> Circumflexed{
    {"â", XK_a}, {"ê", XK_e}, {"î", XK_i}, {"ô", XK_o}, {"û", XK_u}};

// The keys of the word as the bench types them: its letters, with an x typed and then replaced before the
// dead-key letter. Only unaccented small letters and one letter made with ^ are accepted.
std::vector<Step> stepsOf(Session &session, const std::string &word)
{
    std::vector<std::string> letters;
    for (std::size_t i = 0; i < word.size();) {
        const std::size_t length = (static_cast<unsigned char>(word[i]) & 0xe0) == 0xc0 ? 2 : 1;
        letters.push_back(word.substr(i, length));
        i += length;
    }
    std::vector<Step> steps;
    int deadKeys = 0;
    for (std::size_t i = 0; i < letters.size(); ++i) {
        const std::string &letter = letters[i];
        const auto circumflexed = Circumflexed.find(letter);
        if (circumflexed != Circumflexed.end()) {
            if (i == 0 || i + 1 == letters.size()) {
                std::fprintf(stderr, "latency: the dead-key letter must be neither first nor last\n");
                std::exit(2);
            }
            ++deadKeys;
            steps.push_back({session.keyOf(XK_x), Wrong});
            steps.push_back(
                {session.keyOf(circumflexed->second), DeadKey, session.keyOf(XK_dead_circumflex)});
        } else if (letter.size() == 1 && letter[0] >= 'a' && letter[0] <= 'z') {
            steps.push_back(
                {session.keyOf(static_cast<KeySym>(letter[0])), i + 1 == letters.size() ? Last : Right});
        } else {
            std::fprintf(stderr, "latency: cannot type '%s'\n", letter.c_str());
            std::exit(2);
        }
    }
    if (deadKeys != 1) {
        std::fprintf(stderr, "latency: the word needs exactly one letter made with ^\n");
        std::exit(2);
    }
    return steps;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 6) {
        std::fprintf(stderr, "usage: latency ROUNDS SERIES_WORDS WORD FLOOR_PID NAME=PID [NAME=PID...]\n");
        return 2;
    }
    const int rounds = std::atoi(argv[1]);
    const int seriesWords = std::atoi(argv[2]);
    Display *display = XOpenDisplay(nullptr);
    if (!display || rounds < 1 || seriesWords < 1) {
        std::fprintf(stderr, "latency: no X display, or a bad count\n");
        return 2;
    }
    Session session(display);
    const std::vector<Step> steps = stepsOf(session, argv[3]);
    const KeyCode end = session.keyOf(XK_End);
    const KeyCode enter = session.keyOf(XK_Return);

    // The programs, then the floor, side by side so that no window covers another.
    std::vector<Target> targets(static_cast<std::size_t>(argc - 4));
    Target &floor = targets.back();
    floor.name = "bare Qt 6 window, one text box";
    floor.window = session.windowOf(std::strtoul(argv[4], nullptr, 10));
    for (int i = 5; i < argc; ++i) {
        const std::string argument = argv[i];
        const auto equals = argument.rfind('=');
        Target &target = targets[static_cast<std::size_t>(i - 5)];
        target.name = argument.substr(0, equals);
        target.window = session.windowOf(std::strtoul(argument.substr(equals + 1).c_str(), nullptr, 10));
    }
    const int screenWidth = DisplayWidth(display, DefaultScreen(display));
    int x = 0;
    int y = 0;
    for (Target &target : targets) {
        XWindowAttributes attributes;
        XGetWindowAttributes(display, target.window, &attributes);
        if (x > 0 && x + attributes.width > screenWidth) {
            x = 0;
            y += attributes.height + 10;
        }
        XMoveWindow(display, target.window, x, y);
        std::printf("%s: %d x %d\n", target.name.c_str(), attributes.width, attributes.height);
        x += attributes.width + 10;
        session.watch(target);
    }

    // The whole word in one window. The End key, which changes no text, first restarts the text cursor's
    // blinking, so that no blink falls within the word's samples (each key restarts it again).
    const auto typeWord = [&](Target &target) {
        session.focus(target);
        session.type(target, end);
        for (const Step &step : steps) {
            if (step.deadKey)
                session.type(target, step.deadKey);
            const double ms = session.time(target, step.key);
            if (ms < 0)
                std::fprintf(stderr, "  (%s: no change on the screen after a key, %s)\n", target.name.c_str(),
                             KindNames[step.kind]);
            else
                target.samples[step.kind].push_back(ms);
        }
    };

    std::printf("%d rounds of the word \"%s\" in each window, taking turns...\n", rounds, argv[3]);
    std::fflush(stdout);
    const auto programs = [&] { return std::span(targets.begin(), targets.end() - 1); };
    // The first series starts as a pupil starts it, with Enter.
    for (Target &program : programs()) {
        session.focus(program);
        session.type(program, enter);
    }
    for (int round = 0; round < rounds; ++round) {
        const auto roundStart = Clock::now();
        auto lastWordEnd = roundStart;
        for (Target &program : programs()) {
            typeWord(program);
            lastWordEnd = Clock::now();
        }
        typeWord(floor);
        session.type(floor, enter);
        // Each Frappin's next word is drawn after the pause; after the series' last word, the next series
        // starts.
        std::this_thread::sleep_until(lastWordEnd + WordPause);
        if ((round + 1) % seriesWords == 0) {
            for (Target &program : programs()) {
                session.focus(program);
                session.type(program, enter);
            }
        }
        if (round % 20 == 19)
            std::fprintf(stderr, "  %d rounds (%.1f s per round)\n", round + 1, msSince(roundStart) / 1000);
    }

    std::printf("\n| %-34s | %-15s | %5s | %11s | %8s | %14s |\n", "Program", "Kind", "n", "median (ms)",
                "p99 (ms)", "median / floor");
    std::printf("|%s|%s|%s|%s|%s|%s|\n", std::string(36, '-').c_str(), std::string(17, '-').c_str(),
                std::string(7, '-').c_str(), std::string(13, '-').c_str(), std::string(10, '-').c_str(),
                std::string(16, '-').c_str());
    std::string missed;
    for (const Target &target : targets) {
        for (std::size_t kind = 0; kind < KindCount; ++kind) {
            const auto &samples = target.samples[kind];
            const double m = median(samples);
            const double p99 = percentile(samples, 0.99);
            const double ratio = m / median(floor.samples[kind]);
            std::printf("| %-34s | %-15s | %5zu | %11.2f | %8.2f | %14.2f |\n", target.name.c_str(),
                        KindNames[kind], samples.size(), m, p99, ratio);
            if (&target == &floor)
                continue;
            char line[200];
            const char *name = KindNames[kind];
            const char *who = target.name.c_str();
            if (samples.empty()) {
                std::snprintf(line, sizeof line, "  %s, %s: no sample\n", who, name);
                missed += line;
                continue;
            }
            if (!(ratio <= MedianRatio)) {
                std::snprintf(line, sizeof line, "  %s, %s: median %.2f x the floor's\n", who, name, ratio);
                missed += line;
            }
            if (!(m < MedianMs)) {
                std::snprintf(line, sizeof line, "  %s, %s: median %.2f ms\n", who, name, m);
                missed += line;
            }
            if (!(p99 < P99Ms)) {
                std::snprintf(line, sizeof line, "  %s, %s: p99 %.2f ms\n", who, name, p99);
                missed += line;
            }
        }
    }
    std::printf(
        "\nTargets for every kind: median within %.1f x the floor's and under %.0f ms, p99 under %.0f ms: "
        "%s\n%s",
        MedianRatio, MedianMs, P99Ms, missed.empty() ? "met" : "MISSED", missed.c_str());
    XCloseDisplay(display);
    return missed.empty() ? 0 : 1;
}
