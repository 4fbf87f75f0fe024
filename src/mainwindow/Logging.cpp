#include "mainwindow/Logging.h"

Q_LOGGING_CATEGORY(lcMainWindow, "tavimo.mainwindow", QtInfoMsg)
