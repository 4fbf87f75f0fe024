#pragma once

#include <QObject>

namespace tavimo {

// Changes that several windows care about. One object lives beside AppState;
// the window that makes a change emits it, the others subscribe, so nobody
// has to know which windows are open.
class AppEvents : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

signals:
    // SiteList or WxSiteList changed (added, edited, removed, news applied).
    void sitesChanged();
    // The main window shows `page` now (1 to 10 SSTV, PageCount the WX page).
    void pageShown(int page);
    // Every slot of the main window's pass has finished.
    void passFinished();
    // The language texts were loaded again.
    void languageChanged();
    // MyCall, MyLat, MyLon or the distance unit changed.
    void ownPositionChanged();
    // A page's caption on the menu bar changed.
    void pageNamesChanged();
};

} // namespace tavimo
