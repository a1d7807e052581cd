#include "decode/FloorsPage.h"
