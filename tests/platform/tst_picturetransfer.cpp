#include "core/base/FileDialogs.h"
#include "platform/Keystrokes.h"
#include "platform/PictureTransfer.h"
#include "support/FakePrompts.h"
#include "support/Fixtures.h"
#include "support/PlatformFakes.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <memory>

using namespace tavimo;
using Answer = Prompts::Answer;

namespace {

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

// Saving a picture and pasting it into another program: the file dialog's filters, the
// keystrokes and the desktop they go to.
class TestPictureTransfer : public QObject {
    Q_OBJECT

private slots:
    // how: "done" copies to out/a.<type>; "cancel", "no picture", "folder" (the target is a
    // folder), "no folder" (its folder is gone) and "source gone" (while the dialog was open) do
    // not complete. Every way out starts the timers again when refreshing is automatic, keeps
    // any old file, and reports a failed copy exactly once, naming the file.
    void save_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("type"); // of the picture: gif for an animation
        QTest::addColumn<bool>("autoRefresh");
        QTest::addColumn<PictureRef>("picture");
        QTest::addColumn<QString>("file");
        const auto row = [](const char *name, const char *how, const char *type = "jpg",
                            bool autoRefresh = true,
                            PictureRef picture = PictureRef::slot(3, false),
                            const char *file = "images/sstv/3") {
            QTest::newRow(name) << QString(how) << QString(type) << autoRefresh << picture
                                << QString(file);
        };
        row("animated SSTV slot", "done", "gif");
        row("WX slot", "done", "jpg", true, PictureRef::slot(0, true), "images/wx/0");
        row("map capture", "done", "bmp", true, PictureRef::mapCapture(), "images/Map.bmp");
        row("dialog cancelled", "cancel");
        row("manual refresh, cancelled", "cancel", "jpg", false);
        row("no picture file", "no picture");
        row("target is a folder", "folder");
        row("folder of the target is gone", "no folder");
        row("picture gone while the dialog was open", "source gone");
    }
    void save() {
        QFETCH(QString, how);
        QFETCH(QString, type);
        QFETCH(bool, autoRefresh);
        QFETCH(PictureRef, picture);
        QFETCH(QString, file);
        using O = TransferOutcome;
        const O outcome = how == "done"         ? O::Done
                          : how == "cancel"     ? O::Cancelled
                          : how == "no picture" ? O::NoPicture
                                                : O::Failed;
        Rig rig;
        rig.autoRefresh = autoRefresh;
        const QString source = rig.data(file);
        const QByteArray bytes = type == "gif"
                                     ? test::animatedGifBytes(QSize(8, 8), {Qt::red, Qt::blue})
                                     : test::jpegBytes(QSize(8, 8));
        if (how != "no picture")
            QVERIFY(test::writeBytes(source, bytes));
        QVERIFY(test::writeBytes(rig.dir.filePath("out/old.jpg"), "old picture"));
        rig.answer = how == "cancel"      ? QString()
                     : how == "done"      ? rig.dir.filePath("out/a." + type)
                     : how == "folder"    ? rig.dir.filePath("out")
                     : how == "no folder" ? rig.dir.filePath("missing/new.jpg")
                                          : rig.dir.filePath("out/old.jpg");
        if (how == "source gone")
            rig.whileDialogOpen = [source] { QFile::remove(source); };
        QString saveFolder = QStringLiteral("/kept/");

        const TransferResult result = SavePictureAs(picture, saveFolder, rig.context());
        QCOMPARE(result.outcome, outcome);
        QCOMPARE(result.PicturePath, source);
        QCOMPARE(rig.requests.size(), how == "no picture" ? 0 : 1);
        if (how != "no picture") {
            QCOMPARE(rig.requests[0].NameFilters, QStringList{type + " files (*." + type + ")"});
            QCOMPARE(rig.requests[0].InitialDir, QStringLiteral("/kept/"));
            QCOMPARE(rig.requests[0].DefaultExt, type);
        }
        QCOMPARE(rig.prompts.calls.size(), outcome == O::Failed ? 1 : 0);
        if (outcome == O::Failed) {
            const QString named =
                QDir::toNativeSeparators(how == "source gone" ? source : rig.answer);
            QVERIFY2(rig.prompts.calls[0].text.contains(named),
                     qPrintable(rig.prompts.calls[0].text));
        }
        // The folder chosen is kept for the next save, even when the copy fails.
        QCOMPARE(saveFolder, rig.requests.isEmpty() || rig.answer.isEmpty()
                                 ? "/kept/"
                                 : rig.answer.left(rig.answer.lastIndexOf(u'/') + 1));
        QCOMPARE(test::readBytes(rig.dir.filePath("out/old.jpg")), QByteArray("old picture"));
        if (how == "done")
            QCOMPARE(test::readBytes(rig.answer), bytes);
        QCOMPARE(QDir(rig.dir.filePath("out")).entryList(QDir::Files).size(),
                 how == "done" ? 2 : 1);
        QCOMPARE(rig.timers, autoRefresh ? kBothTimers : QStringList{"stop"});
    }

    // The first save dialog makes the pictures folder that a start left unmade; no other
    // folder is made. save and pictures are below the test's folder; "file/Pictures" cannot be
    // made (file is a file). offered: below the test's folder, or "home".
    void saveDialogFolder_data() {
        QTest::addColumn<QString>("save");
        QTest::addColumn<QString>("offered");
        QTest::addColumn<bool>("made");
        QTest::newRow("pictures folder missing") << "/Pictures/"
                                                 << "/Pictures/" << true;
        QTest::newRow("another folder missing") << "/gone/"
                                                << "/gone/" << false;
        QTest::newRow("pictures folder cannot be made") << "/file/Pictures/"
                                                        << "home" << false;
    }
    void saveDialogFolder() {
        QFETCH(QString, save);
        QFETCH(QString, offered);
        QTemporaryDir dir;
        QVERIFY(test::writeBytes(dir.filePath("file"), "not a folder"));
        const QString pictures = dir.path() + (save == "/gone/" ? "/Pictures" : save.chopped(1));
        QCOMPARE(tavimo::saveDialogFolder(dir.path() + save, pictures),
                 offered == "home" ? QDir::homePath() + u'/' : dir.path() + offered);
        QTEST(QFileInfo(dir.path() + save).isDir(), "made");
        QCOMPARE(QFileInfo::exists(dir.filePath("Pictures")), save == "/Pictures/");
    }

    // file: the picture's bytes (empty: none; "<fifo>": a named pipe); messages: "<file>" where the
    // picture's file is named; clip: the size of the picture the clipboard got (none: it got
    // nothing); log: every step on the desktop. Without MMSSTV's window the picture stays on the
    // clipboard for the user; a declined or unusable picture touches nothing.
    void paste_data() {
        QTest::addColumn<PictureRef>("picture");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("window");
        QTest::addColumn<QList<Answer>>("answers");
        QTest::addColumn<TransferOutcome>("outcome");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QSize>("clip");
        QTest::addColumn<QStringList>("log");
        const QByteArray still = test::pngBytes(QSize(20, 10));
        const QByteArray gif = test::animatedGifOfSize(25000),
                         bigGif = test::animatedGifOfSize(25001);
        QCOMPARE(gif.size(), 25000); // the limit itself asks nothing
        const QStringList pasted{"find MMSSTV", "front MMSSTV", "wait 200",  "restore MMSSTV",
                                 "wait 500",    "wait 500",     "keys %{E}", "wait 500",
                                 "keys {P}",    "wait 500"};
        const QString question = QStringLiteral("This animation is 25,001 bytes. Paste it?");
        const auto row = [](const char *name, PictureRef picture, const QByteArray &file,
                            bool window, QList<Answer> answers, TransferOutcome outcome,
                            QStringList messages, QSize clip, QStringList log) {
            QTest::newRow(name) << picture << file << window << answers << outcome << messages
                                << clip << log;
        };
        using O = TransferOutcome;
        const PictureRef cell = PictureRef::galleryCell(5), wx = PictureRef::slot(1, true);
        row("still into MMSSTV", cell, still, true, {}, O::Done, {}, {20, 10}, pasted);
        row("still, no MMSSTV", cell, still, false, {}, O::Done, {}, {20, 10},
            {"find MMSSTV", "wait 500"});
        row("25,000 bytes: no question", wx, gif, true, {}, O::Done, {}, {16, 16}, pasted);
        row("25,001 bytes, yes", wx, bigGif, true, {Answer::Yes}, O::Done, {question}, {16, 16},
            pasted);
        row("25,001 bytes, no", wx, bigGif, true, {Answer::No}, O::Cancelled, {question}, {}, {});
        row("unreadable picture", wx, "no picture", true, {}, O::Failed,
            {"This picture cannot be shown.\n<file>"}, {}, {});
        row("missing picture", wx, {}, true, {}, O::NoPicture, {}, {}, {});
        row("picture file is a named pipe", wx, "<fifo>", true, {}, O::Failed,
            {"Could not read <file>:\nIt is a named pipe (FIFO), not a file: remove the file."}, {},
            {});
    }
    void paste() {
        QFETCH(PictureRef, picture);
        QFETCH(QByteArray, file);
        QFETCH(bool, window);
        QFETCH(QSize, clip);
        Rig rig;
        if (window)
            rig.bridge.addWindow("MMSSTV");
        QFETCH(QList<Answer>, answers);
        rig.prompts.answers = answers;
        rig.texts.LngCannotShow = QStringLiteral("This picture cannot be shown.");
        const QString path =
            rig.data(picture.kind == PictureKind::GalleryCell ? "images/last15/5" : "images/wx/1");
        if (file == "<fifo>")
            QVERIFY(QDir().mkpath(QFileInfo(path).path()) && test::makeFifo(path));
        else if (!file.isEmpty())
            QVERIFY(test::writeBytes(path, file));

        const TransferResult result = PasteIntoMMSSTV(picture, rig.context());
        QTEST(result.outcome, "outcome");
        QCOMPARE(result.windowFound, window && result.outcome == TransferOutcome::Done);
        QStringList messages;
        for (const test::FakePrompts::Call &call : rig.prompts.calls)
            messages << QString(call.text).replace(path, "<file>");
        QTEST(messages, "messages");
        QTEST(rig.bridge.log(), "log");
        QCOMPARE(rig.timers, kBothTimers);
        QCOMPARE(rig.clipboard ? qvariant_cast<QImage>(rig.clipboard->imageData()).size() : QSize(),
                 clip.isEmpty() ? QSize() : clip);
        // An animation goes as a file beside the pictures, named on the clipboard too.
        const QString pasteFile = rig.data("images/paste.gif");
        const bool animation = result.outcome == TransferOutcome::Done && clip == QSize(16, 16);
        QCOMPARE(test::readBytes(pasteFile), animation ? file : "<unreadable>");
        if (rig.clipboard) {
            QCOMPARE(rig.clipboard->text(), animation ? pasteFile : QString());
            QCOMPARE(rig.clipboard->urls(),
                     animation ? QList<QUrl>{QUrl::fromLocalFile(pasteFile)} : QList<QUrl>{});
        }
    }

    // The size question groups thousands as the user's locale does.
    void pasteQuestionGroupsAsTheLocale_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("size");
        for (const auto &[locale, size] :
             {std::pair{"en_US", u"25,001"}, {"de_DE", u"25.001"}, {"fr_FR", u"25\u202F001"}})
            QTest::newRow(locale) << QString(locale) << QString::fromUtf16(size);
    }
    void pasteQuestionGroupsAsTheLocale() {
        QFETCH(QString, locale);
        QFETCH(QString, size);
        LanguageTexts texts;
        texts.LngPasteTooBig = QStringLiteral("??? bytes");
        QCOMPARE(pasteTooBigQuestion(texts, 25001, QLocale(locale)), size + " bytes");
        QCOMPARE(pasteTooBigQuestion(texts, 1234567, QLocale(locale)).count(size.at(2)), 2);
    }

    void notation_data() {
        QTest::addColumn<QString>("notation");
        QTest::addColumn<QStringList>("strokes"); // {"invalid"} when refused
        QTest::newRow("braced lower case is the key") << "{p}" << QStringList{"P"};
        QTest::newRow("function key") << "{f12}" << QStringList{"F12"};
        QTest::newRow("ctrl+v typed") << "^v" << QStringList{"Ctrl+'v'"};
        QTest::newRow("upper case text stays text") << "A1" << QStringList{"'A'", "'1'"};
        QTest::newRow("tilde is enter") << "~" << QStringList{"ENTER"};
        QTest::newRow("modifiers combine") << "^%{DEL}" << QStringList{"Ctrl+Alt+DELETE"};
        QTest::newRow("modifier holds one key only") << "%{E}p" << QStringList{"Alt+E", "'p'"};
        QTest::newRow("escaped plus") << "{+}" << QStringList{"'+'"};
        QTest::newRow("escaped close brace") << "{}}" << QStringList{"'}'"};
        QTest::newRow("non-ascii text")
            << QString::fromUtf16(u"\u00D8") << QStringList{QString::fromUtf16(u"'\u00D8'")};
        QTest::newRow("empty sends nothing") << "" << QStringList{};
        QTest::newRow("unknown key name") << "{ENTR}" << QStringList{"invalid"};
        QTest::newRow("F25 does not exist") << "{F25}" << QStringList{"invalid"};
        QTest::newRow("open brace") << "{F7" << QStringList{"invalid"};
        QTest::newRow("stray close brace") << "a}" << QStringList{"invalid"};
        QTest::newRow("modifier without key") << "a%" << QStringList{"invalid"};
        QTest::newRow("groups are not supported") << "+(ab)" << QStringList{"invalid"};
        QTest::newRow("control character") << "a\tb" << QStringList{"invalid"};
    }
    void notation() {
        QFETCH(QString, notation);
        const auto strokes = parseKeystrokes(notation);
        QStringList described{"invalid"};
        if (strokes) {
            described.clear();
            for (const KeyStroke &stroke : *strokes)
                described.append(describeKeystroke(stroke));
        }
        QTEST(described, "strokes");
    }

    void withoutADisplayNothingIsFoundOrTyped() {
        // A display that cannot exist: the socket folder has no such entry.
        const std::unique_ptr<DesktopBridge> bridge = createDesktopBridge(":65000");
        QVERIFY(dynamic_cast<NullDesktopBridge *>(bridge.get()));
        int waits = 0;
        bridge->setWaitFunction([&](int) { ++waits; });
        QVERIFY(!bridge->activateWindowByTitle("MMSSTV"));
        QVERIFY(!bridge->sendKeys("{F7}"));
        QCOMPARE(waits, 0);
    }

    // The wait holds the thread: a timer that falls due meanwhile fires only afterwards.
    void busyWaitRunsNoEvents() {
        bool fired = false;
        QTimer::singleShot(0, this, [&] { fired = true; });
        QElapsedTimer clock;
        clock.start();
        busyWait(60);
        QVERIFY(clock.elapsed() >= 60);
        QVERIFY(!fired);
        QTRY_VERIFY(fired);
    }
};

QTEST_MAIN(TestPictureTransfer)
#include "tst_picturetransfer.moc"
