#include "ui/Logging.h"

Q_LOGGING_CATEGORY(lcUi, "tavimo.ui", QtInfoMsg)
