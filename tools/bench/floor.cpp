// The floor the program is measured against: the least a Qt Widgets program with the same window
// does. A 785x570 window holding one line of text (so the font system starts, as any window with
// text needs) and a 5 ms precise timer; it quits after its first paint, or, given a number of
// milliseconds, that long after its start, polling all the while.
//
//   corvane-bench-floor [MS]

#include <QApplication>
#include <QPainter>
#include <QTimer>
#include <QWidget>

#include <cstdlib>

namespace {

class FloorWindow : public QWidget {
  public:
    explicit FloorWindow(bool quitOnPaint) : m_quitOnPaint(quitOnPaint) {}

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.drawText(rect(), Qt::AlignCenter, QStringLiteral("CORVANE"));
        if (m_quitOnPaint) QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    }

  private:
    bool m_quitOnPaint;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int runMs = argc > 1 ? std::atoi(argv[1]) : -1;
    FloorWindow window(runMs < 0);
    window.resize(785, 570);
    QTimer poll;
    poll.setTimerType(Qt::PreciseTimer);
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [] {});
    poll.start();
    if (runMs >= 0) QTimer::singleShot(runMs, qApp, &QCoreApplication::quit);
    window.show();
    return QApplication::exec();
}
