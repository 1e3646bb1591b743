#pragma once

#include "info/functionkeys.h"

#include <array>
#include <memory>

namespace Ui {
class frmQuestion;
}

class QRadioButton;

namespace tintel {

// What next, asked from the countdown window: a new alarm, keep this one, or quit.
class frmQuestion final : public FunctionKeyForm
{
    Q_OBJECT
public:
    explicit frmQuestion(Forms& forms);
    ~frmQuestion() override;

    void Form_Load() override;
    void optChoix_Click(qint16 Index);
    void cmdValider_Click();

    qint16 choix() const { return m_choix; }
    Ui::frmQuestion& ui() const { return *m_ui; }
    QRadioButton* optChoix(qint16 index) const;

protected:
    void placeWindow() override;

private:
    std::unique_ptr<Ui::frmQuestion> m_ui;
    std::array<QRadioButton*, 3> m_optChoix{};
    qint16 m_choix = 0;
};

} // namespace tintel
