#include "stations/Logging.h"

Q_LOGGING_CATEGORY(lcStations, "tavimo.stations", QtInfoMsg)
