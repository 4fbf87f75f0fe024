#pragma once

#include <QColor>
#include <QList>
#include <QPixmap>
#include <QPointF>
#include <QRectF>
#include <QWidget>

namespace tavimo {

// A map picture at its natural size with lines, rings and dots drawn over it:
// the inner picture of both map windows. Its owner moves it inside the view
// and takes its mouse events through an event filter.
class MapCanvas : public QWidget {
    Q_OBJECT

public:
    struct Stroke {
        enum class Kind { Line, Circle, Dot, Rectangle };
        Kind kind = Kind::Line;
        QPointF from; // line start, circle or dot centre, rectangle corner
        QPointF to;   // line end, the rectangle's opposite corner
        qreal radius = 0;
        qreal width = 1; // pen width; a dot's diameter
        QColor colour;
    };

    explicit MapCanvas(QWidget *parent = nullptr);

    // Shows the picture at its size; the drawing is cleared.
    void setPicture(const QPixmap &picture);
    const QPixmap &picture() const { return picture_; }

    void clearDrawing();
    void line(QPointF from, QPointF to, qreal width, const QColor &colour);
    void circle(QPointF centre, qreal radius, qreal width, const QColor &colour);
    void dot(QPointF centre, qreal width, const QColor &colour);
    void rectangle(QPointF from, QPointF to, qreal width, const QColor &colour);

    // What is drawn over the picture, in the order it was drawn.
    const QList<Stroke> &strokes() const { return strokes_; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void add(const Stroke &stroke);

    QPixmap picture_;
    QList<Stroke> strokes_;
};

} // namespace tavimo
