#include "platform/messageboxes.h"
#include "platform/modaldepth.h"

#include <QAbstractButton>
#include <QMessageBox>

namespace tintel {

Message::Answer QtMessageBoxes::show(QWidget* parent, const Message& message)
{
    QMessageBox box(parent);
    box.setWindowTitle(message.title);
    box.setText(message.text);
    switch (message.icon) {
    case Message::Icon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case Message::Icon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case Message::Icon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    }
    if (message.buttons == Message::Buttons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.button(QMessageBox::Yes)->setText(QStringLiteral("Oui"));
        box.button(QMessageBox::No)->setText(QStringLiteral("Non"));
        box.setDefaultButton(message.defaultButton == Message::Answer::No ? QMessageBox::No
                                                                          : QMessageBox::Yes);
        // No Escape answer: as on the desktop the texts come from, the box needs Oui or Non.
        box.setEscapeButton(static_cast<QAbstractButton*>(nullptr));
    } else {
        box.setStandardButtons(QMessageBox::Ok);
        box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
        box.setDefaultButton(QMessageBox::Ok);
    }
    box.setWindowModality(Qt::ApplicationModal);

    int result;
    {
        ModalScope scope;
        result = box.exec();
    }
    if (message.buttons == Message::Buttons::YesNo)
        return result == QMessageBox::Yes ? Message::Answer::Yes : Message::Answer::No;
    return Message::Answer::Ok;
}

} // namespace tintel
