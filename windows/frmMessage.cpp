#include "windows/frmMessage.h"
#include "ui_frmMessage.h"

#include "platform/screen.h"
#include "platform/windowmanager.h"
#include "windows/look.h"

#include <cmath>

namespace tintel {

frmMessage::frmMessage(Forms& forms) : Form(forms), m_ui(std::make_unique<Ui::frmMessage>())
{
    m_ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(size());
    setWindowFont(this);
    applyFont(m_ui->txtTexte, QStringLiteral("MS Sans Serif"), 8.25, true);
    setBackground(m_ui->txtTexte, QColor(255, 255, 0));
    m_ui->cmdOK->setFocus();
    connect(m_ui->cmdOK, &QPushButton::clicked, this, &frmMessage::cmdOK_Click);
}

frmMessage::~frmMessage() = default;

void frmMessage::Form_Load()
{
    const QSize screen = platform().screen.sizeTwips();
    const QSize window = outerSizeTwips();
    const double top = (screen.height() - window.height()) / 2.0;
    const double left = (screen.width() - window.width()) / 2.0;
    moveTwips(left, top);
    setWindowTitle(QStringLiteral("votre message de ") + record().gHeureCible);
    m_ui->txtTexte->setPlainText(record().gTexteMessage);
    platform().windows.setOnTop(this, true,
                                QPoint(static_cast<int>(std::nearbyint(left / kTwipsPerPixel)),
                                       static_cast<int>(std::nearbyint(top / kTwipsPerPixel))));
}

void frmMessage::cmdOK_Click()
{
    forms().unload(this);
}

} // namespace tintel
