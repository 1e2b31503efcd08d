// Placing a window in the middle of the screen.
#ifndef WEVELINK_BASE_CENTRE_WINDOW_H
#define WEVELINK_BASE_CENTRE_WINDOW_H

#include <windows.h>

// Moves window so that it is centred horizontally and 20 pixels above the
// vertical centre of the primary screen, keeping its size and Z order.
void CentreWindow(HWND window);

#endif
