#include "views/frmDumpList.h"
