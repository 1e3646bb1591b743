#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace tintel {

// The three advapi32 calls the about window needs, with their status codes (0 is success).
class Registry
{
public:
    using Key = quintptr;
    static constexpr quint32 kHkeyLocalMachine = 0x80000002u;
    static constexpr quint32 kKeyRead = 0x20019u;
    // Value types (REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD).
    static constexpr quint32 kRegSz = 1;
    static constexpr quint32 kRegExpandSz = 2;
    static constexpr quint32 kRegBinary = 3;
    static constexpr quint32 kRegDword = 4;

    virtual ~Registry() = default;
    virtual long openKey(quint32 root, const QByteArray& path, quint32 options, quint32 access,
                         Key& key) = 0;
    // data holds the buffer, its size the capacity; length comes back as the bytes written.
    virtual long queryValue(Key key, const QByteArray& name, quint32& type, QByteArray& data,
                            quint32& length) = 0;
    virtual void closeKey(Key key) = 0;
};

// A desktop without a registry: every key is missing.
class NoRegistry final : public Registry
{
public:
    long openKey(quint32, const QByteArray&, quint32, quint32, Key&) override { return 2; }
    long queryValue(Key, const QByteArray&, quint32&, QByteArray&, quint32&) override { return 2; }
    void closeKey(Key) override {}
};

} // namespace tintel
