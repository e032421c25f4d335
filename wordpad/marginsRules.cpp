#include "wordpad/marginsRules.h"
