#pragma once

#include <QtGlobal>

namespace tavimo {

// The memory this process may still take, in bytes: what the system has
// available, within the limits of the process's control group and address
// space. Negative when the system does not say.
qint64 availableMemory();

} // namespace tavimo
