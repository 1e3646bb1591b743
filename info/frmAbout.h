#pragma once

#include "forms/forms.h"

#include <memory>

namespace Ui {
class frmAbout;
}

namespace tintel {

// The program's icon, title, version and notice, and the way to the system-information program.
class frmAbout final : public Form
{
    Q_OBJECT
public:
    explicit frmAbout(Forms& forms);
    ~frmAbout() override;

    void Form_Load() override;
    void cmdOK_Click();
    void cmdSysInfo_Click();
    void StartSysInfo();

    Ui::frmAbout& ui() const { return *m_ui; }

protected:
    void escapePressed() override;
    void placeWindow() override;

private:
    std::unique_ptr<Ui::frmAbout> m_ui;
};

} // namespace tintel
