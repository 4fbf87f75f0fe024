#pragma once

// Stands in for the file dialog and the clipboard of a window that saves or
// pastes: notes what each was handed, and gives the dialog's answer.

#include "core/base/FileDialogs.h"

#include <QImage>
#include <QList>
#include <QMimeData>
#include <QStringList>

#include <functional>

namespace tavimo::test {

struct TransferRecorder {
    QList<FileDialogRequest> dialogs;
    QString dialogAnswer; // empty: the dialog was cancelled
    QList<QImage> images; // the pictures put on the clipboard
    QStringList texts;    // the texts put on the clipboard

    ShowFileDialogFunction fileDialog() {
        return [this](const FileDialogRequest &request) {
            dialogs << request;
            return dialogAnswer;
        };
    }
    std::function<void(QMimeData *)> clipboard() {
        return [this](QMimeData *data) {
            if (data->hasImage())
                images << qvariant_cast<QImage>(data->imageData());
            if (data->hasText())
                texts << data->text();
            delete data;
        };
    }
};

} // namespace tavimo::test
