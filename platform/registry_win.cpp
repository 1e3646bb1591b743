#include "core/registry.h"

#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace tintel {

static_assert(Registry::kRegSz == REG_SZ && Registry::kRegExpandSz == REG_EXPAND_SZ &&
              Registry::kRegBinary == REG_BINARY && Registry::kRegDword == REG_DWORD);

long WindowsRegistry::openKey(quint32 root, const QByteArray& path, quint32 options, quint32 access,
                              Key& key)
{
    HKEY handle = nullptr;
    const LONG status = RegOpenKeyExA(reinterpret_cast<HKEY>(static_cast<quintptr>(root)),
                                      path.constData(), options, access, &handle);
    key = reinterpret_cast<Key>(handle);
    return status;
}

long WindowsRegistry::queryValue(Key key, const QByteArray& name, quint32& type, QByteArray& data,
                                 quint32& length)
{
    DWORD valueType = 0;
    DWORD size = static_cast<DWORD>(data.size());
    const LONG status = RegQueryValueExA(reinterpret_cast<HKEY>(key), name.constData(), nullptr,
                                         &valueType, reinterpret_cast<LPBYTE>(data.data()), &size);
    type = valueType;
    length = size;
    return status;
}

void WindowsRegistry::closeKey(Key key)
{
    RegCloseKey(reinterpret_cast<HKEY>(key));
}

} // namespace tintel
