// tavimo-slidegen: draws the About box's slides into a folder as slide01.jpg to slide10.jpg.
//
//     QT_QPA_PLATFORM=offscreen build/tools/slidegen/tavimo-slidegen src/sites/about

#include "slidegen/Slides.h"

#include <QApplication>
#include <QDir>
#include <QImageWriter>

#include <cstdio>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: tavimo-slidegen FOLDER\n");
        return 2;
    }
    const QDir folder(args[1]);
    if (!QDir().mkpath(folder.path())) {
        std::fprintf(stderr, "tavimo-slidegen: cannot make %s\n", qPrintable(folder.path()));
        return 1;
    }
    const QList<QImage> slides = tavimo::slidegen::allSlides();
    for (qsizetype i = 0; i < slides.size(); ++i) {
        const QString path =
            folder.filePath(QStringLiteral("slide%1.jpg").arg(i + 1, 2, 10, QChar(u'0')));
        QImageWriter writer(path, "jpg");
        writer.setQuality(88);
        writer.setOptimizedWrite(true);
        if (!writer.write(slides[i])) {
            std::fprintf(stderr, "tavimo-slidegen: %s: %s\n", qPrintable(path),
                         qPrintable(writer.errorString()));
            return 1;
        }
        std::printf("%s\n", qPrintable(path));
    }
    return 0;
}
