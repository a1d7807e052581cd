#include "views/frmAccesibleFloors.h"
