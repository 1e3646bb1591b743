#pragma once

#include <QString>

#include <exception>

namespace tintel {

// A run-time failure with a number and a description, as the function keys report it. The
// interfaces the rules use may throw it; the rules pass it on.
class RuntimeFailure : public std::exception
{
public:
    RuntimeFailure(int number, QString description)
        : m_number(number), m_description(std::move(description))
    {}
    int number() const { return m_number; }
    const QString& description() const { return m_description; }
    const char* what() const noexcept override { return "runtime failure"; }

private:
    int m_number;
    QString m_description;
};

} // namespace tintel
