#pragma once

#include <QEvent>
#include <QObject>
#include <QStringList>
#include <QWidget>

namespace tavimo::test {

// Notes the object names of the watched widgets as each is shown or hidden.
struct ShowHideCounter : QObject {
    QStringList seen;
    void watch(const QList<QWidget *> &widgets) {
        for (QWidget *widget : widgets)
            widget->installEventFilter(this);
    }
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::Show || event->type() == QEvent::Hide)
            seen << watched->objectName();
        return false;
    }
};

} // namespace tavimo::test
