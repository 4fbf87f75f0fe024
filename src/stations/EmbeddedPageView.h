#pragma once

#include "stations/WebPageView.h"

#include <QPointer>

namespace tavimo {

class EmbeddedViewFactory;

// The page in a web view inside the window, made by the web view module.
// Only the first page counts for failed(): once it has shown, a later
// navigation of the user's that fails is the page's own business; a broken
// page process always counts.
class EmbeddedPageView final : public WebPageView {
    Q_OBJECT

public:
    explicit EmbeddedPageView(EmbeddedViewFactory &factory, QObject *parent = nullptr);
    // Deletes the view unless a window has taken it.
    ~EmbeddedPageView() override;

    QWidget *widget() override;
    bool load(const QUrl &address) override;
    bool canCapture() const override { return true; }
    QImage capture() override;

private:
    EmbeddedViewFactory &factory_;
    QPointer<QWidget> view_;
    bool shown_ = false;
};

} // namespace tavimo
