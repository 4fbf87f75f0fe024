#pragma once

#include "stations/WebPageView.h"

#include <QPointer>

class QWebEngineView;

namespace tavimo {

// The page in a Qt WebEngine view inside the window. Only the first page
// counts for failed(): once it has shown, a later navigation of the user's
// that fails is the page's own business; a broken page process always counts.
class EmbeddedPageView final : public WebPageView {
    Q_OBJECT

public:
    explicit EmbeddedPageView(QObject *parent = nullptr);
    // Deletes the view unless a window has taken it.
    ~EmbeddedPageView() override;

    QWidget *widget() override;
    bool load(const QUrl &address) override;
    bool canCapture() const override { return true; }
    QImage capture() override;

private:
    QPointer<QWebEngineView> view_;
    bool shown_ = false;
};

} // namespace tavimo
