// The yardstick of the start-up benchmark: the least a Qt Widgets program can do to show
// what the launcher shows at start, one empty frameless window over the primary screen's
// work area. With LUMBRA_BENCH_MARKERS set it writes "first-frame" and "all-built" to stderr
// once its first frame has been painted and handed to the window system, as the launcher does.

#include <QApplication>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>

namespace {

// Not inlined: callgrind dumps its counts when it is entered (bench_startup --callgrind).
Q_NEVER_INLINE void benchMarker(const char *marker)
{
    std::fputs(marker, stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

class BareWindow : public QWidget
{
public:
    BareWindow()
        : QWidget(nullptr, Qt::FramelessWindowHint)
    {
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter(this).fillRect(rect(), palette().window());
        if (painted)
            return;
        painted = true;
        // The frame reaches the window system when this paint returns; the zero timer
        // runs after that.
        if (std::getenv("LUMBRA_BENCH_MARKERS")) {
            QTimer::singleShot(0, this, [] {
                benchMarker("first-frame");
                benchMarker("all-built");
            });
        }
    }

private:
    bool painted = false;
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    BareWindow window;
    window.setGeometry(QGuiApplication::primaryScreen()->availableGeometry());
    window.show();
    return app.exec();
}
