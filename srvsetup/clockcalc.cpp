#include "clockcalc.h"
