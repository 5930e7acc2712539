#include "filterlist.h"
