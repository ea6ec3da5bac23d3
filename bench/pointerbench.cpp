// The cursor, the loupe and scrolling: what follows the pointer.

#include "measures.h"

// Cursor moves as the window system delivers them, to the labels (and the
// magnifier, when it is on) repainted.
static void cursorRound(const QString &path, QSize size, bool magnifier)
{
    Vellamor window;
    window.resize(size);
    showAndWait(window);
    // A window larger than the grown one has no complete new frame to wait
    // for; the repaint puts the picture on screen.
    if (!path.isEmpty()) {
        dropFile(&window, path);
        window.repaint();
        QCoreApplication::processEvents();
    }
    // Its key, without depending on which window the server lets type.
    for (QAction *action : window.actions()) {
        if (magnifier && action->shortcut() == QKeySequence(Qt::Key_Z))
            action->trigger();
    }
    QList<double> times;
    const QPoint base = window.form().paintWidget->mapTo(&window, QPoint(20, 20));
    for (int i = 0; i < 300; ++i) {
        QElapsedTimer timer;
        timer.start();
        QTest::mouseMove(window.windowHandle(), base + QPoint(i % 2 ? 7 : 0, i % 3));
        times << elapsedMs(timer);
    }
    if (!path.isEmpty() && window.form().cursorXLabel->text() == QLatin1String("x = 0"))
        qFatal("cursor moves did not arrive");
    if (magnifier && !window.form().magnifier->isVisible())
        qFatal("the magnifier is not shown");
    print(QString("| %1 | %2 | %3 | %4×%5 | %6×%7 | %8 | %9 | %10 |")
                  .arg(platformLabel(QGuiApplication::platformName()),
                       path.isEmpty() ? "none" : QString::number(window.session().pictureSize().width()) + "²", magnifier ? "on" : "off")
                  .arg(size.width()).arg(size.height()).arg(window.width()).arg(window.height())
                  .arg(ms(median(times)), ms(percentile(times, 0.99)), ms(minimum(times))));
}

int cursorChild(const QStringList &paths)
{
    for (const QString &path : QStringList{QString()} + paths) {
        for (const QSize size : {QSize(684, 609), QSize(1920, 1080)}) {
            cursorRound(path, size, false);
            if (!path.isEmpty())
                cursorRound(path, size, true);
        }
    }
    return 0;
}

// Wheel steps over a picture larger than the screen, each to the exposed
// strip painted and flushed: down and back up by turns.
int scrollChild(const QStringList &paths)
{
    for (const QString &path : paths) {
        Vellamor window;
        showAndWait(window);
        FrameWatch watch(&window);
        dropFile(&window, path);
        watch.waitForFrame();
        QWidget *viewport = window.form().viewArea->viewport();
        if (window.form().viewArea->verticalScrollBar()->maximum() < 60) {
            print(QString("| %1 | %2 | %3×%4 | fits the screen | | |").arg(platformLabel(QGuiApplication::platformName()),
                          QString::number(window.session().pictureSize().width()) + "²").arg(window.width()).arg(window.height()));
            continue;
        }
        EventCounter painted(window.form().paintWidget, QEvent::Paint);
        QList<double> times;
        for (int i = 0; i < 100; ++i) {
            const QPoint step(0, i % 2 ? 120 : -120);
            QWheelEvent wheel(QPointF(50, 50), viewport->mapToGlobal(QPointF(50, 50)), {}, step, Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            const int paints = painted.count;
            QElapsedTimer timer;
            timer.start();
            QCoreApplication::sendEvent(viewport, &wheel);
            while (painted.count == paints)
                QCoreApplication::processEvents();
            times << elapsedMs(timer);
        }
        print(QString("| %1 | %2 | %3×%4 | %5 | %6 | %7 |")
                      .arg(platformLabel(QGuiApplication::platformName()), QString::number(window.session().pictureSize().width()) + "²")
                      .arg(window.width()).arg(window.height())
                      .arg(ms(median(times)), ms(percentile(times, 0.99)), ms(minimum(times))));
    }
    return 0;
}

void benchScroll(const QList<Picture> &pictures)
{
    print("\n### Wheel step over a picture larger than the screen, to the exposed part on screen (ms), 100 steps each\n");
    print("| platform | picture | window | median | p99 | min |");
    print("|---|---|---|---|---|---|");
    inChildren("--scroll", scrollChild, jpegPaths(pictures));
}

void benchCursor(const QList<Picture> &pictures)
{
    print("\n### Cursor move, from the window system to both labels (and the magnifier) repainted (ms), 300 moves each\n");
    print("| platform | picture | magnifier | window asked | window got | median | p99 | min |");
    print("|---|---|---|---|---|---|---|---|");
    inChildren("--cursor", cursorChild, jpegPaths(pictures));
}
