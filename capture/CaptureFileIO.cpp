#include "capture/CaptureFileIO.h"
