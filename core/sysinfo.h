#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace tintel {

class Files;
class Registry;

// The text of a value as the registry's byte API hands it over: the first `length` bytes, less a
// final zero. Only the last byte is looked at, so a zero inside the data stays in the text.
QString decodeRegistryText(const QByteArray& buffer, quint32 length);

// Reads the value SubKeyRef of the key KeyName under KeyRoot into KeyVal. False, with KeyVal
// emptied, when the key or the value cannot be read; a type other than a string or a 32-bit
// number answers true and leaves KeyVal as it came.
bool GetKeyValue(Registry& registry, quint32 KeyRoot, const QString& KeyName,
                 const QString& SubKeyRef, QString& KeyVal);

// The system-information program as the registry places it, or nothing. A path from the first
// lookup is answered as read, even when empty.
std::optional<QString> findSysInfoProgram(Registry& registry, const Files& files);

} // namespace tintel
