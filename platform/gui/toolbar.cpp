#include "platform/gui/toolbar.h"
