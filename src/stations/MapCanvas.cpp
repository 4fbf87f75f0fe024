#include "stations/MapCanvas.h"

#include <QPaintEvent>
#include <QPainter>

namespace tavimo {

MapCanvas::MapCanvas(QWidget *parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

void MapCanvas::setPicture(const QPixmap &picture) {
    picture_ = picture;
    strokes_.clear();
    resize(picture_.deviceIndependentSize().toSize());
    update();
}

void MapCanvas::clearDrawing() {
    strokes_.clear();
    update();
}

void MapCanvas::line(QPointF from, QPointF to, qreal width, const QColor &colour) {
    add({Stroke::Kind::Line, from, to, 0, width, colour});
}

void MapCanvas::circle(QPointF centre, qreal radius, qreal width, const QColor &colour) {
    add({Stroke::Kind::Circle, centre, centre, radius, width, colour});
}

void MapCanvas::dot(QPointF centre, qreal width, const QColor &colour) {
    add({Stroke::Kind::Dot, centre, centre, 0, width, colour});
}

void MapCanvas::rectangle(QPointF from, QPointF to, qreal width, const QColor &colour) {
    add({Stroke::Kind::Rectangle, from, to, 0, width, colour});
}

void MapCanvas::add(const Stroke &stroke) {
    strokes_.append(stroke);
    update();
}

void MapCanvas::paintEvent(QPaintEvent *event) {
    QPainter painter(this);
    painter.drawPixmap(event->rect(), picture_, event->rect());
    if (strokes_.isEmpty())
        return;
    painter.setRenderHint(QPainter::Antialiasing);
    for (const Stroke &stroke : std::as_const(strokes_)) {
        painter.setPen(QPen(stroke.colour, stroke.width));
        painter.setBrush(Qt::NoBrush);
        switch (stroke.kind) {
        case Stroke::Kind::Line:
            painter.drawLine(stroke.from, stroke.to);
            break;
        case Stroke::Kind::Circle:
            painter.drawEllipse(stroke.from, stroke.radius, stroke.radius);
            break;
        case Stroke::Kind::Dot:
            painter.setPen(Qt::NoPen);
            painter.setBrush(stroke.colour);
            painter.drawEllipse(stroke.from, stroke.width / 2, stroke.width / 2);
            break;
        case Stroke::Kind::Rectangle:
            painter.drawRect(QRectF(stroke.from, stroke.to));
            break;
        }
    }
}

} // namespace tavimo
