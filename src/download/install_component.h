// Installation of a component file once it is in its local folder: the
// steps that turn a downloaded file into installed files, and the record
// of its version.
#ifndef WEVELINK_DOWNLOAD_INSTALL_COMPONENT_H
#define WEVELINK_DOWNLOAD_INSTALL_COMPONENT_H

// Installs the downloaded (or, for a cabinet extracted on every load, the
// cached) file namePart of kind, in this order: a compressed file is
// expanded (expand_file.h; a compressed name the table does not cover ends
// here, nothing is recorded and the file is fetched again on the next
// load); "KVFTP" and "KVWHLL" libraries whose recorded version is still
// the old one register themselves (register_library.h); the two fonts are
// installed (install_font.h); a cabinet is extracted (extract_cabinet.h);
// "orvena.ini" and "zelvic.ini" are moved into their client's folder, or
// left where they are, with a log line, while no cabinet of that client
// has named one. Last, version is recorded as the installed
// ComponentVersion whatever the steps before did, so the next load does not
// fetch the file again.
void InstallComponentFile(const char* namePart, long version, int kind);

#endif
