#pragma once

#include <QString>

namespace tavimo {

// Sets the callsign caption of a thumbnail slot of the main window: the edit
// dialog renames a site's captions at once. A main window that offers this
// beside MainWindowAccess is found by a cast; without it the captions follow
// at the page reload that every site dialog arms.
class SlotCaptionWriter {
public:
    virtual ~SlotCaptionWriter() = default;
    // The slot's callsign label; a slot the page lacks is ignored.
    virtual void setSlotCallCaption(int slot, const QString &caption) = 0;
};

} // namespace tavimo
