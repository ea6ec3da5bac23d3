// Reading a level, drawing it over the picture and in the level window.

#include "measures.h"

// A level of `count` cubes on a grid over world -8192 ... 8192 on both
// axes, each face as an editor writes it.
static QByteArray gridLevel(int count)
{
    const int side = int(std::ceil(std::sqrt(double(count))));
    const double cell = 16384.0 / side;
    QByteArray text = "{\n\"classname\" \"worldspawn\"\n";
    for (int i = 0; i < count; ++i) {
        const int x0 = int(-8192 + (i % side) * cell), y0 = int(-8192 + (i / side) * cell);
        const int x1 = x0 + int(cell * 0.6), y1 = y0 + int(cell * 0.6);
        text += QString("{\n( %2 %3 64 ) ( %1 %3 64 ) ( %1 %4 64 ) base_wall/c_met5_2 0 0 0 0.5 0.5 0 0 0\n"
                        "( %1 %4 0 ) ( %1 %3 0 ) ( %2 %3 0 ) base_wall/c_met5_2 0 0 0 0.5 0.5 0 0 0\n"
                        "( %2 %4 0 ) ( %2 %3 0 ) ( %2 %3 64 ) base_wall/c_met5_2 0 0 0 0.5 0.5 0 0 0\n"
                        "( %1 %3 64 ) ( %1 %3 0 ) ( %1 %4 0 ) base_wall/c_met5_2 0 0 0 0.5 0.5 0 0 0\n"
                        "( %1 %4 64 ) ( %1 %4 0 ) ( %2 %4 0 ) base_wall/c_met5_2 0 0 0 0.5 0.5 0 0 0\n"
                        "( %2 %3 0 ) ( %1 %3 0 ) ( %1 %3 64 ) base_wall/c_met5_2 0 0 0 0.5 0.5 0 0 0\n}\n")
                        .arg(x0).arg(x1).arg(y0).arg(y1).toLatin1();
    }
    return text + "}\n";
}

// The level over a picture: Measure (which places the footprints), a full
// repaint of the view, and cursor moves, with the level shown.
int levelChild(const QStringList &paths)
{
    Vellamor window;
    showAndWait(window);
    FrameWatch watch(&window);
    dropFile(&window, paths.value(0));
    watch.waitForFrame();
    if (!window.session().openLevel(paths.value(1)).isEmpty())
        qFatal("the level did not read");
    const MainForm &f = window.form();
    const QList<QSpinBox *> boxes = {f.p1x, f.p1y, f.p2x, f.p2y, f.r1x, f.r1y, f.r2x, f.r2y};
    const QList<int> values = {0, 0, window.session().pictureSize().width(), window.session().pictureSize().height(), -8192, 8192, 8192, -8192};
    for (qsizetype i = 0; i < boxes.size(); ++i)
        boxes[i]->setValue(values[i]);
    QList<double> measures, repaints, moves;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer timer;
        timer.start();
        window.compute();
        measures << elapsedMs(timer);
        timer.start();
        f.paintWidget->repaint();
        repaints << elapsedMs(timer);
    }
    const QPoint base = f.paintWidget->mapTo(&window, QPoint(20, 20));
    for (int i = 0; i < 300; ++i) {
        QElapsedTimer timer;
        timer.start();
        QTest::mouseMove(window.windowHandle(), base + QPoint(i % 2 ? 7 : 0, i % 3));
        moves << elapsedMs(timer);
    }
    print(QString("| %1 | %2 | %3×%4 | %5 | %6 | %7 | %8 |").arg(platformLabel(QGuiApplication::platformName()),
                  QString::number(window.session().pictureSize().width()) + "²").arg(f.viewArea->viewport()->width())
                  .arg(f.viewArea->viewport()->height())
                  .arg(ms(median(measures)), ms(median(repaints)), ms(percentile(repaints, 0.99)), ms(median(moves))));
    return 0;
}

// The level window with a large level and the picture laid under it: a pan
// step and a zoom step to the frame on screen, a snap, and a full repaint at
// several zooms.
int levelWindowChild(const QStringList &paths)
{
    LevelView view;
    view.resize(1600, 1000);
    view.setLevel(footprints(readLevel(paths.value(1)).level));
    view.setPicture(decode(paths.value(0)), QPointF(-8192, 8192), QPointF(8192, -8192));
    showAndWait(view);
    view.fit();
    EventCounter painted(&view, QEvent::Paint);
    const auto untilPainted = [&](const std::function<void()> &step) {
        const int paints = painted.count;
        QElapsedTimer timer;
        timer.start();
        step();
        while (painted.count == paints)
            QCoreApplication::processEvents();
        return elapsedMs(timer);
    };
    QList<double> pans, zooms, snaps, repaints[3];
    const QPoint middle(800, 500);
    QTest::mousePress(view.windowHandle(), Qt::MiddleButton, {}, middle);
    for (int i = 0; i < 50; ++i)
        pans << untilPainted([&] { QTest::mouseMove(view.windowHandle(), middle + QPoint(i % 2 ? 0 : 12, i % 2 ? 0 : 8)); });
    QTest::mouseRelease(view.windowHandle(), Qt::MiddleButton, {}, middle);
    for (int i = 0; i < 50; ++i) {
        QWheelEvent wheel(middle, view.mapToGlobal(middle), {}, QPoint(0, i % 2 ? -120 : 120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        zooms << untilPainted([&] { QCoreApplication::sendEvent(&view, &wheel); });
    }
    for (int i = 0; i < 1000; ++i) {
        QElapsedTimer timer;
        timer.start();
        view.pick(QPointF(37 + (i * 7919) % 1500, 23 + (i * 104729) % 950), true);
        snaps << elapsedMs(timer);
    }
    const double zoom[3] = {1, 8, 1.0 / 8};
    for (int z = 0; z < 3; ++z) {
        view.fit();
        QWheelEvent wheel(middle, view.mapToGlobal(middle), {}, QPoint(0, int(std::round(120 * std::log(zoom[z]) / std::log(1.25)))),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(&view, &wheel);
        for (int i = 0; i < 21; ++i)
            repaints[z] << untilPainted([&] { view.update(); });
    }
    print(QString("| %1 | %2 | %3 | %4 | %5 | %6 | %7 |").arg(platformLabel(QGuiApplication::platformName()),
                  ms(median(pans)), ms(median(zooms)), ms(median(snaps)), ms(median(repaints[0])),
                  ms(median(repaints[1])), ms(median(repaints[2]))));
    return 0;
}

void benchLevel(const QTemporaryDir &dir, const QList<Picture> &pictures)
{
    const int count = 100000;
    const QString path = dir.filePath("grid.map");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !file.write(gridLevel(count)))
        qFatal("cannot write the level");
    file.close();
    QList<double> bytes, levels;
    Footprints f;
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        QFile raw(path);
        if (!raw.open(QIODevice::ReadOnly) || raw.readAll().isEmpty())
            qFatal("cannot read the level");
        bytes << elapsedMs(timer);
        timer.start();
        f = footprints(readLevel(path).level);
        levels << elapsedMs(timer);
    }
    if (f.brushes != count)
        qFatal("the level gave %d footprints", f.brushes);
    print(QString("\n### A level of %1 brushes (%2 MB): read and turned into footprints (ms)\n")
                  .arg(count).arg(double(file.size()) / (1 << 20), 0, 'f', 1));
    print("| reading the bytes alone, median | reading and footprints, median | min | ratio | spread |");
    print("|---|---|---|---|---|");
    print(QString("| %1 | %2 | %3 | %4 |").arg(ms(median(bytes)), ms(median(levels)), ms(minimum(levels)),
                                           ratioCells(levels, bytes)));
    print(QString("\n### The same level over the largest picture (ms): Measure, which places the %1 footprints; a "
                  "full repaint of the view; a cursor move with the level shown\n").arg(count));
    print("| platform | picture | view | Measure median | repaint median | repaint p99 | cursor move median |");
    print("|---|---|---|---|---|---|---|");
    inChildren("--level", levelChild, {jpegPaths(pictures).constLast(), path});
    print(QString("\n### The level window, %1 brushes over the largest picture (ms, medians): a pan step and a zoom "
                  "step to the frame on screen, a snap to the nearest corner, and a full repaint with the picture under "
                  "the level, fitted, zoomed in 8× and out 8×\n").arg(count));
    print("| platform | pan step | zoom step | snap | repaint, fitted | zoomed in | zoomed out |");
    print("|---|---|---|---|---|---|---|");
    inChildren("--level-window", levelWindowChild, {jpegPaths(pictures).constLast(), path});
}
