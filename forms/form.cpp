// The window base: one window of the program, its close request, Escape and a minimised modal.
#include "forms/forms.h"

#include "forms/look.h"

#include <QCloseEvent>
#include <QKeyEvent>

namespace tintel {

Form::Form(Forms& forms) : QDialog(nullptr), m_forms(forms)
{
    setWindowIcon(programIcon());
}

Platform& Form::platform() const
{
    return m_forms.platform();
}

AlarmRecord& Form::record() const
{
    return m_forms.record();
}

void Form::reject()
{
    // QDialog would hide itself behind the registry's back.
    close();
}

void Form::closeEvent(QCloseEvent* event)
{
    bool cancel = false;
    Form_QueryUnload(cancel);
    if (cancel) {
        event->ignore();
        return;
    }
    event->accept();
    m_forms.unload(this);
}

void Form::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    // A window manager may minimise a modal window although it asks for no minimise button, and
    // a window of the program that becomes active is the user looking for it.
    if ((event->type() == QEvent::WindowStateChange && isMinimized()) ||
        (event->type() == QEvent::ActivationChange && isActiveWindow()))
        m_forms.restoreMinimisedModal();
}

void Form::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        escapePressed();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace tintel

#include "moc_forms.cpp"
