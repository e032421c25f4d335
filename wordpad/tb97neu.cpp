#include "wordpad/tb97neu.h"
