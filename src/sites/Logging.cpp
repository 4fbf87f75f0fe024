#include "sites/Logging.h"

Q_LOGGING_CATEGORY(lcSites, "tavimo.sites", QtInfoMsg)
