#pragma once

#include "stations/WebPageView.h"

#include <QImage>
#include <QList>
#include <QPointer>
#include <QUrl>
#include <QWidget>

#include <functional>

namespace tavimo::test {

// A web map page "shown" by a plain widget and captured as a set picture, so
// that the street and satellite view opens without a web engine.
class FakePageView final : public WebPageView {
public:
    FakePageView() { image.fill(Qt::blue); }
    QWidget *widget() override { return page_; }
    bool load(const QUrl &address) override {
        loaded.append(address);
        return true;
    }
    bool canCapture() const override { return true; }
    QImage capture() override {
        if (onCapture)
            onCapture();
        return image;
    }
    using WebPageView::failed;

    QList<QUrl> loaded;
    QImage image{400, 300, QImage::Format_RGB32};
    std::function<void()> onCapture;

private:
    QPointer<QWidget> page_ = new QWidget; // the window takes it
};

} // namespace tavimo::test
