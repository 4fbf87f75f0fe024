#include "sites/AboutDialog.h"

#include "core/app/AppState.h"
#include "core/app/MainWindowAccess.h"
#include "sites/DialogLook.h"
#include "ui/OpenOnce.h"

#include <QFrame>
#include <QLabel>
#include <QPixmap>

#include <array>

namespace tavimo {

namespace {

constexpr int kClientWidth = 500;
constexpr int kClientHeight = 466;
// The window's left edge stands this far left of the main window's right edge.
constexpr int kLeftOfMainRight = 600;
const QColor kBackground(242, 242, 214);

const LanguageTable kThanksHeading{u"Thanks to", u"Gracias a", u"Danke an",
                                   u"Remerciements \u00E0 ", u"Met dank aan"};

// Credits name the people of this project only.
const QStringList kAuthorLines{QStringLiteral("By the Tavimo developers"),
                               QStringLiteral("For radio amateurs, since 2024"),
                               QStringLiteral("Contact: Tavimo's issue tracker")};
const QStringList kTranslatorLines{QStringLiteral("The Tavimo translators"),
                                   QStringLiteral("of all five languages, and"),
                                   QStringLiteral("everyone who reported a fault")};

// One caption per slide, in the order English, Spanish, German, French, Dutch.
const std::array<LanguageTable, AboutDialog::kSlides> kCaptions{{
    {u"Our test card, as a station sends it before a contact",
     u"Nuestra carta de ajuste, como la env\u00EDa una estaci\u00F3n antes de un contacto",
     u"Unser Testbild, wie eine Station es vor einer Verbindung sendet",
     u"Notre mire, telle qu'une station l'envoie avant un contact",
     u"Ons testbeeld, zoals een station het voor een verbinding uitzendt"},
    {u"A picture as a reception site decodes it, noise and all",
     u"Una imagen tal como la decodifica un sitio receptor, con su ruido",
     u"Ein Bild, wie eine Empfangsstation es dekodiert, samt Rauschen",
     u"Une image telle qu'un site de r\u00E9ception la d\u00E9code, bruit compris",
     u"Een beeld zoals een ontvangstsite het decodeert, met ruis en al"},
    {u"Tavimo showing a page of simulated reception sites",
     u"Tavimo mostrando una p\u00E1gina de sitios receptores simulados",
     u"Tavimo zeigt eine Seite simulierter Empfangsstationen",
     u"Tavimo affichant une page de sites de r\u00E9ception simul\u00E9s",
     u"Tavimo toont een pagina met gesimuleerde ontvangstsites"},
    {u"The gallery: a site's latest pictures side by side",
     u"La galer\u00EDa: las \u00FAltimas im\u00E1genes de un sitio, una junto a otra",
     u"Die Galerie: die letzten Bilder einer Station nebeneinander",
     u"La galerie : les derni\u00E8res images d'un site c\u00F4te \u00E0 c\u00F4te",
     u"De galerij: de laatste beelden van een site naast elkaar"},
    {u"Grid locators: fields, squares and subsquares",
     u"Localizadores: campos, cuadrados y subcuadrados",
     u"Locator: Felder, Quadrate und Kleinfelder",
     u"Locators : champs, carr\u00E9s et sous-carr\u00E9s",
     u"Locators: velden, vierkanten en subvierkanten"},
    {u"Azimuth and distance from your own station",
     u"Azimut y distancia desde su propia estaci\u00F3n",
     u"Richtung und Entfernung von der eigenen Station", u"Azimut et distance depuis votre station",
     u"Richting en afstand vanaf uw eigen station"},
    {u"A weather-satellite pass as a WX site shows it",
     u"Un paso de sat\u00E9lite meteorol\u00F3gico tal como lo muestra un sitio WX",
     u"Ein Wettersatelliten-\u00DCberflug, wie eine WX-Station ihn zeigt",
     u"Un passage de satellite m\u00E9t\u00E9o tel qu'un site WX le montre",
     u"Een overkomst van een weersatelliet zoals een WX-site hem toont"},
    {u"An SSTV signal: sync at 1200 Hz, picture from 1500 to 2300 Hz",
     u"Una se\u00F1al SSTV: sincron\u00EDa a 1200 Hz, imagen de 1500 a 2300 Hz",
     u"Ein SSTV-Signal: Synchronisation bei 1200 Hz, Bild von 1500 bis 2300 Hz",
     u"Un signal SSTV : synchro \u00E0 1200 Hz, image de 1500 \u00E0 2300 Hz",
     u"Een SSTV-signaal: synchronisatie op 1200 Hz, beeld van 1500 tot 2300 Hz"},
    {u"Reception sites around the world, reached by great circles",
     u"Sitios receptores en todo el mundo, unidos por c\u00EDrculos m\u00E1ximos",
     u"Empfangsstationen rund um die Welt, auf Gro\u00DFkreisen erreicht",
     u"Des sites de r\u00E9ception autour du monde, reli\u00E9s par de grands cercles",
     u"Ontvangstsites over de hele wereld, bereikt via grootcirkels"},
    {u"73 from the Tavimo team", u"73 del equipo de Tavimo", u"73 vom Tavimo-Team",
     u"73 de l'\u00E9quipe Tavimo", u"73 van het Tavimo-team"},
}};

void paintBackground(QWidget *widget) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, kBackground);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

} // namespace

QStringList AboutDialog::captionsFor(int languageIndex) {
    QStringList captions;
    for (const LanguageTable &caption : kCaptions)
        captions.append(byLanguage(caption, languageIndex, QString::fromUtf16(caption[0])));
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
    Label2->setText(
        byLanguage(kThanksHeading, languageIndex, QString::fromUtf16(kThanksHeading[0])) + u'\n' +
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
        const QRect frame = main->window()->frameGeometry();
        move(frame.x() + frame.width() - kLeftOfMainRight, frame.y());
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
