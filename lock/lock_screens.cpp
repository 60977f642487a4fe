#include "lock/lock_screens.h"
