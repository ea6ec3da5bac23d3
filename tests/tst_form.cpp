#include "mainform.h"
#include "paintwidget.h"
#include "testsupport.h"
#include "vellamor.h"

#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

class TestForm : public QObject
{
    Q_OBJECT

private slots:
    void windowAfterStart();
    void presetObjectNameKept();
    void texts_data();
    void texts();
    void spinBoxes_data();
    void spinBoxes();
    void gridPositions_data();
    void gridPositions();
    void sizePolicies_data();
    void sizePolicies();
    void creationOrderInSecondGroup();
    void tabOrder();
    void resizeKeepsColumnWidths();
    void formAloneWiresNothing();
};

void TestForm::windowAfterStart()
{
    Vellamor window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.objectName(), QString("VellamorClass"));
    QCOMPARE(window.windowTitle(), QString("Vellamor"));
    QCOMPARE(window.size(), QSize(684, 609));
    QVERIFY(window.acceptDrops());
    QVERIFY(!window.form.paintWidget->acceptDrops());
    QCOMPARE(window.centralWidget(), window.form.centralWidget);
    QVERIFY(window.form.centralWidget->hasMouseTracking());
    QVERIFY(window.form.textEdit->toPlainText().isEmpty());
    QVERIFY(!window.form.textEdit->isReadOnly());
    QCOMPARE(window.metaObject()->className(), "Vellamor");
    QCOMPARE(window.metaObject()->method(window.metaObject()->methodOffset()).methodSignature(),
             QByteArray("compute()"));
    QCOMPARE(window.metaObject()->method(window.metaObject()->methodOffset() + 1).methodSignature(),
             QByteArray("pChanged(int)"));
    // The view sits right of the left column and is never below 400 x 400.
    QVERIFY(window.form.paintWidget->x() > window.form.textEdit->geometry().right());
    QVERIFY(window.form.paintWidget->width() >= 400);
    QVERIFY(window.form.paintWidget->height() >= 400);
}

void TestForm::presetObjectNameKept()
{
    QMainWindow window;
    window.setObjectName("mapWindow");
    MainForm form;
    form.setupForm(&window);
    QCOMPARE(window.objectName(), QString("mapWindow"));
    QCOMPARE(window.windowTitle(), QString("Vellamor"));
}

void TestForm::texts_data()
{
    QTest::addColumn<QString>("object");
    QTest::addColumn<QString>("text");

    QTest::newRow("groupBox title") << "groupBox" << "Your Visualization";
    QTest::newRow("groupBox_2 title") << "groupBox_2" << "Quake (radiant)";
    QTest::newRow("cursorLabel") << "cursorLabel" << "Cursor";
    QTest::newRow("cursorXLabel") << "cursorXLabel" << "x = 0";
    QTest::newRow("cursorYLabel") << "cursorYLabel" << "y = 0";
    QTest::newRow("p1Label") << "p1Label" << "1st Point (F1)";
    QTest::newRow("p2Label") << "p2Label" << "2nd Point (F2)";
    QTest::newRow("imageLabel") << "imageLabel" << "Image";
    QTest::newRow("wLabel") << "wLabel" << "w = 0";
    QTest::newRow("hLabel") << "hLabel" << "h = 0";
    QTest::newRow("r1Label") << "r1Label" << "1st Point";
    QTest::newRow("r2Label") << "r2Label" << "2nd Point";
    QTest::newRow("measureButton") << "measureButton" << "Measure";
    QTest::newRow("p1x shown") << "p1x" << "x = 0";
    QTest::newRow("p1y shown") << "p1y" << "y = 0";
    QTest::newRow("p2x shown") << "p2x" << "x = 0";
    QTest::newRow("p2y shown") << "p2y" << "y = 0";
    QTest::newRow("r1x shown") << "r1x" << "0";
    QTest::newRow("r1y shown") << "r1y" << "0";
    QTest::newRow("r2x shown") << "r2x" << "0";
    QTest::newRow("r2y shown") << "r2y" << "0";
}

void TestForm::texts()
{
    QFETCH(QString, object);
    QFETCH(QString, text);
    Vellamor window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QObject *child = window.findChild<QObject *>(object);
    QVERIFY(child);
    if (auto *box = qobject_cast<QGroupBox *>(child))
        QCOMPARE(box->title(), text);
    else if (auto *label = qobject_cast<QLabel *>(child))
        QCOMPARE(label->text(), text);
    else if (auto *button = qobject_cast<QPushButton *>(child))
        QCOMPARE(button->text(), text);
    else if (auto *spin = qobject_cast<QSpinBox *>(child))
        QCOMPARE(spin->text(), text);
    else
        QFAIL("unexpected widget kind");
}

void TestForm::spinBoxes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("prefix");

    QTest::newRow("p1x") << "p1x" << "x = ";
    QTest::newRow("p1y") << "p1y" << "y = ";
    QTest::newRow("p2x") << "p2x" << "x = ";
    QTest::newRow("p2y") << "p2y" << "y = ";
    QTest::newRow("r1x") << "r1x" << "";
    QTest::newRow("r1y") << "r1y" << "";
    QTest::newRow("r2x") << "r2x" << "";
    QTest::newRow("r2y") << "r2y" << "";
}

void TestForm::spinBoxes()
{
    QFETCH(QString, name);
    QFETCH(QString, prefix);
    Vellamor window;
    auto *spin = window.findChild<QSpinBox *>(name);
    QVERIFY(spin);
    QCOMPARE(spin->prefix(), prefix);
    QCOMPARE(spin->value(), 0);
    QCOMPARE(spin->minimum(), -9999);
    QCOMPARE(spin->maximum(), 9999);
    QCOMPARE(spin->minimumSize(), QSize(0, 18));
    spin->setValue(10000);
    QCOMPARE(spin->value(), 9999);
    spin->stepBy(1);
    QCOMPARE(spin->value(), 9999);
    spin->setValue(-123456);
    QCOMPARE(spin->value(), -9999);

    // Typing past the range is refused by the box itself.
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    typeInto(spin, "12345");
    QVERIFY(qAbs(spin->value()) <= 9999);
}

void TestForm::gridPositions_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("grid");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("minimumHeight");

    QTest::newRow("cursorLabel") << "cursorLabel" << "gridLayout" << 0 << 0 << 0;
    QTest::newRow("cursorXLabel") << "cursorXLabel" << "gridLayout" << 1 << 0 << 0;
    QTest::newRow("cursorYLabel") << "cursorYLabel" << "gridLayout" << 1 << 1 << 0;
    QTest::newRow("p1Label") << "p1Label" << "gridLayout" << 2 << 0 << 18;
    QTest::newRow("p1x") << "p1x" << "gridLayout" << 3 << 0 << 18;
    QTest::newRow("p1y") << "p1y" << "gridLayout" << 3 << 1 << 18;
    QTest::newRow("p2Label") << "p2Label" << "gridLayout" << 4 << 0 << 18;
    QTest::newRow("p2x") << "p2x" << "gridLayout" << 5 << 0 << 18;
    QTest::newRow("p2y") << "p2y" << "gridLayout" << 5 << 1 << 18;
    QTest::newRow("imageLabel") << "imageLabel" << "gridLayout" << 6 << 0 << 18;
    QTest::newRow("wLabel") << "wLabel" << "gridLayout" << 7 << 0 << 18;
    QTest::newRow("hLabel") << "hLabel" << "gridLayout" << 7 << 1 << 18;
    QTest::newRow("r1Label") << "r1Label" << "gridLayout_2" << 0 << 0 << 18;
    QTest::newRow("r1x") << "r1x" << "gridLayout_2" << 1 << 0 << 18;
    QTest::newRow("r1y") << "r1y" << "gridLayout_2" << 1 << 1 << 18;
    QTest::newRow("r2Label") << "r2Label" << "gridLayout_2" << 2 << 0 << 0;
    QTest::newRow("r2x") << "r2x" << "gridLayout_2" << 3 << 0 << 18;
    QTest::newRow("r2y") << "r2y" << "gridLayout_2" << 3 << 1 << 18;
}

void TestForm::gridPositions()
{
    QFETCH(QString, name);
    QFETCH(QString, grid);
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(int, minimumHeight);
    Vellamor window;
    auto *widget = window.findChild<QWidget *>(name);
    auto *layout = window.findChild<QGridLayout *>(grid);
    QVERIFY(widget && layout);
    QCOMPARE(widget->parentWidget(), layout->parentWidget());
    const int index = layout->indexOf(widget);
    QVERIFY(index >= 0);
    int r = -1, c = -1, rowSpan = 0, columnSpan = 0;
    layout->getItemPosition(index, &r, &c, &rowSpan, &columnSpan);
    QCOMPARE(QList<int>({r, c, rowSpan, columnSpan}), QList<int>({row, column, 1, 1}));
    QCOMPARE(widget->minimumHeight(), minimumHeight);
    QCOMPARE(layout->spacing(), 6);
    QCOMPARE(layout->contentsMargins(), QMargins(11, 11, 11, 11));
}

void TestForm::sizePolicies_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("horizontal");
    QTest::addColumn<int>("vertical");
    QTest::addColumn<QSize>("minimumSize");

    QTest::newRow("groupBox") << "groupBox" << int(QSizePolicy::Fixed) << int(QSizePolicy::Fixed) << QSize(150, 0);
    QTest::newRow("groupBox_2") << "groupBox_2" << int(QSizePolicy::Fixed) << int(QSizePolicy::Fixed) << QSize(150, 0);
    QTest::newRow("textEdit") << "textEdit" << int(QSizePolicy::Fixed) << int(QSizePolicy::Expanding) << QSize(200, 0);
    QTest::newRow("paintWidget") << "paintWidget" << int(QSizePolicy::Expanding) << int(QSizePolicy::Expanding) << QSize(400, 400);
}

void TestForm::sizePolicies()
{
    QFETCH(QString, name);
    QFETCH(int, horizontal);
    QFETCH(int, vertical);
    QFETCH(QSize, minimumSize);
    Vellamor window;
    auto *widget = window.findChild<QWidget *>(name);
    QVERIFY(widget);
    QCOMPARE(int(widget->sizePolicy().horizontalPolicy()), horizontal);
    QCOMPARE(int(widget->sizePolicy().verticalPolicy()), vertical);
    QCOMPARE(widget->sizePolicy().horizontalStretch(), 0);
    QCOMPARE(widget->sizePolicy().verticalStretch(), 0);
    QCOMPARE(widget->minimumSize(), minimumSize);
    QCOMPARE(widget->parentWidget(), window.form.centralWidget);
}

void TestForm::creationOrderInSecondGroup()
{
    Vellamor window;
    QStringList names;
    for (QObject *child : window.form.groupBox_2->children()) {
        if (child->isWidgetType())
            names << child->objectName();
    }
    QCOMPARE(names, QStringList({"r2x", "r1Label", "r1y", "r1x", "r2Label", "r2y"}));
}

void TestForm::tabOrder()
{
    Vellamor window;
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
    const MainForm &f = window.form;
    const QList<QWidget *> order = {f.p1x, f.p1y, f.p2x, f.p2y, f.r1x, f.r1y, f.r2x, f.r2y, f.measureButton};
    f.p1x->setFocus();
    QTRY_COMPARE(QApplication::focusWidget() == f.p1x || QApplication::focusWidget()->parentWidget() == f.p1x, true);
    for (qsizetype i = 1; i < order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget *focus = QApplication::focusWidget();
        QVERIFY2(focus == order[i] || focus->parentWidget() == order[i],
                 qPrintable(QString("expected %1, got %2").arg(order[i]->objectName(), focus->objectName())));
    }
}

void TestForm::resizeKeepsColumnWidths()
{
    Vellamor window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const MainForm &f = window.form;
    const int textWidth = f.textEdit->width();
    const int boxWidth = f.groupBox->width();
    const int viewWidth = f.paintWidget->width();
    window.resize(1200, 900);
    QTRY_COMPARE(f.paintWidget->width(), viewWidth + 1200 - 684);
    QCOMPARE(f.textEdit->width(), textWidth);
    QCOMPARE(f.groupBox->width(), boxWidth);
    QVERIFY(f.textEdit->width() >= 200);
    QVERIFY(f.groupBox->width() >= 150);
    window.resize(300, 300);
    QTRY_VERIFY(f.paintWidget->width() >= 400 && f.paintWidget->height() >= 400);
}

void TestForm::formAloneWiresNothing()
{
    QMainWindow window;
    MainForm form;
    form.setupForm(&window);
    form.r1x->setValue(1);
    form.p1x->setValue(5);
    QTest::mouseClick(form.measureButton, Qt::LeftButton);
    QVERIFY(form.textEdit->toPlainText().isEmpty());
}

QTEST_MAIN(TestForm)
#include "tst_form.moc"
