#pragma once

#include "windows/forms.h"

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
    void showEvent(QShowEvent* event) override;

private:
    void centre();

    std::unique_ptr<Ui::frmAbout> m_ui;
    bool m_centredWithFrame = false;
};

} // namespace tintel
