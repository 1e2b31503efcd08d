// Expansion of a downloaded compressed component file ("..._") into the
// file it stands for, with the platform's version-installation service.
#ifndef WEVELINK_DOWNLOAD_EXPAND_FILE_H
#define WEVELINK_DOWNLOAD_EXPAND_FILE_H

enum ExpandOutcome {
  kNotCompressedFile,   // nothing to expand
  kUnknownCompression,  // a compressed name the table does not cover
  kExpanded,            // expanded; the compressed file is deleted
  kExpandFailed,        // the compressed file is left as it was
  kReplacedAtRestart,   // an in-use library waits in the drive root for the restart
  kDamagedDownload,     // cut short or lying about its size: deleted, nothing installed
  kRefusedProgram,      // a program or library failing its publisher check: deleted
};

// Expands namePart of kind from the folder the download put it in into the
// folder its expanded name belongs in (the same folder in web mode), and
// deletes the compressed file when that worked. On NT a failed expansion
// of "KVFTP.DL_" or "KVWHLL.DL_" is taken for a library in use: it is
// expanded into the root of the Windows drive and moved over the installed
// file at the next restart, with the library's notice in a box; when the
// move cannot be scheduled, the root copy is removed again. Either way the
// compressed file is deleted once the root copy was made. A compressed
// file that does not decode to the size its header announces is logged and
// deleted before anything is expanded (the platform would install what it
// could decode). A program or library (IsStartedOrLoaded) is expanded into
// a folder of its own first and replaces the installed file only when its
// publisher check passes.
ExpandOutcome ExpandComponentFile(const char* namePart, int kind);

#endif
