#include "framework/CWaitCursor.h"
