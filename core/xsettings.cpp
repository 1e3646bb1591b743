#include "core/xsettings.h"

#include <QtEndian>

#include <optional>

namespace tintel {

namespace {

class Reader
{
public:
    Reader(QByteArrayView data, bool bigEndian) : m_data(data), m_bigEndian(bigEndian) {}

    std::optional<QByteArrayView> take(qsizetype size)
    {
        if (size < 0 || size > m_data.size() - m_pos)
            return std::nullopt;
        const QByteArrayView part = m_data.sliced(m_pos, size);
        m_pos += size;
        return part;
    }
    // Names and string values are padded to a multiple of four bytes.
    std::optional<QByteArrayView> takePadded(qsizetype size)
    {
        const auto part = take(size);
        if (!part || !take((4 - size % 4) % 4))
            return std::nullopt;
        return part;
    }
    // An unsigned number of the width of T, in the byte order the data declares.
    template <typename T>
    std::optional<T> card()
    {
        const auto part = take(sizeof(T));
        if (!part)
            return std::nullopt;
        if constexpr (sizeof(T) == 1)
            return T(part->front());
        else
            return m_bigEndian ? qFromBigEndian<T>(part->data())
                               : qFromLittleEndian<T>(part->data());
    }

private:
    QByteArrayView m_data;
    qsizetype m_pos = 0;
    bool m_bigEndian;
};

enum SettingType : quint8 { Integer = 0, String = 1, Color = 2 };

} // namespace

QString xsettingsString(QByteArrayView blob, QByteArrayView name)
{
    if (blob.isEmpty())
        return {};
    // The first byte is the byte order of the publisher: 0 for LSBFirst, 1 for MSBFirst.
    const char order = blob.front();
    if (order != 0 && order != 1)
        return {};
    Reader in(blob, order == 1);
    if (!in.take(4) || !in.card<quint32>())
        return {};
    const auto count = in.card<quint32>();
    if (!count)
        return {};
    for (quint32 i = 0; i < *count; ++i) {
        const auto type = in.card<quint8>();
        if (!type || !in.take(1))
            return {};
        const auto nameLength = in.card<quint16>();
        if (!nameLength)
            return {};
        const auto settingName = in.takePadded(*nameLength);
        if (!settingName || !in.card<quint32>())
            return {};
        std::optional<QByteArrayView> value;
        switch (*type) {
        case Integer:
            value = in.take(4);
            break;
        case String:
            if (const auto length = in.card<quint32>(); length && *length <= quint32(blob.size()))
                value = in.takePadded(qsizetype(*length));
            break;
        case Color:
            value = in.take(8);
            break;
        default:
            // An unknown type has an unknown size, so nothing after it can be read.
            return {};
        }
        if (!value)
            return {};
        if (*type == String && *settingName == name)
            return QString::fromUtf8(*value);
    }
    return {};
}

} // namespace tintel
