#include "wordpad/Toolbar_WordPad.h"
