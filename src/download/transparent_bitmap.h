// Drawing a bitmap with one colour left out, for the progress dialog's
// picture.
#ifndef WEVELINK_DOWNLOAD_TRANSPARENT_BITMAP_H
#define WEVELINK_DOWNLOAD_TRANSPARENT_BITMAP_H

#include <windows.h>

// Draws bitmap with its top-left corner at (x, y) of dc, leaving the pixels
// of the transparent colour unpainted. The bitmap must not be selected into
// another device context; it is unchanged afterwards. Does nothing when the
// bitmap or the device context is missing or a drawing resource cannot be
// made. Returns whether it drew.
bool DrawTransparentBitmap(HDC dc, HBITMAP bitmap, int x, int y, COLORREF transparent);

#endif
