#include "core/base/FileDialogs.h"
#include "platform/PictureTransfer.h"
#include "support/FakePrompts.h"
#include "support/Fixtures.h"
#include "support/PlatformFakes.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <memory>

using namespace tavimo;
using Answer = Prompts::Answer;

namespace {

const QString kNul(QChar(u'\0'));
const QStringList kBothTimers{"stop", "start"};

// One save or paste with fakes for everything outside.
struct Rig {
    QTemporaryDir dir;
    AppPaths paths;
    LanguageTexts texts;
    test::FakePrompts prompts;
    test::FakeDesktopBridge bridge;
    QStringList timers;
    QList<FileDialogRequest> requests;
    QString answer; // the fake file dialog's answer
    std::function<void()> whileDialogOpen;
    std::unique_ptr<QMimeData> clipboard;
    bool autoRefresh = true;

    Rig() {
        paths.dataFolder = dir.path();
        texts.LngPasteTooBig = QStringLiteral("This animation is ??? bytes. Paste it?");
    }
    QString data(const QString &relative) const { return paths.data(relative); }

    PictureTransferContext context() {
        return {paths,
                texts,
                prompts,
                autoRefresh,
                [this] { timers.append(QStringLiteral("stop")); },
                [this] { timers.append(QStringLiteral("start")); },
                [this](const FileDialogRequest &request) {
                    requests.append(request);
                    if (whileDialogOpen)
                        whileDialogOpen();
                    return answer;
                },
                &bridge,
                [this](QMimeData *data) { clipboard.reset(data); },
                nullptr};
    }
};

} // namespace

class TestPictureTransfer : public QObject {
    Q_OBJECT

private slots:
    void filters() {
        QCOMPARE(MakeFilter("", "gif files (*.gif)"), "gif files (*.gif)" + kNul + "*.*" + kNul);
        QCOMPARE(MakeFilter("a" + kNul + "*.a" + kNul, "b", "*.b"),
                 "a" + kNul + "*.a" + kNul + "b" + kNul + "*.b" + kNul);
        QCOMPARE(CutAtNull("/a.jpg" + kNul + kNul), QStringLiteral("/a.jpg"));
        QCOMPARE(CutAtNull(kNul + "abc"), QString());
        QCOMPARE(qtNameFilters(MakeFilter("", "jpg files (*.jpg)", "*.jpg")),
                 QStringList{"jpg files (*.jpg)"});
        QCOMPARE(qtNameFilters(MakeFilter(MakeFilter("", "Pictures", "*.jpg;*.gif"), "All files")),
                 (QStringList{"Pictures (*.jpg *.gif)", "All files (*.*)"}));
    }

    void save_data() {
        QTest::addColumn<PictureRef>("picture");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("type");
        QTest::newRow("animated SSTV slot") << PictureRef::slot(3, false) << "images/sstv/3"
                                            << "gif";
        QTest::newRow("WX slot") << PictureRef::slot(0, true) << "images/wx/0"
                                 << "jpg";
        QTest::newRow("map capture") << PictureRef::mapCapture() << "images/Map.bmp"
                                     << "bmp";
    }
    void save() {
        QFETCH(PictureRef, picture);
        QFETCH(QString, file);
        QFETCH(QString, type);
        Rig rig;
        const QByteArray bytes = type == "gif"
                                     ? test::animatedGifBytes(QSize(8, 8), {Qt::red, Qt::blue})
                                     : test::jpegBytes(QSize(8, 8));
        QVERIFY(test::writeBytes(rig.data(file), bytes));
        QVERIFY(QDir().mkpath(rig.dir.filePath("pics")));
        rig.answer = rig.dir.filePath("pics/a.jpg");
        QString saveFolder = rig.dir.filePath("old") + "/";

        const TransferResult result = SavePictureAs(picture, saveFolder, rig.context());
        QCOMPARE(result.outcome, TransferOutcome::Done);
        QCOMPARE(result.PicturePath, rig.data(file));
        QCOMPARE(rig.requests.size(), 1);
        QCOMPARE(rig.requests[0].Filter,
                 MakeFilter("", type + " files (*." + type + ")", "*." + type));
        QCOMPARE(rig.requests[0].InitialDir, rig.dir.filePath("old") + "/");
        QCOMPARE(test::readBytes(rig.answer), bytes);
        QCOMPARE(saveFolder, rig.dir.filePath("pics") + "/");
        QCOMPARE(rig.timers, kBothTimers);
        QVERIFY(rig.prompts.calls.isEmpty());
    }

    // Every way out starts the timers again when refreshing is automatic, keeps any old file, and
    // reports a failed copy exactly once, naming the file.
    void saveThatDoesNotComplete_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("autoRefresh");
        QTest::addColumn<TransferOutcome>("outcome");
        QTest::newRow("dialog cancelled") << "cancel" << true << TransferOutcome::Cancelled;
        QTest::newRow("manual refresh, cancelled")
            << "cancel" << false << TransferOutcome::Cancelled;
        QTest::newRow("no picture file") << "no picture" << true << TransferOutcome::NoPicture;
        QTest::newRow("target is a folder") << "folder" << true << TransferOutcome::Failed;
        QTest::newRow("folder of the target is gone")
            << "no folder" << true << TransferOutcome::Failed;
        QTest::newRow("picture gone while the dialog was open")
            << "source gone" << true << TransferOutcome::Failed;
    }
    void saveThatDoesNotComplete() {
        QFETCH(QString, how);
        QFETCH(bool, autoRefresh);
        QFETCH(TransferOutcome, outcome);
        Rig rig;
        rig.autoRefresh = autoRefresh;
        const QString source = rig.data("images/sstv/2");
        if (how != "no picture")
            QVERIFY(test::writeBytes(source, test::jpegBytes(QSize(4, 4))));
        QVERIFY(test::writeBytes(rig.dir.filePath("out/old.jpg"), "old picture"));
        rig.answer = how == "cancel"      ? QString()
                     : how == "folder"    ? rig.dir.filePath("out")
                     : how == "no folder" ? rig.dir.filePath("missing/new.jpg")
                                          : rig.dir.filePath("out/old.jpg");
        if (how == "source gone")
            rig.whileDialogOpen = [source] { QFile::remove(source); };
        QString saveFolder = QStringLiteral("/kept/");

        const TransferResult result =
            SavePictureAs(PictureRef::slot(2, false), saveFolder, rig.context());
        QCOMPARE(result.outcome, outcome);
        QCOMPARE(rig.requests.size(), how == "no picture" ? 0 : 1);
        QCOMPARE(rig.prompts.calls.size(), outcome == TransferOutcome::Failed ? 1 : 0);
        if (outcome == TransferOutcome::Failed) {
            const QString named =
                QDir::toNativeSeparators(how == "source gone" ? source : rig.answer);
            QVERIFY2(rig.prompts.calls[0].text.contains(named),
                     qPrintable(rig.prompts.calls[0].text));
        }
        if (outcome != TransferOutcome::Failed) // a chosen folder is kept even when the copy fails
            QCOMPARE(saveFolder, QStringLiteral("/kept/"));
        QCOMPARE(test::readBytes(rig.dir.filePath("out/old.jpg")), QByteArray("old picture"));
        QCOMPARE(QDir(rig.dir.filePath("out")).entryList(QDir::Files), QStringList{"old.jpg"});
        QCOMPARE(rig.timers, autoRefresh ? kBothTimers : QStringList{"stop"});
    }

    // Without the window the picture stays on the clipboard for the user.
    void pasteStill_data() {
        QTest::addColumn<bool>("window");
        QTest::addColumn<QStringList>("log");
        QTest::newRow("into MMSSTV")
            << true
            << QStringList{"find MMSSTV", "front MMSSTV", "wait 200", "restore MMSSTV", "wait 500",
                           "wait 500",    "keys %{E}",    "wait 500", "keys {P}",       "wait 500"};
        QTest::newRow("no MMSSTV") << false << QStringList{"find MMSSTV", "wait 500"};
    }
    void pasteStill() {
        QFETCH(bool, window);
        Rig rig;
        if (window)
            rig.bridge.addWindow("MMSSTV");
        QVERIFY(test::writeBytes(rig.data("images/last15/5"), test::pngBytes(QSize(20, 10))));
        const TransferResult result = PasteIntoMMSSTV(PictureRef::galleryCell(5), rig.context());
        QCOMPARE(result.outcome, TransferOutcome::Done);
        QCOMPARE(result.windowFound, window);
        QVERIFY(rig.clipboard);
        QCOMPARE(qvariant_cast<QImage>(rig.clipboard->imageData()).size(), QSize(20, 10));
        QVERIFY(!rig.clipboard->hasText());
        QTEST(rig.bridge.log(), "log");
        QCOMPARE(rig.timers, kBothTimers);
    }

    void pasteAnimated_data() {
        QTest::addColumn<int>("size");
        QTest::addColumn<QList<Answer>>("answers");
        QTest::addColumn<int>("questions");
        QTest::addColumn<bool>("pasted");
        QTest::newRow("25,000 bytes: no question") << 25000 << QList<Answer>{} << 0 << true;
        QTest::newRow("25,001 bytes, yes") << 25001 << QList<Answer>{Answer::Yes} << 1 << true;
        QTest::newRow("25,001 bytes, no") << 25001 << QList<Answer>{Answer::No} << 1 << false;
    }
    void pasteAnimated() {
        QFETCH(int, size);
        QFETCH(QList<Answer>, answers);
        QFETCH(bool, pasted);
        Rig rig;
        rig.bridge.addWindow("MMSSTV");
        rig.prompts.answers = answers;
        const QByteArray gif = test::animatedGifOfSize(size);
        QCOMPARE(gif.size(), size);
        QVERIFY(test::writeBytes(rig.data("images/wx/1"), gif));
        QVERIFY(isAnimatedPicture(rig.data("images/wx/1")));

        const TransferResult result = PasteIntoMMSSTV(PictureRef::slot(1, true), rig.context());
        QTEST(int(rig.prompts.count(test::FakePrompts::Kind::YesNo)), "questions");
        if (size > 25000) {
            QCOMPARE(rig.prompts.calls.constFirst().text,
                     QStringLiteral("This animation is 25,001 bytes. Paste it?"));
        }
        QCOMPARE(rig.timers, kBothTimers);
        const QString pasteFile = rig.data("images/paste.gif");
        if (!pasted) {
            QCOMPARE(result.outcome, TransferOutcome::Cancelled);
            QVERIFY(!rig.clipboard);
            QVERIFY(!QFileInfo::exists(pasteFile));
            QCOMPARE(rig.bridge.log(), QStringList{});
            return;
        }
        QCOMPARE(result.outcome, TransferOutcome::Done);
        QCOMPARE(test::readBytes(pasteFile), gif);
        QVERIFY(rig.clipboard);
        QCOMPARE(qvariant_cast<QImage>(rig.clipboard->imageData()).size(), QSize(16, 16));
        QCOMPARE(rig.clipboard->text(), pasteFile);
        QCOMPARE(rig.clipboard->urls(), QList<QUrl>{QUrl::fromLocalFile(pasteFile)});
        QCOMPARE(rig.bridge.sentKeys(), (QStringList{"%{E}", "{P}"}));
    }

    void pasteNothingUsable_data() {
        QTest::addColumn<QByteArray>("bytes"); // empty: no file
        QTest::addColumn<TransferOutcome>("outcome");
        QTest::addColumn<int>("messages");
        QTest::newRow("unreadable picture")
            << QByteArray("no picture") << TransferOutcome::Failed << 1;
        QTest::newRow("missing picture") << QByteArray() << TransferOutcome::NoPicture << 0;
    }
    void pasteNothingUsable() {
        QFETCH(QByteArray, bytes);
        Rig rig;
        rig.bridge.addWindow("MMSSTV");
        rig.texts.LngCannotShow = QStringLiteral("This picture cannot be shown.");
        const QString file = rig.data("images/sstv/0");
        if (!bytes.isEmpty())
            QVERIFY(test::writeBytes(file, bytes));
        const TransferResult result = PasteIntoMMSSTV(PictureRef::slot(0, false), rig.context());
        QTEST(result.outcome, "outcome");
        QTEST(int(rig.prompts.calls.size()), "messages");
        if (!rig.prompts.calls.isEmpty())
            QVERIFY(rig.prompts.calls.constFirst().text.contains(file));
        QVERIFY(!rig.clipboard);
        QCOMPARE(rig.bridge.log(), QStringList{});
        QCOMPARE(rig.timers, kBothTimers);
    }
};

QTEST_MAIN(TestPictureTransfer)
#include "tst_picturetransfer.moc"
