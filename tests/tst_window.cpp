#include "testsupport.h"

#include "app/autoplacer.h"
#include "placement/levelpicture.h"
#include "view/levelview.h"
#include "view/magnifier.h"
#include "view/picturearea.h"

#include <QBuffer>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QCursor>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QToolTip>
#include <QWheelEvent>
#include <QtEndian>

namespace {

// p1x p1y p2x p2y r1x r1y r2x r2y; as many as given.
void setEntries(const MainForm &f, const QList<int> &values)
{
    const QList<QSpinBox *> boxes = {f.p1x, f.p1y, f.p2x, f.p2y, f.r1x, f.r1y, f.r2x, f.r2y};
    for (qsizetype i = 0; i < values.size(); ++i)
        boxes[i]->setValue(values[i]);
}

QList<int> points(const MainForm &f)
{
    return {f.p1x->value(), f.p1y->value(), f.p2x->value(), f.p2y->value()};
}

void setClipboard(const QList<QUrl> &urls, const QString &text = {}, const QImage &image = {})
{
    auto *mime = new QMimeData;
    mime->setUrls(urls);
    if (!text.isEmpty())
        mime->setText(text);
    if (!image.isNull())
        mime->setImageData(image);
    QGuiApplication::clipboard()->setMimeData(mime);
}

// The view as it shows a text where the hint stands: gray, the text centred
// with its baseline on the middle line.
QImage viewWithText(const QWidget *view, const QString &text)
{
    QImage expected(view->size(), QImage::Format_RGB32);
    expected.fill(Qt::gray);
    QPainter painter(&expected);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setFont(view->font());
    painter.setPen(view->palette().windowText().color());
    painter.drawText(view->width() / 2 - painter.fontMetrics().horizontalAdvance(text) / 2, view->height() / 2, text);
    return expected;
}

QImage grabbed(QWidget *widget)
{
    return widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// A widget as the screen shows it, once its pending updates are painted, is
// the widget drawn afresh: nothing left behind, nothing missing. (Widgets
// with a blinking text cursor are left out: its phase differs.)
bool showsCurrent(QWidget *widget)
{
    QApplication::processEvents();
    const QImage screen = widget->screen()->grabWindow(widget->window()->winId()).toImage();
    return screen.copy(QRect(widget->mapTo(widget->window(), QPoint(0, 0)), widget->size())).convertToFormat(QImage::Format_RGB32) == grabbed(widget);
}

// A widget against the picture of it kept in tests/shots, with its texts
// blanked out, as fonts differ from one system to another.
// VELLAMOR_NEW_SHOTS=1 writes the pictures afresh.
bool looksAsKept(QWidget *widget, const char *name, const QList<QRect> &texts)
{
    QImage shot = grabbed(widget);
    QPainter painter(&shot);
    for (const QRect &text : texts)
        painter.fillRect(text, Qt::black);
    painter.end();
    const QString file = QStringLiteral(SOURCE_DIR "/tests/shots/%1.png").arg(name);
    if (qEnvironmentVariableIsSet("VELLAMOR_NEW_SHOTS"))
        shot.save(file);
    return QImage(file).convertToFormat(QImage::Format_RGB32) == shot;
}

} // namespace

class TestWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        allowLargePictures();
        // Recent files are kept here, not in the user's settings.
        QSettings::setDefaultFormat(QSettings::IniFormat);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
    }
    void startState();
    void pointing_data();
    void pointing();
    void repaintsAtOnce();
    void doors_data();
    void doors();
    void drags_data();
    void drags();
    void pasteFollowsFocus_data();
    void pasteFollowsFocus();
    void viewMenu();
    void largePictures();
    void bothWindowsAtStart_data();
    void bothWindowsAtStart();
    void beyondTheScreen_data();
    void beyondTheScreen();
    void pixelExact();
    void levelOverlay();
    void levelWindow();
    void levelWindowWays();
    void pictureFromLevel();
    void placeAutomatically();
    void nothingAlteredSilently();
    void sessions();
    void result();
    void copyEntries_data();
    void copyEntries();

private:
    QTemporaryDir settings;
};

// The form as it opens: texts, ranges, the tab order, and the view's hint,
// the exact text centred with its baseline on the middle line, cut on both
// sides where the view is narrower.
void TestWindow::startState()
{
    Vellamor window;
    QVERIFY(showActive(window));
    QCOMPARE(window.windowTitle() + ' ' + window.objectName(), QString("Vellamor VellamorClass"));
    const MainForm &f = window.form();
    QVERIFY(f.paintWidget->minimumSize() == QSize(400, 400) && f.textEdit->toPlainText().isEmpty() && !f.levelLabel->isVisible() && f.placeButton->toolTip() == "Place automatically (Ctrl+P): find where the picture lies in the level" && !f.placeButton->isEnabled());
    QCOMPARE(window.windowIcon().availableSizes(), QList<QSize>({QSize(16, 16), QSize(32, 32), QSize(48, 48), QSize(64, 64)}));
    const QList<std::pair<const char *, const char *>> texts = {
        {"groupBox", "Your Visualization"}, {"groupBox_2", "Quake (radiant)"}, {"cursorLabel", "Cursor"},
        {"cursorXLabel", "x = 0"}, {"cursorYLabel", "y = 0"}, {"p1Label", "1st Point (F1)"}, {"p2Label", "2nd Point (F2)"},
        {"imageLabel", "Image"}, {"wLabel", "w = 0"}, {"hLabel", "h = 0"}, {"r1Label", "1st Point"},
        {"r2Label", "2nd Point"}, {"measureButton", "Measure"}, {"p1x", "x = 0"}, {"p1y", "y = 0"}, {"p2x", "x = 0"},
        {"p2y", "y = 0"}, {"r1x", "0"}, {"r1y", "0"}, {"r2x", "0"}, {"r2y", "0"}};
    for (const auto &[object, text] : texts) {
        QObject *child = window.findChild<QObject *>(object);
        auto *spin = qobject_cast<QSpinBox *>(child);
        QCOMPARE(spin ? spin->text() : child->property(qobject_cast<QGroupBox *>(child) ? "title" : "text").toString(), text);
    }
    // The layout as the user sees it, whatever the font: 11 pixels of margin
    // and 6 of spacing, each point's y right of its x, each label above its
    // boxes, the picture's group above the world's, then Measure, the text
    // box, and the view right of them all.
    const auto at = [&](QWidget *w) { return QRect(w->mapTo(&window, QPoint(0, 0)), w->size()); };
    const QRect group = at(f.pictureGroup), world = at(f.worldGroup), button = at(f.measureButton), text = at(f.textEdit),
                area = at(f.viewArea), central = at(f.centralWidget);
    QCOMPARE(group.topLeft() - central.topLeft(), QPoint(11, 11));
    QCOMPARE(QList<int>({world.top() - group.bottom(), button.top() - world.bottom(), text.top() - button.bottom(),
                         area.left() - std::max({group.right(), text.right(), button.right()}), central.right() - area.right(),
                         central.bottom() - area.bottom(), area.top() - central.top()}), QList<int>({7, 7, 7, 7, 11, 11, 11}));
    using Row = std::array<QWidget *, 3>;
    for (const Row &row : {Row{f.cursorLabel, f.cursorXLabel, f.cursorYLabel}, Row{f.p1Label, f.p1x, f.p1y}, Row{f.p2Label, f.p2x, f.p2y},
                           Row{f.imageLabel, f.wLabel, f.hLabel}, Row{f.r1Label, f.r1x, f.r1y}, Row{f.r2Label, f.r2x, f.r2y}}) {
        const auto &[above, left, right] = row;
        QCOMPARE(QList<int>({right->x() - left->x() - left->width(), left->y() - above->y() - above->height(), right->y() - left->y(),
                             left->x() - f.cursorXLabel->x(), above->x() - left->x()}), QList<int>({6, 6, 0, 0, 0}));
    }
    // Inside each group its boxes and labels stand 11 pixels from the frame on every side.
    for (QGroupBox *group : {f.pictureGroup, f.worldGroup})
        QCOMPARE(group->childrenRect(), group->contentsRect() - QMargins(11, 11, 11, 11));
    QVERIFY(f.p2Label->y() > f.p1x->y() && f.imageLabel->y() > f.p2x->y() && f.r2Label->y() > f.r1x->y() && f.p1x->height() >= 18
            && central.bottom() - text.bottom() > 11); // the text box shares the column's room with the space below it
    for (QLabel *label : {f.cursorLabel, f.cursorXLabel, f.cursorYLabel, f.r2Label, f.p1Label, f.wLabel, f.r1Label}) // the rest 18 high at least
        QCOMPARE(label->height(), label == f.p1Label || label == f.wLabel || label == f.r1Label ? std::max(18, label->sizeHint().height()) : label->sizeHint().height());
    f.pictureGroup->setFont(QFont(f.pictureGroup->font().family(), 5)); // where labels ask for less, the cursor's take it and the rest 18
    QTRY_VERIFY(f.cursorLabel->height() < 18 && f.cursorXLabel->height() < 18 && f.p1Label->height() == 18 && f.wLabel->height() == 18);
    for (const char *name : {"centralWidget", "verticalLayout_2", "horizontalLayout", "verticalLayout", "gridLayout", "gridLayout_2",
                             "viewArea", "paintWidget", "textEdit", "magnifier", "levelLabel", "placeButton"})
        QVERIFY2(window.findChild<QObject *>(name), name);
    PaintWidget narrow(nullptr);
    narrow.resize(60, 100);
    for (PaintWidget *view : {f.paintWidget, &narrow})
        QCOMPARE(grabbed(view), viewWithText(view, "Drag and drop a png/jpg."));
    // Each change of an image point repaints the view before control
    // returns to the event loop; a world point changes nothing. Every digit
    // typed up to the box's limit is kept: world values reach the largest
    // id Tech 3 world, picture points every pixel of a picture that loads.
    EventCounter view(f.paintWidget, QEvent::Paint);
    f.p1x->setFocus();
    for (QSpinBox *box : {f.p1x, f.p1y, f.p2x, f.p2y, f.r1x, f.r1y, f.r2x, f.r2y}) {
        QCOMPARE(QApplication::focusWidget(), box);
        const int limit = box->prefix().isEmpty() ? 131072 : 262144, paints = view.count;
        typeInto(box, QString::number(-limit));
        QCOMPARE(box->value(), -limit);
        box->setValue(limit + 1);
        QCOMPARE(box->value(), limit);
        QCOMPARE(view.count > paints, !box->prefix().isEmpty());
        QTest::keyClick(box, Qt::Key_Tab);
    }
    QCOMPARE(QApplication::focusWidget(), f.measureButton);
    QCOMPARE(window.size(), QSize(684, 609));
    // With nothing loaded there is no pixel for F1 or F2 to take.
    QTest::keyClick(window.windowHandle(), Qt::Key_F1);
    QTest::keyClick(window.windowHandle(), Qt::Key_F2);
    QCOMPARE(points(f), QList<int>({262144, 262144, 262144, 262144}));
}

void TestWindow::pointing_data()
{
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<int>("key");           // after hovering; 0 for none
    QTest::addColumn<QList<int>>("before"); // p1x p1y p2x p2y
    QTest::addColumn<QList<int>>("after");
    QTest::addColumn<QPoint>("cursor");     // what the labels show

    const int f1 = Qt::Key_F1, f2 = Qt::Key_F2;
    const QList<int> zero{0, 0, 0, 0}, set{5, 6, 7, 8};
    QTest::newRow("over the last pixel") << QPoint(639, 479) << 0 << zero << zero << QPoint(639, 479);
    QTest::newRow("left of the picture") << QPoint(-3, 100) << 0 << zero << zero << QPoint(0, 100);
    QTest::newRow("above the picture") << QPoint(100, -5) << 0 << zero << zero << QPoint(100, 0);
    QTest::newRow("F1 beyond the far corner steps inside") << QPoint(700, 500) << f1 << zero << QList<int>{639, 479, 640, 480} << QPoint(640, 480);
    QTest::newRow("F2 at zero steps inside") << QPoint(-3, -5) << f2 << zero << QList<int>{0, 0, 1, 1} << QPoint(0, 0);
    QTest::newRow("Alt+F1 still acts") << QPoint(300, 200) << int(f1 | Qt::ALT) << QList<int>{0, 0, 250, 400} << QList<int>{300, 200, 301, 400} << QPoint(300, 200);
    QTest::newRow("Shift+F1 does nothing") << QPoint(300, 200) << int(f1 | Qt::SHIFT) << set << set << QPoint(300, 200);
    QTest::newRow("Ctrl+F2 does nothing") << QPoint(300, 200) << int(f2 | Qt::CTRL) << set << set << QPoint(300, 200);
    QTest::newRow("F3 does nothing") << QPoint(300, 200) << int(Qt::Key_F3) << set << set << QPoint(300, 200);
}

// Hovering shows the clamped cursor and repaints its labels, at once and
// alone; F1 and F2 take it over from any focus.
void TestWindow::pointing()
{
    QFETCH(QPoint, at);
    QFETCH(int, key);
    QFETCH(QList<int>, before);
    QFETCH(QList<int>, after);
    QFETCH(QPoint, cursor);
    QTemporaryDir dir;
    Vellamor window;
    QVERIFY(showActive(window, QSize(1200, 800), writePicture(dir, "map.png", 640, 480)));
    const MainForm &f = window.form();
    setEntries(f, before);
    f.r2y->setFocus();
    QTest::mouseMove(window.windowHandle(), f.paintWidget->mapTo(&window, QPoint(1, 1)));
    QApplication::processEvents();
    EventCounter view(f.paintWidget, QEvent::Paint), xLabel(f.cursorXLabel, QEvent::Paint), yLabel(f.cursorYLabel, QEvent::Paint);
    // Through the application's mouse delivery, but without its event loop.
    QMouseEvent move(QEvent::MouseMove, QPointF(at), QPointF(f.paintWidget->mapToGlobal(at)), Qt::NoButton, Qt::NoButton, {});
    QVERIFY(QCoreApplication::sendEvent(f.paintWidget, &move) && xLabel.count > 0 && yLabel.count > 0 && view.count == 0);
    QCOMPARE(f.paintWidget->cursor().shape(), QRect(0, 0, 640, 480).contains(at) ? Qt::CrossCursor : Qt::ArrowCursor);
    if (const QKeyCombination combination = QKeyCombination::fromCombined(key); key)
        QTest::keyClick(window.windowHandle(), combination.key(), combination.keyboardModifiers());
    QCOMPARE(f.cursorXLabel->text() + ", " + f.cursorYLabel->text(), QString("x = %1, y = %2").arg(cursor.x()).arg(cursor.y()));
    QCOMPARE(points(f) + QList<int>({window.session().pixel(0).x(), window.session().pixel(0).y(), window.session().pixel(1).x(), window.session().pixel(1).y()}), after + after);
}

// A drop reaches the screen before control returns to the event loop, even
// when the layout has nothing to redo.
void TestWindow::repaintsAtOnce()
{
    QTemporaryDir dir;
    Vellamor window;
    QVERIFY(showActive(window) && dropFile(&window, writePicture(dir, "first.png", 200, 150)));
    QApplication::processEvents();
    const MainForm &f = window.form();
    EventCounter counter(f.paintWidget, QEvent::Paint);
    setEntries(f, {120, 90, 20, 30});
    // Unscaled at the top-left, gray beyond; the rectangle between points
    // given in reverse still drawn.
    QVERIFY(looksAsKept(f.paintWidget, "points-reversed", {}));

    // A second picture of the same size, where the layout has nothing to
    // redo; whatever its name says, shown in its own pixels.
    const int paints = counter.count;
    QVERIFY(dropFile(&window, writePicture(dir, "second@2x.png", 200, 150, QColor(Qt::red))) && counter.count > paints);
    QCOMPARE(f.paintWidget->grab().toImage().pixelColor(199, 149), QColor(Qt::red));
    // A see-through picture shows the gray beneath it, not the one before, in the loupe too.
    QImage clear(200, 150, QImage::Format_ARGB32);
    clear.fill(QColor(0, 0, 255, 60));
    QVERIFY(clear.save(dir.filePath("clear.png")) && dropFile(&window, dir.filePath("clear.png")));
    window.session().setLoupe(true);
    QTest::mouseMove(window.windowHandle(), f.paintWidget->mapTo(&window, QPoint(100, 30)));
    const QImage screen = window.screen()->grabWindow(window.winId()).toImage();
    QVERIFY(f.magnifier->isVisible() && qAbs(screen.pixelColor(f.paintWidget->mapTo(&window, QPoint(50, 120))).red() - 160 * 195 / 255) < 3
            && qAbs(screen.pixelColor(f.magnifier->mapTo(&window, QPoint(20, 20))).red() - 160 * 195 / 255) < 3);
    QVERIFY(menuEntry(f.paintWidget, QPoint(5, 5), "Magnifier")->isChecked()); // the menu follows
}

void TestWindow::doors_data()
{
    QTest::addColumn<QString>("door");
    QTest::addColumn<QString>("fixture");
    QTest::addColumn<QSize>("size");
    for (const char *door : {"drop", "open", "paste", "reload"}) {
        for (const auto &[fixture, size] : fixtures) {
            // The file dialog itself lets no folder or missing file through.
            if (qstrcmp(door, "open") || (qstrcmp(fixture, "directory") && qstrcmp(fixture, "missing")))
                QTest::addRow("%s: %s", door, fixture) << door << fixture << size;
        }
    }
}

// Every way in replaces a good picture and its result with the fixture and
// shows the same: the new picture and its size, or 0 x 0 and why, where the
// hint and its tooltip stand while no picture is shown.
void TestWindow::doors()
{
    QFETCH(QString, door);
    QFETCH(QString, fixture);
    QFETCH(QSize, size);
    QTemporaryDir dir;
    // Names with spaces and non-ASCII letters, as designers give them.
    const QString path = dir.filePath(fixture == "jpeg" ? "Karte Ü.jpg" : "Karte Ü.png");
    // First a good picture, in the fixture's place for Reload.
    const QString first = door == "reload" ? path : dir.filePath("first.png");
    Vellamor window;
    QVERIFY(showActive(window, QSize(900, 600), writePicture(dir, QFileInfo(first).fileName(), 30, 20)));
    if (fixture == QLatin1String("pipe") && !makePipe(dir.filePath("probe")))
        QSKIP("no named pipes here");
    QVERIFY((door != "reload" || QFile::remove(path)) && makeFixture(fixture, path));
    const MainForm &f = window.form();
    setEntries(f, {0, 0, 7, 5, 0, 9, 7, -3});
    QTest::mouseClick(f.measureButton, Qt::LeftButton);
    QVERIFY(f.textEdit->toPlainText().startsWith("origin") && f.paintWidget->toolTip().isEmpty());

    if (door == "drop") {
        // Over the view, which passes it on; a copy whatever was proposed,
        // so that no file manager deletes the picture.
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(path)});
        QCOMPARE(dragAndDrop(f.paintWidget, &mime, Qt::MoveAction), Qt::CopyAction);
    } else if (door == "open") {
        QTest::keyClick(window.windowHandle(), Qt::Key_O, Qt::ControlModifier);
        auto *dialog = window.findChild<QFileDialog *>();
        QVERIFY(dialog && dialog->isVisible() && dialog->nameFilters().first().contains("*.jpeg") && dialog->directory().absolutePath() == QFileInfo(first).absolutePath());
        QTest::keyClicks(dialog->findChild<QLineEdit *>("fileNameEdit"), path);
        QMetaObject::invokeMethod(dialog, "accept");
    } else {
        setClipboard({QUrl::fromLocalFile(path)});
        QTest::keyClick(window.windowHandle(), door == "paste" ? Qt::Key_V : Qt::Key_F5, door == "paste" ? Qt::ControlModifier : Qt::NoModifier);
    }

    const QSize shown = size.isValid() ? size : QSize(0, 0);
    QCOMPARE(QString("%1 %2, %3, %4").arg(window.session().pictureSize().width()).arg(window.session().pictureSize().height()).arg(f.wLabel->text(), f.hLabel->text()),
             QString("%1 %2, w = %1, h = %2").arg(shown.width()).arg(shown.height()));
    QCOMPARE(window.windowTitle(), size.isValid() ? QFileInfo(path).fileName() + " — Vellamor" : "Vellamor");
    QCOMPARE(QPoint(f.p2x->value(), f.r2y->value()), QPoint(7, -3));
    QVERIFY(f.textEdit->toPlainText().isEmpty() && f.textEdit->toolTip().isEmpty() && !menuEntry(f.textEdit, QPoint(5, 5), "Worldspawn keys")->isEnabled());
    const QPointer<QWidget> menu = QApplication::activePopupWidget(); // closed, it is gone
    menu->close();
    QTRY_VERIFY(!menu);
    QCOMPARE(f.paintWidget->toolTip().isEmpty(), size.isValid());
    const QImage shot = grabbed(f.paintWidget);
    if (!size.isValid())
        QCOMPARE(shot, viewWithText(f.paintWidget, "Cannot read Karte Ü.png: " + readPicture(path).error));
    QVERIFY(fixture.startsWith("gif") || !size.isValid() || (qAbs(shot.pixelColor(20, 20).red() - 255) < 8 && shot.pixelColor(20, 20).blue() < 8));
}

void TestWindow::drags_data()
{
    QTest::addColumn<QStringList>("urls"); // none: text alone
    QTest::addColumn<Qt::DropAction>("action");
    QTest::newRow("one png, a move proposed") << QStringList{"map.png"} << Qt::CopyAction;
    QTest::newRow("one gif") << QStringList{"map.gif"} << Qt::IgnoreAction;
    QTest::newRow("two png") << QStringList{"map.png", "other.png"} << Qt::IgnoreAction;
    QTest::newRow("text alone") << QStringList() << Qt::IgnoreAction;
    QTest::newRow("one level, any case") << QStringList{"de_dust.VMF"} << Qt::CopyAction;
    QTest::newRow("a level and a picture") << QStringList{"de_dust.vmf", "map.png"} << Qt::IgnoreAction;
}

// Which drags the window takes, and what their source is told.
void TestWindow::drags()
{
    QFETCH(QStringList, urls);
    QFETCH(Qt::DropAction, action);
    QTemporaryDir dir;
    Vellamor window;
    QVERIFY(showActive(window));
    QMimeData mime;
    mime.setText("map.png");
    QFile levelFile(dir.filePath("de_dust.VMF"));
    QVERIFY(levelFile.open(QIODevice::WriteOnly) && levelFile.write("world\n{\n}\n") && levelFile.flush());
    QList<QUrl> list;
    for (const QString &name : urls)
        list << (name.contains(':') ? QUrl(name) : QUrl::fromLocalFile(name.endsWith("png") || name.endsWith("jpg") || name.endsWith("gif") ? writePicture(dir, name, 8, 6) : dir.filePath(name)));
    mime.setUrls(list);
    QCOMPARE(dragAndDrop(window.form().paintWidget, &mime, Qt::MoveAction), action);
    const bool level = urls.value(0).endsWith("VMF");
    QCOMPARE(window.session().pictureSize().width(), action == Qt::CopyAction && !level ? 8 : 0);
    QCOMPARE(window.windowTitle().contains("de_dust"), action == Qt::CopyAction && level);
}

void TestWindow::pasteFollowsFocus_data()
{
    QTest::addColumn<QString>("focus");
    QTest::addColumn<QString>("content");
    QTest::addColumn<bool>("loads");
    QTest::addColumn<QString>("boxText");
    QTest::newRow("image data, focus on the button") << "measureButton" << "image" << true << "";
    QTest::newRow("image data, focus in a box") << "p1x" << "image" << true << "0";
    QTest::newRow("image data, focus in the text box") << "textEdit" << "image" << true << "";
    QTest::newRow("text, focus in a box") << "r1x" << "text" << false << "123"; // pasted after the 0
    QTest::newRow("a decimal, focus in a box") << "r1x" << "-17.82" << false << "-18";
    QTest::newRow("a position, focus in a box") << "r2y" << "1024\t-768\t64" << false << "-768";
    QTest::newRow("text, focus in the text box") << "textEdit" << "text" << false << "123";
    QTest::newRow("two files") << "measureButton" << "files" << false << "";
    // A file manager's copy: the file's URL, and its path as text.
    QTest::newRow("copied file, focus in a box") << "r1x" << "file" << true << "0";
    QTest::newRow("copied file, focus in the text box") << "textEdit" << "file" << false << "other.png";
}

// Ctrl+V takes a picture from the clipboard; text pasted into a box stays text.
void TestWindow::pasteFollowsFocus()
{
    QFETCH(QString, focus);
    QFETCH(QString, content);
    QFETCH(bool, loads);
    QFETCH(QString, boxText);
    QTemporaryDir dir;
    const QString file = writePicture(dir, "first.png", 30, 20);
    Vellamor window;
    QVERIFY(showActive(window, QSize(684, 609), file));
    const QUrl url = QUrl::fromLocalFile(writePicture(dir, "other.png", 12, 9));
    setClipboard(content == "files" ? QList<QUrl>{url, url} : content == "file" ? QList<QUrl>{url} : QList<QUrl>{},
                 content == "text" ? "123" : content == "file" ? url.toLocalFile() : content.contains(QRegularExpression("\\d")) ? content : "",
                 content == "image" ? QImage(12, 9, QImage::Format_RGB32) : QImage());
    auto *target = window.findChild<QWidget *>(focus);
    target->setFocus();
    QTest::keyClick(target, Qt::Key_End);
    QTest::keyClick(window.windowHandle(), Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(window.windowHandle(), Qt::Key_F5); // a pasted picture has no file to read again
    QCOMPARE(QSize(window.session().pictureSize().width(), window.session().pictureSize().height()), loads ? QSize(12, 9) : QSize(30, 20));
    QCOMPARE(window.windowTitle(), !loads ? "first.png — Vellamor" : content == "file" ? "other.png — Vellamor" : "Vellamor");
    const QString typed = target->property(focus == "textEdit" ? "plainText" : "value").toString();
    QCOMPARE(content == "file" ? QFileInfo(typed).fileName() : typed, boxText);
}

// Right-click on the view: the ways in, and F1 and F2 at the clicked pixel.
void TestWindow::viewMenu()
{
    QTemporaryDir dir;
    Vellamor window;
    QVERIFY(showActive(window, QSize(1200, 800)));
    QGuiApplication::clipboard()->clear();
    auto entry = [&](QPoint at, const QString &text) { return menuEntry(window.form().paintWidget, at, text); };
    QVERIFY(entry(QPoint(300, 200), "Open…")->isEnabled());
    QStringList entries; // in groups
    for (QAction *action : qobject_cast<QMenu *>(QApplication::activePopupWidget())->actions())
        entries << (action->isSeparator() ? "|" : action->text());
    QCOMPARE(entries.join(", "), "Open…, Open recent, Paste picture, Reload, Open level…, Save session…, |, Set 1st point here (F1), Set 2nd point here (F2), |, Magnifier, Level overlay, Level window, Make picture from level…, Place automatically");
    for (const char *text : {"Paste picture", "Reload", "Set 1st point here (F1)", "Set 2nd point here (F2)"})
        QVERIFY2(!entry(QPoint(300, 200), text)->isEnabled(), text);
    QApplication::activePopupWidget()->close(); // Ctrl+V looks at the clipboard anew
    QGuiApplication::clipboard()->setImage(QImage(4, 4, QImage::Format_RGB32));
    QTest::keyClick(window.windowHandle(), Qt::Key_V, Qt::ControlModifier);
    QVERIFY(window.session().pictureSize().width() == 4 && !entry(QPoint(5, 5), "Reload")->isEnabled() && !entry(QPoint(5, 5), "Place automatically")->isEnabled() && window.session().openLevel(SOURCE_DIR "/examples/sample-level.map").isEmpty()
            && entry(QPoint(5, 5), "Reload")->isEnabled() && entry(QPoint(5, 5), "Place automatically")->isEnabled() && dropFile(&window, writePicture(dir, "map.png", 640, 480)) && entry(QPoint(5, 5), "Paste picture")->isEnabled() && entry(QPoint(5, 5), "Reload")->isEnabled());
    entry(QPoint(300, 200), "Set 1st point here (F1)")->trigger();
    entry(QPoint(700, 500), "Set 2nd point here (F2)")->trigger();
    QCOMPARE(points(window.form()), QList<int>({300, 200, 640, 480}));
    // Like F2, a second point left of and above the first pushes it aside.
    entry(QPoint(100, 50), "Set 2nd point here (F2)")->trigger();
    QCOMPARE(points(window.form()), QList<int>({99, 49, 100, 50}));
}

// Each picture is freed before the next is decoded, so replacing a large map
// by another never needs room for both; a header claiming 300000 x 800,
// wider than any pixel box can hold, is refused before its 960 MB are
// decoded, and 16384 x 16384 at 32 bits loads.
void TestWindow::largePictures()
{
    QTemporaryDir dir;
    Vellamor window;
    window.session().openPicture(writePicture(dir, "first.png", 4096, 4096, QColor(1, 2, 3)));
    PaintWidget *view = window.form().paintWidget;
    view->setOverlay({QPolygonF(QRectF(20, 20, 9, 9))}, {}); // the next outlines drawn where these were not
    view->setOverlay({QPolygonF(QRectF(2, 2, 9, 9))}, {});
    const QImage corner = view->grab(QRect(0, 0, 8, 8)).toImage();
    QVERIFY(corner.pixelColor(7, 7) == QColor(1, 2, 3) && corner.pixelColor(2, 5) == QColor(255, 0, 255));
    const QString second = writePicture(dir, "second.png", 4096, 4096, QColor(4, 5, 6));
    const bool peakKnown = resetPeakResident();
    qint64 before = residentKiB("VmRSS:");
    window.session().openPicture(second);
    QVERIFY2(window.session().pictureSize().width() == 4096 && (!peakKnown || residentKiB("VmHWM:") - before < 4096 * 4096 * 4 / 1024 / 2), "two pictures held");

    // Headers claiming a size; the data behind them is a 16 x 16 picture.
    QByteArray jpeg, bmp;
    QBuffer jpegBuffer(&jpeg), bmpBuffer(&bmp);
    QVERIFY(QImage(16, 16, QImage::Format_RGB32).save(&jpegBuffer, "JPG") && QImage(16, 16, QImage::Format_RGB32).save(&bmpBuffer, "BMP"));
    qToLittleEndian<qint32>(300000, bmp.data() + 18);
    qToLittleEndian<qint32>(800, bmp.data() + 22);
    const qsizetype frame = jpeg.indexOf(QByteArray("\xff\xc0", 2));
    qToBigEndian<quint16>(16384, jpeg.data() + frame + 5);
    qToBigEndian<quint16>(16384, jpeg.data() + frame + 7);
    QFile huge(dir.filePath("huge.png")), large(dir.filePath("large.jpg"));
    QVERIFY(huge.open(QIODevice::WriteOnly) && huge.write(bmp) && huge.flush() && large.open(QIODevice::WriteOnly) && large.write(jpeg) && large.flush() && resetPeakResident() == peakKnown);
    before = residentKiB("VmRSS:");
    QCOMPARE(window.session().openPicture(huge.fileName()), "wider or taller than 262144 pixels");
    QVERIFY2(window.session().pictureSize().width() == 0 && (!peakKnown || residentKiB("VmHWM:") - before < 64 * 1024), "a huge header was allocated");
    // Nothing over 1 GB is decoded: one row more than 16384 x 16384 is refused at once.
    qToBigEndian<quint16>(16385, jpeg.data() + frame + 5);
    QVERIFY(large.seek(0) && large.write(jpeg) && large.flush() && !window.session().openPicture(large.fileName()).isEmpty() && window.session().pictureSize().isEmpty());
    qToBigEndian<quint16>(16384, jpeg.data() + frame + 5);
    QVERIFY(large.seek(0) && large.write(jpeg) && large.flush());
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("premature end of data"));
    window.session().openPicture(large.fileName());
    QCOMPARE(QSize(window.session().pictureSize().width(), window.session().pictureSize().height()), QSize(16384, 16384));
}

// Follows examples/README.md with the numbers it prints and copies every
// format as both READMEs show it, so that neither can drift; then Measure
// by Return, copies from the last Measure rather than the edited text, a
// world file saved whole or not at all, and entries that cannot act.
void TestWindow::result()
{
    const QString text = readText(SOURCE_DIR "/examples/README.md");
    QList<int> values; // picture x, y, then world x, y of each point
    const QRegularExpression row("^\\| [12] \\| (-?\\d+) \\| (-?\\d+) \\| (-?\\d+) \\| (-?\\d+) \\|$", QRegularExpression::MultilineOption);
    for (const QRegularExpressionMatch &m : row.globalMatch(text))
        values << m.captured(1).toInt() << m.captured(2).toInt() << m.captured(3).toInt() << m.captured(4).toInt();
    QCOMPARE(values.size(), 8);
    QTemporaryDir dir;
    Vellamor window;
    QVERIFY(showActive(window, QSize(1000, 700), SOURCE_DIR "/examples/sample-map.png"));
    const MainForm &f = window.form();
    const QPoint at(20, 20);
    QTest::mouseMove(window.windowHandle(), f.paintWidget->mapTo(&window, QPoint(values[0], values[1])));
    QTest::keyClick(window.windowHandle(), Qt::Key_F1);
    QTest::mouseMove(window.windowHandle(), f.paintWidget->mapTo(&window, QPoint(values[4], values[5])));
    QTest::keyClick(window.windowHandle(), Qt::Key_F2);
    QCOMPARE(points(f), QList<int>({values[0], values[1], values[4], values[5]}));
    for (const auto &[box, value] : QList<std::pair<QSpinBox *, int>>{{f.r1x, values[2]}, {f.r1y, values[3]}, {f.r2x, values[6]}, {f.r2y, values[7]}})
        typeInto(box, QString::number(value));
    const QString measured = QRegularExpression("```\\n(origin = [^`]*)```").match(text).captured(1);
    QTest::mousePress(f.measureButton, Qt::LeftButton); // acts when pressed down
    QCOMPARE(f.textEdit->toPlainText(), measured);
    QTest::mouseRelease(f.measureButton, Qt::LeftButton);
    QCOMPARE("`" + f.textEdit->toolTip() + "`", QRegularExpression("tooltip then reads (`.*`)").match(text).captured(1));
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) { // Enter on the keypad
        f.textEdit->setPlainText("notes typed by the user");
        QTest::keyClick(f.r2y, key, key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        QCOMPARE(f.textEdit->toPlainText(), measured);
    }
    f.textEdit->setPlainText("origin = 1 2 ??\nend = 3 4 ??\n");
    for (const QString &document : {text, readText(SOURCE_DIR "/README.md")}) {
        int formats = 0;
        for (const QRegularExpressionMatch &m : QRegularExpression("#### (.+)\\n\\n```\\n([^`]*)```").globalMatch(document)) {
            QAction *entry = menuEntry(f.textEdit, at, m.captured(1));
            QVERIFY2(entry && entry->isEnabled(), qPrintable(m.captured(1)));
            entry->trigger();
            // The command waits for Return when pasted into a shell; on
            // Windows it is quoted for the prompt, and compared in POSIX form.
            QString copied = QGuiApplication::clipboard()->text();
            if (m.captured(1) == "GDAL command")
                copied = copied.replace('"', '\'').replace('\\', '/').replace(QRegularExpression("'[A-Z]:/"), "'/") + "\n";
            QCOMPARE(copied.replace(SOURCE_DIR "/examples", "/path/to/examples"), m.captured(2));
            ++formats;
        }
        QCOMPARE(formats, 4);
    }
    // The same file read again at the same size keeps the result.
    QApplication::activePopupWidget()->close();
    QTest::keyClick(window.windowHandle(), Qt::Key_F5);
    QVERIFY(menuEntry(f.textEdit, at, "Worldspawn keys")->isEnabled() && f.textEdit->toPlainText().startsWith("origin"));

    for (const QString &target : {dir.filePath("missing/map.pgw"), dir.filePath("map.pgw")}) {
        menuEntry(f.textEdit, at, "Save world file")->trigger();
        auto *dialog = window.findChild<QFileDialog *>();
        QVERIFY(dialog && dialog->isVisible());
        QCOMPARE(dialog->selectedFiles() + dialog->nameFilters(), QStringList({QFileInfo(SOURCE_DIR "/examples/sample-map.pgw").absoluteFilePath(), "World files (*.pgw *.wld)"}));
        dialog->findChild<QLineEdit *>("fileNameEdit")->setText(target);
        QMetaObject::invokeMethod(dialog, "accept");
        if (auto *box = window.findChild<QMessageBox *>()) {
            QVERIFY2(box->isVisible() && box->text().contains(QRegularExpression(QRegularExpression::escape(QDir::toNativeSeparators(target)) + ": \\w")), qPrintable(box->text()));
            // Answered, it is gone, not kept hidden.
            const QPointer<QMessageBox> shown(box);
            box->button(QMessageBox::Ok)->click();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QVERIFY(!shown);
        }
    }
    QVERIFY(!QFileInfo::exists(dir.filePath("missing")));
    QCOMPARE(readText(dir.filePath("map.pgw")), QString("4\n0\n0\n-4\n-1022\n766\n"));

}

void TestWindow::bothWindowsAtStart_data()
{
    QTest::addColumn<QString>("screen");
    QTest::addColumn<QSize>("picture");
    QTest::newRow("1920 x 1080, a small picture") << "full" << QSize(600, 400);
    QTest::newRow("1920 x 1080, a picture larger than the screen") << "full" << QSize(3776, 2560);
    QTest::newRow("1366 x 768, a small picture") << "laptop" << QSize(600, 400);
    QTest::newRow("1366 x 768, a picture larger than the screen") << "laptop" << QSize(3776, 2560);
}

// As the command line opens them: picture and level before the window is
// shown, when its frame is not yet known. Both windows stand within the
// screen's available area, frames included, side by side where there is
// room, else the level window over the main window's bottom-right.
void TestWindow::bothWindowsAtStart()
{
    QFETCH(QString, screen);
    QFETCH(QSize, picture);
    QTemporaryDir dir;
    const QList<QScreen *> screens = QGuiApplication::screens();
    QScreen *on = *std::find_if(screens.begin(), screens.end(), [&](QScreen *s) { return s->name() == screen; });
    Vellamor window;
    window.setScreen(on);
    // Near the screen's right edge, where a larger picture would take it
    // beyond.
    window.move(on->availableGeometry().topRight() - QPoint(700, 0));
    QCOMPARE(window.session().openPicture(writePicture(dir, "map.png", picture.width(), picture.height())), QString());
    QCOMPARE(window.session().openLevel(SOURCE_DIR "/examples/sample-level.map"), QString());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTRY_VERIFY(window.findChild<LevelView *>() && window.findChild<LevelView *>()->isVisible());
    auto *view = window.findChild<LevelView *>();
    QVERIFY(QTest::qWaitForWindowExposed(view));
    const QRect area = on->availableGeometry(), main = window.frameGeometry(), level = view->frameGeometry();
    QVERIFY(area.contains(main) && area.contains(level) && main.size() != window.size());
    const bool room = main.width() + level.width() <= area.width() || main.height() + level.height() <= area.height();
    QCOMPARE(main.intersects(level), !room);
    if (!room)
        QCOMPARE(level.bottomRight(), main.bottomRight());
    const QSize chosen = window.size() + QSize(40, 30); // the user's size stays as the window moves
    window.setGeometry(QRect(window.pos() + QPoint(5, 5), chosen));
    QTRY_COMPARE(window.size(), chosen);
}

void TestWindow::beyondTheScreen_data()
{
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<bool>("scrollsAcross");
    QTest::addColumn<bool>("scrollsDown");
    QTest::newRow("fits to the pixel") << QSize(1688, 1174) << false << false;
    QTest::newRow("as wide as fits, lower") << QSize(1688, 900) << false << false;
    QTest::newRow("as tall as fits, narrower") << QSize(900, 1174) << false << false;
    QTest::newRow("too wide") << QSize(4096, 300) << true << false;
    QTest::newRow("too tall") << QSize(300, 4096) << false << true;
    QTest::newRow("too large") << QSize(4096, 4096) << true << true;
}

// The window grows with the picture as far as its screen allows; beyond,
// the picture scrolls, by the bars or the wheel (across with Shift), and its
// far pixel is picked where it was scrolled to.
void TestWindow::beyondTheScreen()
{
    QFETCH(QSize, picture);
    QFETCH(bool, scrollsAcross);
    QFETCH(bool, scrollsDown);
    QTemporaryDir dir;
    Vellamor window;
    QVERIFY(showActive(window, QSize(684, 609), writePicture(dir, "map.png", picture.width(), picture.height())));
    QApplication::processEvents();
    const MainForm &f = window.form();
    QVERIFY(window.screen()->availableGeometry().contains(window.frameGeometry()));
    QCOMPARE(f.viewArea->viewport()->size() == picture, !scrollsAcross && !scrollsDown); // hugging a picture that fits
    QScrollBar *across = f.viewArea->horizontalScrollBar(), *down = f.viewArea->verticalScrollBar();
    QCOMPARE(QList<bool>({across->isVisible(), down->isVisible()}), QList<bool>({scrollsAcross, scrollsDown}));
    // The pointer stays still while the picture scrolls under it: the pixel
    // under it is shown at once.
    const auto labels = [&] { return f.cursorXLabel->text() + ", " + f.cursorYLabel->text(); };
    const auto under = [&] { const QPoint at = f.paintWidget->mapFromGlobal(QCursor::pos()); return QString("x = %1, y = %2").arg(at.x()).arg(at.y()); };
    QCursor::setPos(f.viewArea->viewport()->mapToGlobal(QPoint(50, 50)));
    QTest::mouseMove(window.windowHandle(), f.viewArea->viewport()->mapTo(&window, QPoint(50, 50)));
    for (const Qt::KeyboardModifier modifier : {Qt::NoModifier, Qt::ShiftModifier}) {
        QWheelEvent wheel(QPointF(50, 50), f.viewArea->mapToGlobal(QPointF(50, 50)), {}, QPoint(0, -120), Qt::NoButton, modifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(f.viewArea->viewport(), &wheel);
        QCOMPARE(labels(), under());
    }
    QCOMPARE(QPoint(across->value() > 0, down->value() > 0), QPoint(scrollsAcross, scrollsDown));
    across->setValue(across->maximum());
    down->setValue(down->maximum());
    const QPoint far(picture.width() - 1, picture.height() - 1);
    QTest::mouseMove(window.windowHandle(), f.paintWidget->mapTo(&window, far));
    QTest::keyClick(window.windowHandle(), Qt::Key_F2);
    QCOMPARE(QPoint(f.p2x->value(), f.p2y->value()), far);
    // The far corner by the arrow keys too, a step more staying on it, and the near one, scrolled back.
    QCursor::setPos(f.paintWidget->mapToGlobal(far - QPoint(12, 12)));
    for (const Qt::Key key : {Qt::Key_Right, Qt::Key_Down}) {
        for (const Qt::KeyboardModifier modifier : {Qt::ShiftModifier, Qt::NoModifier, Qt::NoModifier, Qt::NoModifier})
            QTest::keyClick(window.windowHandle(), key, modifier);
    }
    QCOMPARE(f.cursorXLabel->text() + ", " + f.cursorYLabel->text(), QString("x = %1, y = %2").arg(far.x()).arg(far.y()));
    // At the view's far edges the loupe turns to the pointer's other side, whole and off the hot spot.
    QTest::keyClick(window.windowHandle(), Qt::Key_Z);
    const QRect loupe = f.magnifier->geometry(), room = f.viewArea->viewport()->rect();
    QVERIFY(f.magnifier->isVisible() && room.contains(loupe) && !loupe.contains(f.viewArea->viewport()->mapFromGlobal(QCursor::pos())));
    // Where it just fits, it keeps below and right; a pixel further, it turns.
    f.magnifier->follow(QPoint(0, 0), room.bottomRight() - QPoint(22 + loupe.width(), 22 + loupe.height()));
    const QPoint turned = f.magnifier->geometry().bottomRight();
    f.magnifier->follow(QPoint(0, 0), room.bottomRight() - QPoint(23 + loupe.width(), 23 + loupe.height()));
    QCOMPARE(QList<QPoint>({turned, f.magnifier->geometry().bottomRight()}), QList<QPoint>({room.bottomRight() - QPoint(47 + loupe.width(), 47 + loupe.height()), room.bottomRight()}));
    QVERIFY(looksAsKept(f.magnifier, "loupe-at-corner", {QRect(0, loupe.width(), loupe.width(), loupe.height())}));
    QTest::keyClick(window.windowHandle(), Qt::Key_Z);
    // A nudge past the view's edge scrolls the picture along, to the pixel beyond.
    QCursor::setPos(f.viewArea->viewport()->mapToGlobal(QPoint(0, 0)));
    QTest::keyClick(window.windowHandle(), Qt::Key_Left);
    QTest::keyClick(window.windowHandle(), Qt::Key_Up);
    QCOMPARE(QPoint(across->maximum() - across->value(), down->maximum() - down->value()), 2 * QPoint(scrollsAcross, scrollsDown));
    across->setValue(0);
    down->setValue(0);
    QTest::mouseMove(window.windowHandle(), f.paintWidget->mapTo(&window, QPoint(0, 0)));
    QTest::keyClick(window.windowHandle(), Qt::Key_F1);
    QCOMPARE(QPoint(f.p1x->value(), f.p1y->value()), QPoint(0, 0));
    // Nudges from there stop at the first row and column.
    QCursor::setPos(f.paintWidget->mapToGlobal(QPoint(0, 0)));
    for (const Qt::Key key : {Qt::Key_Up, Qt::Key_Left, Qt::Key_Right, Qt::Key_Down})
        QTest::keyClick(window.windowHandle(), key);
    QCOMPARE(f.cursorXLabel->text() + ", " + f.cursorYLabel->text(), QString("x = 1, y = 1"));
    // A small picture after it takes the window back to the size it opened at.
    QVERIFY(dropFile(&window, writePicture(dir, "small.png", 10, 10)));
    QCOMPARE(window.size(), QSize(684, 609));
}

// The loupe shows the picture's own pixels around the hot spot; the arrow
// keys move the pointer by one pixel, Shift and an arrow by ten, over the
// picture, while a number box keeps them elsewhere.
void TestWindow::pixelExact()
{
    QTemporaryDir dir;
    QImage picture(256, 256, QImage::Format_RGB32);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x)
            picture.setPixelColor(x, y, QColor(x, y, 128));
    QVERIFY(picture.save(dir.filePath("ramp.png")));
    Vellamor window;
    QVERIFY(showActive(window, QSize(900, 600), dir.filePath("ramp.png")));
    const MainForm &f = window.form();
    f.p1x->setFocus();
    QCursor::setPos(f.paintWidget->mapToGlobal(QPoint(100, 60)));
    QTest::keyClick(window.windowHandle(), Qt::Key_Z);
    QTest::keyClick(window.windowHandle(), Qt::Key_Right);
    QTest::keyClick(window.windowHandle(), Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(f.cursorXLabel->text() + ", " + f.cursorYLabel->text(), QString("x = 101, y = 70"));
    QVERIFY(f.p1x->value() == 0 && showsCurrent(f.viewArea->viewport()));
    // Below and right of the pointer, where there is room.
    QVERIFY(f.magnifier->isVisible() && f.magnifier->pos() == f.viewArea->viewport()->mapFromGlobal(QCursor::pos()) + QPoint(24, 24));
    // The picture's own pixels around the hot one, framed in black inside
    // white; the caption's band filled to its left edge.
    const int side = f.magnifier->width();
    QVERIFY(looksAsKept(f.magnifier, "loupe", {QRect(0, side, side, 40)}) && grabbed(f.magnifier).pixelColor(0, side + 2) == f.magnifier->palette().window().color()
            && pixelsOf(grabbed(f.magnifier), QRect(0, side, side, 40), f.magnifier->palette().windowText().color()) > 3);
    QCOMPARE(grabbed(f.paintWidget).pixelColor(200, 5), QColor(200, 5, 128)); // each pixel shown where it is picked
    // The pointer leaves the picture, and comes back on its top-left pixel.
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(f.viewArea->viewport(), &leave);
    QVERIFY(!f.magnifier->isVisible());
    QTest::mouseMove(window.windowHandle(), f.paintWidget->mapTo(&window, QPoint(0, 0)));
    QVERIFY(f.magnifier->isVisible());
    QTest::keyClick(window.windowHandle(), Qt::Key_Z);
    QVERIFY(!f.magnifier->isVisible());
    QCursor::setPos(f.p1x->mapToGlobal(QPoint(5, 5)));
    QTest::keyClick(window.windowHandle(), Qt::Key_Up);
    QCOMPARE(f.p1x->value(), 1);
    f.measureButton->setFocus(); // no box takes the arrow, and still the pointer stays
    QTest::keyClick(window.windowHandle(), Qt::Key_Right);
    QCOMPARE(QCursor::pos(), f.p1x->mapToGlobal(QPoint(5, 5)));
}

// The sample level lies on the sketch once Measure places it: its outlines
// on the walls the picture draws, within a pixel, until the next Measure;
// L hides it. A level that cannot be read says where, and the picture and
// the result stay.
void TestWindow::levelOverlay()
{
    Vellamor window;
    QVERIFY(showActive(window, QSize(1000, 700), SOURCE_DIR "/examples/sample-map.png") && dropFile(&window, SOURCE_DIR "/examples/sample-level.map"));
    // The level window opened with the level; the user goes back to the picture.
    QVERIFY(QTest::qWaitForWindowExposed(window.findChild<LevelView *>()));
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
    const MainForm &f = window.form();
    setEntries(f, {120, 90, 520, 390, -544, 408, 1056, -792});
    const QList<QPoint> walls = {{60, 100}, {150, 40}, {599, 400}, {500, 449}, {460, 250}};
    auto onWalls = [&] {
        const QImage shot = grabbed(f.paintWidget);
        int found = 0;
        for (const QPoint wall : walls)
            found += pixelsOf(shot, QRect(wall - QPoint(1, 1), QSize(3, 3)), QColor(255, 0, 255)) > 0;
        return found;
    };
    QCOMPARE(onWalls(), 0);
    QTest::mouseClick(f.measureButton, Qt::LeftButton);
    typeInto(f.r1x, "-600"); // L below still reaches the window from this box
    // Kept until the next Measure: outlines, not fills, and each point entity a small cross.
    QVERIFY(looksAsKept(f.paintWidget, "overlay", {}));
    QTest::keyClick(window.windowHandle(), Qt::Key_L);
    QVERIFY(showsCurrent(f.viewArea->viewport()) && onWalls() == 0);
    QTest::keyClick(window.windowHandle(), Qt::Key_L);
    QCOMPARE(onWalls(), walls.size());
    menuEntry(f.textEdit, QPoint(5, 5), "Source overview")->trigger();
    QVERIFY(QGuiApplication::clipboard()->text().contains("\"sample-level\""));
    // The world file belongs to the picture, whatever level is loaded.
    menuEntry(f.textEdit, QPoint(5, 5), "Save world file")->trigger();
    auto *dialog = window.findChild<QFileDialog *>();
    QVERIFY(dialog && QFileInfo(dialog->selectedFiles().value(0)).fileName() == "sample-map.pgw");
    delete dialog;
    QApplication::setActiveWindow(&window);
    QTemporaryDir dir;
    QFile cut(dir.filePath("cut.v2.map"));
    QVERIFY(cut.open(QIODevice::WriteOnly) && cut.write("{\n\"classname\" \"worldspawn\"\n{\n( 0 0") && cut.flush() && dropFile(&window, cut.fileName()));
    QCOMPARE(f.levelLabel->text(), "cut.v2.map:4:6: expected a number (the file ends)");
    QVERIFY(f.levelLabel->isVisible() && window.session().pictureSize().width() == 640 && f.textEdit->toPlainText().startsWith("origin"));
    // The note shows its whole text, on its own background, and the outlines are gone.
    QVERIFY(showsCurrent(f.viewArea->viewport()) && onWalls() == 0 && f.levelLabel->size() == f.levelLabel->sizeHint()
            && grabbed(f.viewArea->viewport()).pixelColor(f.levelLabel->pos() + QPoint(1, 1)) == f.levelLabel->palette().window().color());
    QCOMPARE(window.windowTitle(), "sample-map.png — Vellamor");
    // Mended, the level is read again by F5; outlines are drawn with no marks beside them.
    QVERIFY(cut.resize(0) && cut.write(readText(SOURCE_DIR "/examples/sample-level.map").replace("\"origin\"", "\"_origin\"").toUtf8()) && cut.flush());
    QTest::keyClick(window.windowHandle(), Qt::Key_F5);
    QCOMPARE(f.levelLabel->text(), "cut.v2.map: 42 brushes, 0 marks; left out: 2 tool brushes");
    // The note keeps its text off its edges.
    QVERIFY(f.levelLabel->height() >= f.levelLabel->fontMetrics().height() + 6);
    f.r1x->setValue(-544);
    QTest::mouseClick(f.measureButton, Qt::LeftButton);
    QCOMPARE(onWalls(), walls.size());
    menuEntry(f.textEdit, QPoint(5, 5), "Source overview")->trigger(); // named after the level, all its dots kept
    QVERIFY(QGuiApplication::clipboard()->text().contains("\"cut.v2\""));
    // Another picture ends the result, and its drawing with it.
    QVERIFY(QFile::copy(SOURCE_DIR "/examples/sample-map.png", dir.filePath("copy.png")) && dropFile(&window, dir.filePath("copy.png")));
    QCOMPARE(onWalls(), 0);
}

// The README's walk-through without a number typed: both points picked on
// the picture, both world points on the level's corners, snapped exactly;
// zoom and pan keep the world point under the cursor; after Measure the
// picture lies under the level from the origin to the end.
void TestWindow::levelWindow()
{
    Vellamor window;
    QVERIFY(showActive(window, QSize(1000, 700), SOURCE_DIR "/examples/sample-map.png") && dropFile(&window, SOURCE_DIR "/examples/sample-level.map"));
    auto *view = window.findChild<LevelView *>();
    QVERIFY(view && QTest::qWaitForWindowExposed(view));
    const QPointF at(300, 200), world = view->toWorld(at), right = view->toWorld(at + QPointF(100, 0));
    QWheelEvent wheel(at, view->mapToGlobal(at), {}, QPoint(0, 240), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(view, &wheel);
    QVERIFY((view->toWorld(at) - world).manhattanLength() < 1e-9 && view->toWorld(at + QPointF(100, 0)).x() < right.x());
    QTest::mousePress(view->windowHandle(), Qt::MiddleButton, {}, at.toPoint());
    QTest::mouseMove(view->windowHandle(), QPoint(340, 170));
    QTest::mouseRelease(view->windowHandle(), Qt::MiddleButton, {}, QPoint(340, 170));
    QVERIFY((view->toWorld(QPointF(340, 170)) - world).manhattanLength() < 1e-9);
    QTest::keyClick(view, Qt::Key_Home);
    const MainForm &f = window.form();
    // The hall's outer top-left corner and the vault's outer bottom-right one.
    const QList<std::tuple<QPoint, QPoint, Qt::Key>> corners = {{{-784, 608}, {60, 40}, Qt::Key_F3}, {{1376, -1032}, {600, 450}, Qt::Key_F4}};
    for (const auto &[corner, pixel, key] : corners) {
        const QPoint near = view->toWidget(corner).toPoint() + QPoint(3, -2);
        QTest::mouseMove(view->windowHandle(), near);
        // With Shift held the point is the nearest unit, not the corner.
        QTest::keyPress(view, Qt::Key_Shift, Qt::ShiftModifier);
        QTest::keyClick(view, key, Qt::ShiftModifier);
        QSpinBox *x = key == Qt::Key_F3 ? f.r1x : f.r2x, *y = key == Qt::Key_F3 ? f.r1y : f.r2y;
        QCOMPARE(QPoint(x->value(), y->value()), view->toWorld(near).toPoint());
        QTest::keyRelease(view, Qt::Key_Shift); // the marker snaps back to the corner at once
        QVERIFY(pixelsOf(grabbed(view), QRect(view->toWidget(corner).toPoint() - QPoint(5, 5), QSize(11, 11)), QColor(0, 220, 255)) > 0);
        // F3 and F4 from the main window with the pointer over the level
        // window; F1 from the level window with the pointer over the picture.
        QCursor::setPos(view->mapToGlobal(near));
        QTest::keyClick(window.windowHandle(), key);
        QVERIFY(!QToolTip::isVisible());
        QTest::mouseMove(window.windowHandle(), f.paintWidget->mapTo(&window, pixel));
        QCursor::setPos(f.paintWidget->mapToGlobal(pixel));
        QTest::keyClick(key == Qt::Key_F3 ? view->windowHandle() : window.windowHandle(), key == Qt::Key_F3 ? Qt::Key_F1 : Qt::Key_F2);
    }
    QCOMPARE(points(f) + QList<int>({f.r1x->value(), f.r1y->value(), f.r2x->value(), f.r2y->value()}), QList<int>({60, 40, 600, 450, -784, 608, 1376, -1032}));
    // With the pointer elsewhere, F3 says where to point.
    QTest::keyClick(window.windowHandle(), Qt::Key_F3);
    QCOMPARE(QToolTip::isVisible() ? QToolTip::text() : QString(), "point at a corner in the level window");
    QTest::mouseClick(f.measureButton, Qt::LeftButton);
    QCOMPARE(f.textEdit->toPlainText(), "origin = -1024 768 ??\nend = 1536 -1152 ??\n");
    QTest::keyClick(view, Qt::Key_Home);
    // The picture half seen under the outlines and marks, framed from the
    // origin to the end; the two numbered points; the corner under the pointer.
    const QRect coordinates(5, view->height() - 19, 235, 18); // written in white
    const auto texts = [&] { return QList<QRect>{QRect(view->toWidget(QPoint(-784, 608)).toPoint() + QPoint(6, -22), QSize(20, 20)),
                                                 QRect(view->toWidget(QPoint(1376, -1032)).toPoint() + QPoint(6, -22), QSize(20, 20)), coordinates}; };
    QVERIFY(looksAsKept(view, "level-window", texts()) && pixelsOf(grabbed(view), coordinates, Qt::white) > 3);
    // Far out, the picture is drawn from one of its smaller copies, and the smallest outlines as dots.
    QWheelEvent away(at, view->mapToGlobal(at), {}, QPoint(0, -1440), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(view, &away);
    QVERIFY(looksAsKept(view, "level-window-far", texts()));
    // A larger window keeps the zoom.
    const double span = view->toWorld(QPointF(100, 0)).x() - view->toWorld(QPointF(0, 0)).x();
    view->resize(view->size() + QSize(40, 30));
    QTRY_COMPARE(view->width(), 840);
    QCOMPARE(view->toWorld(QPointF(100, 0)).x() - view->toWorld(QPointF(0, 0)).x(), span);
    // F1 with the pointer over the level window says where to point, at the window's bottom left.
    QCursor::setPos(view->mapToGlobal(QPoint(20, 20)));
    QTest::keyClick(view->windowHandle(), Qt::Key_F1);
    const QWidgetList tops = QApplication::topLevelWidgets();
    const auto tip = std::find_if(tops.begin(), tops.end(), [](QWidget *w) { return w->inherits("QTipLabel") && w->isVisible(); });
    QVERIFY(tip != tops.end() && QToolTip::text() == "point at the picture in the main window" && view->rect().contains(view->mapFromGlobal((*tip)->pos())));
    view->close();
    QVERIFY(dropFile(&window, SOURCE_DIR "/examples/sample-map.png") && window.session().pictureSize().width() == 640);
}

// Ctrl+P, the button and the picture's menu place the picture from the
// level and measure; a long search shows its progress and stops on Esc; a
// picture of something else, or one changed while it looked, changes nothing.
void TestWindow::placeAutomatically()
{
    QTemporaryDir dir;
    Vellamor window;
    QVERIFY(showActive(window, QSize(1000, 700)));
    const MainForm &f = window.form();
    QVERIFY(dropFile(&window, SOURCE_DIR "/examples/sample-level.map") && !f.placeButton->isEnabled() && dropFile(&window, writePicture(dir, "plain.png", 640, 480)));
    QString told;
    connect(window.findChild<AutoPlacer *>(), &AutoPlacer::finished, &window, [&](const QString &summary) { told = summary; });
    QTest::mouseClick(f.placeButton, Qt::LeftButton);
    QTRY_VERIFY(!told.isEmpty());
    QVERIFY2(told.startsWith("no confident placement: ") && f.textEdit->toPlainText().isEmpty() && f.r2x->value() == 0, qPrintable(told));
    QVERIFY(dropFile(&window, SOURCE_DIR "/examples/sample-map.png"));
    for (const int way : {0, 1}) {
        told.clear();
        f.p2x->setValue(5);
        QApplication::setActiveWindow(&window);
        if (way == 0)
            QTest::keyClick(window.windowHandle(), Qt::Key_P, Qt::ControlModifier);
        else
            menuEntry(f.paintWidget, QPoint(20, 20), "Place automatically")->trigger();
        QTRY_VERIFY2(told.startsWith("Placed automatically: "), qPrintable(told));
        QCOMPARE(f.textEdit->toPlainText() + f.placeButton->toolTip(), "origin = -1024 768 ??\nend = 1536 -1152 ??\nPlace automatically (Ctrl+P)\n" + told);
        QVERIFY(f.p2x->value() > 320 && f.r2x->value() > f.r1x->value() && f.r2y->value() < f.r1y->value());
    }
    // A picture large enough to search for a while: Esc stops it.
    const QString large = dir.filePath("large.png");
    QVERIFY(levelPicture(window.session().footprints(), 5000, LevelPictureStyle::Floors)->image.save(large) && dropFile(&window, large));
    told.clear();
    const QList<int> before = points(f);
    QTest::mouseClick(f.placeButton, Qt::LeftButton);
    auto *progress = window.findChild<QProgressDialog *>();
    QTRY_VERIFY(progress && progress->isVisible() && progress->value() > 0 && progress->findChild<QProgressBar *>()->text() == QString::number(progress->value()) + '%' && progress->windowTitle() == "Place automatically");
    QTest::keyClick(progress, Qt::Key_Escape);
    QTRY_COMPARE_WITH_TIMEOUT(told, "Placing stopped: nothing changed.", 60000); // at the search's next step
    QVERIFY(points(f) == before && f.textEdit->toPlainText().isEmpty());
    // A level dropped while it looks: what it found is for the last one. A
    // second press while it looks starts nothing more.
    QTest::mouseClick(f.placeButton, Qt::LeftButton);
    QTest::mouseClick(f.placeButton, Qt::LeftButton);
    QVERIFY(dropFile(&window, SOURCE_DIR "/examples/sample-level.map"));
    QTRY_COMPARE_WITH_TIMEOUT(told, "The picture or the level changed while placing: nothing changed.", 60000);
    QTRY_VERIFY(!window.session().openLevel(dir.filePath("gone.map")).isEmpty() && !f.placeButton->isEnabled() && window.findChild<AutoPlacer *>()->children().isEmpty()); // no level to place in; each search's thread freed
}

// The level drawn into a picture that is then placed exactly, as the
// command line's --render places it; a file that cannot be written says so.
void TestWindow::pictureFromLevel()
{
    QTemporaryDir dir;
    Vellamor window;
    QVERIFY(showActive(window));
    const auto entry = [&] { return menuEntry(window.form().paintWidget, QPoint(5, 5), "Make picture from level"); };
    QVERIFY(entry() && !entry()->isEnabled() && dropFile(&window, SOURCE_DIR "/examples/sample-level.map"));
    entry()->trigger(); // Cancel closes the dialog; nothing is written or opened.
    window.findChild<QDialog *>()->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Cancel)->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!window.findChild<QDialog *>() && window.session().picturePath().isEmpty());
    entry()->trigger();
    auto *maker = window.findChild<QDialog *>();
    QVERIFY(maker && maker->isVisible() && maker->windowTitle() == "Make picture from level" && maker->findChild<QDialogButtonBox *>()->y() > maker->findChild<QComboBox *>()->y() && maker->findChild<QComboBox *>()->y() > maker->findChild<QSpinBox *>()->y());
    QCOMPARE(maker->findChild<QSpinBox *>()->value(), 2272);
    maker->findChild<QSpinBox *>()->setValue(800);
    maker->findChild<QComboBox *>()->setCurrentIndex(1);
    for (const QString &target : {dir.filePath("missing/radar.png"), dir.filePath("radar")}) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        maker->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
        auto *files = maker->findChild<QFileDialog *>();
        QVERIFY(files && files->isVisible() && files->acceptMode() == QFileDialog::AcceptSave && QFileInfo(files->selectedFiles().value(0)).fileName() == "sample-level.png");
        files->findChild<QLineEdit *>("fileNameEdit")->setText(target);
        QMetaObject::invokeMethod(files, "accept");
        if (auto *box = maker->findChild<QMessageBox *>()) {
            QVERIFY2(box->isVisible() && box->text().contains(QDir::toNativeSeparators(target)), qPrintable(box->text()));
            delete box;
        }
    }
    QVERIFY(!maker->isVisible());
    const MainForm &f = window.form();
    QCOMPARE(window.session().picturePath(), dir.filePath("radar.png"));
    QCOMPARE(points(f) + QList<int>({f.r1x->value(), f.r1y->value(), f.r2x->value(), f.r2y->value()}), QList<int>({16, 16, 763, 563, -864, 608, 1377, -1033}));
    QCOMPARE(f.textEdit->toPlainText(), QString("origin = -912 656 ??\nend = 1488 -1081 ??\n"));
    QCOMPARE(QGuiApplication::clipboard()->text(), f.textEdit->toPlainText());
    QCOMPARE(window.session().picture().pixel(0, 0), qRgb(0, 0, 0));
}

// The level window comes back from its menu entry, takes another level as
// it is loaded, pans with Space and the left button only while Space is
// held, and marks the world points where the boxes say.
void TestWindow::levelWindowWays()
{
    LevelView alone; // with nothing of the level to frame, the measured picture is framed once the window has its size
    QImage picture(2500, 2500, QImage::Format_RGB32); // drawn halved; another picture is not drawn from the last one's halves
    for (const QColor colour : {QColor(Qt::red), QColor(Qt::blue)}) {
        picture.fill(colour);
        alone.setPicture(picture, QPointF(100, 300), QPointF(300, 100));
        alone.show();
        QVERIFY(alone.toWidget(QPointF(200, 200)) == QPointF(alone.width(), alone.height()) / 2 && (grabbed(&alone).pixelColor(alone.rect().center()).red() > 100) == (colour == Qt::red));
    }
    QTemporaryDir dir;
    QFile small(dir.filePath("small.map"));
    QVERIFY(small.open(QIODevice::WriteOnly) && small.write("{\n\"classname\" \"worldspawn\"\n{\n"
            "( 4064 0 64 ) ( 4000 0 64 ) ( 4000 64 64 ) w 0 0 0 1 1\n( 4000 64 0 ) ( 4000 0 0 ) ( 4064 0 0 ) w 0 0 0 1 1\n"
            "( 4064.5 64 0 ) ( 4064.5 0 0 ) ( 4064.5 0 64 ) w 0 0 0 1 1\n( 4000 0 64 ) ( 4000 0 0 ) ( 4000 64 0 ) w 0 0 0 1 1\n"
            "( 4000 64 64 ) ( 4000 64 0 ) ( 4064 64 0 ) w 0 0 0 1 1\n( 4064 0 0 ) ( 4000 0 0 ) ( 4000 0 64 ) w 0 0 0 1 1\n}\n{\npatchDef2\n{\nwall\n( 3 3 0 0 0 )\n( ( ( 4010 32 0 0 0 ) ( 4030 32 0 0 0 ) ( 4050 32 0 0 0 ) ) ( ( 4010 32 32 0 0 ) ( 4030 32 32 0 0 ) ( 4050 32 32 0 0 ) ) ( ( 4010 32 64 0 0 ) ( 4030 32 64 0 0 ) ( 4050 32 64 0 0 ) ) )\n}\n}\n}\n") && small.flush());
    Vellamor window;
    QVERIFY(showActive(window, QSize(1000, 700), SOURCE_DIR "/examples/sample-map.png") && menuEntry(window.form().paintWidget, QPoint(5, 5), "Level window") && !menuEntry(window.form().paintWidget, QPoint(5, 5), "Level window")->isEnabled());
    setEntries(window.form(), {0, 0, 0, 0, 1376, 608, 1376, -1032}); // marked in the level window as it opens
    QVERIFY(dropFile(&window, SOURCE_DIR "/examples/sample-level.map"));
    auto *view = window.findChild<LevelView *>();
    QVERIFY(view && QTest::qWaitForWindowExposed(view));
    // Reading the level again leaves it where it stands; it comes forward
    // when it opens, or when asked for.
    EventCounter raised(view, QEvent::ZOrderChange);
    QApplication::setActiveWindow(&window);
    QTest::keyClick(window.windowHandle(), Qt::Key_F5);
    QCOMPARE(raised.count, 0);
    view->move(view->pos() + QPoint(40, 30)); // where the user put it, it stays
    const QPoint moved = view->pos();
    view->close();
    menuEntry(window.form().paintWidget, QPoint(5, 5), "Level window")->trigger();
    QVERIFY(view->isVisible() && raised.count == 1 && showsCurrent(view) && view->pos() == moved);
    const MainForm &f = window.form();
    for (const QPoint point : {QPoint(1376, 608), QPoint(1376, -1032)}) // each number beside its point
        QVERIFY(pixelsOf(grabbed(view), QRect(view->toWidget(point).toPoint() + QPoint(7, -20), QSize(10, 14)), QColor(255, 60, 60)) > 3);
    // The right-click menu sets either point where the pointer snaps; the
    // hover marker moves there from the other point.
    QTest::mouseMove(view->windowHandle(), view->toWidget(QPointF(1376, -1032)).toPoint());
    for (const auto &[entry, x, spot] : {std::tuple("Set 1st world point here (F3)", f.r1x, QPointF(-784, 608)), std::tuple("Set 2nd world point here (F4)", f.r2x, QPointF(1376, 608))}) {
        const QPoint corner = view->toWidget(spot).toPoint();
        if (x == f.r1x) // the second from the menu key, where the pointer never went
            QTest::mouseMove(view->windowHandle(), corner + QPoint(2, 1));
        QVERIFY(showsCurrent(view));
        QContextMenuEvent click(x == f.r1x ? QContextMenuEvent::Mouse : QContextMenuEvent::Keyboard, corner + QPoint(2, 1), view->mapToGlobal(corner + QPoint(2, 1)));
        QCoreApplication::sendEvent(view, &click);
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        QAction *action = menu ? menu->actions().value(x == f.r1x ? 0 : 1) : nullptr;
        QVERIFY(action && action->text() == entry);
        action->trigger();
        menu->close();
        QVERIFY(x == f.r1x ? x->value() == -784 : std::abs(x->value() - 1376) < 10);
    }
    const QPointF world = view->toWorld(QPointF(300, 200));
    QTest::keyPress(view, Qt::Key_Space);
    QTest::mousePress(view->windowHandle(), Qt::LeftButton, {}, QPoint(300, 200));
    QTest::mouseMove(view->windowHandle(), QPoint(320, 230));
    QTest::mouseRelease(view->windowHandle(), Qt::LeftButton, {}, QPoint(320, 230));
    QVERIFY((view->toWorld(QPointF(320, 230)) - world).manhattanLength() < 1e-9 && showsCurrent(view));
    QTest::keyRelease(view, Qt::Key_Space);
    QTest::mousePress(view->windowHandle(), Qt::LeftButton, {}, QPoint(320, 230));
    QTest::mouseMove(view->windowHandle(), QPoint(360, 260));
    QTest::mouseRelease(view->windowHandle(), Qt::LeftButton, {}, QPoint(360, 260));
    QVERIFY((view->toWorld(QPointF(320, 230)) - world).manhattanLength() < 1e-9);
    // Home shows the whole level again, at once.
    QTest::keyClick(view, Qt::Key_Home);
    QVERIFY((view->toWorld(QPointF(300, 200)) - world).manhattanLength() < 1e-9 && showsCurrent(view));
    // Another level, chosen with Ctrl+L, is shown where the window stands.
    QApplication::setActiveWindow(&window);
    QTest::keyClick(window.windowHandle(), Qt::Key_L, Qt::ControlModifier);
    auto *files = window.findChild<QFileDialog *>();
    QVERIFY(files && files->isVisible() && files->nameFilters().value(0) == "Levels (*.map *.vmf)");
    files->findChild<QLineEdit *>("fileNameEdit")->setText(small.fileName());
    QMetaObject::invokeMethod(files, "accept");
    QCOMPARE(raised.count, 1);
    QTest::keyClick(view, Qt::Key_Home);
    QCOMPARE(view->toWorld(QPointF(view->width(), view->height()) / 2), QPointF(4032.25, 32));
    // The new level's outlines are drawn, not the last one's, the upright wall's too; its corner off the grid is picked rounded, with a note.
    QVERIFY(view->grab().toImage().pixelColor(view->toWidget(QPointF(4000, 32)).toPoint()) == QColor(230, 230, 230) && view->grab().toImage().pixelColor(view->toWidget(QPointF(4020, 32)).toPoint()) == QColor(230, 230, 230));
    QTest::mouseMove(view->windowHandle(), view->toWidget(QPointF(4032, 32)).toPoint()); // no corner near: no snap marker
    QCOMPARE(pixelsOf(grabbed(view), QRect(view->toWidget(QPointF(4032, 32)).toPoint() - QPoint(5, 5), QSize(11, 11)), QColor(0, 220, 255)), 0);
    QTest::mouseMove(view->windowHandle(), view->toWidget(QPointF(4064.5, 0)).toPoint());
    QTest::keyClick(view, Qt::Key_F4);
    QTest::qWait(400); // a note hidden again would be gone by now
    QVERIFY(QToolTip::isVisible() && QToolTip::text() == "rounded from 4064.5" && f.r2x->value() == 4065);
}

// A decimal typed or picked is rounded with a note at the box; a position
// pasted fills its point; what is neither, or lies beyond the range, is
// refused with the reason and changes nothing.
void TestWindow::nothingAlteredSilently()
{
    Vellamor window;
    QVERIFY(showActive(window, QSize(1000, 700), SOURCE_DIR "/examples/sample-map.png"));
    const MainForm &f = window.form();
    typeInto(f.r1x, "-544.5");
    QVERIFY(f.r1x->value() == -545 && f.r1x->toolTip() == "rounded from -544.5" && QToolTip::isVisible() && QToolTip::text() == f.r1x->toolTip());
    QTest::keyClick(f.r1x, Qt::Key_Return);
    QCOMPARE(f.textEdit->toPlainText() + f.textEdit->toolTip().left(17), "invalid entries.\nEntries are valid");
    QCOMPARE(QString("%1 %2").arg(f.r1x->text(), f.r1x->toolTip()), "-545 rounded from -544.5");
    typeInto(f.r1x, "7");
    QCOMPARE(f.r1x->toolTip(), QString());
    for (const auto &[text, shown] : QList<std::pair<QString, QString>>{{"1024, -768, 64", "1024 -768 "}, {"96,000", "96 0 "},
                                                                        {"north of the river, by the old mill tower", "96 0 Not pasted: \u201cnorth of the river, by the old mill tow\u2026\u201d"},
                                                                        {"south of the river, by the old mill gate", "96 0 Not pasted: \u201csouth of the river, by the old mill gate\u201d"},
                                                                        {"300000.5", "96 0 300000.5 lies beyond the boxes' range, -131072 to 131072"}}) {
        QGuiApplication::clipboard()->setText(text);
        QTest::keyClick(f.r2y, Qt::Key_End); // pasted after what the box holds
        QTest::keyClick(f.r2y, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(QString("%1 %2 %3").arg(f.r2x->value()).arg(f.r2y->text(), f.r2y->toolTip()).left(shown.size()), shown);
    }
    QVERIFY(dropFile(&window, SOURCE_DIR "/examples/sample-level.map"));
    auto *view = window.findChild<LevelView *>();
    emit view->worldPointPicked(0, QPointF(1014.15, -17.8242));
    QCOMPARE(QString("%1 %2 %3").arg(f.r1x->value()).arg(f.r1y->value()).arg(f.r1y->toolTip()), "1014 -18 rounded from -17.8242");
    emit view->worldPointPicked(1, QPointF(-300000, 5));
    QCOMPARE(QString("%1 %2 %3").arg(f.r2x->value()).arg(f.r2y->value()).arg(f.r2x->toolTip()), "96 0 -300000 lies beyond the boxes' range, -131072 to 131072");
    emit view->worldPointPicked(1, QPointF(5, 131072.6));
    QCOMPARE(QString("%1 %2 %3").arg(f.r2x->value()).arg(f.r2y->value()).arg(f.r2y->toolTip()), "96 0 131072.6 lies beyond the boxes' range, -131072 to 131072");
}

// Ctrl+S saves the session; dropped on another window it restores the
// picture, the level, the boxes, the toggles and the result as shown; a
// damaged one says so and changes nothing.
void TestWindow::sessions()
{
    QTemporaryDir dir;
    Vellamor first;
    QVERIFY(showActive(first, QSize(1000, 700), SOURCE_DIR "/examples/sample-map.png"));
    first.session().openLevel(SOURCE_DIR "/examples/sample-level.map");
    QVERIFY(QTest::qWaitForWindowExposed(first.findChild<LevelView *>()));
    QApplication::setActiveWindow(&first);
    QVERIFY(QTest::qWaitForWindowActive(&first));
    setEntries(first.form(), {120, 90, 520, 390, -544, 408, 1056, -792});
    QTest::mouseClick(first.form().measureButton, Qt::LeftButton);
    for (const Qt::Key key : {Qt::Key_Z, Qt::Key_L}) // the loupe on, the level's outlines off
        QTest::keyClick(first.windowHandle(), key);
    QTest::keyClick(first.windowHandle(), Qt::Key_S, Qt::ControlModifier);
    const QPointer<QFileDialog> asked = first.findChild<QFileDialog *>();
    QVERIFY(asked && asked->isVisible() && asked->acceptMode() == QFileDialog::AcceptSave && QFileInfo(asked->selectedFiles().value(0)).fileName() == "sample-map.vellamor");
    asked->findChild<QLineEdit *>("fileNameEdit")->setText(dir.filePath("kept"));
    QMetaObject::invokeMethod(asked, "accept");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(QFileInfo::exists(dir.filePath("kept.vellamor")) && !asked);
    // A session that cannot be written says why, in a box that goes once answered.
    menuEntry(first.form().paintWidget, QPoint(5, 5), "Save session…")->trigger();
    first.findChild<QFileDialog *>()->findChild<QLineEdit *>("fileNameEdit")->setText(dir.filePath("missing/kept"));
    QMetaObject::invokeMethod(first.findChild<QFileDialog *>(), "accept");
    const QPointer<QMessageBox> refused = first.findChild<QMessageBox *>();
    QVERIFY(refused && refused->text().startsWith("Could not save"));
    refused->button(QMessageBox::Ok)->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!refused);
    QFile damaged(dir.filePath("damaged.vellamor"));
    QVERIFY(damaged.open(QIODevice::WriteOnly) && damaged.write("{\"format\": 7}") && damaged.flush());

    Vellamor second;
    QVERIFY(showActive(second));
    const MainForm &f = second.form();
    QVERIFY(dropFile(&second, damaged.fileName()));
    auto *box = second.findChild<QMessageBox *>();
    QVERIFY(box && box->text() == "damaged.vellamor: not a Vellamor session" && !second.session().hasPicture());
    delete box;
    QVERIFY(dropFile(&second, dir.filePath("kept.vellamor")) && !second.findChild<QMessageBox *>());
    QCOMPARE(second.windowTitle(), "sample-map.png + sample-level.map — Vellamor");
    QCOMPARE(points(f) << f.r1x->value() << f.r1y->value() << f.r2x->value() << f.r2y->value(), QList<int>({120, 90, 520, 390, -544, 408, 1056, -792}));
    QCOMPARE(f.textEdit->toPlainText(), first.form().textEdit->toPlainText());
    QTest::mouseMove(second.windowHandle(), f.paintWidget->mapTo(&second, QPoint(100, 60)));
    QVERIFY(f.magnifier->isVisible() && !menuEntry(f.paintWidget, QPoint(5, 5), "Level overlay")->isChecked());
    QApplication::activePopupWidget()->close();
    // The sessions and pictures opened last, each once, the one gone greyed out.
    QVERIFY(menuEntry(f.paintWidget, QPoint(5, 5), "Open recent")->isEnabled() && menuEntry(f.paintWidget, QPoint(5, 5), "Open recent")->menu()->actions().value(0)->text().endsWith("kept.vellamor") && QFile::rename(dir.filePath("kept.vellamor"), dir.filePath("moved.vellamor")));
    menuEntry(f.paintWidget, QPoint(5, 5), "Open recent")->menu()->actions().value(1)->trigger();
    QAction *recent = menuEntry(f.paintWidget, QPoint(5, 5), "Open recent");
    QStringList entries;
    for (QAction *entry : recent->menu()->actions())
        entries << QFileInfo(entry->text()).fileName() + (entry->isEnabled() ? "" : " (gone)");
    QCOMPARE(entries.mid(0, 2) << QString::number(entries.count("sample-map.png")), QStringList({"sample-map.png", "kept.vellamor (gone)", "1"}));
}

void TestWindow::copyEntries_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QList<int>>("entries"); // none: no Measure
    QTest::addColumn<QString>("shown");      // per entry: + or -, and the reason given
    const QList<int> valid{0, 0, 1, 1, 0, 50, 50, 0}, invalid{0, 0, 1, 1, 50, 50, 0, 0};
    const QString none = "-|-|-|-|-";
    QTest::newRow("file, before Measure") << "file" << QList<int>() << none;
    QTest::newRow("file, invalid entries") << "file" << invalid << none;
    QTest::newRow("file, a result") << "file" << valid << "+|+|+|+|+";
    QTest::newRow("pasted, before Measure") << "pasted" << QList<int>() << none;
    QTest::newRow("pasted, a result") << "pasted" << valid << "+|+|+|-a pasted picture has no file|+";
    QTest::newRow("pasted after a file, a result") << "pasted after a file" << valid << "+|+|+|-a pasted picture has no file|+";
}

// The "Copy for" entries act only on a result, and say why not when they
// cannot; the copies are named after the picture, all its dots kept.
void TestWindow::copyEntries()
{
    QFETCH(QString, source);
    QFETCH(QList<int>, entries);
    QFETCH(QString, shown);
    QTemporaryDir dir;
    Vellamor window;
    QVERIFY(showActive(window, QSize(800, 600)));
    const MainForm &f = window.form();
    if (source != "pasted")
        QVERIFY(dropFile(&window, writePicture(dir, "de.map.v2.png", 1, 1)));
    if (source != "file") {
        QGuiApplication::clipboard()->setImage(QImage(1, 1, QImage::Format_RGB32));
        QTest::keyClick(window.windowHandle(), Qt::Key_V, Qt::ControlModifier);
    }
    setEntries(f, entries);
    if (!entries.isEmpty())
        QTest::mouseClick(f.measureButton, Qt::LeftButton);
    QAction *section = menuEntry(f.textEdit, QPoint(5, 5), "Copy for");
    const QList<QAction *> actions = QApplication::activePopupWidget()->actions();
    QStringList states;
    for (QAction *action : actions.mid(actions.indexOf(section) + 1))
        states << (action->isEnabled() ? "+" : "-") + QRegularExpression(" \\((.*)\\)$").match(action->text().remove(" (command map, Radiant background)")).captured(1);
    QCOMPARE(states.join('|'), shown);
    if (source == "file" && shown.startsWith("+|+|+")) {
        for (const char *entry : {"Source overview", "GDAL command"}) {
            menuEntry(f.textEdit, QPoint(5, 5), entry)->trigger();
            QVERIFY2(QGuiApplication::clipboard()->text().contains(entry[0] == 'S' ? "\"de.map.v2\"" : "de.map.v2.tif"), entry);
        }
    }
    if (source == "pasted after a file") { // its world file is proposed beside the last picture opened
        menuEntry(f.textEdit, QPoint(5, 5), "Save world file")->trigger();
        QCOMPARE(window.findChild<QFileDialog *>()->selectedFiles().value(0), QDir(dir.path()).absoluteFilePath("map.wld"));
    }
}

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
