#include "core/FileDialogs.h"
#include "platform/DesktopBridge.h"
#include "platform/PictureTransfer.h"
#include "support/FakePrompts.h"
#include "support/Fixtures.h"
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

// An animated GIF of exactly `size` bytes: the padding is a comment block
// before the trailer, which every reader skips.
QByteArray animatedGifOfSize(qsizetype size) {
    QByteArray gif =
        test::animatedGifBytes(QSize(16, 16), {Qt::red, Qt::green, Qt::blue}).chopped(1);
    qsizetype room = size - gif.size() - 1 - 3; // trailer, comment start and end
    Q_ASSERT(room >= 2);
    gif += "\x21\xFE";
    while (room > 0) {
        qsizetype block = qMin<qsizetype>(255, room - 1);
        if (room - (block + 1) == 1) // a lone byte cannot form a block
            --block;
        gif += char(block);
        gif += QByteArray(block, 'x');
        room -= block + 1;
    }
    gif += '\0';
    gif += ';';
    return gif;
}

// One save or paste with fakes for everything outside.
struct Rig {
    QTemporaryDir dir;
    AppPaths paths;
    LanguageTexts texts;
    test::FakePrompts prompts;
    FakeDesktopBridge bridge;
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
    void makeFilter_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("pattern"); // "-" = left out
        QTest::addColumn<QString>("expected");
        QTest::newRow("default pattern") << ""
                                         << "gif files (*.gif)"
                                         << "-"
                                         << "gif files (*.gif)" + kNul + "*.*" + kNul;
        QTest::newRow("appended") << "a" + kNul + "*.a" + kNul << "b"
                                  << "*.b"
                                  << "a" + kNul + "*.a" + kNul + "b" + kNul + "*.b" + kNul;
    }
    void makeFilter() {
        QFETCH(QString, filter);
        QFETCH(QString, description);
        QFETCH(QString, pattern);
        QTEST(pattern == "-" ? MakeFilter(filter, description)
                             : MakeFilter(filter, description, pattern),
              "expected");
    }

    void cutAtNull_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("no NUL") << "/home/a.jpg"
                                << "/home/a.jpg";
        QTest::newRow("starts with NUL") << kNul + "abc"
                                         << "";
        QTest::newRow("NUL inside") << "/a.jpg" + kNul + kNul << "/a.jpg";
    }
    void cutAtNull() {
        QFETCH(QString, text);
        QTEST(CutAtNull(text), "expected");
    }

    void qtFilters_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("description names its pattern")
            << MakeFilter("", "jpg files (*.jpg)", "*.jpg") << QStringList{"jpg files (*.jpg)"};
        QTest::newRow("plain description")
            << MakeFilter("", "Text files", "*.txt") << QStringList{"Text files (*.txt)"};
        QTest::newRow("two patterns, two filters")
            << MakeFilter(MakeFilter("", "Pictures", "*.jpg;*.gif"), "All files")
            << QStringList{"Pictures (*.jpg *.gif)", "All files (*.*)"};
        QTest::newRow("no filter") << "" << QStringList{};
    }
    void qtFilters() {
        QFETCH(QString, filter);
        QTEST(qtNameFilters(filter), "expected");
    }

    void save_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("index");
        QTest::addColumn<bool>("wx");
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("animated");
        QTest::addColumn<QString>("filter");

        const int slot = int(PictureKind::Slot);
        QTest::newRow("still SSTV slot")
            << slot << 3 << false << "images/sstv/3" << false << "jpg files (*.jpg)";
        QTest::newRow("animated SSTV slot")
            << slot << 3 << false << "images/sstv/3" << true << "gif files (*.gif)";
        QTest::newRow("WX slot") << slot << 0 << true << "images/wx/0" << false
                                 << "jpg files (*.jpg)";
        QTest::newRow("gallery cell") << int(PictureKind::GalleryCell) << 12 << false
                                      << "images/last15/12" << false << "jpg files (*.jpg)";
        QTest::newRow("map capture") << int(PictureKind::MapCapture) << 100 << false
                                     << "images/Map.bmp" << false << "bmp files (*.bmp)";
    }
    void save() {
        QFETCH(int, kind);
        QFETCH(int, index);
        QFETCH(bool, wx);
        QFETCH(QString, file);
        QFETCH(bool, animated);
        QFETCH(QString, filter);
        Rig rig;
        const QByteArray bytes = animated ? test::animatedGifBytes(QSize(8, 8), {Qt::red, Qt::blue})
                                          : test::jpegBytes(QSize(8, 8));
        QVERIFY(test::writeBytes(rig.data(file), bytes));
        QVERIFY(QDir().mkpath(rig.dir.filePath("pics")));
        rig.answer = rig.dir.filePath("pics/a.jpg");
        QString saveFolder = rig.dir.filePath("old") + "/";

        const TransferResult result = SavePictureAs(
            PictureRef{static_cast<PictureKind>(kind), index, wx}, saveFolder, rig.context());
        QCOMPARE(result.outcome, TransferOutcome::Done);
        QCOMPARE(result.PicturePath, rig.data(file));
        QCOMPARE(rig.requests.size(), 1);
        const FileDialogRequest &asked = rig.requests.constFirst();
        QCOMPARE(asked.Filter,
                 MakeFilter("", filter, filter.mid(filter.indexOf('(') + 1).chopped(1)));
        QCOMPARE(asked.FileName, QStringLiteral("image1"));
        QCOMPARE(asked.InitialDir, rig.dir.filePath("old") + "/");
        QCOMPARE(asked.Flags, OFN_READONLY | OFN_OVERWRITEPROMPT);
        QVERIFY(!asked.OpenDialog);
        QVERIFY(asked.DefaultExt.isEmpty());
        QCOMPARE(test::readBytes(rig.answer), bytes);
        QCOMPARE(saveFolder, rig.dir.filePath("pics") + "/");
        QCOMPARE(rig.timers, (QStringList{"stop", "start"}));
        QVERIFY(rig.prompts.calls.isEmpty());
    }

    // Every way out starts the timers again when refreshing is automatic.
    void saveWaysOut_data() {
        QTest::addColumn<bool>("picture");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("autoRefresh");
        QTest::addColumn<TransferOutcome>("outcome");
        QTest::addColumn<int>("dialogs");
        QTest::addColumn<QStringList>("timers");
        const QStringList both{"stop", "start"};
        QTest::newRow("dialog cancelled")
            << true << "" << true << TransferOutcome::Cancelled << 1 << both;
        QTest::newRow("no picture file")
            << false << "x.jpg" << true << TransferOutcome::NoPicture << 0 << both;
        QTest::newRow("manual refresh, cancelled")
            << true << "" << false << TransferOutcome::Cancelled << 1 << QStringList{"stop"};
    }
    void saveWaysOut() {
        QFETCH(bool, picture);
        QFETCH(QString, answer);
        Rig rig;
        QFETCH(bool, autoRefresh);
        rig.autoRefresh = autoRefresh;
        if (picture)
            QVERIFY(test::writeBytes(rig.data("images/sstv/1"), test::jpegBytes(QSize(4, 4))));
        rig.answer = answer.isEmpty() ? QString() : rig.dir.filePath(answer);
        QString saveFolder = QStringLiteral("/kept/");
        const TransferResult result =
            SavePictureAs(PictureRef::slot(1, false), saveFolder, rig.context());
        QTEST(result.outcome, "outcome");
        QTEST(int(rig.requests.size()), "dialogs");
        QTEST(rig.timers, "timers");
        QCOMPARE(saveFolder, QStringLiteral("/kept/"));
        QVERIFY(rig.prompts.calls.isEmpty());
    }

    void failedCopy_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("target is a folder") << "folder";
        QTest::newRow("folder of the target is gone") << "no folder";
        QTest::newRow("picture gone while the dialog was open") << "source gone";
    }
    void failedCopy() {
        QFETCH(QString, how);
        Rig rig;
        const QString source = rig.data("images/sstv/2");
        QVERIFY(test::writeBytes(source, test::jpegBytes(QSize(4, 4))));
        QString target = rig.dir.filePath("out/old.jpg");
        QVERIFY(test::writeBytes(target, "old picture"));
        if (how == "folder") {
            target = rig.dir.filePath("out");
        } else if (how == "no folder") {
            target = rig.dir.filePath("missing/new.jpg");
        } else {
            rig.whileDialogOpen = [source] { QFile::remove(source); };
        }
        rig.answer = target;
        QString saveFolder;

        const TransferResult result =
            SavePictureAs(PictureRef::slot(2, false), saveFolder, rig.context());
        QCOMPARE(result.outcome, TransferOutcome::Failed);
        QCOMPARE(rig.prompts.calls.size(), 1);
        const QString named = how == "source gone" ? source : target;
        QVERIFY2(rig.prompts.calls.constFirst().text.contains(QDir::toNativeSeparators(named)),
                 qPrintable(rig.prompts.calls.constFirst().text));
        QCOMPARE(test::readBytes(rig.dir.filePath("out/old.jpg")), QByteArray("old picture"));
        QCOMPARE(QDir(rig.dir.filePath("out")).entryList(QDir::Files), QStringList{"old.jpg"});
        QCOMPARE(rig.timers, (QStringList{"stop", "start"}));
    }

    void pasteStill() {
        Rig rig;
        rig.bridge.addWindow("MMSSTV");
        QVERIFY(test::writeBytes(rig.data("images/sstv/5"), test::pngBytes(QSize(20, 10))));
        const TransferResult result = PasteIntoMMSSTV(PictureRef::slot(5, false), rig.context());
        QCOMPARE(result.outcome, TransferOutcome::Done);
        QVERIFY(result.windowFound);
        QVERIFY(rig.clipboard);
        QCOMPARE(qvariant_cast<QImage>(rig.clipboard->imageData()).size(), QSize(20, 10));
        QVERIFY(!rig.clipboard->hasText());
        QCOMPARE(rig.bridge.log(), (QStringList{"find MMSSTV", "front MMSSTV", "wait 200",
                                                "restore MMSSTV", "wait 500", "wait 500",
                                                "keys %{E}", "wait 500", "keys {P}", "wait 500"}));
        QCOMPARE(rig.timers, (QStringList{"stop", "start"}));
    }

    void pasteWithoutMmsstv() {
        Rig rig;
        QVERIFY(test::writeBytes(rig.data("images/last15/4"), test::jpegBytes(QSize(8, 8))));
        const TransferResult result = PasteIntoMMSSTV(PictureRef::galleryCell(4), rig.context());
        QCOMPARE(result.outcome, TransferOutcome::Done);
        QVERIFY(!result.windowFound);
        QVERIFY(rig.clipboard && rig.clipboard->hasImage()); // left for the user
        QCOMPARE(rig.bridge.sentKeys(), QStringList{});
        QCOMPARE(rig.bridge.log(), (QStringList{"find MMSSTV", "wait 500"}));
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
        const QByteArray gif = animatedGifOfSize(size);
        QCOMPARE(gif.size(), size);
        QVERIFY(test::writeBytes(rig.data("images/wx/1"), gif));
        QVERIFY(isAnimatedPicture(rig.data("images/wx/1")));

        const TransferResult result = PasteIntoMMSSTV(PictureRef::slot(1, true), rig.context());
        QTEST(int(rig.prompts.count(test::FakePrompts::Kind::YesNo)), "questions");
        if (size > 25000) {
            QCOMPARE(rig.prompts.calls.constFirst().text,
                     QStringLiteral("This animation is 25,001 bytes. Paste it?"));
        }
        QCOMPARE(rig.timers, (QStringList{"stop", "start"}));
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

    void pasteUnreadablePicture() {
        Rig rig;
        rig.bridge.addWindow("MMSSTV");
        rig.texts.LngCannotShow = QStringLiteral("This picture cannot be shown.");
        QVERIFY(test::writeBytes(rig.data("images/sstv/0"), "no picture at all"));
        const TransferResult result = PasteIntoMMSSTV(PictureRef::slot(0, false), rig.context());
        QCOMPARE(result.outcome, TransferOutcome::Failed);
        QCOMPARE(rig.prompts.calls.size(), 1);
        QVERIFY(rig.prompts.calls.constFirst().text.contains(rig.data("images/sstv/0")));
        QVERIFY(!rig.clipboard);
        QCOMPARE(rig.bridge.sentKeys(), QStringList{});
        QCOMPARE(rig.timers, (QStringList{"stop", "start"}));
    }

    void pasteMissingPicture() {
        Rig rig;
        rig.bridge.addWindow("MMSSTV");
        const TransferResult result = PasteIntoMMSSTV(PictureRef::slot(9, false), rig.context());
        QCOMPARE(result.outcome, TransferOutcome::NoPicture);
        QVERIFY(rig.prompts.calls.isEmpty());
        QCOMPARE(rig.bridge.log(), QStringList{});
        QCOMPARE(rig.timers, (QStringList{"stop", "start"}));
    }
};

QTEST_MAIN(TestPictureTransfer)
#include "tst_picturetransfer.moc"
