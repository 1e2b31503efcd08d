// One OBJECT tag's deployment as the control runs it, followed step by
// step without a workstation: its PARAMs, the server location they give,
// the initialization files, the distribution lists and the sessions. Each
// step reports what the control would meet there (findings.h).
#ifndef WEVELINK_TOOLS_SITE_CHECK_DEPLOYMENT_H
#define WEVELINK_TOOLS_SITE_CHECK_DEPLOYMENT_H

#include <map>
#include <string>

#include "page_objects.h"
#include "profile_file.h"
#include "site_files.h"

struct CheckOptions {
  std::string trustFile;  // the publishers' root certificates (PEM); empty: the system's
  int timeoutMs = 2000;   // per step of an HTTP probe
  bool stamp = false;     // write each listed file's size and digest into its list
};

struct Deployment {
  const Site* site;
  const CheckOptions* options;
  std::string page;          // the page, as the findings show it
  std::string pageRelative;  // its path in the site
  const ControlObject* object;
  std::string serverUrl;     // as the control derives it from the page and IniFile
  bool serverInSite = false; // the server URL is the site folder or below it
  bool desktopMode = false;
  std::string iniName;       // the initialization file's name as the control fetches it
  bool iniLoaded = false;
  ProfileFile ini;
  bool deskLoaded = false;
  ProfileFile desk;
  // Signature results by site file, so that a program listed twice is
  // checked once.
  std::map<std::string, int>* signatures;
};

// The site file that a name fetched from the server stands for. False, with
// a finding at the caller's file and line, when the request URL does not
// fit the control's 259 characters; false without one when the server is
// not in the site (noted once per deployment).
bool ServerFile(Deployment& d, const std::string& name, const std::string& file, int line,
                std::string* relative, std::string* url);

// The steps; each reports its own findings.
void CheckDeployment(Deployment& d);
void CheckSettings(Deployment& d);
void CheckDistributionLists(Deployment& d);
void CheckSessions(Deployment& d);

// The signature finding for a program or library: the site file (or a
// file extracted from it at path) as the control's publisher check sees it.
void CheckProgramSignature(Deployment& d, const std::string& path, const std::string& what,
                           const std::string& file, int line);

#endif
