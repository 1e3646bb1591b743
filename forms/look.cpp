#include "forms/look.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QFont>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QLabel>
#include <QLibraryInfo>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOption>
#include <QTranslator>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <utility>

namespace tintel {

void installFontSubstitutions()
{
    QFont::insertSubstitution(QStringLiteral("Bookman Old Style"), QStringLiteral("URW Bookman"));
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("MS Serif"), QStringLiteral("Liberation Serif"));
    QFont::insertSubstitution(QStringLiteral("Tempus Sans ITC"), QStringLiteral("Comic Neue"));
}

void setUpApplication()
{
    installFontSubstitutions();
    // Every text of the program is French, so Qt's own (the text boxes' menus, standard buttons)
    // are too, whatever the user's locale. Without Debian's translations they stay English.
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(QStringLiteral("qtbase_fr"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
    // The desktop entry's id, by which task bars match the windows to the menu entry. On X11 the
    // match goes by the window class, the executable's name, which the entry names as its
    // StartupWMClass.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.tintel"));
    // Parentless boxes, such as the refusal of a second copy, carry the program's icon too.
    QApplication::setWindowIcon(programIcon());
}

void applyFont(QWidget* widget, const QString& family, double pointSize, bool bold, int weight)
{
    QFont font(family);
    font.setPointSizeF(pointSize);
    if (weight > 0)
        font.setWeight(static_cast<QFont::Weight>(weight));
    else
        font.setBold(bold);
    widget->setFont(font);
}

void setTextColor(QWidget* widget, const QColor& color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::Text, color);
    widget->setPalette(palette);
}

void setBackground(QWidget* widget, const QColor& color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, color);
    palette.setColor(QPalette::Base, color);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void setWindowFont(QWidget* window)
{
    applyFont(window, QStringLiteral("MS Sans Serif"), 8.25);
}

namespace {

// Space kept between two texts of one row, about a space of the window font. Beside a control
// a text may run up to its edge, as the layouts have it.
constexpr int kTextGap = 3;
// Below this a fitted text is no longer worth reading; it is clipped rather than shrunk further.
constexpr double kSmallestPointSize = 5.5;

// Laid out, a text takes its advance rounded up, not to the nearest pixel.
int textWidth(const QFont& font, const QString& text)
{
    return int(std::ceil(QFontMetricsF(font).horizontalAdvance(text)));
}

QString shownText(const QWidget* widget)
{
    if (const auto* label = qobject_cast<const QLabel*>(widget))
        return label->wordWrap() ? QString() : label->text();
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
        return QString(button->text()).remove(u'&');
    return {};
}

// The room a control leaves for its text: its frame, margins, a radio button's indicator.
int padding(const QWidget* widget)
{
    if (const auto* label = qobject_cast<const QLabel*>(widget))
        return label->width() - label->contentsRect().width() + 2 * label->margin();
    const auto* button = qobject_cast<const QAbstractButton*>(widget);
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    QStyle::SubElement contents = QStyle::SE_PushButtonContents;
    if (qobject_cast<const QRadioButton*>(widget))
        contents = QStyle::SE_RadioButtonContents;
    else if (qobject_cast<const QCheckBox*>(widget))
        contents = QStyle::SE_CheckBoxContents;
    const QRect room = button->style()->subElementRect(contents, &option, button);
    // A pixel on each side, so that the text never touches a bevel.
    return button->width() - room.width() + 2;
}

// Across the row, where a sibling really draws: a label only where its text is.
std::pair<int, int> extent(const QWidget* widget)
{
    const QRect box = widget->geometry();
    const auto* label = qobject_cast<const QLabel*>(widget);
    if (!label || label->text().isEmpty() || label->wordWrap())
        return {box.left(), box.right()};
    const QSize text(textWidth(label->font(), label->text()), 1);
    const QRect drawn = QStyle::alignedRect(label->layoutDirection(), label->alignment(), text,
                                            label->contentsRect());
    return {box.left() + std::max(0, drawn.left()),
            box.left() + std::min(label->width() - 1, drawn.right())};
}

QRect innerRect(const QWidget* parent)
{
    if (const auto* group = qobject_cast<const QGroupBox*>(parent)) {
        QStyleOptionGroupBox option;
        option.initFrom(group);
        option.text = group->title();
        option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        return group->style()->subControlRect(QStyle::CC_GroupBox, &option,
                                              QStyle::SC_GroupBoxContents, group);
    }
    return parent->contentsRect();
}

// The stretch of its row that a control may take: up to the nearest sibling on either side,
// inside its parent's frame. Siblings drawn over it by design (a label on a coloured box) are
// not neighbours.
std::pair<int, int> freeSpan(const QWidget* widget)
{
    const QRect box = widget->geometry();
    const QRect inner = innerRect(widget->parentWidget());
    int left = inner.left();
    int right = inner.right();
    for (const QObject* child : widget->parentWidget()->children()) {
        const auto* sibling = qobject_cast<const QWidget*>(child);
        if (!sibling || sibling == widget || sibling->isHidden() || sibling->isWindow())
            continue;
        const QRect other = sibling->geometry();
        if (other.intersects(box) || other.bottom() < box.top() || other.top() > box.bottom())
            continue;
        const auto [from, to] = extent(sibling);
        const int gap = qobject_cast<const QLabel*>(sibling) ? kTextGap : 0;
        if (to < box.left())
            left = std::max(left, to + 1 + gap);
        else if (from > box.right())
            right = std::min(right, from - 1 - gap);
    }
    return {left, right};
}

} // namespace

void fitLabels(QWidget* window)
{
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        const QString text = shownText(widget);
        if (text.isEmpty() || !widget->parentWidget() || widget->isWindow())
            continue;
        const int pad = padding(widget);
        int needed = textWidth(widget->font(), text) + pad;
        QRect box = widget->geometry();
        if (needed <= box.width())
            continue;
        const auto [left, right] = freeSpan(widget);
        const int room = std::max(box.width(), right - left + 1);
        if (needed > room) {
            QFont font = widget->font();
            while (needed > room && font.pointSizeF() > kSmallestPointSize) {
                font.setPointSizeF(font.pointSizeF() - 0.25);
                needed = textWidth(font, text) + pad;
            }
            widget->setFont(font);
        }
        needed = std::min(needed, room);
        if (needed <= box.width())
            continue;
        // Grow from the side the text keeps its place on: a button from its centre, a label
        // from the edge it is aligned to, leftwards where it would leave the row.
        int start = box.left();
        if (qobject_cast<QPushButton*>(widget))
            start -= (needed - box.width()) / 2;
        else if (const auto* label = qobject_cast<QLabel*>(widget);
                 label && (label->alignment() & Qt::AlignRight))
            start = box.right() + 1 - needed;
        start = std::clamp(start, std::min(left, box.left()),
                           std::max(right, box.right()) + 1 - needed);
        widget->setGeometry(start, box.top(), needed, box.height());
    }
}

QIcon programIcon()
{
    // One icon for every window, its pictures decoded once: each new window, the message of
    // an alarm among them, hands them to the window manager as it is created. Never freed, so
    // that no picture outlives the application object.
    static const QIcon* const icon = [] {
        auto* made = new QIcon;
        for (int size : {16, 32, 48})
            made->addFile(QStringLiteral(":/icons/tintel-%1.png").arg(size), QSize(size, size));
        return made;
    }();
    return *icon;
}

} // namespace tintel
