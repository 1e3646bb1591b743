#include "forms/look.h"
#include "info/frmAbout.h"
#include "startup/frmIntro.h"
#include "startup/frmQuestion.h"
#include "tests/support/testtable.h"
#include "tests/support/windowrig.h"
#include "windows/frmMessage.h"
#include "windows/frmNouveau.h"
#include "windows/frmTintel.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QFileInfo>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOption>
#include <QTest>

using namespace tintel;
using namespace tintel::test;
using namespace Qt::StringLiterals;

namespace {

// One control as the window draws it, in the window's coordinates.
struct Item
{
    const QWidget* widget;
    QRect box;
    // Where the glyphs are: across from the text's advance, up and down from its ink.
    QRect text;
    // The part of the control the text may use without being clipped or drawn over a border.
    QRect room;
};

QRect inkOfLine(const QFontMetrics& metrics, const QRect& area, int flags, const QString& text)
{
    const QRect line = metrics.boundingRect(area, flags, text);
    if (text.contains(u'\n') || (flags & Qt::TextWordWrap))
        return line;
    const QRect ink = metrics.tightBoundingRect(text);
    return QRect(line.left(), line.top() + metrics.ascent() + ink.top(), line.width(),
                 ink.height());
}

QRect textOf(const QWidget* widget, QRect& room)
{
    const QFontMetrics metrics = widget->fontMetrics();
    if (const auto* label = qobject_cast<const QLabel*>(widget)) {
        if (label->text().isEmpty())
            return {};
        room = label->rect();
        const int m = label->margin();
        const QRect area = label->contentsRect().adjusted(m, m, -m, -m);
        const int flags = int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0);
        return inkOfLine(metrics, area, flags, label->text());
    }
    if (const auto* box = qobject_cast<const QGroupBox*>(widget)) {
        QStyleOptionGroupBox option;
        option.initFrom(box);
        option.text = box->title();
        option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
        room = box->rect();
        const QRect area = box->style()->subControlRect(QStyle::CC_GroupBox, &option,
                                                        QStyle::SC_GroupBoxLabel, box);
        return inkOfLine(metrics, area, Qt::AlignLeft | Qt::AlignVCenter, box->title());
    }
    const auto* button = qobject_cast<const QAbstractButton*>(widget);
    if (!button || button->text().isEmpty())
        return {};
    const QString text = QString(button->text()).remove(u'&');
    QStyle::SubElement contents = QStyle::SE_PushButtonContents;
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    int flags = Qt::AlignCenter;
    if (qobject_cast<const QRadioButton*>(button)) {
        contents = QStyle::SE_RadioButtonContents;
        flags = Qt::AlignLeft | Qt::AlignVCenter;
    } else if (qobject_cast<const QCheckBox*>(button)) {
        contents = QStyle::SE_CheckBoxContents;
        flags = Qt::AlignLeft | Qt::AlignVCenter;
    }
    room = button->style()->subElementRect(contents, &option, button);
    return inkOfLine(metrics, room, flags, text);
}

QList<Item> itemsOf(const QWidget* window)
{
    QList<Item> items;
    for (const QWidget* widget : window->findChildren<QWidget*>()) {
        // Named by the layout; Qt's own parts (viewports, scroll bars) come with their control.
        if (widget->objectName().isEmpty() || widget->objectName().startsWith(u"qt_"_s) ||
            !widget->isVisibleTo(window))
            continue;
        const QPoint origin = widget->mapTo(window, QPoint(0, 0));
        Item item{widget, QRect(origin, widget->size()), {}, {}};
        const QRect text = textOf(widget, item.room);
        if (!text.isNull()) {
            item.text = text.translated(origin);
            item.room.translate(origin);
            // Inside a group box a text must also stay off the box's border.
            if (const auto* group = qobject_cast<const QGroupBox*>(widget->parentWidget())) {
                QStyleOptionGroupBox option;
                option.initFrom(group);
                const QRect frame = group->style()->subControlRect(QStyle::CC_GroupBox, &option,
                                                                   QStyle::SC_GroupBoxFrame, group);
                item.room &=
                    frame.adjusted(1, 1, -1, -1).translated(group->mapTo(window, QPoint(0, 0)));
            }
        }
        items.append(item);
    }
    return items;
}

bool isLabel(const QWidget* widget)
{
    return qobject_cast<const QLabel*>(widget) != nullptr;
}

// A plain frame only draws its border; text may stand inside it but not on it.
bool isDecoration(const QWidget* widget)
{
    return QLatin1StringView(widget->metaObject()->className()) == "QFrame"_L1;
}

QString describe(const Item& item)
{
    const QRect& r = item.text.isNull() ? item.box : item.text;
    return u"%1 (%2,%3 %4x%5)"_s.arg(item.widget->objectName())
        .arg(r.x())
        .arg(r.y())
        .arg(r.width())
        .arg(r.height());
}

// Why two controls clash, or an empty text when they do not.
QString clash(const Item& a, const Item& b)
{
    if (a.widget->isAncestorOf(b.widget) || b.widget->isAncestorOf(a.widget))
        return {};
    if (!a.text.isNull() && !b.text.isNull() && a.text.intersects(b.text))
        return u"texts overlap"_s;
    if (a.text.isNull() || !b.box.intersects(a.text) || isLabel(b.widget))
        return {};
    if (isDecoration(b.widget)) {
        const QRect inside = b.widget->contentsRect().translated(b.box.topLeft());
        return inside.contains(a.text) ? QString() : u"text on a border"_s;
    }
    return u"text under a control"_s;
}

Form& formNamed(WindowRig& rig, const QString& name)
{
    Forms& forms = rig.forms;
    return name == u"frmIntro"_s      ? forms.form<frmIntro>()
           : name == u"frmNouveau"_s  ? forms.form<frmNouveau>()
           : name == u"frmTintel"_s   ? forms.form<frmTintel>()
           : name == u"frmQuestion"_s ? forms.form<frmQuestion>()
           : name == u"frmMessage"_s  ? forms.form<frmMessage>()
                                      : static_cast<Form&>(forms.form<frmAbout>());
}

} // namespace

class tst_Layouts : public WindowTest
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void textsAsLaidOut_data();
    void textsAsLaidOut();
    void everyTextShowsWhole_data();
    void everyTextShowsWhole();
};

void tst_Layouts::initTestCase()
{
    installFontSubstitutions();
    // A run meant for DejaVu alone that measured with other faces would prove nothing.
    const QString face = QFontInfo(QFont(u"MS Sans Serif"_s)).family();
    qInfo("window font: %s", qPrintable(face));
    if (qEnvironmentVariableIsSet("FONTCONFIG_FILE")) {
        const char* dejavu = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
        if (!QFileInfo::exists(QString::fromLatin1(dejavu)))
            QFAIL(qPrintable(u"DejaVu Sans is not installed (%1 is missing): install "
                             "fonts-dejavu-core, as scripts/install-deps.sh does"_s.arg(
                                 QString::fromLatin1(dejavu))));
        QCOMPARE(face, u"DejaVu Sans"_s);
    }
}

void tst_Layouts::textsAsLaidOut_data()
{
    addColumns<QString, QString, QByteArray, QString>({"window", "object", "property", "expected"});
    QString window;
    const auto row = [&window](const char* tag, const QString& object, const char* property,
                               const QString& expected) {
        QTest::addRow("%s %s", qPrintable(window), tag)
            << window << object << QByteArray(property) << expected;
    };
    window = u"frmNouveau"_s;
    row("caption", u"frmNouveau"_s, "windowTitle", u"Nouvelle alarme"_s);
    row("time label", u"Label1_0"_s, "text", u"Entrez l'heure:"_s);
    row("message label", u"Label1_1"_s, "text", u"Entrez le message à afficher:"_s);
    row("day label", u"Label1_2"_s, "text", u"Jour:"_s);
    row("hour label", u"Label1_3"_s, "text", u"Heure:"_s);
    row("frame", u"Frame1"_s, "title", u"Données actuelles"_s);
    row("activate", u"cmdValider"_s, "text", u"&Activer l'alarme"_s);
    row("activate tip", u"cmdValider"_s, "toolTip", u"Validation de la nouvelle alarme"_s);
    row("quit", u"cmdAnnuler"_s, "text", u"&Quitter..."_s);
    row("time tip", u"txtHeure"_s, "toolTip", u"heure de la nouvelle alarme"_s);
    row("message tip", u"txtMessage"_s, "toolTip", u"Message de l'alarme"_s);
    row("F1 link", u"Label3_0"_s, "text", u"F1: Aide"_s);
    row("F1 tip", u"Label3_0"_s, "toolTip", u"touche F1: affiche l'aide..."_s);
    row("F2 link, trailing space", u"Label3_1"_s, "text", u"F2: A propos de... "_s);
    row("F2 tip", u"Label3_1"_s, "toolTip", u"touche F2: affiche la fenêtre Apropos de..."_s);
    row("F3 link", u"Label3_2"_s, "text", u"F3: Site de K.W.J"_s);
    row("F3 tip", u"Label3_2"_s, "toolTip", u"touche F3: visitez le site Internet de K.W.J..."_s);
    row("F4 link", u"Label3_3"_s, "text", u"F4: Mail à K.W.J"_s);
    row("F4 tip", u"Label3_3"_s, "toolTip", u"touche F4: envoyez un e-mail à K.W.J..."_s);
    window = u"frmTintel"_s;
    row("caption", u"frmTintel"_s, "windowTitle", u"Tintel journalière"_s);
    row("alarm time tip", u"txtTintel"_s, "toolTip", u"Heure de l'alarme"_s);
    row("hours", u"lblH"_s, "text", u"00"_s);
    row("hours tip", u"lblH"_s, "toolTip", u"Heure(s) restante(s)"_s);
    row("minutes", u"lblM"_s, "text", u"00"_s);
    row("minutes tip", u"lblM"_s, "toolTip", u"Minute(s) restante(s)"_s);
    row("seconds", u"lblS"_s, "text", u"00"_s);
    row("seconds tip", u"lblS"_s, "toolTip", u"Seconde(s) restante(s)"_s);
    row("date", u"lbljour"_s, "text", u"00/00/0000"_s);
    row("date tip", u"lbljour"_s, "toolTip", u"Date du jour"_s);
    row("dash", u"Label1"_s, "text", u"-"_s);
    row("dash has no tip", u"Label1"_s, "toolTip", QString());
    row("time", u"lblHeure"_s, "text", u"00:00:00"_s);
    row("time tip", u"lblHeure"_s, "toolTip", u"Heure actuelle"_s);
    row("minimise face", u"cmdReduire"_s, "text", QString());
    row("minimise tip", u"cmdReduire"_s, "toolTip", u"réduire la fenêtre"_s);
    row("on top face", u"cmdOnTop"_s, "text", QString());
    row("on top tip", u"cmdOnTop"_s, "toolTip", u"Affiche l'alarme au premier plan"_s);
}

// As loaded: showing the countdown runs a tick, which writes its labels.
void tst_Layouts::textsAsLaidOut()
{
    const auto [window, object, property, expected] =
        fetchColumns<QString, QString, QByteArray, QString>(
            {"window", "object", "property", "expected"});
    WindowRig rig;
    Form& form = formNamed(rig, window);
    QCOMPARE(child(form, object)->property(property.constData()).toString(), expected);
    rig.forms.unload(&form);
}

void tst_Layouts::everyTextShowsWhole_data()
{
    addColumns<QString>({"window"});
    for (const char* name :
         {"frmIntro", "frmNouveau", "frmTintel", "frmQuestion", "frmMessage", "frmAbout"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void tst_Layouts::everyTextShowsWhole()
{
    QFETCH(QString, window);
    WindowRig rig;
    Form* form = &formNamed(rig, window);

    const QList<Item> items = itemsOf(form);
    QVERIFY(!items.isEmpty());
    QStringList faults;
    for (const Item& item : items) {
        if (!item.text.isNull() && !item.room.contains(item.text))
            faults << describe(item) + u" is cut"_s;
        if (!item.text.isNull() && !form->rect().contains(item.text))
            faults << describe(item) + u" runs out of the window"_s;
        for (const Item& other : items) {
            const QString why = &item == &other ? QString() : clash(item, other);
            // Two texts meeting are one fault, reported once.
            if (!why.isEmpty() && (why != u"texts overlap"_s || &item < &other))
                faults << describe(item) + u" and "_s + describe(other) + u": "_s + why;
        }
    }
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u"; "_s)));
    rig.forms.unload(form);
}

QTEST_MAIN(tst_Layouts)
#include "tst_layouts.moc"
