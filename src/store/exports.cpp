// The exported C interface over the process's production Library.
#include "lntc/lntc.h"
