#include "droppaths.h"
#include "testsupport.h"

#include <QTest>

class TestDropPaths : public QObject
{
    Q_OBJECT

private slots:
    void oneFile_data();
    void oneFile();
    void urlCounts_data();
    void urlCounts();
    void textWithoutUrls();
};

void TestDropPaths::oneFile_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("png") << "/maps/overview.png" << true;
    QTest::newRow("jpg") << "/maps/overview.jpg" << true;
    QTest::newRow("upper-case PNG") << "/maps/overview.PNG" << false;
    QTest::newRow("mixed-case Jpg") << "/maps/overview.Jpg" << false;
    QTest::newRow("jpeg") << "/maps/overview.jpeg" << false;
    QTest::newRow("gif") << "/maps/overview.gif" << false;
    QTest::newRow("two dots") << "/maps/map.old.png" << true;
    QTest::newRow("dot only in a directory") << "/maps.old/overview" << false;
    QTest::newRow("dot in directory and png file") << "/maps.old/overview.png" << true;
    QTest::newRow("trailing dot") << "/maps/overview.png." << false;
    QTest::newRow("no dot at all") << "/maps/overview" << false;
    QTest::newRow("bare png name") << "/maps/png" << false;
    QTest::newRow("hidden file named .png") << "/maps/.png" << true;
    QTest::newRow("png directory part") << "/maps/x.png/overview" << false;
    QTest::newRow("spaces and unicode") << "/Karten/Übersicht Ost.jpg" << true;
}

void TestDropPaths::oneFile()
{
    QFETCH(QString, path);
    QFETCH(bool, accepted);
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(path)});
    const QStringList paths = dropPaths(&mime);
    QCOMPARE(paths, QStringList{path});
    QCOMPARE(isPictureDrop(paths), accepted);
}

void TestDropPaths::urlCounts_data()
{
    QTest::addColumn<QList<QUrl>>("urls");
    QTest::addColumn<int>("collected");
    QTest::addColumn<bool>("accepted");

    QList<QUrl> forty;
    for (int i = 0; i < 40; ++i)
        forty << QUrl::fromLocalFile(QString("/maps/%1.png").arg(i));
    QTest::newRow("no url") << QList<QUrl>() << 0 << false;
    QTest::newRow("two png files")
            << QList<QUrl>{QUrl::fromLocalFile("/a.png"), QUrl::fromLocalFile("/b.png")} << 2 << false;
    QTest::newRow("forty png files") << forty << 32 << false;
    QTest::newRow("thirty-two png files") << forty.mid(0, 32) << 32 << false;
    QTest::newRow("web address") << QList<QUrl>{QUrl("https://example.com/map.png")} << 1 << false;
    QTest::newRow("web address and file")
            << QList<QUrl>{QUrl("https://example.com/map.png"), QUrl::fromLocalFile("/b.png")} << 2 << false;
}

void TestDropPaths::urlCounts()
{
    QFETCH(QList<QUrl>, urls);
    QFETCH(int, collected);
    QFETCH(bool, accepted);
    QMimeData mime;
    mime.setUrls(urls);
    const QStringList paths = dropPaths(&mime);
    QCOMPARE(paths.size(), collected);
    QCOMPARE(isPictureDrop(paths), accepted);
}

void TestDropPaths::textWithoutUrls()
{
    QMimeData mime;
    mime.setText("/maps/overview.png");
    QVERIFY(dropPaths(&mime).isEmpty());
    QVERIFY(dropPaths(nullptr).isEmpty());
}

QTEST_APPLESS_MAIN(TestDropPaths)
#include "tst_droppaths.moc"
