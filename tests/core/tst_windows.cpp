#include "core/app/Monitors.h"
#include "ui/WindowRegistry.h"

#include <QApplication>
#include <QTest>
#include <QWidget>

using namespace tavimo;

class WindowsTest : public QObject {
    Q_OBJECT

private slots:
    void isFormLoaded_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("count");
        QTest::newRow("other case") << "galleryWINDOW" << 2;
        QTest::newRow("empty counts all") << "" << 3;
        QTest::newRow("prefix is no match") << "Gallery" << 0;
    }
    void isFormLoaded() {
        WindowRegistry registry;
        QWidget viewer, gallery1, gallery2;
        registry.add("PictureViewer", &viewer);
        registry.add("GalleryWindow", &gallery1);
        registry.add("GalleryWindow", &gallery2);
        registry.add("GalleryWindow", &gallery2); // registered twice, counted once
        QFETCH(QString, name);
        QTEST(registry.IsFormLoaded(name), "count");
    }

    void closedWindowIsUnloaded() {
        WindowRegistry registry;
        auto *viewer = new QWidget;
        viewer->setAttribute(Qt::WA_DeleteOnClose);
        registry.add("PictureViewer", viewer);
        viewer->show();
        QCOMPARE(registry.find("PICTUREVIEWER"), viewer);
        viewer->close();
        QTRY_COMPARE(registry.IsFormLoaded("PictureViewer"), 0);
        QCOMPARE(registry.find("PictureViewer"), nullptr);
        QVERIFY(registry.loadedWindows().isEmpty());
    }

    // One monitor unplugged: the count drops, the old second entry stays.
    void monitorReenumerationKeepsStaleEntries() {
        MonitorList list;
        QCOMPARE(list.Monitors.size(), 1);
        list.enumerate({QRect(0, 0, 1920, 1080), QRect(1920, -200, 1280, 1024)});
        QCOMPARE(list.MonitorCount, std::int16_t(2));
        QCOMPARE(list.Monitors.size(), 3);
        QCOMPARE(list.Monitors[2], (MonitorRect{2, 1920, -200, 3200, 824}));
        list.enumerate({QRect(0, 0, 2560, 1440)});
        QCOMPARE(list.MonitorCount, std::int16_t(1));
        QCOMPARE(list.Monitors.size(), 3);
        QCOMPARE(list.Monitors[1], (MonitorRect{1, 0, 0, 2560, 1440}));
        QCOMPARE(list.Monitors[2], (MonitorRect{2, 1920, -200, 3200, 824}));
    }
};

QTEST_MAIN(WindowsTest)
#include "tst_windows.moc"
