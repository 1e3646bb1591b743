// The yardstick Tintel is measured against: the clock anyone would write first, a label and a
// repeating 1000 ms timer, with nothing done about drift or the phase of the wall-clock second.

#include <QApplication>
#include <QLabel>
#include <QTime>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

using namespace Qt::StringLiterals;

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);

    QWidget window;
    window.setWindowTitle(u"Baseline clock"_s);
    auto* layout = new QVBoxLayout(&window);
    auto* label = new QLabel(&window);
    layout->addWidget(label);

    const auto show = [label] { label->setText(QTime::currentTime().toString(u"HH:mm:ss"_s)); };
    show();
    QTimer timer;
    timer.setInterval(1000);
    QObject::connect(&timer, &QTimer::timeout, label, show);
    timer.start();

    // Away from the top right-hand corner, where Tintel's countdown window sits: a covered window
    // reports no drawing.
    window.move(40, 40);
    window.show();
    return QApplication::exec();
}
