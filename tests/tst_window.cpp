#include "testsupport.h"

#include <QClipboard>
#include <QFileDialog>
#include <QGroupBox>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>

namespace {

const QColor blue(0, 0, 255);

// p1x p1y p2x p2y r1x r1y r2x r2y
void setEntries(const MainForm &f, const QList<int> &values)
{
    const QList<QSpinBox *> boxes = {f.p1x, f.p1y, f.p2x, f.p2y, f.r1x, f.r1y, f.r2x, f.r2y};
    for (qsizetype i = 0; i < values.size(); ++i)
        boxes[i]->setValue(values[i]);
}

QPoint point(const QSpinBox *x, const QSpinBox *y)
{
    return QPoint(x->value(), y->value());
}

} // namespace

class TestWindow : public QObject
{
    Q_OBJECT

private slots:
    void startState_data();
    void startState();
    void tabOrder();
    void hint_data();
    void hint();
    void pictureAndRectangle();
    void hoverClamps_data();
    void hoverClamps();
    void pickKeys_data();
    void pickKeys();
    void repaintsAreImmediate();
    void measure_data();
    void measure();
    void resultMenu();
    void sampleWalkthrough();
};

void TestWindow::startState_data()
{
    QTest::addColumn<QString>("object");
    QTest::addColumn<QString>("text");

    const QList<std::pair<const char *, const char *>> texts = {
        {"groupBox", "Your Visualization"}, {"groupBox_2", "Quake (radiant)"}, {"cursorLabel", "Cursor"},
        {"cursorXLabel", "x = 0"}, {"cursorYLabel", "y = 0"}, {"p1Label", "1st Point (F1)"},
        {"p2Label", "2nd Point (F2)"}, {"imageLabel", "Image"}, {"wLabel", "w = 0"}, {"hLabel", "h = 0"},
        {"r1Label", "1st Point"}, {"r2Label", "2nd Point"}, {"measureButton", "Measure"},
        {"p1x", "x = 0"}, {"p1y", "y = 0"}, {"p2x", "x = 0"}, {"p2y", "y = 0"},
        {"r1x", "0"}, {"r1y", "0"}, {"r2x", "0"}, {"r2y", "0"}};
    for (const auto &[object, text] : texts)
        QTest::newRow(object) << object << text;
}

void TestWindow::startState()
{
    QFETCH(QString, object);
    QFETCH(QString, text);
    Vellamor window;
    QVERIFY(showActive(window));
    QCOMPARE(window.windowTitle(), QString("Vellamor"));
    QCOMPARE(window.objectName(), QString("VellamorClass"));
    QCOMPARE(window.size(), QSize(684, 609));
    QCOMPARE(window.form.paintWidget->minimumSize(), QSize(400, 400));
    QVERIFY(window.form.textEdit->toPlainText().isEmpty());
    QVERIFY(!window.windowIcon().pixmap(16).isNull());

    QObject *child = window.findChild<QObject *>(object);
    if (auto *box = qobject_cast<QGroupBox *>(child)) {
        QCOMPARE(box->title(), text);
    } else if (auto *label = qobject_cast<QLabel *>(child)) {
        QCOMPARE(label->text(), text);
    } else if (auto *button = qobject_cast<QPushButton *>(child)) {
        QCOMPARE(button->text(), text);
    } else {
        auto *spin = qobject_cast<QSpinBox *>(child);
        QVERIFY(spin);
        QCOMPARE(spin->text(), text);
        for (const int value : {9999, -9999, 10000}) {
            spin->setValue(value);
            QCOMPARE(spin->value(), qBound(-9999, value, 9999));
        }
    }
}

void TestWindow::tabOrder()
{
    Vellamor window;
    QVERIFY(showActive(window));
    const MainForm &f = window.form;
    const QList<QWidget *> order = {f.p1x, f.p1y, f.p2x, f.p2y, f.r1x, f.r1y, f.r2x, f.r2y, f.measureButton};
    f.p1x->setFocus();
    for (QWidget *next : order.mid(1)) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
    }
}

void TestWindow::hint_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("odd width") << QSize(401, 450);
    QTest::newRow("narrower than the text, cut on both sides") << QSize(60, 100);
}

// The hint is the exact text, centred, its baseline on the middle line.
void TestWindow::hint()
{
    QFETCH(QSize, size);
    PaintWidget view(nullptr);
    view.resize(size);
    const QImage shot = view.grab().toImage().convertToFormat(QImage::Format_RGB32);

    QImage expected(size, QImage::Format_RGB32);
    expected.fill(Qt::gray);
    QPainter painter(&expected);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setFont(view.font());
    painter.setPen(view.palette().windowText().color());
    const QString hint = "Drag and drop a png/jpg.";
    painter.drawText(size.width() / 2 - painter.fontMetrics().horizontalAdvance(hint) / 2,
                     size.height() / 2, hint);
    painter.end();
    QCOMPARE(shot, expected);
}

void TestWindow::pictureAndRectangle()
{
    QTemporaryDir dir;
    PaintWidget view(nullptr);
    view.resize(400, 400);
    qint32 width = 0, height = 0;
    view.loadImage(writePicture(dir, "map.png", 200, 150), &width, &height);
    QCOMPARE(QSize(width, height), QSize(200, 150));
    QCOMPARE(view.minimumSize(), QSize(200, 150));

    // Without reference points: the picture unscaled at the top-left, gray beyond.
    QImage shot = view.grab().toImage();
    QCOMPARE(shot.pixelColor(199, 149), blue);
    QCOMPARE(shot.pixelColor(70, 60), blue);
    QCOMPARE(shot.pixelColor(200, 10), QColor(Qt::gray));
    QCOMPARE(shot.pixelColor(10, 150), QColor(Qt::gray));

    // The points are read at each paint; reversed points draw the same area.
    qint32 picks[4] = {20, 30, 120, 90};
    for (int i = 0; i < 4; ++i)
        view.pickRefs[i] = &picks[i];
    for (const bool reversed : {false, true}) {
        if (reversed) {
            std::swap(picks[0], picks[2]);
            std::swap(picks[1], picks[3]);
        }
        shot = view.grab().toImage();
        const QColor inside = shot.pixelColor(70, 60);
        QVERIFY2(inside.green() > 20 && inside.green() < 60 && inside.blue() < 250, qPrintable(inside.name()));
        QVERIFY(shot.pixelColor(20, 60).green() > 100);
        QCOMPARE(shot.pixelColor(10, 60), blue);
        QCOMPARE(shot.pixelColor(70, 100), blue);
    }
}

void TestWindow::hoverClamps_data()
{
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QPoint>("pos");
    QTest::addColumn<QPoint>("shown");
    QTest::addColumn<bool>("crossHair");

    const QSize map(640, 480);
    QTest::newRow("inside") << map << QPoint(639, 479) << QPoint(639, 479) << true;
    QTest::newRow("left of the picture") << map << QPoint(-3, 100) << QPoint(0, 100) << false;
    QTest::newRow("above the picture") << map << QPoint(100, -5) << QPoint(100, 0) << false;
    QTest::newRow("beyond the far corner") << map << QPoint(700, 600) << QPoint(640, 480) << false;
    QTest::newRow("no picture") << QSize() << QPoint(250, 120) << QPoint(0, 0) << false;
}

void TestWindow::hoverClamps()
{
    QFETCH(QSize, picture);
    QFETCH(QPoint, pos);
    QFETCH(QPoint, shown);
    QFETCH(bool, crossHair);
    QTemporaryDir dir;
    Vellamor window;
    QVERIFY(showActive(window, QSize(1200, 800)));
    if (picture.isValid())
        QVERIFY(dropFile(&window, writePicture(dir, "map.png", picture.width(), picture.height())));
    hover(window, QPoint(1, 1));
    QApplication::processEvents();
    const MainForm &f = window.form;
    PaintCounter view(f.paintWidget), xLabel(f.cursorXLabel), yLabel(f.cursorYLabel);
    hover(window, pos);
    QCOMPARE(f.cursorXLabel->text() + ", " + f.cursorYLabel->text(),
             QString("x = %1, y = %2").arg(shown.x()).arg(shown.y()));
    QCOMPARE(f.paintWidget->cursor().shape(), crossHair ? Qt::CrossCursor : Qt::ArrowCursor);
    // Both labels reach the screen at once; the view, which does not show
    // the cursor, is not painted at all.
    QVERIFY(xLabel.paints > 0 && yLabel.paints > 0);
    QCOMPARE(view.paints, 0);
}

void TestWindow::pickKeys_data()
{
    QTest::addColumn<QPoint>("hoverAt");
    QTest::addColumn<QList<int>>("before"); // p1x p1y p2x p2y
    QTest::addColumn<int>("key");
    QTest::addColumn<QList<int>>("after");
    QTest::addColumn<QPoint>("cursorAfter");

    const int f1 = Qt::Key_F1, f2 = Qt::Key_F2;
    const QList<int> zero{0, 0, 0, 0}, set{5, 6, 7, 8};
    QTest::newRow("F1 at the far corner steps inside")
            << QPoint(700, 500) << zero << f1 << QList<int>{639, 479, 640, 480} << QPoint(639, 479);
    QTest::newRow("F2 at zero steps inside")
            << QPoint(-3, -5) << zero << f2 << QList<int>{0, 0, 1, 1} << QPoint(1, 1);
    QTest::newRow("F1 pushes point 2 right and down")
            << QPoint(300, 200) << QList<int>{0, 0, 250, 150} << f1 << QList<int>{300, 200, 301, 201} << QPoint(300, 200);
    QTest::newRow("F1 leaves an equal column")
            << QPoint(300, 200) << QList<int>{0, 0, 300, 400} << f1 << QList<int>{300, 200, 300, 400} << QPoint(300, 200);
    QTest::newRow("F2 pushes point 1 left and up")
            << QPoint(100, 50) << QList<int>{150, 80, 0, 0} << f2 << QList<int>{99, 49, 100, 50} << QPoint(100, 50);
    QTest::newRow("F2 leaves an equal row")
            << QPoint(100, 50) << QList<int>{20, 50, 0, 0} << f2 << QList<int>{20, 50, 100, 50} << QPoint(100, 50);
    QTest::newRow("Alt+F1 still acts")
            << QPoint(300, 200) << QList<int>{0, 0, 250, 400} << int(f1 | Qt::ALT) << QList<int>{300, 200, 301, 400} << QPoint(300, 200);
    QTest::newRow("Shift+F1 does nothing") << QPoint(300, 200) << set << int(f1 | Qt::SHIFT) << set << QPoint(300, 200);
    QTest::newRow("Ctrl+F1 does nothing") << QPoint(300, 200) << set << int(f1 | Qt::CTRL) << set << QPoint(300, 200);
    QTest::newRow("Shift+F2 does nothing") << QPoint(0, 0) << set << int(f2 | Qt::SHIFT) << set << QPoint(0, 0);
    QTest::newRow("Ctrl+F2 does nothing") << QPoint(0, 0) << set << int(f2 | Qt::CTRL) << set << QPoint(0, 0);
    QTest::newRow("F3 does nothing") << QPoint(300, 200) << set << int(Qt::Key_F3) << set << QPoint(300, 200);
}

void TestWindow::pickKeys()
{
    QFETCH(QPoint, hoverAt);
    QFETCH(QList<int>, before);
    QFETCH(int, key);
    QFETCH(QList<int>, after);
    QFETCH(QPoint, cursorAfter);
    QTemporaryDir dir;
    Vellamor window;
    QVERIFY(showActive(window, QSize(1200, 800)));
    QVERIFY(dropFile(&window, writePicture(dir, "map.png", 640, 480)));
    QApplication::processEvents();
    const MainForm &f = window.form;
    setEntries(f, before);
    hover(window, QPoint(1, 1));
    hover(window, hoverAt);
    f.measureButton->setFocus();

    const QKeyCombination combination = QKeyCombination::fromCombined(key);
    QTest::keyClick(window.windowHandle(), combination.key(), combination.keyboardModifiers());
    QCOMPARE(QList<int>({f.p1x->value(), f.p1y->value(), f.p2x->value(), f.p2y->value()}), after);
    QCOMPARE(QPoint(window.cursorX, window.cursorY), cursorAfter);
    // The window's copy follows every box.
    QCOMPARE(QList<int>({window.pickX1, window.pickY1, window.pickX2, window.pickY2}), after);
}

// Every change of a reference point and every drop reaches the screen before
// control returns to the event loop, even when nothing else would repaint.
void TestWindow::repaintsAreImmediate()
{
    QTemporaryDir dir;
    Vellamor window;
    QVERIFY(showActive(window));
    QVERIFY(dropFile(&window, writePicture(dir, "first.png", 300, 300)));
    QApplication::processEvents();
    const MainForm &f = window.form;
    PaintCounter counter(f.paintWidget);
    const QList<QSpinBox *> boxes = {f.p1x, f.p1y, f.p2x, f.p2y};
    for (QSpinBox *box : boxes) {
        const int paints = counter.paints;
        box->setValue(box->value() + 40);
        QCOMPARE(counter.paints, paints + 1);
    }
    QCOMPARE(QList<int>({window.pickX1, window.pickY1, window.pickX2, window.pickY2}),
             QList<int>({40, 40, 40, 40}));

    // A second picture of the same size: the layout has nothing to redo.
    const int paints = counter.paints;
    QVERIFY(dropFile(&window, writePicture(dir, "second.png", 300, 300, QColor(255, 0, 0))));
    QVERIFY(counter.paints > paints);
}

void TestWindow::measure_data()
{
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<bool>("byReturn");
    QTest::addColumn<QString>("text");
    const QString result = "origin = -200 200 ??\nend = 600 -400 ??\n";
    QTest::newRow("button pressed") << QSize(400, 300) << false << result;
    QTest::newRow("Return in a box") << QSize(400, 300) << true << result;
    QTest::newRow("no picture") << QSize() << false << "invalid entries.\n";
}

void TestWindow::measure()
{
    QFETCH(QSize, picture);
    QFETCH(bool, byReturn);
    QFETCH(QString, text);
    QTemporaryDir dir;
    Vellamor window;
    QVERIFY(showActive(window));
    if (picture.isValid())
        QVERIFY(dropFile(&window, writePicture(dir, "map.png", picture.width(), picture.height())));
    const MainForm &f = window.form;
    f.textEdit->setPlainText("notes typed by the user");
    setEntries(f, {50, 50, 350, 250, -100, 100, 500});
    typeInto(f.r2y, "-300");
    // The button acts as soon as it is pressed down; the result replaces the text.
    if (byReturn)
        QTest::keyClick(f.r2y, Qt::Key_Return);
    else
        QTest::mousePress(f.measureButton, Qt::LeftButton);
    QCOMPARE(f.textEdit->toPlainText(), text);
}

// Copies come from the last Measure; entries that cannot act say why.
void TestWindow::resultMenu()
{
    QTemporaryDir dir;
    Vellamor window;
    QVERIFY(showActive(window));
    const MainForm &f = window.form;
    const QPoint inside(20, 20);
    QVERIFY(!menuEntry(f.textEdit, inside, "Worldspawn keys")->isEnabled());
    QTest::mouseClick(f.measureButton, Qt::LeftButton);
    QVERIFY(f.textEdit->toolTip().contains("valid when a picture is loaded"));
    QVERIFY(!menuEntry(f.textEdit, inside, "Worldspawn keys")->isEnabled());

    // A pixel spanning less than a world unit: a world file cannot say that.
    QVERIFY(dropFile(&window, writePicture(dir, "dot.png", 1, 1)));
    setEntries(f, {0, 0, 10, 10, 0, 5, 5, 0});
    QTest::mouseClick(f.measureButton, Qt::LeftButton);
    QVERIFY(menuEntry(f.textEdit, inside, "Worldspawn keys")->isEnabled());
    for (const char *entry : {"World file", "GDAL command", "Save world file"}) {
        QAction *action = menuEntry(f.textEdit, inside, entry);
        QVERIFY2(!action->isEnabled() && action->text().contains("no world units"), entry);
    }

    QVERIFY(dropFile(&window, writePicture(dir, "map.png", 400, 300)));
    setEntries(f, {50, 50, 350, 250, -100, 100, 500, -300});
    QTest::mouseClick(f.measureButton, Qt::LeftButton);
    f.textEdit->setPlainText("origin = 1 2 ??\nend = 3 4 ??\n");
    menuEntry(f.textEdit, inside, "World file")->trigger();
    const QString world = "2\n0\n0\n-2\n-199\n199\n";
    QCOMPARE(QGuiApplication::clipboard()->text(), world);

    // Saved whole or not at all; a failure names the file and the reason.
    for (const QString &target : {dir.filePath("missing/map.pgw"), dir.filePath("map.pgw")}) {
        menuEntry(f.textEdit, inside, "Save world file")->trigger();
        auto *dialog = window.findChild<QFileDialog *>();
        QVERIFY(dialog && dialog->isVisible());
        QCOMPARE(dialog->selectedFiles(), QStringList{dir.filePath("map.pgw")});
        dialog->findChild<QLineEdit *>("fileNameEdit")->setText(target);
        QMetaObject::invokeMethod(dialog, "accept");
        if (auto *box = window.findChild<QMessageBox *>()) {
            QVERIFY2(box->text().contains(target) && box->text().contains("No such file"), qPrintable(box->text()));
            box->close();
            delete box;
        }
    }
    QVERIFY(!QFileInfo::exists(dir.filePath("missing")));
    QFile saved(dir.filePath("map.pgw"));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(saved.readAll()), world);
}

// Follows examples/README.md with the numbers it prints, so the walkthrough
// cannot drift from what the program says.
void TestWindow::sampleWalkthrough()
{
    QFile readme(SOURCE_DIR "/examples/README.md");
    QVERIFY(readme.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(readme.readAll());
    const QRegularExpression row("^\\| [12] \\| (-?\\d+) \\| (-?\\d+) \\| (-?\\d+) \\| (-?\\d+) \\|$",
                                 QRegularExpression::MultilineOption);
    QList<int> values; // picture x, y then world x, y of each point
    for (const QRegularExpressionMatch &m : row.globalMatch(text))
        values << m.captured(1).toInt() << m.captured(2).toInt() << m.captured(3).toInt() << m.captured(4).toInt();
    QCOMPARE(values.size(), 8);
    const QString expected = QRegularExpression("```\\n(origin = [^`]*)```").match(text).captured(1);
    QVERIFY(expected.startsWith("origin = "));

    Vellamor window;
    QVERIFY(showActive(window, QSize(1000, 700)));
    QVERIFY(dropFile(&window, SOURCE_DIR "/examples/sample-map.png"));
    QApplication::processEvents();
    hover(window, QPoint(values[0], values[1]));
    QTest::keyClick(window.windowHandle(), Qt::Key_F1);
    hover(window, QPoint(values[4], values[5]));
    QTest::keyClick(window.windowHandle(), Qt::Key_F2);
    const MainForm &f = window.form;
    QCOMPARE(point(f.p1x, f.p1y), QPoint(values[0], values[1]));
    QCOMPARE(point(f.p2x, f.p2y), QPoint(values[4], values[5]));
    typeInto(f.r1x, QString::number(values[2]));
    typeInto(f.r1y, QString::number(values[3]));
    typeInto(f.r2x, QString::number(values[6]));
    typeInto(f.r2y, QString::number(values[7]));
    QTest::mouseClick(f.measureButton, Qt::LeftButton);
    QCOMPARE(f.textEdit->toPlainText(), expected);
    QCOMPARE("`" + f.textEdit->toolTip() + "`", QRegularExpression("tooltip then reads (`.*`)").match(text).captured(1));

    // Each copy reads as both READMEs show it.
    for (const char *name : {SOURCE_DIR "/examples/README.md", SOURCE_DIR "/README.md"}) {
        QFile file(name);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QRegularExpression copied("#### (.+)\\n\\n```\\n([^`]*)```");
        int formats = 0;
        for (const QRegularExpressionMatch &m : copied.globalMatch(QString::fromUtf8(file.readAll()))) {
            QAction *entry = menuEntry(f.textEdit, QPoint(20, 20), m.captured(1));
            QVERIFY2(entry && entry->isEnabled(), qPrintable(m.captured(1)));
            entry->trigger();
            QCOMPARE(QGuiApplication::clipboard()->text().replace(SOURCE_DIR "/examples", "/path/to/examples"),
                     m.captured(2));
            ++formats;
        }
        QCOMPARE(formats, 4);
    }
}

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
