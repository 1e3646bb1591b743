// The questions Qt's accessibility bridge will ask of the D-Bus buses, asked first, with a
// deadline. A few words of the D-Bus wire protocol are spoken here by hand: Qt's own D-Bus
// connection cannot be made before the application, nor bounded in time.
#include "platform/accessbus.h"
#include "platform/log.h"
#include "platform/x11/x11.h"

#include <QAccessible>
#include <QByteArray>
#include <QGuiApplication>

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace tintel {

// Named, not anonymous: the platform library is compiled as one file, and the bridge's probe
// holds these.
namespace dbuswire {

using Steady = std::chrono::steady_clock;

// From the start to the bridge: ample for a bus on a busy machine, and the splash still comes
// within two seconds when one stays silent.
constexpr std::chrono::milliseconds patience{1000};

// The first address of a D-Bus address list that a socket of this machine can reach, decoded.
std::optional<sockaddr_un> socketAddress(const std::string& addresses)
{
    for (const QByteArray& one : QByteArray::fromStdString(addresses).split(';')) {
        if (!one.startsWith("unix:"))
            continue;
        for (const QByteArray& pair : one.mid(5).split(',')) {
            const bool abstract = pair.startsWith("abstract=");
            if (!abstract && !pair.startsWith("path="))
                continue;
            const QByteArray value =
                QByteArray::fromPercentEncoding(pair.mid(pair.indexOf('=') + 1));
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            if (value.isEmpty() || size_t(value.size()) + 1 >= sizeof(address.sun_path))
                return std::nullopt;
            std::memcpy(address.sun_path + (abstract ? 1 : 0), value.constData(),
                        size_t(value.size()));
            return address;
        }
    }
    return std::nullopt;
}

socklen_t addressSize(const sockaddr_un& address)
{
    const char* name = address.sun_path[0] ? address.sun_path : address.sun_path + 1;
    return socklen_t(offsetof(sockaddr_un, sun_path) + (address.sun_path[0] ? 0 : 1) +
                     std::strlen(name) + (address.sun_path[0] ? 1 : 0));
}

// A message in D-Bus's marshalling: little-endian, each value at its own alignment.
class Message
{
public:
    Message(const char* destination, const char* path, const char* interface, const char* member,
            std::vector<std::string> args, uint32_t serial)
    {
        m_bytes = {'l', 1, 0, 1};
        u32(0); // body length, set below
        u32(serial);
        u32(0); // header fields' length, set below
        field(1, "o", path);
        field(2, "s", interface);
        field(3, "s", member);
        field(6, "s", destination);
        if (!args.empty())
            field(8, "g", std::string(args.size(), 's'));
        put(12, uint32_t(m_bytes.size() - 16));
        align(8);
        const size_t body = m_bytes.size();
        for (const std::string& arg : args)
            text(arg);
        put(4, uint32_t(m_bytes.size() - body));
    }
    const std::string& bytes() const { return m_bytes; }

private:
    void align(size_t n) { m_bytes.resize((m_bytes.size() + n - 1) / n * n, '\0'); }
    void put(size_t at, uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            m_bytes[at + size_t(i)] = char((v >> (8 * i)) & 0xff);
    }
    void u32(uint32_t v)
    {
        align(4);
        m_bytes.resize(m_bytes.size() + 4);
        put(m_bytes.size() - 4, v);
    }
    void text(const std::string& s)
    {
        u32(uint32_t(s.size()));
        m_bytes += s;
        m_bytes += '\0';
    }
    void signature(const std::string& s)
    {
        m_bytes += char(s.size());
        m_bytes += s;
        m_bytes += '\0';
    }
    void field(char code, const char* type, const std::string& value)
    {
        align(8);
        m_bytes += code;
        signature(type);
        if (*type == 'g')
            signature(value);
        else
            text(value);
    }
    std::string m_bytes;
};

// One connection, spoken to as libdbus speaks to a bus, never past the deadline.
class Bus
{
public:
    explicit Bus(Steady::time_point deadline) : m_deadline(deadline) {}
    ~Bus()
    {
        if (m_fd >= 0)
            close(m_fd);
    }
    Bus(const Bus&) = delete;
    Bus& operator=(const Bus&) = delete;

    // Whether the bus took the connection and said hello; a bus that refuses at once is no
    // danger, as the bridge's connection fails as fast.
    bool open(const std::string& address)
    {
        const std::optional<sockaddr_un> where = socketAddress(address);
        if (!where)
            return false;
        m_fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (m_fd < 0 ||
            (connect(m_fd, reinterpret_cast<const sockaddr*>(&*where), addressSize(*where)) != 0 &&
             !(errno == EAGAIN && wait(POLLOUT))))
            return false;
        std::string uid;
        for (char digit : std::to_string(geteuid()))
            uid += QByteArray(1, digit).toHex().toStdString();
        if (!send(std::string(1, '\0') + "AUTH EXTERNAL " + uid + "\r\n"))
            return false;
        std::size_t line;
        while ((line = m_in.find("\r\n")) == std::string::npos) {
            if (!receive())
                return false;
        }
        const bool accepted = m_in.rfind("OK ", 0) == 0;
        m_in.erase(0, line + 2);
        return accepted && send("BEGIN\r\n") &&
               call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                    "Hello", {});
    }

    // The reply's body; nothing for an error, a closed connection or no answer in time.
    std::optional<std::string> call(const char* destination, const char* path,
                                    const char* interface, const char* member,
                                    std::vector<std::string> args)
    {
        if (!send(
                Message(destination, path, interface, member, std::move(args), ++m_serial).bytes()))
            return std::nullopt;
        for (;;) {
            while (m_in.size() >= 16) {
                const size_t fields = (number(12) + 16 + 7) / 8 * 8;
                const size_t size = fields + number(4);
                if (m_in.size() < size)
                    break;
                const char type = m_in[1];
                std::string body = m_in.substr(fields, size - fields);
                m_in.erase(0, size);
                // Signals (the bus's NameAcquired) come between; one call is out at a time.
                if (type == 2)
                    return body;
                if (type == 3)
                    return std::nullopt;
            }
            if (!receive())
                return std::nullopt;
        }
    }

    bool silent() const { return m_silent; }

    // A reply's first number, from a body that begins with it (b, s) or with a variant of it.
    static uint32_t first(const std::string& body, bool variant, bool big)
    {
        size_t at = variant && !body.empty() ? (size_t(uint8_t(body[0])) + 2 + 3) / 4 * 4 : 0;
        if (body.size() < at + 4)
            return 0;
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v |= uint32_t(uint8_t(body[at + size_t(big ? 3 - i : i)])) << (8 * i);
        return v;
    }
    bool bigEndian() const { return m_big; }

private:
    uint32_t number(size_t at)
    {
        m_big = m_in[0] == 'B';
        return first(m_in.substr(at, 4), false, m_big);
    }
    bool wait(short events)
    {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(m_deadline - Steady::now());
        pollfd p{m_fd, events, 0};
        if (left.count() > 0 && poll(&p, 1, int(left.count())) > 0)
            return (p.revents & events) != 0 || (p.revents & POLLHUP) != 0;
        m_silent = true;
        return false;
    }
    bool send(const std::string& bytes)
    {
        for (size_t sent = 0; sent < bytes.size();) {
            const ssize_t n = ::send(m_fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (n > 0)
                sent += size_t(n);
            else if (n < 0 && errno != EAGAIN && errno != EINTR)
                return false;
            else if (!wait(POLLOUT))
                return false;
        }
        return true;
    }
    bool receive()
    {
        char buffer[4096];
        for (;;) {
            const ssize_t n = recv(m_fd, buffer, sizeof buffer, 0);
            if (n > 0) {
                m_in.append(buffer, size_t(n));
                return true;
            }
            if (n == 0 || (errno != EAGAIN && errno != EINTR) || !wait(POLLIN))
                return false;
        }
    }

    Steady::time_point m_deadline;
    int m_fd = -1;
    uint32_t m_serial = 0;
    std::string m_in;
    bool m_big = false;
    bool m_silent = false;
};

} // namespace dbuswire

struct AccessibilityBuses::Probe
{
    enum class Outcome { Answered, Silent };

    // Read here, on the main thread: the environment is changed meanwhile.
    std::string accessibilityBus = qgetenv("AT_SPI_BUS_ADDRESS").toStdString();
    std::string sessionBus = qgetenv("DBUS_SESSION_BUS_ADDRESS").toStdString();
    bool alwaysOn = qEnvironmentVariableIsSet("QT_LINUX_ACCESSIBILITY_ALWAYS_ON");
    dbuswire::Steady::time_point deadline = dbuswire::Steady::now() + dbuswire::patience;

    Outcome outcome = Outcome::Answered;
    bool sessionConnected = false;
    std::string asked; // the accessibility bus already asked
    std::thread thread;

    Probe()
    {
        // libdbus's own choice when no address is set: the user's bus in the runtime folder.
        const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
        struct stat info;
        if (sessionBus.empty() && !runtime.isEmpty() &&
            stat((runtime + "/bus").constData(), &info) == 0 && S_ISSOCK(info.st_mode))
            sessionBus = "unix:path=" + runtime.toStdString() + "/bus";
        thread = std::thread([this] { outcome = ask(); });
    }

    Outcome hello(const std::string& address)
    {
        dbuswire::Bus bus(deadline);
        bus.open(address);
        asked = address;
        return bus.silent() ? Outcome::Silent : Outcome::Answered;
    }

    // The bridge's questions, in its order.
    Outcome ask()
    {
        if (!accessibilityBus.empty())
            return hello(accessibilityBus);
        dbuswire::Bus bus(deadline);
        sessionConnected = bus.open(sessionBus);
        const auto answer = [&](std::optional<std::string> body, bool variant) {
            return body && dbuswire::Bus::first(*body, variant, bus.bigEndian()) != 0;
        };
        const char* a11y = "org.a11y.Bus";
        if (!sessionConnected || !answer(bus.call("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                  "org.freedesktop.DBus", "NameHasOwner", {a11y}),
                                         false))
            return bus.silent() ? Outcome::Silent : Outcome::Answered;
        const auto status = [&](const char* property) {
            return answer(bus.call(a11y, "/org/a11y/bus", "org.freedesktop.DBus.Properties", "Get",
                                   {"org.a11y.Status", property}),
                          true);
        };
        const bool enabled = alwaysOn || status("ScreenReaderEnabled") || status("IsEnabled");
        if (bus.silent() || !enabled)
            return bus.silent() ? Outcome::Silent : Outcome::Answered;
        const std::optional<std::string> reply =
            bus.call(a11y, "/org/a11y/bus", a11y, "GetAddress", {});
        if (bus.silent())
            return Outcome::Silent;
        const uint32_t length = reply ? dbuswire::Bus::first(*reply, false, bus.bigEndian()) : 0;
        if (!reply || length == 0 || reply->size() < 4 + length)
            return Outcome::Answered;
        return hello(reply->substr(4, length));
    }
};

AccessibilityBuses::AccessibilityBuses() : m_probe(std::make_unique<Probe>()) {}

AccessibilityBuses::~AccessibilityBuses()
{
    if (m_probe->thread.joinable())
        m_probe->thread.join();
}

void AccessibilityBuses::settle()
{
    Probe& probe = *m_probe;
    probe.thread.join();
    // On X11 the bridge also tries the address the accessibility bus puts on the root window.
    if (probe.outcome == Probe::Outcome::Answered && probe.accessibilityBus.empty() &&
        probe.sessionConnected) {
        const std::string root = x11::rootText("AT_SPI_BUS").toStdString();
        if (!root.empty() && root != probe.asked)
            probe.outcome = probe.hello(root);
    }
    if (probe.outcome == Probe::Outcome::Answered)
        return;
    qCWarning(lcPlatform, "a D-Bus bus did not answer within %lld ms: no screen reader this run",
              static_cast<long long>(dbuswire::patience.count()));
    const QByteArray names[] = {"AT_SPI_BUS_ADDRESS", "DBUS_SESSION_BUS_ADDRESS"};
    std::optional<QByteArray> kept[2];
    for (int i = 0; i < 2; ++i) {
        if (qEnvironmentVariableIsSet(names[i]))
            kept[i] = qgetenv(names[i]);
    }
    qunsetenv(names[0]);
    // No socket can be under a file: the bridge finds no session bus at once, and stays off.
    qputenv(names[1], "unix:path=/dev/null/bus");
    QAccessible::isActive();
    // The programs the function keys open get the user's buses.
    for (int i = 0; i < 2; ++i) {
        if (kept[i])
            qputenv(names[i], *kept[i]);
        else
            qunsetenv(names[i]);
    }
}

} // namespace tintel
