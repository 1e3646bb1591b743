#include "forms/messagebox.h"

#include "forms/forms.h"
#include "forms/modalscope.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTimer>
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

// A window manager may minimise a box although it asks for no minimise button; the window it
// blocks would then seem dead.
class ComeBackWhenMinimised final : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* box = static_cast<QWidget*>(watched);
        if (event->type() == QEvent::WindowStateChange && box->isMinimized())
            // Later, once the window manager has finished the change it is making.
            QTimer::singleShot(0, box, [box] { restoreIfMinimised(*box); });
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
        // Access keys as Alt+O and Alt+N, for a user without a mouse.
        box.button(QMessageBox::Yes)->setText(QStringLiteral("&Oui"));
        box.button(QMessageBox::No)->setText(QStringLiteral("&Non"));
        box.setDefaultButton(message.defaultButton == Message::Answer::No ? QMessageBox::No
                                                                          : QMessageBox::Yes);
        box.installEventFilter(new SwallowEscape(&box));
    } else {
        box.setStandardButtons(QMessageBox::Ok);
        box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
        box.setDefaultButton(QMessageBox::Ok);
    }
    box.setWindowModality(Qt::ApplicationModal);
    box.installEventFilter(new ComeBackWhenMinimised(&box));
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
