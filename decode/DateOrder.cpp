#include "decode/DateOrder.h"
