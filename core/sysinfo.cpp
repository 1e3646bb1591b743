#include "core/sysinfo.h"

#include "core/files.h"
#include "core/registry.h"

#include <QScopeGuard>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace tintel {

namespace {

constexpr quint32 kBufferSize = 1024;

const QString kProgramKey = u"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"_s;
const QString kProgramValue = u"PATH"_s;
const QString kFolderKey = u"SOFTWARE\\Microsoft\\Shared Tools Location"_s;
const QString kFolderValue = u"MSINFO"_s;
const QString kProgramFile = u"\\MSINFO32.EXE"_s;

// Names go to the byte API in the same 8-bit encoding as the texts come back.
QByteArray registryName(const QString& name)
{
    return name.toLatin1();
}

// The number in full, unsigned decimal as the registry stores it, from its little-endian bytes.
// A value shorter than four bytes counts its missing high bytes as zero; one without data has no
// number and reads as an empty text.
QString numberText(const QByteArray& buffer, quint32 length)
{
    const qsizetype bytes = std::min<qsizetype>({qsizetype(length), 4, buffer.size()});
    if (bytes == 0)
        return {};
    quint32 number = 0;
    for (qsizetype i = bytes - 1; i >= 0; --i)
        number = (number << 8) | quint8(buffer.at(i));
    return QString::number(number);
}

} // namespace

QString decodeRegistryText(const QByteArray& buffer, quint32 length)
{
    // A length past the buffer cannot come from a successful read; clamping keeps a bad answer
    // from reading beyond it.
    const qsizetype n = std::min<qsizetype>(qsizetype(length), buffer.size());
    if (n == 0)
        return {};
    const qsizetype kept = buffer.at(n - 1) == '\0' ? n - 1 : n;
    // Latin-1 keeps one character per byte whatever the process locale (Qt 6 reads the local
    // 8-bit encoding as UTF-8 off Windows), and matches the Western ANSI page on every letter
    // outside 0x80-0x9F. The values read here are system paths, plain ASCII in practice.
    return QString::fromLatin1(buffer.constData(), kept);
}

bool GetKeyValue(Registry& registry, quint32 KeyRoot, const QString& KeyName,
                 const QString& SubKeyRef, QString& KeyVal)
{
    Registry::Key key = 0;
    // Read rights only: asking for write rights as well is refused to an ordinary user.
    if (registry.openKey(KeyRoot, registryName(KeyName), 0, Registry::kKeyRead, key) != 0) {
        KeyVal.clear();
        return false;
    }
    // Also on a failure thrown from the read, which passes on to the caller.
    const auto closeKey = qScopeGuard([&registry, key] { registry.closeKey(key); });

    QByteArray buffer(kBufferSize, '\0');
    quint32 type = 0;
    quint32 length = kBufferSize;
    if (registry.queryValue(key, registryName(SubKeyRef), type, buffer, length) != 0) {
        KeyVal.clear();
        return false;
    }
    switch (type) {
    case Registry::kRegSz:
        KeyVal = decodeRegistryText(buffer, length);
        break;
    case Registry::kRegDword:
        KeyVal = numberText(buffer, length);
        break;
    default:
        break;
    }
    return true;
}

std::optional<QString> findSysInfoProgram(Registry& registry, const Files& files)
{
    QString path;
    if (GetKeyValue(registry, Registry::kHkeyLocalMachine, kProgramKey, kProgramValue, path))
        return path;
    if (!GetKeyValue(registry, Registry::kHkeyLocalMachine, kFolderKey, kFolderValue, path))
        return std::nullopt;
    // The folder as read: one ending in a separator gives two in a row, as the file test sees it.
    const QString program = path + kProgramFile;
    if (!files.isNormalFile(program))
        return std::nullopt;
    return program;
}

} // namespace tintel
