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
    const QStringList filters = qtNameFilters(request.Filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        const qsizetype index = std::clamp<qsizetype>(request.FilterIndex, 1, filters.size()) - 1;
        dialog.selectNameFilter(filters.at(index));
    }
    if (!request.DefaultExt.isEmpty())
        dialog.setDefaultSuffix(request.DefaultExt);
    if (!request.FileName.isEmpty())
        dialog.selectFile(request.FileName);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    const QStringList chosen = dialog.selectedFiles();
    return chosen.isEmpty() ? QString() : CutAtNull(chosen.constFirst());
}

} // namespace tavimo
