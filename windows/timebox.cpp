#include "windows/timebox.h"

#include "forms/modalscope.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QValidator>

#include <algorithm>

namespace tintel {

namespace {
// Digits and colons only. A regular expression would do, at the price of the regex engine's
// code in memory for as long as the program runs.
class DigitsAndColons final : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override
    {
        const bool allowed = std::all_of(input.cbegin(), input.cend(), [](QChar c) {
            return (c >= u'0' && c <= u'9') || c == u':';
        });
        return allowed ? Acceptable : Invalid;
    }
};
} // namespace

TimeBox::TimeBox(QWidget* parent) : QLineEdit(parent)
{
    // Last guard for a road not covered below: such text is dropped without a word.
    setValidator(new DigitsAndColons(this));
}

void TimeBox::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Paste)) {
        if (allowsText(QGuiApplication::clipboard()->text()))
            QLineEdit::keyPressEvent(event);
        else
            event->accept();
        return;
    }
    const QString text = event->text();
    // Enter and Esc belong to the default and cancel buttons; Delete and the cursor keys type
    // nothing.
    const int key = event->key();
    if (text.isEmpty() || key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape ||
        key == Qt::Key_Delete || key == Qt::Key_Tab || key == Qt::Key_Backtab) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    bool accepted = true;
    if (text.size() == 1)
        accepted = !keyFilter || keyFilter(text.at(0).unicode());
    else
        accepted = allowsText(text);
    if (accepted)
        QLineEdit::keyPressEvent(event);
    else
        event->accept();
}

void TimeBox::mouseReleaseEvent(QMouseEvent* event)
{
    // X11 pastes the primary selection on a middle click.
    if (event->button() == Qt::MiddleButton && QGuiApplication::clipboard()->supportsSelection() &&
        !allowsText(QGuiApplication::clipboard()->text(QClipboard::Selection))) {
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

void TimeBox::dropEvent(QDropEvent* event)
{
    if (event->mimeData()->hasText() && !allowsText(event->mimeData()->text())) {
        event->ignore();
        return;
    }
    QLineEdit::dropEvent(event);
}

void TimeBox::inputMethodEvent(QInputMethodEvent* event)
{
    if (!event->commitString().isEmpty() && !allowsText(event->commitString())) {
        event->accept();
        return;
    }
    QLineEdit::inputMethodEvent(event);
}

void TimeBox::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu* menu = createStandardContextMenu();
    // The menu's paste entry is the one wired to paste(): rewire it through the filter.
    for (QAction* action : menu->actions()) {
        // Qt wires it by name or by pointer depending on the version.
        const bool byName = disconnect(action, SIGNAL(triggered()), this, SLOT(paste()));
        const bool byPointer = disconnect(action, &QAction::triggered, this, &QLineEdit::paste);
        if (byName || byPointer)
            connect(action, &QAction::triggered, this, &TimeBox::checkedPaste);
    }
    {
        ModalScope scope;
        menu->exec(event->globalPos());
    }
    delete menu;
}

void TimeBox::checkedPaste()
{
    if (allowsText(QGuiApplication::clipboard()->text()))
        paste();
}

} // namespace tintel

#include "moc_timebox.cpp"
