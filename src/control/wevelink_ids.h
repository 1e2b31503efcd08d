// Identities of the control module: the five GUIDs (one consecutive run,
// fixed for good; wevelink.idl carries the same values), the ProgIDs, the
// type library version and the control's OLE status bits.
#ifndef WEVELINK_CONTROL_WEVELINK_IDS_H
#define WEVELINK_CONTROL_WEVELINK_IDS_H

#include <windows.h>
#include <ole2.h>

extern const GUID LIBID_WEVELINKLib;       // {01D62085-DB72-4D35-AE5C-E5861904B675}
extern const IID DIID__DWevelink;          // {01D62086-...}
extern const IID DIID__DWevelinkEvents;    // {01D62087-...}
extern const CLSID CLSID_WevelinkCtrl;     // {01D62088-...}
extern const CLSID CLSID_WevelinkPropPage; // {01D62089-...}

extern const char kWevelinkCtrlProgId[];      // "WEVELINK.WevelinkCtrl.1"
extern const char kWevelinkPropPageProgId[];  // "WEVELINK.WevelinkPropPage.1"

const WORD kWevelinkLibMajor = 1;
const WORD kWevelinkLibMinor = 0;

// Version of the persisted properties exchanged by the control: 1.0.
const DWORD kWevelinkPropVersion = MAKELONG(0, 1);

// OLEMISC_SETCLIENTSITEFIRST | OLEMISC_ACTIVATEWHENVISIBLE |
// OLEMISC_INSIDEOUT | OLEMISC_CANTLINKINSIDE | OLEMISC_RECOMPOSEONRESIZE.
// The first is the one the deployment relies on: the container gives the
// control its site (and so the page's address) before loading the PARAMs.
const DWORD kWevelinkMiscStatus = 0x20191;

#endif
