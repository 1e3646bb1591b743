// Watches other programs' windows from outside, through the X server alone: the programs under
// test run unchanged, with nothing preloaded and no tracing.
//
//   observer ticks --seconds N --out FILE NAME=WINDOW...
//       Prints, for each window, when its picture changed relative to the wall-clock second.
//   observer waitmap --title TITLE --timeout S [--ready FILE] [--bell]
//       Prints the wall-clock instant (ms since the epoch) a window of that title was mapped;
//       with --bell, then the instant the X bell rang around it ("none" if it did not).
//   observer launch --title TITLE --timeout S -- PROGRAM ARGS...
//       Prints the ms from starting PROGRAM to its window of that title being mapped.

#include <xcb/xcb.h>
#include <xcb/xcbext.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <optional>
#include <poll.h>
#include <signal.h>
#include <string>
#include <sys/resource.h>
#include <sys/uio.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace {

using Nanos = std::int64_t;
constexpr Nanos kNanosPerSecond = 1'000'000'000;
constexpr Nanos kNanosPerMs = 1'000'000;

Nanos realtimeNow()
{
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return Nanos(ts.tv_sec) * kNanosPerSecond + ts.tv_nsec;
}

[[noreturn]] void die(const std::string& message)
{
    std::fprintf(stderr, "observer: %s\n", message.c_str());
    std::exit(2);
}

// The DAMAGE and XKEYBOARD extensions, spoken directly: Debian ships their xcb bindings only in
// -dev packages the project does not otherwise need, and a few requests and two events are all
// this tool uses.
xcb_extension_t damageExtension = {"DAMAGE", 0};
xcb_extension_t xkbExtension = {"XKEYBOARD", 0};
constexpr std::uint8_t kDamageQueryVersion = 0;
constexpr std::uint8_t kDamageCreate = 1;
constexpr std::uint8_t kDamageReportRawRectangles = 0;

struct DamageQueryVersionRequest
{
    std::uint8_t majorOpcode;
    std::uint8_t minorOpcode;
    std::uint16_t length;
    std::uint32_t clientMajor;
    std::uint32_t clientMinor;
};

struct DamageCreateRequest
{
    std::uint8_t majorOpcode;
    std::uint8_t minorOpcode;
    std::uint16_t length;
    std::uint32_t damage;
    std::uint32_t drawable;
    std::uint8_t level;
    std::uint8_t pad[3];
};

struct DamageNotifyEvent
{
    std::uint8_t responseType;
    std::uint8_t level;
    std::uint16_t sequence;
    std::uint32_t drawable;
    std::uint32_t damage;
    std::uint32_t timestamp;
    xcb_rectangle_t area;
    xcb_rectangle_t geometry;
};
static_assert(sizeof(DamageNotifyEvent) == 32);

constexpr std::uint8_t kXkbUseExtension = 0;
constexpr std::uint8_t kXkbSelectEvents = 1;
constexpr std::uint16_t kXkbUseCoreKeyboard = 0x100;
constexpr std::uint16_t kXkbBellNotifyMask = 1 << 8;
constexpr std::uint8_t kXkbBellNotify = 8;

struct XkbUseExtensionRequest
{
    std::uint8_t majorOpcode;
    std::uint8_t minorOpcode;
    std::uint16_t length;
    std::uint16_t wantedMajor;
    std::uint16_t wantedMinor;
};

// With every detail of the one event selected, the request carries no detail lists.
struct XkbSelectEventsRequest
{
    std::uint8_t majorOpcode;
    std::uint8_t minorOpcode;
    std::uint16_t length;
    std::uint16_t deviceSpec;
    std::uint16_t affectWhich;
    std::uint16_t clear;
    std::uint16_t selectAll;
    std::uint16_t affectMap;
    std::uint16_t map;
};

template <typename Request>
unsigned sendExtensionRequest(xcb_connection_t* c, xcb_extension_t& extension, std::uint8_t minor,
                              Request& request, bool isVoid, int flags)
{
    const xcb_protocol_request_t info = {2, &extension, minor, std::uint8_t(isVoid ? 1 : 0)};
    iovec parts[4];
    parts[2].iov_base = &request;
    parts[2].iov_len = sizeof(Request);
    parts[3].iov_base = nullptr;
    parts[3].iov_len = (4 - sizeof(Request) % 4) % 4;
    return xcb_send_request(c, flags, parts + 2, &info);
}

class Display
{
public:
    Display()
    {
        m_c = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(m_c))
            die("cannot open the display");
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_c)).data->root;
        m_netWmName = atom("_NET_WM_NAME");
        m_utf8 = atom("UTF8_STRING");
    }
    ~Display() { xcb_disconnect(m_c); }
    Display(const Display&) = delete;
    Display& operator=(const Display&) = delete;

    xcb_connection_t* c() const { return m_c; }
    xcb_window_t root() const { return m_root; }

    xcb_atom_t atom(const char* name)
    {
        auto* reply = xcb_intern_atom_reply(
            m_c, xcb_intern_atom(m_c, 0, std::uint16_t(std::strlen(name)), name), nullptr);
        const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
        return result;
    }

    // Returns the first event number of the extension.
    std::uint8_t enableDamage()
    {
        const xcb_query_extension_reply_t* ext = xcb_get_extension_data(m_c, &damageExtension);
        if (!ext || !ext->present)
            die("the X server has no DAMAGE extension");
        DamageQueryVersionRequest query{};
        query.clientMajor = 1;
        query.clientMinor = 1;
        const unsigned cookie =
            sendExtensionRequest(m_c, damageExtension, kDamageQueryVersion, query, false, 0);
        xcb_generic_error_t* error = nullptr;
        void* reply = xcb_wait_for_reply(m_c, cookie, &error);
        if (!reply)
            die("DAMAGE refused its version query");
        std::free(reply);
        return ext->first_event;
    }

    // Asks for a notice each time the core keyboard's bell rings; returns the extension's first
    // event number.
    std::uint8_t watchBell()
    {
        const xcb_query_extension_reply_t* ext = xcb_get_extension_data(m_c, &xkbExtension);
        if (!ext || !ext->present)
            die("the X server has no XKEYBOARD extension");
        XkbUseExtensionRequest use{};
        use.wantedMajor = 1;
        use.wantedMinor = 0;
        const unsigned cookie =
            sendExtensionRequest(m_c, xkbExtension, kXkbUseExtension, use, false, 0);
        xcb_generic_error_t* error = nullptr;
        void* reply = xcb_wait_for_reply(m_c, cookie, &error);
        if (!reply)
            die("XKEYBOARD refused its version");
        std::free(reply);
        XkbSelectEventsRequest select{};
        select.deviceSpec = kXkbUseCoreKeyboard;
        select.affectWhich = kXkbBellNotifyMask;
        select.selectAll = kXkbBellNotifyMask;
        const unsigned sequence = sendExtensionRequest(m_c, xkbExtension, kXkbSelectEvents, select,
                                                       true, XCB_REQUEST_CHECKED);
        if (xcb_generic_error_t* failed = xcb_request_check(m_c, xcb_void_cookie_t{sequence})) {
            std::free(failed);
            die("cannot watch the bell");
        }
        return ext->first_event;
    }

    void watchDamage(xcb_window_t window)
    {
        DamageCreateRequest create{};
        create.damage = xcb_generate_id(m_c);
        create.drawable = window;
        create.level = kDamageReportRawRectangles;
        const unsigned sequence = sendExtensionRequest(m_c, damageExtension, kDamageCreate, create,
                                                       true, XCB_REQUEST_CHECKED);
        if (xcb_generic_error_t* error = xcb_request_check(m_c, xcb_void_cookie_t{sequence})) {
            std::free(error);
            die("cannot watch window " + std::to_string(window));
        }
    }

    void selectRootMaps()
    {
        const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_c, m_root, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(m_c);
    }

    void watchFrame(xcb_window_t window)
    {
        const std::uint32_t mask =
            XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(m_c, window, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(m_c);
    }

    std::optional<std::string> name(xcb_window_t window)
    {
        for (auto [property, type] : {std::pair{m_netWmName, m_utf8},
                                      std::pair{xcb_atom_t(XCB_ATOM_WM_NAME), xcb_atom_t(0)}}) {
            auto* reply = xcb_get_property_reply(
                m_c, xcb_get_property(m_c, 0, window, property, type, 0, 1024), nullptr);
            if (!reply)
                continue;
            const int length = xcb_get_property_value_length(reply);
            std::optional<std::string> text;
            if (reply->type != XCB_ATOM_NONE && length > 0)
                text.emplace(static_cast<const char*>(xcb_get_property_value(reply)),
                             std::size_t(length));
            std::free(reply);
            if (text)
                return text;
        }
        return std::nullopt;
    }

    // A window manager maps its frame, with the program's window already inside it.
    bool carriesTitle(xcb_window_t window, const std::string& title, int depth = 0)
    {
        if (name(window) == title)
            return true;
        if (depth >= 3)
            return false;
        auto* tree = xcb_query_tree_reply(m_c, xcb_query_tree(m_c, window), nullptr);
        if (!tree)
            return false;
        const xcb_window_t* children = xcb_query_tree_children(tree);
        const int count = xcb_query_tree_children_length(tree);
        bool found = false;
        for (int i = 0; i < count && !found; ++i)
            found = carriesTitle(children[i], title, depth + 1);
        std::free(tree);
        return found;
    }

    std::optional<std::uint64_t> pictureHash(xcb_window_t window, std::uint16_t width,
                                             std::uint16_t height)
    {
        auto* reply = xcb_get_image_reply(
            m_c, xcb_get_image(m_c, XCB_IMAGE_FORMAT_Z_PIXMAP, window, 0, 0, width, height, ~0u),
            nullptr);
        if (!reply)
            return std::nullopt;
        const std::uint8_t* data = xcb_get_image_data(reply);
        const int length = xcb_get_image_data_length(reply);
        std::uint64_t hash = 14695981039346656037ull;
        for (int i = 0; i < length; ++i)
            hash = (hash ^ data[i]) * 1099511628211ull;
        std::free(reply);
        return hash;
    }

    // Waits for the next event until the deadline; nullptr when the deadline passed.
    xcb_generic_event_t* nextEvent(Nanos deadline)
    {
        for (;;) {
            if (xcb_generic_event_t* event = xcb_poll_for_event(m_c))
                return event;
            if (xcb_connection_has_error(m_c))
                die("the display went away");
            const Nanos left = deadline - realtimeNow();
            if (left <= 0)
                return nullptr;
            pollfd fd{xcb_get_file_descriptor(m_c), POLLIN, 0};
            const int ms = int(std::min<Nanos>((left + kNanosPerMs - 1) / kNanosPerMs, 1000));
            if (::poll(&fd, 1, ms) < 0 && errno != EINTR)
                die("poll failed");
        }
    }

private:
    xcb_connection_t* m_c = nullptr;
    xcb_window_t m_root = 0;
    xcb_atom_t m_netWmName = 0;
    xcb_atom_t m_utf8 = 0;
};

struct Watched
{
    std::string name;
    xcb_window_t window = 0;
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    std::uint64_t shownHash = 0;
    // First damage of the update being drawn, and the last damage seen of it.
    Nanos burstStart = 0;
    Nanos burstLast = 0;
    int bursts = 0;
    std::vector<Nanos> changes;
};

// An update is drawn as a few put-image requests in a row; a pause this long ends it.
constexpr Nanos kBurstGap = 20 * kNanosPerMs;

double percentile(std::vector<double> values, double fraction)
{
    if (values.empty())
        return NAN;
    std::sort(values.begin(), values.end());
    // Nearest rank: the smallest value with at least this fraction of the values at or below it.
    const auto rank = std::size_t(std::ceil(fraction * double(values.size())));
    return values[std::clamp<std::size_t>(rank, 1, values.size()) - 1];
}

int ticks(int argc, char** argv)
{
    double seconds = 0;
    std::string out;
    std::vector<Watched> watched;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--seconds" && i + 1 < argc)
            seconds = std::atof(argv[++i]);
        else if (arg == "--out" && i + 1 < argc)
            out = argv[++i];
        else if (const auto eq = arg.find('='); eq != std::string::npos) {
            Watched w;
            w.name = arg.substr(0, eq);
            w.window = xcb_window_t(std::strtoul(arg.c_str() + eq + 1, nullptr, 0));
            watched.push_back(w);
        } else
            die("ticks: unexpected argument " + arg);
    }
    if (seconds <= 0 || watched.empty())
        die("ticks needs --seconds and at least one NAME=WINDOW");

    // Two busy loops on two cores would otherwise delay the observer as much as the observed, and
    // the lateness of the observer would be charged to the program. Only root may do this.
    const bool raised = setpriority(PRIO_PROCESS, 0, -10) == 0;

    Display display;
    const std::uint8_t damageEvent = display.enableDamage();
    for (Watched& w : watched) {
        auto* geometry =
            xcb_get_geometry_reply(display.c(), xcb_get_geometry(display.c(), w.window), nullptr);
        if (!geometry)
            die("no window " + std::to_string(w.window));
        w.width = geometry->width;
        w.height = geometry->height;
        std::free(geometry);
        display.watchDamage(w.window);
        w.shownHash = display.pictureHash(w.window, w.width, w.height).value_or(0);
    }
    xcb_flush(display.c());

    const Nanos start = realtimeNow();
    const Nanos end = start + Nanos(seconds * double(kNanosPerSecond));
    auto closeBursts = [&](Nanos now, bool all) {
        for (Watched& w : watched) {
            if (w.burstStart == 0 || (!all && now - w.burstLast < kBurstGap))
                continue;
            ++w.bursts;
            // A repaint that leaves the same picture is not a change of the clock.
            const auto hash = display.pictureHash(w.window, w.width, w.height);
            if (hash && *hash != w.shownHash) {
                w.shownHash = *hash;
                w.changes.push_back(w.burstStart);
            }
            w.burstStart = 0;
        }
    };
    for (;;) {
        Nanos deadline = end;
        for (const Watched& w : watched)
            if (w.burstStart != 0)
                deadline = std::min(deadline, w.burstLast + kBurstGap);
        xcb_generic_event_t* event = display.nextEvent(deadline);
        const Nanos now = realtimeNow();
        if (event) {
            if ((event->response_type & 0x7f) == damageEvent) {
                const auto* damage = reinterpret_cast<const DamageNotifyEvent*>(event);
                for (Watched& w : watched) {
                    if (w.window != damage->drawable)
                        continue;
                    if (w.burstStart == 0)
                        w.burstStart = now;
                    w.burstLast = now;
                }
            }
            std::free(event);
        }
        closeBursts(now, now >= end);
        if (now >= end)
            break;
    }

    std::ofstream raw(out.empty() ? std::string("/dev/null") : out);
    raw << "# start " << start << " end " << end << " observer-raised " << raised << '\n';
    // Only whole seconds inside the run are judged, so that a change just outside it counts for
    // nothing.
    const Nanos firstSecond = start / kNanosPerSecond + 1;
    const Nanos lastSecond = end / kNanosPerSecond - 1;
    for (const Watched& w : watched) {
        std::vector<double> phases;
        std::map<Nanos, int> perSecond;
        for (Nanos t : w.changes) {
            raw << w.name << ' ' << t << '\n';
            phases.push_back(double(t % kNanosPerSecond) / double(kNanosPerMs));
            ++perSecond[t / kNanosPerSecond];
        }
        // Each wall-clock second should see exactly one change. None: the previous value stayed on
        // for two seconds. Two or more: a value was replaced within the second it was shown.
        int held = 0;
        int extra = 0;
        for (Nanos s = firstSecond; s <= lastSecond; ++s) {
            const auto it = perSecond.find(s);
            const int n = it == perSecond.end() ? 0 : it->second;
            if (n == 0)
                ++held;
            else
                extra += n - 1;
        }
        std::printf("%s changes=%zu bursts=%d seconds=%lld median=%.1f p99=%.1f max=%.1f "
                    "held=%d extra=%d raised=%d\n",
                    w.name.c_str(), w.changes.size(), w.bursts,
                    static_cast<long long>(lastSecond - firstSecond + 1), percentile(phases, 0.5),
                    percentile(phases, 0.99), percentile(phases, 1.0), held, extra, raised ? 1 : 0);
    }
    return 0;
}

struct MapWaitOptions
{
    std::string title;
    double timeout = 10;
    std::string ready;
    bool bell = false;
    std::vector<char*> command;
};

MapWaitOptions parseMapWait(int argc, char** argv, bool wantsCommand)
{
    MapWaitOptions options;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--title" && i + 1 < argc)
            options.title = argv[++i];
        else if (arg == "--timeout" && i + 1 < argc)
            options.timeout = std::atof(argv[++i]);
        else if (arg == "--ready" && i + 1 < argc)
            options.ready = argv[++i];
        else if (arg == "--bell" && !wantsCommand)
            options.bell = true;
        else if (arg == "--" && wantsCommand) {
            options.command.assign(argv + i + 1, argv + argc);
            break;
        } else
            die("unexpected argument " + arg);
    }
    if (options.title.empty() || (wantsCommand && options.command.empty()))
        die("missing --title or program");
    options.command.push_back(nullptr);
    return options;
}

// The bell's event number once it is watched, and the first time it rang.
struct BellWatch
{
    std::uint8_t event = 0;
    std::optional<Nanos> rang;

    bool take(const xcb_generic_event_t* e, Nanos now)
    {
        if (event == 0 || (e->response_type & 0x7f) != event)
            return false;
        // XKEYBOARD sends all its events under one number, told apart by the second byte.
        if (reinterpret_cast<const std::uint8_t*>(e)[1] == kXkbBellNotify && !rang)
            rang = now;
        return true;
    }
};

// Returns when a window carrying the title is mapped, or nothing at the deadline. A frame mapped
// before the program's window is inside it, or named, is watched until it is.
std::optional<Nanos> waitForMap(Display& display, const std::string& title, Nanos deadline,
                                BellWatch* bell = nullptr)
{
    std::vector<xcb_window_t> frames;
    while (xcb_generic_event_t* event = display.nextEvent(deadline)) {
        const Nanos now = realtimeNow();
        const std::uint8_t type = event->response_type & 0x7f;
        xcb_window_t top = 0;
        if (bell && bell->take(event, now)) {
            std::free(event);
            continue;
        }
        if (type == XCB_MAP_NOTIFY) {
            const auto* map = reinterpret_cast<const xcb_map_notify_event_t*>(event);
            top = map->event == display.root() ? map->window : map->event;
        } else if (type == XCB_REPARENT_NOTIFY) {
            top = reinterpret_cast<const xcb_reparent_notify_event_t*>(event)->event;
        } else if (type == XCB_PROPERTY_NOTIFY) {
            top = reinterpret_cast<const xcb_property_notify_event_t*>(event)->window;
        }
        std::free(event);
        if (top == 0 || top == display.root())
            continue;
        if (display.carriesTitle(top, title))
            return now;
        if (std::find(frames.begin(), frames.end(), top) == frames.end()) {
            frames.push_back(top);
            display.watchFrame(top);
        }
    }
    return std::nullopt;
}

int waitmap(int argc, char** argv)
{
    const MapWaitOptions options = parseMapWait(argc, argv, false);
    Display display;
    BellWatch bell;
    if (options.bell)
        bell.event = display.watchBell();
    display.selectRootMaps();
    // The round trip makes sure the server applied the selection before anyone is told.
    std::free(xcb_get_input_focus_reply(display.c(), xcb_get_input_focus(display.c()), nullptr));
    if (!options.ready.empty())
        std::ofstream(options.ready) << "ready\n";
    const Nanos deadline = realtimeNow() + Nanos(options.timeout * double(kNanosPerSecond));
    const auto mapped = waitForMap(display, options.title, deadline, &bell);
    if (!mapped)
        die("no window '" + options.title + "' mapped in time");
    if (!options.bell) {
        std::printf("%.3f\n", double(*mapped) / double(kNanosPerMs));
        return 0;
    }
    // A bell that rings after the window is waited for a while: late is a figure too.
    const Nanos bellDeadline = *mapped + 2 * kNanosPerSecond;
    while (!bell.rang) {
        xcb_generic_event_t* event = display.nextEvent(bellDeadline);
        if (!event)
            break;
        bell.take(event, realtimeNow());
        std::free(event);
    }
    if (bell.rang)
        std::printf("%.3f %.3f\n", double(*mapped) / double(kNanosPerMs),
                    double(*bell.rang) / double(kNanosPerMs));
    else
        std::printf("%.3f none\n", double(*mapped) / double(kNanosPerMs));
    return 0;
}

int launch(int argc, char** argv)
{
    const MapWaitOptions options = parseMapWait(argc, argv, true);
    Display display;
    display.selectRootMaps();
    std::free(xcb_get_input_focus_reply(display.c(), xcb_get_input_focus(display.c()), nullptr));

    const Nanos started = realtimeNow();
    const pid_t child = fork();
    if (child < 0)
        die("fork failed");
    if (child == 0) {
        close(xcb_get_file_descriptor(display.c()));
        execvp(options.command[0], options.command.data());
        _exit(127);
    }
    const auto mapped = waitForMap(display, options.title,
                                   started + Nanos(options.timeout * double(kNanosPerSecond)));
    kill(child, SIGTERM);
    int status = 0;
    waitpid(child, &status, 0);
    if (!mapped)
        die("no window '" + options.title + "' mapped in time");
    std::printf("%.3f\n", double(*mapped - started) / double(kNanosPerMs));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        die("usage: observer ticks|waitmap|launch ...");
    const std::string mode = argv[1];
    if (mode == "ticks")
        return ticks(argc - 2, argv + 2);
    if (mode == "waitmap")
        return waitmap(argc - 2, argv + 2);
    if (mode == "launch")
        return launch(argc - 2, argv + 2);
    die("unknown mode " + mode);
}
