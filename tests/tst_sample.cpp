#include "paintwidget.h"
#include "testsupport.h"
#include "vellamor.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTest>

// Follows examples/README.md step by step, with the numbers it prints, so the
// walkthrough cannot drift from what the program says.
class TestSample : public QObject
{
    Q_OBJECT

private slots:
    void walkthrough();
};

void TestSample::walkthrough()
{
    QFile readme(SOURCE_DIR "/examples/README.md");
    QVERIFY(readme.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(readme.readAll());
    const QRegularExpression row("^\\| ([12]) \\| (-?\\d+) \\| (-?\\d+) \\| (-?\\d+) \\| (-?\\d+) \\|$",
                                 QRegularExpression::MultilineOption);
    QList<QPoint> picture;
    QList<QPoint> world;
    for (const QRegularExpressionMatch &m : row.globalMatch(text)) {
        picture << QPoint(m.captured(2).toInt(), m.captured(3).toInt());
        world << QPoint(m.captured(4).toInt(), m.captured(5).toInt());
    }
    QCOMPARE(picture.size(), 2);
    const QRegularExpression block("```\\n(origin = [^`]*)```");
    const QString expected = block.match(text).captured(1);
    QVERIFY(expected.startsWith("origin = "));

    Vellamor window;
    window.resize(1000, 700);
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QVERIFY(dropFile(&window, SOURCE_DIR "/examples/sample-map.png"));
    QCOMPARE(QSize(window.imageWidth, window.imageHeight), QSize(640, 480));
    QApplication::processEvents();

    const Qt::Key keys[2] = {Qt::Key_F1, Qt::Key_F2};
    for (int i = 0; i < 2; ++i) {
        QTest::mouseMove(window.windowHandle(), window.form.paintWidget->mapTo(&window, picture[i]));
        QTest::keyClick(window.windowHandle(), keys[i]);
    }
    const MainForm &f = window.form;
    QCOMPARE(QPoint(f.p1x->value(), f.p1y->value()), picture[0]);
    QCOMPARE(QPoint(f.p2x->value(), f.p2y->value()), picture[1]);

    const QList<std::pair<QSpinBox *, int>> typed = {
        {f.r1x, world[0].x()}, {f.r1y, world[0].y()}, {f.r2x, world[1].x()}, {f.r2y, world[1].y()}};
    for (const auto &[box, value] : typed) {
        typeInto(box, QString::number(value));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(box->value(), value);
    }
    QTest::mouseClick(f.measureButton, Qt::LeftButton);
    QCOMPARE(f.textEdit->toPlainText(), expected);
}

QTEST_MAIN(TestSample)
#include "tst_sample.moc"
