#include "tests/support/windowrig.h"

#include <QApplication>
#include <QWidget>

namespace tintel::test {

WindowRig::WindowRig()
{
    forms.setQuitHandler([this] { ++quits; });
}

QString visibleTopLevel()
{
    const QWidgetList widgets = QApplication::topLevelWidgets();
    for (const QWidget* widget : widgets) {
        if (widget->isVisible())
            return widget->objectName().isEmpty()
                       ? QString::fromLatin1(widget->metaObject()->className())
                       : widget->objectName();
    }
    return {};
}

} // namespace tintel::test
