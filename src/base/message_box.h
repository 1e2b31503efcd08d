// The control's message boxes: their captions, the error style most of
// them share, and the box that runs on a worker thread so that the page
// goes on while it is open.
#ifndef WEVELINK_BASE_MESSAGE_BOX_H
#define WEVELINK_BASE_MESSAGE_BOX_H

#include <windows.h>

extern const char kControlCaption[];     // "Web-to-Host Control"
extern const char kCacheErrorCaption[];  // "Web-to-Host Control - Cache Error"
extern const char kWriteErrorCaption[];  // "Web-to-Host Control - Write Error"
extern const char kLaunchErrorCaption[]; // "Program Launch Error"

enum : UINT { kErrorBoxStyle = MB_ICONEXCLAMATION | MB_SETFOREGROUND };

// Shows text under caption in the error style, owned by owner (may be null),
// and returns the button code.
int ShowErrorBox(HWND owner, const char* text, const char* caption);

// Shows text with the control's caption and the error style in an unowned
// box on a worker thread while this thread dispatches its messages, and
// returns its button code; 0 when the box's thread could not be started.
int ThreadedMessageBox(const char* text);

#endif
