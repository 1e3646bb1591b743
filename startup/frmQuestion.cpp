#include "startup/frmQuestion.h"
#include "ui_frmQuestion.h"

#include "forms/look.h"
#include "info/functionkeys.h"
#include "windows/frmNouveau.h"
#include "windows/frmTintel.h"

namespace tintel {

frmQuestion::frmQuestion(Forms& forms)
    : FunctionKeyForm(forms), m_ui(std::make_unique<Ui::frmQuestion>())
{
    m_ui->setupUi(this);
    m_optChoix = {m_ui->optChoix_0, m_ui->optChoix_1, m_ui->optChoix_2};
    setKeyPreview(true);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(size());
    setWindowFont(this);
    for (qint16 index = 0; index < qint16(m_optChoix.size()); ++index) {
        connect(optChoix(index), &QRadioButton::toggled, this, [this, index](bool checked) {
            if (checked)
                optChoix_Click(index);
        });
    }
    connect(m_ui->cmdValider, &QPushButton::clicked, this, &frmQuestion::cmdValider_Click);
    fitLabels(this);
}

frmQuestion::~frmQuestion() = default;

QRadioButton* frmQuestion::optChoix(qint16 index) const
{
    return index >= 0 && std::size_t(index) < m_optChoix.size() ? m_optChoix[std::size_t(index)]
                                                                : nullptr;
}

void frmQuestion::Form_Load()
{
    placeWindow();
    m_choix = 0;
}

void frmQuestion::placeWindow()
{
    centreOnScreen(Precision::Single);
}

void frmQuestion::optChoix_Click(qint16 Index)
{
    m_choix = Index;
}

void frmQuestion::cmdValider_Click()
{
    switch (m_choix) {
    case 0:
        forms().unload(this);
        // The alarm may have fired meanwhile: both steps then find their work already done.
        forms().unload<frmTintel>();
        forms().show<frmNouveau>();
        break;
    case 1:
        forms().unload(this);
        break;
    case 2:
        // Nothing is written: "etat" keeps its "actif".
        forms().terminateNow();
        break;
    default:
        break;
    }
}

} // namespace tintel

#include "moc_frmQuestion.cpp"
