#pragma once

#include "support/GifEncoder.h"

#include <QByteArray>
#include <QColor>
#include <QDateTime>
#include <QImage>
#include <QList>
#include <QSize>
#include <QString>

// Builders for the bytes that reception sites serve: pictures in the formats
// the program reads, animated GIFs, picture trailers and check pictures.
// Drawing text needs a QGuiApplication.
namespace tavimo::test {

// A picture of the given size in one colour, with text drawn across the middle
// in black or white (whichever shows) when text is given.
QImage makeImage(QSize size, const QColor &colour = QColor(40, 90, 160),
                 const QString &text = QString());

// The image in a file format Qt writes ("JPG", "PNG", "BMP", ...); quality as
// QImageWriter takes it (-1: the format's default).
QByteArray encodeImage(const QImage &image, const char *format, int quality = -1);

QByteArray jpegBytes(QSize size, const QColor &colour = QColor(40, 90, 160),
                     const QString &text = QString());
QByteArray pngBytes(QSize size, const QColor &colour = QColor(40, 90, 160),
                    const QString &text = QString());
QByteArray bmpBytes(QSize size, const QColor &colour = QColor(40, 90, 160),
                    const QString &text = QString());

// An animated GIF of one solid frame per colour (a frame number drawn in each
// when size allows), every frame shown delayMs, looping forever.
QByteArray animatedGifBytes(QSize size, const QList<QColor> &frameColours, int delayMs = 100);

// An animated GIF of exactly `size` bytes (at least 200 or so): three 16×16 frames, padded
// with a comment block.
QByteArray animatedGifOfSize(qsizetype size);

// The date of a trailer: "MM/dd/yy hh:mm:ss", 24-hour clock, in UTC.
QString trailerDate(const QDateTime &when);

// "***" sender "*" status "*" date, in Windows-1252 ("Ø" is byte 0xD8).
QByteArray trailer(const QString &sender, const QString &status, const QString &date);
QByteArray trailer(const QString &sender, const QString &status, const QDateTime &when);

// Picture bytes followed by a trailer.
QByteArray withTrailer(const QByteArray &picture, const QString &sender, const QString &status,
                       const QString &date);
QByteArray withTrailer(const QByteArray &picture, const QString &sender, const QString &status,
                       const QDateTime &when);

// The check picture a site keeps beside its picture ("checknew.jpg"): a JPEG
// of width × height. Width 1 says a new picture arrived; the height changes with
// every new picture.
QByteArray checkPicture(int width, int height);

// A PNG chunk: length, type, data and CRC.
QByteArray pngChunk(const QByteArray &type, const QByteArray &data);

// The PNG with a text chunk ("tEXt", Latin-1) put after its picture data,
// just before IEND, as some programs write their comments.
QByteArray withTextChunk(const QByteArray &png, const QByteArray &keyword, const QByteArray &text);

} // namespace tavimo::test
