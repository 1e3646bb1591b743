#include "tests/support/windowrig.h"

#include <QApplication>
#include <QTest>
#include <QWidget>

namespace tintel::test {

WindowRig::WindowRig()
{
    forms.setQuitHandler([this] { ++quits; });
}

void typeText(QWidget* widget, const QString& text)
{
    for (QChar c : text) {
        if (c.unicode() < 0x80)
            QTest::keyClick(widget, char(c.unicode()));
        else
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key(c.toUpper().unicode()), QString(c),
                                Qt::NoModifier);
    }
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
