#include "forms/messagebox.h"

#include "forms/modalscope.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QMessageBox>
#include <QWidget>

namespace tintel {
namespace {

// QMessageBox would answer Escape with No; a Yes or No question wants one of its buttons.
class SwallowEscape final : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
            return true;
        return false;
    }
};

} // namespace

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
        box.installEventFilter(new SwallowEscape(&box));
    } else {
        box.setStandardButtons(QMessageBox::Ok);
        box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
        box.setDefaultButton(QMessageBox::Ok);
    }
    box.setWindowModality(Qt::ApplicationModal);
    // Transient for its parent through the parent; on top as well when the parent is, or an
    // always-on-top parent would cover it.
    if (parent && parent->window()->windowFlags().testFlag(Qt::WindowStaysOnTopHint))
        box.setWindowFlag(Qt::WindowStaysOnTopHint, true);

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
