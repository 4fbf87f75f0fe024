#pragma once

// The last-heard list a site publishes beside its latest picture, and the
// small window that shows it over the site's slot:
//
//     const QString address = lastHeardAddress(state.SiteList, config.ThumbSetting,
//                                               page.CurrentPage, slot, page.isWxPage());
//     // empty: no request, the window shows kListNotFound
//     label->setText(lastHeardSizingText(texts.LngLastHeard)); // then size the window
//     window.move(placeOverSlot(slotFrame, window.size(), screen->availableGeometry()));
//     // on the answer:
//     label->setText(lastHeardText(reply, texts.LngLastHeard));

#include "core/sites/SiteRecord.h"

#include <QByteArray>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

namespace tavimo {

// One line of the text the window is sized for, before the list arrives.
inline const QString kLastHeardSample = QStringLiteral("  Last heard at N0CALL  ");
inline constexpr int kLastHeardSampleLines = 12;
// Shown when there is no list to show.
inline const QString kListNotFound = QStringLiteral("   List not found");
// Replies are read only this far: the window shows a dozen lines.
inline constexpr qsizetype kLastHeardCapBytes = 64 * 1024;

// The list's address beside a picture: "NoDelete" markers removed and every
// "image1" replaced by "list" (case-sensitive). Empty when the address holds
// no "image1": asking for the picture itself would show its bytes as a list.
QString lastHeardAddress(const QString &PictureUrl);

// The list's address for a slot of the page shown: the first SiteList record
// placed in `slot` (zero-based) on SSTV page `page` under `thumbSetting`.
// Empty on the WX page (its sites are not in SiteList), for an empty slot and
// for a site whose address gives no list address.
QString lastHeardAddress(const SiteList &sites, int thumbSetting, int page, int slot, bool wxPage);

// The text the window takes its size from: twelve sample lines, then the
// close hint.
QString lastHeardSizingText(const QString &closeHint);

// The list as the window shows it: the reply read as Windows-1252 (at most
// kLastHeardCapBytes of it), every line end (CR LF, LF or CR) made one line
// break followed by three blanks; two blanks before it, the close hint and
// three blanks after it. `closeHint` empty: "Click to close".
QString lastHeardText(const QByteArray &reply, const QString &closeHint);

// Where a window of `window` size goes to lie over a slot: its top at the
// frame's top, centred across the frame, then moved the least it takes to
// lie inside `screen` (its top-left corner inside when it is larger). An
// empty frame centres the window on the screen.
QPoint placeOverSlot(const QRect &slotFrame, const QSize &window, const QRect &screen);

} // namespace tavimo
