#include "forms/accessibility.h"

#include <QAccessibleWidget>
#include <QHash>
#include <QWidget>

namespace tintel {
namespace {

QHash<const QObject*, Spoken>& spokenWidgets()
{
    static QHash<const QObject*, Spoken> widgets;
    return widgets;
}

class SpokenWidget final : public QAccessibleWidget
{
public:
    SpokenWidget(QWidget* widget, const Spoken& spoken, QAccessible::Role role)
        : QAccessibleWidget(widget, role), m_spoken(spoken)
    {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && m_spoken.name)
            return m_spoken.name();
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        if (m_spoken.checked) {
            state.checkable = true;
            state.checked = m_spoken.checked();
        }
        return state;
    }

    QStringList actionNames() const override
    {
        QStringList names = QAccessibleWidget::actionNames();
        if (m_spoken.press)
            names.prepend(m_spoken.checked ? toggleAction() : pressAction());
        return names;
    }

    void doAction(const QString& action) override
    {
        if (m_spoken.press && (action == pressAction() || action == toggleAction()))
            m_spoken.press();
        else
            QAccessibleWidget::doAction(action);
    }

private:
    Spoken m_spoken;
};

QAccessibleInterface* spokenFactory(const QString&, QObject* object)
{
    const auto found = spokenWidgets().constFind(object);
    if (found == spokenWidgets().cend())
        return nullptr;
    auto* widget = static_cast<QWidget*>(object);
    QAccessible::Role role = found->role;
    if (role == QAccessible::NoRole)
        role = found->checked ? QAccessible::CheckBox : QAccessible::Client;
    return new SpokenWidget(widget, *found, role);
}

} // namespace

void speak(QWidget* widget, Spoken spoken)
{
    static const bool installed = [] {
        QAccessible::installFactory(spokenFactory);
        return true;
    }();
    Q_UNUSED(installed);
    if (!spokenWidgets().contains(widget))
        QObject::connect(widget, &QObject::destroyed, [widget] { spokenWidgets().remove(widget); });
    spokenWidgets().insert(widget, std::move(spoken));
    // Qt keeps the first interface made for an object: whatever was made before this call goes,
    // and the next question makes one from the factory.
    if (QAccessibleInterface* made = QAccessible::queryAccessibleInterface(widget))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
}

void announceChecked(QWidget* widget)
{
    QAccessible::State changed;
    changed.checked = true;
    QAccessibleStateChangeEvent event(widget, changed);
    QAccessible::updateAccessibility(&event);
}

void announceNameChanged(QWidget* widget)
{
    QAccessibleEvent event(widget, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
}

} // namespace tintel
