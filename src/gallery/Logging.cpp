#include "gallery/Logging.h"

Q_LOGGING_CATEGORY(lcGallery, "tavimo.gallery", QtInfoMsg)
