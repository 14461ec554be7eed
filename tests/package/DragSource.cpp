// Drags files as a file manager does: a small window at the top left of the screen that
// starts a drag of the files named on its command line when a mouse button goes down on it
// (xdotool moves the pointer and lets go over the target). It ends with the drag's outcome, 0
// when the target took the files and 1 when it did not, some seconds after the drop: a target
// may read the files' names only after the drop, and must find the source still there.

#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>
#include <QUrl>
#include <QWidget>

class DragSource : public QWidget
{
public:
    explicit DragSource(const QList<QUrl> &urls) : urls(urls)
    {
        setWindowTitle(QStringLiteral("lumbra-drag-source"));
        setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
        setGeometry(0, 0, 100, 100);
    }

protected:
    void mousePressEvent(QMouseEvent *) override
    {
        auto *data = new QMimeData;
        data->setUrls(urls);
        auto *drag = new QDrag(this);
        drag->setMimeData(data);
        const Qt::DropAction action = drag->exec(Qt::CopyAction | Qt::LinkAction);
        const int outcome = action == Qt::IgnoreAction ? 1 : 0;
        QTimer::singleShot(5000, qApp, [outcome] { QCoreApplication::exit(outcome); });
    }

private:
    QList<QUrl> urls;
};

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    QList<QUrl> urls;
    for (const QString &path : QCoreApplication::arguments().mid(1))
        urls.append(QUrl::fromLocalFile(path));
    DragSource source(urls);
    source.show();
    return application.exec();
}
