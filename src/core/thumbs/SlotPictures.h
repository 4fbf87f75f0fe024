#pragma once

// The stored pictures of the page's slots, and what a picture answer writes.
//
// Each slot's latest picture is kept as a file named by the slot number, with
// no extension, in images/sstv (SSTV pages) or images/wx (the WX page) under
// DataFolder. The file holds the picture's own bytes; the trailer goes to the
// slot table and, on SSTV pages, to the site's `LastPictureDate`.
//
// The main window's picture handler, once answerStillFits gave `target`,
// splits the trailer off once (splitPictureTrailer), judges the picture's
// bytes (CutPictures), takes the answer with takeSlotAnswer, hands the file
// to a writer thread and shows the picture from the answer's bytes;
// storeSlotPicture does it all at once where no window waits.
//
// ShowSlotPicture shows the age on SSTV pages: that is decided by
// page.isWxPage(), never by looking for "sstv" in the file's path (a data
// folder may well contain those letters).

#include "core/base/TextFile.h"
#include "core/files/AppPaths.h"
#include "core/sites/SiteRecord.h"
#include "core/sites/SlotTable.h"
#include "core/text/Language.h"
#include "core/thumbs/DownloadKeys.h"
#include "core/thumbs/PictureTrailer.h"

#include <QByteArray>
#include <QString>

namespace tavimo {

// DataFolder/images/sstv/<slot> or DataFolder/images/wx/<slot>.
QString slotPictureFile(const AppPaths &paths, bool wxPage, int slot);

// Whether `name` is one the program gives a slot or gallery picture: its
// number, without an extension, or "<number>.part" while replaceCachedPicture
// writes it (left behind when the program ended mid-write).
bool isNumberedPictureName(const QString &name);

// Removes the slot or gallery pictures in `folder` (made when missing), and
// their unfinished writes. A copy a person keeps there under another name
// stays.
void removeNumberedPictures(const QString &folder);

struct StoredSlotPicture {
    QString file; // the slot's picture file, to be shown next
    bool stored = false;
    QString error;   // why the file could not be written; it is then gone
    QString lblFrom; // the sender line for the cell; "" when there is none
};

// Handles the bytes of a picture answer for `target`:
// - `stFrom`, `stInfo`, `stTime` of the slot start as "", "Old", "";
// - the trailer is cut off and the picture's own bytes replace the slot file
//   atomically; when that fails the old file is removed too, so the display
//   draws the "not found" placeholder rather than an older picture under new
//   captions;
// - a trailer with a ":" sets `stFrom` (sender) and, with two fields,
//   `stInfo` (status) and the sender line; with three fields on an SSTV page
//   the date becomes `LastPictureDate` of sites[target.site]. The WX page
//   stores no date.
StoredSlotPicture storeSlotPicture(const QByteArray &download, const SlotTarget &target,
                                   bool wxPage, const AppPaths &paths, SlotTable &table,
                                   SiteList &sites, const LanguageTexts &texts,
                                   const QString &zeroChar);

// What storeSlotPicture does but for the split and the file: the picture's own
// bytes and the sender line, the slot table and site record updated. The
// window writes the file itself, away from its own thread.
struct SlotAnswer {
    QByteArray picture;
    QString lblFrom;
};
SlotAnswer takeSlotAnswer(const SplitPicture &split, const SlotTarget &target, bool wxPage,
                          SlotTable &table, SiteList &sites, const LanguageTexts &texts,
                          const QString &zeroChar);

// Replaces a cached picture file: the bytes are written beside it and put in
// its place once complete, so the file is never half a picture, and a failed
// write leaves the old file. Unlike the program's other files it is not forced
// to the disk: cached pictures go when the program ends, and a sync per
// picture would hold up the window on a slow disk. The message names the file
// and the reason.
WriteResult replaceCachedPicture(const QString &path, const QByteArray &bytes);

// Deletes every "image1.*" file in `folder` (what earlier versions left in
// the SSTV picture folder), before a picture is fetched after its check
// picture. Returns how many were removed.
int removeStrayImage1Files(const QString &folder);

} // namespace tavimo
