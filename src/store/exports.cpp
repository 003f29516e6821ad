// The exported C interface over the process's production library.
#include "lntc/lntc.h"
