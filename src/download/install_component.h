// Installation of a component file once it is in its local folder, and the
// state that installation keeps.
#ifndef WEVELINK_DOWNLOAD_INSTALL_COMPONENT_H
#define WEVELINK_DOWNLOAD_INSTALL_COMPONENT_H

// Installs the downloaded (or, for a cabinet extracted on every load, the
// cached) file namePart of kind and records version as its installed
// ComponentVersion. Recording is the last step and happens whatever the
// steps before it did, so the next load does not fetch it again.
void InstallComponentFile(const char* namePart, long version, int kind);

// The folder the last Orvena cabinet was extracted to; empty until one was.
const char* OrvenaFolder();

#endif
