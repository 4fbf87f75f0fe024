#pragma once

#include "core/base/FileDialogs.h"

namespace tavimo {

// The file dialog of Qt, modal over the request's owner window.
QString qtFileDialog(const FileDialogRequest &request);

} // namespace tavimo
