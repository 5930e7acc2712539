#include "rootrecord.h"
