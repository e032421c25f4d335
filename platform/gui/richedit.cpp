#include "platform/gui/richedit.h"
