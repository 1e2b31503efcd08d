// One page in the container: fetching it, finding the control's OBJECT
// tags, and for each one the browser's sequence: create, check safety for
// initialization, site (before loading when the control asks for it), load
// the PARAMs through a property bag, activate in place at the OBJECT's
// rectangle, paint through IViewObject::Draw; and on leaving: take the site
// away, close, release, destroy the container window. Every step is traced
// (host_trace.h). The page's state is process-wide: one page at a time.
#ifndef WEVELINK_TOOLS_HOST_PAGE_CONTROLS_H
#define WEVELINK_TOOLS_HOST_PAGE_CONTROLS_H

#include <windows.h>

// Shows the page at address (as given on the command line) in frame,
// creating controls of class clsid (clsidText is its text for matching the
// OBJECT tags). Returns true when the page loaded: fetched, at least one
// OBJECT found, and every control created, safe, loaded and activated.
// Otherwise *reason names the first failure. The page must be left with
// LeavePage either way.
bool EnterPage(const wchar_t* address, HWND frame, REFCLSID clsid, const char* clsidText,
               const char** reason);

// Leaves the current page (nothing when there is none).
void LeavePage();

// Leaves the page last entered and enters it again, with what EnterPage was
// given then. False when no page was entered or it did not load again.
bool ReloadPage();

// Whether the pages share one container window (--keep-container).
void KeepContainerBetweenPages(bool keep);

// Whether the PARAMs are loaded before the client site is set, whatever the
// control's OLEMISC_SETCLIENTSITEFIRST says (--site-after-load).
void SiteAfterLoad(bool after);

// Draws the page's loaded controls that invalid touches into the
// container's paint DC.
void PaintPageControls(HDC dc, const RECT& invalid);

// Moves the page's objects by dx, dy: each gets SetObjectRects at its new
// place and an ambient change, and the container is painted again.
void ScrollPageControls(int dx, int dy);

// Hands a container window message to a windowless in-place control under
// the mouse (or holding the capture or focus). True when the control took
// it; *result is then the message's result.
bool ForwardToWindowlessControl(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

#endif
