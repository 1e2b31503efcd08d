/*
 * Resource identifiers of the control module, shared by the resource
 * script and the code. Kept C-preprocessor-only so that windres can read
 * it. Numbers of different resource types may repeat (string 1 and bitmap
 * 1 are different resources).
 */
#ifndef WEVELINK_RESOURCES_RESOURCE_IDS_H
#define WEVELINK_RESOURCES_RESOURCE_IDS_H

/* Strings. */
#define IDS_WEVELINK_TYPENAME 1      /* the control's type name */
#define IDS_WEVELINK_PPG_TYPENAME 2  /* the property page's type name */
#define IDS_WEVELINK_PPG_CAPTION 200 /* the property page's tab caption */

/* The control's toolbox picture. */
#define IDB_WEVELINK_TOOLBOX 1

/* The (empty) property page. */
#define IDD_PROPPAGE_WEVELINK 200

/*
 * Taken by the progress dialog's own resource script (included at the end
 * of wevelink.rc): icon 100, dialogs 101 (web mode) and 102 (desktop
 * mode), bitmaps 103 and 104.
 */

/* The type library, resource type "TYPELIB". */
#define IDR_WEVELINK_TYPELIB 1

#endif
