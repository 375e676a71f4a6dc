#include "TSActivityGlobals.h"

bool16 g_ActiveMouseStatus = kTrue;
bool16 g_IdleMouseStatus = kFalse;
bool16 g_IdleAppStatus = kFalse;
