#include "platform/inisettingsstore.h"
#include "platform/localfiles.h"
#include "platform/log.h"

#include <QFile>
#include <QSettings>

#include <fcntl.h>
#include <glib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstring>
#include <memory>
#include <optional>

namespace tintel {
namespace {

struct KeyFileFree
{
    void operator()(GKeyFile* file) const { g_key_file_free(file); }
};
struct TextFree
{
    void operator()(gchar* text) const { g_free(text); }
};
struct ListFree
{
    void operator()(gchar** list) const { g_strfreev(list); }
};
using KeyFile = std::unique_ptr<GKeyFile, KeyFileFree>;
using Text = std::unique_ptr<gchar, TextFree>;
using TextList = std::unique_ptr<gchar*, ListFree>;

enum class Load { Loaded, Absent, Unusable };

// A settings file as found: the file a link leads to, whether it can be used and why not, and
// what GKeyFile leaves out for the write to put back, the byte order mark and Windows line ends
// of the editor that saved it.
struct Found
{
    Load state = Load::Absent;
    QByteArray target;
    QByteArray mark;
    bool crlf = false;
    QByteArray reason;
};

// GKeyFile knows only '#' comments, where other INI files also have ';' ones. Comment lines go
// in with a second mark, '#' doubled or ';' behind a '#', and come out as they were.
qsizetype indent(const QByteArray& line)
{
    qsizetype start = 0;
    while (start < line.size() && (line[start] == ' ' || line[start] == '\t'))
        ++start;
    return start;
}

QByteArray commentsIn(const QByteArray& text)
{
    QList<QByteArray> lines = text.split('\n');
    for (QByteArray& line : lines) {
        const qsizetype start = indent(line);
        if (start < line.size() && (line[start] == '#' || line[start] == ';'))
            line.insert(start, '#');
    }
    return lines.join('\n');
}

QByteArray commentsOut(const QByteArray& text)
{
    QList<QByteArray> lines = text.split('\n');
    for (QByteArray& line : lines) {
        const qsizetype start = indent(line);
        if (line.mid(start, 2) == "##" || line.mid(start, 2) == "#;")
            line.remove(start, 1);
    }
    return lines.join('\n');
}

// A link that leads nowhere yet names the file to make, as an editor takes it.
QByteArray linkTarget(QByteArray path)
{
    char target[PATH_MAX];
    for (int hops = 0; hops < 40; ++hops) {
        const ssize_t length = readlink(path.constData(), target, sizeof target);
        if (length <= 0 || length == sizeof target)
            break;
        const QByteArray next(target, length);
        path = next.startsWith('/') ? next : path.left(path.lastIndexOf('/') + 1) + next;
    }
    return path;
}

// QSettings, which reads the keys of earlier builds, takes the name as Qt decodes it: a name that
// does not survive that reads nothing rather than another file.
QString qtName(const QByteArray& path)
{
    const QString name = QFile::decodeName(path);
    return QFile::encodeName(name) == path ? name : QString();
}

// Three keys take a few hundred bytes: a file far larger than any settings file is not read on
// the way to the first window.
constexpr qint64 kLargestFile = 64 * 1024;

Found load(GKeyFile* file, const QByteArray& path)
{
    Found found;
    found.target = linkTarget(path);
    // Without O_NONBLOCK a named pipe holds the open until someone writes to it.
    const int fd = ::open(found.target.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        found.state = errno == ENOENT || errno == ENOTDIR ? Load::Absent : Load::Unusable;
        found.reason = QByteArray("cannot be opened: ") + std::strerror(errno);
        return found;
    }
    QFile input;
    struct stat status
    {};
    const bool examined = fstat(fd, &status) == 0;
    const int examineError = errno;
    if (!examined || !S_ISREG(status.st_mode) || status.st_size > kLargestFile ||
        !input.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        found.state = Load::Unusable;
        found.reason = !examined ? QByteArray("cannot be examined: ") + std::strerror(examineError)
                       : !S_ISREG(status.st_mode) ? QByteArray("is not a regular file")
                       : status.st_size > kLargestFile
                           ? QByteArray("is larger than a settings file can be (64 KiB)")
                           : QByteArray("cannot be opened");
        return found;
    }
    // A file that grew since it was looked at is read no further than that.
    QByteArray text = input.read(kLargestFile + 1);
    if (text.size() > kLargestFile) {
        found.state = Load::Unusable;
        found.reason = "is larger than a settings file can be (64 KiB)";
        return found;
    }
    if (text.startsWith("\xef\xbb\xbf")) {
        found.mark = text.first(3);
        text.remove(0, 3);
    }
    const qsizetype end = text.indexOf('\n');
    found.crlf = end > 0 && text[end - 1] == '\r';
    text = commentsIn(text);
    const auto flags =
        static_cast<GKeyFileFlags>(G_KEY_FILE_KEEP_COMMENTS | G_KEY_FILE_KEEP_TRANSLATIONS);
    GError* error = nullptr;
    found.state = g_key_file_load_from_data(file, text.constData(), static_cast<gsize>(text.size()),
                                            flags, &error)
                      ? Load::Loaded
                      : Load::Unusable;
    if (error) {
        found.reason = "cannot be read as INI: ";
        found.reason += g_error_matches(error, G_KEY_FILE_ERROR, G_KEY_FILE_ERROR_GROUP_NOT_FOUND)
                            ? QByteArray("a key stands before the first section")
                            : QByteArray(error->message);
        g_clear_error(&error);
    }
    return found;
}

// GKeyFile refuses, with a warning on stderr, names it could not read back; the program's own
// names always pass.
bool isGroupName(const QByteArray& name)
{
    return !name.isEmpty() && std::none_of(name.begin(), name.end(), [](char c) {
        return c == '[' || c == ']' || (static_cast<unsigned char>(c) < 0x20);
    });
}

bool isKeyName(const QByteArray& name)
{
    return !name.isEmpty() && !name.startsWith(' ') && !name.endsWith(' ') &&
           !name.startsWith('#') && !name.startsWith(';') &&
           std::none_of(name.begin(), name.end(), [](char c) {
               return c == '=' || c == '[' || c == ']' || (static_cast<unsigned char>(c) < 0x20);
           });
}

// Written as it stands, so that any INI reader reads the same text; only a line break cannot
// stand in a one-line value, and goes in as GKeyFile's escape, to be read back as that text.
QByteArray lineValue(const QString& value)
{
    QByteArray bytes = value.toUtf8();
    bytes.replace('\n', "\\n");
    bytes.replace('\r', "\\r");
    return bytes;
}

std::optional<QString> rawValue(GKeyFile* file, const QByteArray& group, const QByteArray& key)
{
    const Text value(g_key_file_get_value(file, group.constData(), key.constData(), nullptr));
    if (!value)
        return std::nullopt;
    return QString::fromUtf8(value.get());
}

// Earlier builds wrote through QSettings, which escapes key names ("date%20de%20debut").
QString legacyKeyName(const QString& key)
{
    QString name;
    for (const QChar c : key) {
        const char16_t code = c.unicode();
        if (code == u'/')
            name += u'\\';
        else if ((code < 0x80 && std::isalnum(code)) || code == u'_' || code == u'-' ||
                 code == u'.')
            name += c;
        else if (code <= 0xff)
            name += QString::asprintf("%%%02X", code);
        else
            name += QString::asprintf("%%U%04X", code);
    }
    return name;
}

// QSettings quoted or escaped a value only where it had to; text without its marks was written
// as it stands, and a hand-edited value that QSettings would misread (a comma taken for a list,
// a semicolon for a comment) is taken as written.
bool markedByQSettings(const QString& raw)
{
    return raw.startsWith(u'"') || raw.startsWith(u'@') || raw.contains(u'\\');
}

QString legacyValue(const QString& raw, const QVariant& decoded)
{
    return markedByQSettings(raw) && decoded.typeId() == QMetaType::QString ? decoded.toString()
                                                                            : raw;
}

// The next write moves the keys of earlier builds to their plain names: the first-run keys are
// never written again, and other INI readers must find them under the names the program uses.
// A plain key that is already there is the newer one and wins.
void migrateLegacyKeys(GKeyFile* file, const QString& path, const QString& section)
{
    const QByteArray group = section.toUtf8();
    const TextList keys(g_key_file_get_keys(file, group.constData(), nullptr, nullptr));
    bool escaped = false;
    for (gchar** key = keys.get(); key && *key; ++key)
        escaped = escaped || std::strchr(*key, '%');
    if (!escaped)
        return;
    QSettings settings(path, QSettings::IniFormat);
    settings.beginGroup(section);
    for (const QString& name : settings.childKeys()) {
        const QByteArray plain = name.toUtf8();
        const QByteArray legacy = legacyKeyName(name).toUtf8();
        const auto raw = rawValue(file, group, legacy);
        if (legacy == plain || !isKeyName(plain) || !raw)
            continue;
        if (!g_key_file_has_key(file, group.constData(), plain.constData(), nullptr))
            g_key_file_set_value(file, group.constData(), plain.constData(),
                                 lineValue(legacyValue(*raw, settings.value(name))).constData());
        g_key_file_remove_key(file, group.constData(), legacy.constData(), nullptr);
    }
}

void save(GKeyFile* file, const Found& found)
{
    gsize length = 0;
    const Text text(g_key_file_to_data(file, &length, nullptr));
    QByteArray data = commentsOut(QByteArray(text.get(), static_cast<qsizetype>(length)));
    if (found.crlf)
        data.replace('\n', "\r\n");
    data.prepend(found.mark);
    // A settings file kept among one's dotfiles is a link: the file it points to is replaced.
    const QByteArray& name = found.target;
    g_mkdir_with_parents(name.left(name.lastIndexOf('/')).constData(), 0777);
    int mode = 0666;
    if (struct stat status; stat(name.constData(), &status) == 0)
        mode = static_cast<int>(status.st_mode & 0777);
    // A temporary file, synced, then renamed over the old one: a kill or a power cut leaves the
    // old file or the new one, never half of one, and the value survives an _exit that follows.
    const auto flags = static_cast<GFileSetContentsFlags>(G_FILE_SET_CONTENTS_CONSISTENT |
                                                          G_FILE_SET_CONTENTS_DURABLE);
    GError* error = nullptr;
    if (!g_file_set_contents_full(name.constData(), data.constData(), data.size(), flags, mode,
                                  &error)) {
        qCInfo(lcPlatform, "settings not saved to %s: %s", name.constData(),
               error ? error->message : "unknown error");
        g_clear_error(&error);
    }
}

} // namespace

QByteArray IniSettingsStore::fileName(const QString& app)
{
    return userFolder("XDG_CONFIG_HOME", ".config") + '/' + QFile::encodeName(app) + ".ini";
}

QString IniSettingsStore::filePath(const QString& app)
{
    return QFile::decodeName(fileName(app));
}

QString IniSettingsStore::read(const QString& app, const QString& section, const QString& key,
                               const QString& defaultValue) const
{
    const QByteArray path = fileName(app);
    const KeyFile file(g_key_file_new());
    if (load(file.get(), path).state != Load::Loaded)
        return defaultValue;
    const QByteArray group = section.toUtf8();
    if (const auto value = rawValue(file.get(), group, key.toUtf8()))
        return *value;
    const QString legacy = legacyKeyName(key);
    if (legacy == key)
        return defaultValue;
    const auto raw = rawValue(file.get(), group, legacy.toUtf8());
    if (!raw)
        return defaultValue;
    if (!markedByQSettings(*raw))
        return *raw;
    const QSettings settings(qtName(path), QSettings::IniFormat);
    return legacyValue(*raw, settings.value(section + u'/' + key));
}

void IniSettingsStore::write(const QString& app, const QString& section, const QString& key,
                             const QString& value)
{
    // A failing store (read-only folder, a file that is not INI) costs nothing but the value.
    const QByteArray group = section.toUtf8();
    const QByteArray name = key.toUtf8();
    if (!isGroupName(group) || !isKeyName(name)) {
        qCInfo(lcPlatform, "settings key [%s] %s not saved: GKeyFile cannot hold that name",
               group.constData(), name.constData());
        return;
    }
    const QByteArray path = fileName(app);
    const KeyFile file(g_key_file_new());
    // A file that is there but is not INI belongs to a person or another program: it stays as
    // it is rather than being replaced by one key.
    const Found found = load(file.get(), path);
    if (found.state == Load::Unusable) {
        qCInfo(lcPlatform, "settings key %s not saved: %s %s, left untouched", name.constData(),
               path.constData(), found.reason.constData());
        return;
    }
    migrateLegacyKeys(file.get(), qtName(path), section);
    g_key_file_set_value(file.get(), group.constData(), name.constData(),
                         lineValue(value).constData());
    save(file.get(), found);
}

} // namespace tintel
