// Measure: from the press to the result on screen.

#include "measures.h"

void benchMeasure(const QTemporaryDir &dir)
{
    Vellamor window;
    showAndWait(window);
    dropFile(&window, writePicture(dir, "measure.png", 400, 300));
    const MainForm &f = window.form();
    const QList<QSpinBox *> boxes = {f.p1x, f.p1y, f.p2x, f.p2y, f.r1x, f.r1y, f.r2x, f.r2y};
    const QList<int> values = {5, 50, 92, 250, -70, 100, 100, -300};
    for (qsizetype i = 0; i < boxes.size(); ++i)
        boxes[i]->setValue(values[i]);
    EventCounter shown(f.textEdit->viewport(), QEvent::Paint);
    QList<double> times;
    for (int i = 0; i < 1000; ++i) {
        f.textEdit->clear();
        QCoreApplication::processEvents();
        const int paints = shown.count;
        QElapsedTimer timer;
        timer.start();
        QTest::mousePress(f.measureButton, Qt::LeftButton);
        while (shown.count == paints)
            QCoreApplication::processEvents();
        times << elapsedMs(timer);
        QTest::mouseRelease(f.measureButton, Qt::LeftButton);
    }
    if (f.textEdit->toPlainText() != "origin = -79 200 ??\nend = 701 -400 ??\n")
        qFatal("Measure gave the wrong text");
    print("\n### Measure, press to the text painted in the box (ms)\n");
    print("| presses | median | p99 | min |");
    print("|---|---|---|---|");
    print(QString("| 1000 | %1 | %2 | %3 |").arg(ms(median(times)), ms(percentile(times, 0.99)), ms(minimum(times))));
}
