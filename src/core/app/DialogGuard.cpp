#include "core/app/DialogGuard.h"

#include "core/app/MainWindowAccess.h"

#include <utility>

namespace tavimo {

RefreshPause::RefreshPause(std::function<void()> stop, std::function<void()> resume)
    : resume_(std::move(resume)) {
    if (stop)
        stop();
}

RefreshPause::~RefreshPause() {
    if (resume_)
        resume_();
}

DialogGuard::DialogGuard(MainWindowAccess *main) : DialogGuard(main, Options{}) {}

DialogGuard::DialogGuard(MainWindowAccess *main, Options options) : main_(main), options_(options) {
    if (!main_)
        return;
    main_->StopRefreshTimers();
    if (options_.blockMain)
        main_->setMainEnabled(false);
}

DialogGuard::~DialogGuard() {
    if (!main_)
        return;
    if (options_.blockMain)
        main_->setMainEnabled(true);
    main_->resumeRefreshTimers();
    if (options_.reloadAfter)
        main_->armSitesChanged();
}

} // namespace tavimo
