#pragma once

#include <QString>

class QWidget;

namespace tintel {

// The desktop's "open" verb: the target text goes through unchanged, the result is ignored.
class Shell
{
public:
    virtual ~Shell() = default;
    virtual void open(QWidget* owner, const QString& target) = 0;
};

class DesktopShell final : public Shell
{
public:
    void open(QWidget* owner, const QString& target) override;
};

} // namespace tintel
