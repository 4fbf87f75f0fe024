#pragma once

#include <QImage>
#include <QList>

// The ten pictures of the About box, drawn from nothing but our own code: a test card, a
// received picture, the thumbnail window over simulated sites, the gallery, a locator chart,
// a compass rose, a weather-satellite pass, a signal spectrum, great-circle paths and a QSL
// card. Every picture is the size of an SSTV frame.
namespace tavimo::slidegen {

inline constexpr QSize kSlideSize(320, 256);

QImage testCard();
QImage receivedPicture();
QImage thumbnailWindow(); // needs a QApplication: the window is built of widgets
QImage gallery();
QImage locatorChart();
QImage compassRose();
QImage weatherPass();
QImage signalSpectrum();
QImage greatCircles();
QImage qslCard();

// All ten, in the order of the slideshow.
QList<QImage> allSlides();

} // namespace tavimo::slidegen
