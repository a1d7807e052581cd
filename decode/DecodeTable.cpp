#include "decode/DecodeTable.h"
