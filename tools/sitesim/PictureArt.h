#pragma once

#include "sitesim/SiteModel.h"

#include <QImage>

// The simulated pictures: SSTV test cards with the site's callsign, the sender
// and the time, and weather-satellite passes. Drawing text needs a
// QGuiApplication; any thread may draw.
namespace tavimo::sitesim {

inline constexpr QSize kSstvPictureSize(320, 256);
inline constexpr QSize kWxPictureSize(512, 384);
inline constexpr int kAnimationFrames = 4;
// A large site's pictures: as many pixels as a weather-satellite picture, and
// grain that no encoder can squeeze, so that each takes several megabytes.
inline constexpr QSize kLargePictureSize(2400, 1900);

// frame -1 draws the still picture; 0 .. kAnimationFrames - 1 the frames of an
// animated one (a sweep turning over the test card).
QImage drawSstvPicture(const SstvSiteInfo &site, qint64 number, const PictureCaption &caption,
                       int frame = -1);

// The site's test card at kLargePictureSize, with grain.
QImage drawLargePicture(const SstvSiteInfo &site, qint64 number, const PictureCaption &caption);

QImage drawWxPicture(const WxSiteInfo &site, qint64 number, const QDateTime &time);

} // namespace tavimo::sitesim
