// The font of the progress window's message.
#pragma once

#include <windows.h>

#include "win_handle.h"

// The system's message font made 18 units high and bold, in "MS UI Gothic"
// with antialiasing from Windows Vista on; a fallback of that face and size
// when the system's metrics cannot be read.
font_handle create_progress_font();
