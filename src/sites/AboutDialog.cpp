#include "sites/AboutDialog.h"

#include "core/app/AppState.h"
#include "core/app/MainWindowAccess.h"
#include "core/text/ProgramTexts.h"
#include "ui/FixedColours.h"
#include "ui/FramePlacement.h"
#include "ui/OpenOnce.h"

#include <QFrame>
#include <QLabel>
#include <QPixmap>

namespace tavimo {

namespace {

constexpr int kClientWidth = 500;
constexpr int kClientHeight = 466;
// The window's left edge stands this far left of the main window's right edge.
constexpr int kLeftOfMainRight = 600;
const QColor kBackground(242, 242, 214);
static_assert(int(ProgramText::AboutSlide10) - int(ProgramText::AboutSlide1) + 1 ==
                  AboutDialog::kSlides,
              "one held caption per slide");

// Credits name the people of this project only.
const QStringList kAuthorLines{QStringLiteral("By the Tavimo developers"),
                               QStringLiteral("For radio amateurs, since 2024"),
                               QStringLiteral("Contact: Tavimo's issue tracker")};
const QStringList kTranslatorLines{QStringLiteral("The Tavimo translators"),
                                   QStringLiteral("of all five languages, and"),
                                   QStringLiteral("everyone who reported a fault")};

void paintBackground(QWidget *widget) {
    QPalette palette = widget->palette();
    setFixedBackground(palette, QPalette::Window, kBackground);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

} // namespace

QStringList AboutDialog::captionsFor(int languageIndex) {
    QStringList captions;
    for (int i = 0; i < kSlides; ++i)
        captions.append(programText(ProgramText(int(ProgramText::AboutSlide1) + i), languageIndex));
    return captions;
}

QString AboutDialog::slidePath(int i) {
    return QStringLiteral(":/about/slide%1.jpg").arg(i + 1, 2, 10, QChar(u'0'));
}

AboutDialog::AboutDialog(AppState &state) {
    setObjectName(QStringLiteral("AboutDialog"));
    setWindowTitle(QStringLiteral("Tavimo"));
    paintBackground(this);
    setFixedSize(kClientWidth, kClientHeight);
    const int languageIndex = state.config.LanguageIndex;

    Shape1 = new QFrame(this);
    Shape1->setFrameShape(QFrame::Box);
    Shape1->setGeometry(8, 352, kClientWidth - 16, 81);
    Label1 = new QLabel(this);
    Label1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label1->setGeometry(0, 327, kClientWidth, 23);
    const int creditsWidth = int(kClientWidth * 0.47);
    Label3 = new QLabel(this);
    Label3->setGeometry(0, 357, creditsWidth, 125);
    Label3->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label2 = new QLabel(this);
    Label2->setGeometry(creditsWidth, 355, kClientWidth / 2, 125);
    Label2->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    for (QLabel *label : {Label1, Label2, Label3})
        paintBackground(label);

    SlideCaptions = captionsFor(languageIndex);
    Label2->setText(programText(ProgramText::AboutThanks, languageIndex) + u'\n' +
                    kTranslatorLines.join(u'\n'));
    Label3->setText(state.VersionTitle + u'\n' + kAuthorLines.join(u'\n'));

    for (int i = 0; i < kSlides; ++i) {
        auto *picture = new QLabel(this);
        const QPixmap pixmap(slidePath(i));
        picture->setPixmap(pixmap);
        picture->resize(pixmap.size());
        picture->move((kClientWidth - pixmap.width()) / 2, kPictureCentreY - pixmap.height() / 2);
        picture->hide();
        Image1.append(picture);
    }
    Label1->raise();
    showSlide(0);

    if (MainWindowAccess *main = state.mainWindow; main && main->window()) {
        // Its frame's left edge kLeftOfMainRight pixels left of the main window's right edge:
        // the beside rule, with the offset of the right edge that follows from its width. So
        // it lies on the screen also beside a main window dragged past the screen's edge.
        QWidget *beside = main->window();
        const int frameWidth = size().grownBy(expectedFrameMargins(*this, beside)).width();
        placeBesideWindow(*this, beside, kLeftOfMainRight - frameWidth);
    }
    slideTimer.setInterval(kSlideMs);
    connect(&slideTimer, &QTimer::timeout, this, &AboutDialog::slideTimer_Timer);
    slideTimer.start();
}

AboutDialog::~AboutDialog() = default;

void AboutDialog::slideTimer_Timer() {
    showSlide((SlideIndex + 1) % kSlides);
}

void AboutDialog::showSlide(int index) {
    SlideIndex = index;
    for (QLabel *picture : std::as_const(Image1))
        picture->hide();
    QLabel *picture = Image1[index];
    picture->show();
    Label1->move(0, picture->y() + picture->height() + 5);
    Label1->setText(SlideCaptions.value(index));
}

AboutDialog *showAboutDialog(AppState &state, WindowRegistry &registry) {
    return openOnce<AboutDialog>(registry, QStringLiteral("AboutDialog"),
                                 [&] { return new AboutDialog(state); });
}

} // namespace tavimo
