#include "peripheral_manager.h"
