#pragma once

#include <QtPlugin>

#include <functional>

class QObject;
class QUrl;
class QWidget;

namespace tavimo {

// What the web view module gives the program: web views made by a browser
// engine that is loaded only when the first street or satellite view opens,
// so that a start of the program pays nothing for it. The module and the
// program share this header and nothing else.
class EmbeddedViewFactory {
public:
    virtual ~EmbeddedViewFactory() = default;

    // A new web view without a parent. `finished` is called when a load ends
    // (true when the page loaded), `broken` when the page's process ended
    // abnormally (with words for the log); neither is called once `context`
    // is gone.
    virtual QWidget *createView(QObject *context, std::function<void(bool)> finished,
                                std::function<void(const QString &)> broken) = 0;
    virtual void load(QWidget *view, const QUrl &address) = 0;
    virtual QUrl url(QWidget *view) const = 0;
};

} // namespace tavimo

#define TAVIMO_EMBEDDED_VIEW_FACTORY_IID "org.tavimo.EmbeddedViewFactory/1"
Q_DECLARE_INTERFACE(tavimo::EmbeddedViewFactory, TAVIMO_EMBEDDED_VIEW_FACTORY_IID)
