#include "decode/DumpGrid.h"
