#include "ui/QtFileDialog.h"

#include <QDir>
#include <QFileDialog>

#include <algorithm>

namespace tavimo {

QString qtFileDialog(const FileDialogRequest &request) {
    QFileDialog dialog(request.OwnerWindow, request.Title,
                       request.InitialDir.isEmpty() ? QDir::currentPath() : request.InitialDir);
    dialog.setAcceptMode(request.OpenDialog ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(request.OpenDialog ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (!request.OpenDialog && !(request.Flags & OFN_OVERWRITEPROMPT))
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    const QStringList &filters = request.NameFilters;
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        dialog.selectNameFilter(
            filters.at(std::clamp<qsizetype>(request.FilterIndex, 0, filters.size() - 1)));
    }
    if (!request.DefaultExt.isEmpty())
        dialog.setDefaultSuffix(request.DefaultExt);
    if (!request.FileName.isEmpty())
        dialog.selectFile(request.FileName);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    const QStringList chosen = dialog.selectedFiles();
    return chosen.isEmpty() ? QString() : chosen.constFirst();
}

} // namespace tavimo
