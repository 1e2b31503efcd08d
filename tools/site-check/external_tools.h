// The programs the checker asks about the site's files, each standing in
// for the Win32 call the control makes on the workstation, and each
// started directly, without a shell, with its output captured:
//
//   gcab -t       SetupIterateCabinetA: the names of a cabinet's files, as
//                 its notifications give them (-t rather than -l, whose
//                 details cannot be told from a name holding blanks);
//   msexpand      VerInstallFileA's expansion of an SZDD-compressed file;
//   osslsigncode  WinVerifyTrust's Authenticode check: the file's digest
//                 against its signature, then the signer's chain against
//                 the roots the workstation trusts.
#ifndef WEVELINK_TOOLS_SITE_CHECK_EXTERNAL_TOOLS_H
#define WEVELINK_TOOLS_SITE_CHECK_EXTERNAL_TOOLS_H

#include <string>
#include <vector>

// The names of a cabinet's files as `gcab -t` lists them. False when gcab
// cannot read it as a cabinet; *problem then holds gcab's own words.
bool ListCabinet(const std::string& path, std::vector<std::string>* names, std::string* problem);

// Extracts the cabinet into folder (which exists). False on failure.
bool ExtractCabinetTo(const std::string& path, const std::string& folder);

// Expands a compressed file (SZDD, as mscompress makes it) into target.
bool ExpandCompressedFile(const std::string& path, const std::string& target);

enum SignatureState {
  kSignatureTrusted,
  kSignatureMissing,    // not signed at all
  kSignatureAltered,    // the file changed after it was signed
  kSignatureUntrusted,  // signed, but no trusted root vouches for the publisher
  kSignatureUnchecked,  // osslsigncode could not be run
};

// Verifies the file's publisher signature against the certificates of
// trustFile (PEM), or the system's roots when trustFile is empty.
SignatureState CheckSignature(const std::string& path, const std::string& trustFile);

// A new empty folder under the temporary folder, and its removal with
// everything in it.
std::string MakeScratchFolder();
void RemoveScratchFolder(const std::string& folder);

#endif
