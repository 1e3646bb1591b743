#pragma once

#include "core/files.h"

namespace tintel {

class LocalFiles final : public Files
{
public:
    bool isNormalFile(const QString& path) const override;
    bool startDetached(const QString& program) override;
};

} // namespace tintel
