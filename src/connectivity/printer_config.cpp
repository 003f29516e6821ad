#include "connectivity/connectivity_dialogs.h"
