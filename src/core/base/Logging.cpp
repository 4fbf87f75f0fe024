#include "core/base/Logging.h"

Q_LOGGING_CATEGORY(lcCore, "tavimo.core", QtInfoMsg)
