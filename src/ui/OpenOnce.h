#pragma once

#include "ui/WindowRegistry.h"

#include <QString>
#include <QWidget>

namespace tavimo {

// Brings an open window to the front, restored from minimised.
void raiseWindow(QWidget *window);

// The window registered under `name`, raised, when it is open; otherwise the
// one `make` builds, deleted on close, registered under `name` and shown. A
// window a caller must fill before it shows is filled by `make`.
template <class W, class Make>
W *openOnce(WindowRegistry &registry, const QString &name, Make &&make) {
    if (auto *open = qobject_cast<W *>(registry.find(name))) {
        raiseWindow(open);
        return open;
    }
    W *window = make();
    window->setAttribute(Qt::WA_DeleteOnClose);
    registry.add(name, window);
    window->show();
    return window;
}

} // namespace tavimo
