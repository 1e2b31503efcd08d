// The distribution lists and the files they name, read as the update
// pipeline reads them (src/download/portable/distribution_list.h, the
// compressed-name table, the special and cabinet names), and what the
// installer then does with each file: expansion, cabinet sections and
// contents, publisher checks, sizes and digests; and, with --stamp, the
// lists' sizes and digests written in.
#include <errno.h>
#include <stdio.h>
#include <string.h>

#include <memory>

#include "base/portable/bounded_text.h"
#include "base/portable/page_values.h"
#include "base/portable/session_kinds.h"
#include "deployment.h"
#include "download/portable/cabinet_names.h"
#include "download/portable/distribution_list.h"
#include "download/portable/special_names.h"
#include "external_tools.h"
#include "file_integrity.h"
#include "findings.h"
#include "http_probe.h"

namespace {

enum {
  kTransferBufferSize = 4096,  // what one fetch keeps
  kPathCapacity = 260,
};

// One line of the list as the parser splits it: at CR only, runs of CR and
// LF between lines skipped.
struct ListLine {
  size_t offset;
  size_t length;
  int line;
};

std::vector<ListLine> SplitListLines(const std::string& text) {
  std::vector<ListLine> lines;
  size_t at = 0;
  while (at < text.size()) {
    while (at < text.size() && (text[at] == '\r' || text[at] == '\n')) ++at;
    if (at >= text.size()) break;
    size_t end = text.find('\r', at);
    if (end == std::string::npos) end = text.size();
    lines.push_back(ListLine{at, end - at, LineOfOffset(text, at)});
    at = end;
  }
  return lines;
}

// A line that holds a LF with more text after it: what a list with LF-only
// line ends gives.
bool JoinsLines(const std::string& text, const ListLine& line) {
  size_t lf = text.find('\n', line.offset);
  if (lf == std::string::npos || lf >= line.offset + line.length) return false;
  for (size_t i = lf; i < line.offset + line.length; ++i) {
    if (text[i] != '\n' && text[i] != ' ' && text[i] != '\t') return true;
  }
  return false;
}

bool EndsWithNoCase(const std::string& text, const char* end) {
  size_t n = strlen(end);
  return text.size() >= n && CompareTextNoCase(text.c_str() + text.size() - n, end) == 0;
}

// Programs and libraries: what a publisher check is made for.
bool IsProgramName(const std::string& name) {
  return EndsWithNoCase(name, ".EXE") || EndsWithNoCase(name, ".DLL") ||
         EndsWithNoCase(name, ".OCX") || EndsWithNoCase(name, ".PRO");
}

std::string CabinetPathKey(const std::string& name) {
  std::string key = name;
  for (char& c : key) {
    if (c == '/') c = '\\';
    if (c >= 'a' && c <= 'z') c = (char)(c - 'a' + 'A');
  }
  return key;
}

// The files of a cabinet whose publisher the control checks: its Run
// program, the self-registering libraries (src/download/extract_cabinet.cpp)
// and the session programs, checked when they are started. The cabinet's
// other programs (a sibling client's own) are not the control's to run.
bool IsCheckedInCabinet(const std::string& name, const std::string& run) {
  if (!run.empty() && CabinetPathKey(name) == CabinetPathKey(run)) return true;
  const char* file = LastPathComponent(name.c_str());
  if (SelfRegisteredLibraryFor(file)) return true;
  const char* dot = strrchr(file, '.');
  if (!dot || (CompareTextNoCase(dot, ".PRO") != 0 && CompareTextNoCase(dot, ".EXE") != 0))
    return false;
  return SessionKindFromTag(std::string(file, dot).c_str()) >= 0;
}

std::string WithoutLeadingSeparators(const char* name) {
  while (*name == '/' || *name == '\\') ++name;
  return name;
}

// What the cabinet's section says, and what the cabinet holds.
void CheckCabinet(Deployment& d, const char* entryName, const std::string& namePart,
                  const std::string& relative, const std::string& list, int line) {
  const std::string section = WithoutLeadingSeparators(namePart.c_str());
  const std::string cabinet = SiteFilePath(*d.site, relative);
  std::vector<std::string> names;
  std::string problem;
  if (!ListCabinet(cabinet, &names, &problem)) {
    Report(kError, list, line, "%s is not a cabinet the control can extract (%s)",
           section.c_str(), problem.c_str());
    return;
  }
  for (const std::string& name : names) {
    if (!IsContainedRelativePath(name.c_str())) {
      Report(kError, list, line,
             "cabinet %s holds %s, a name the control does not write (absolute, with \":\" "
             "or \"..\", or a device): it skips the file",
             section.c_str(), name.c_str());
    }
  }

  std::string run;
  int runLine = 0;
  if (d.iniLoaded) {
    if (!FindProfileSection(d.ini, section.c_str())) {
      Report(kWarning, list, line,
             "cabinet %s has no [%s] section in %s: the control unpacks it where its files "
             "belong, again on every page load",
             section.c_str(), section.c_str(), d.ini.shownPath.c_str());
    }
    int destLine = 0;
    std::string dest = ReadProfileString(d.ini, section.c_str(), "DestDir", "",
                                         kPathCapacity + 1, &destLine);
    if (dest.size() >= kPathCapacity) {
      Report(kError, d.ini.shownPath, destLine,
             "[%s] DestDir is longer than %d characters: the control extracts nothing",
             section.c_str(), kPathCapacity - 1);
    }
    run = ReadProfileString(d.ini, section.c_str(), "Run", "", kPathCapacity + 1, &runLine);
    if (run.size() >= kPathCapacity) {
      Report(kError, d.ini.shownPath, runLine,
             "[%s] Run is longer than %d characters: the control runs nothing", section.c_str(),
             kPathCapacity - 1);
      run.clear();
    }
    // The up-to-date check looks for the section under the name as listed,
    // the extraction under the file's own name.
    const bool placed = !dest.empty() || !run.empty();
    const bool placedAsListed =
        !ReadProfileString(d.ini, entryName, "DestDir", "", kPathCapacity).empty() ||
        !ReadProfileString(d.ini, entryName, "Run", "", kPathCapacity).empty();
    if (placed && !placedAsListed) {
      Report(kWarning, list, line,
             "%s is listed with a folder, and the control's up-to-date check looks for a "
             "section [%s], not [%s]: it unpacks the cabinet%s again on every page load",
             entryName, entryName, section.c_str(), run.empty() ? "" : " and runs its program");
    }
  }
  if (!run.empty()) {
    bool listed = false;
    for (const std::string& name : names) listed |= CabinetPathKey(name) == CabinetPathKey(run);
    if (!IsContainedRelativePath(run.c_str())) {
      Report(kError, d.ini.shownPath, runLine,
             "[%s] Run=%s leaves the extraction folder: the control does not run it",
             section.c_str(), run.c_str());
    } else if (!listed) {
      Report(kError, d.ini.shownPath, runLine,
             "[%s] Run=%s is not in the cabinet (gcab lists %zu file(s)): the control has "
             "nothing to run",
             section.c_str(), run.c_str(), names.size());
    }
  }

  bool programs = false;
  for (const std::string& name : names) programs |= IsCheckedInCabinet(name, run);
  if (!programs) return;
  std::string scratch = MakeScratchFolder();
  if (scratch.empty() || !ExtractCabinetTo(cabinet, scratch)) {
    Report(kError, list, line, "cabinet %s could not be extracted to check its programs",
           section.c_str());
  } else {
    for (const std::string& name : names) {
      if (!IsCheckedInCabinet(name, run) || !IsContainedRelativePath(name.c_str())) continue;
      std::string inside = name;
      for (char& c : inside) {
        if (c == '\\') c = '/';
      }
      CheckProgramSignature(d, scratch + "/" + inside, name + " in cabinet " + section, list,
                            line);
    }
  }
  RemoveScratchFolder(scratch);
}

// The size and digest the list gives against the site's file.
void CheckIntegrity(Deployment& d, const DistributionEntry& entry, const std::string& relative,
                    const std::string& list, int line) {
  FileIntegrity actual;
  if (!ReadFileIntegrity(SiteFilePath(*d.site, relative), &actual)) {
    Report(kError, list, line, "%s cannot be read to check its size and digest",
           entry.FileName);
  } else if (actual.size != entry.Size) {
    Report(kError, list, line,
           "%s is %llu bytes and the list gives %lu: the control does not install it",
           entry.FileName, actual.size, entry.Size);
  } else if (memcmp(actual.sha256, entry.Sha256, kSha256Bytes) != 0) {
    Report(kError, list, line,
           "the SHA-256 digest of %s differs from the list's: the control does not install it",
           entry.FileName);
  }
}

// A listed name whose file the site has in another case: a server that
// ignores case (IIS) finds it, one that tells names apart (nginx, Apache on
// Unix) does not. The server given by --base is asked which it is.
void CheckNameCase(Deployment& d, const char* name, const std::string& url,
                   const std::string& actual, const std::string& list, int line) {
  int status = 0;
  std::string head, problem = "the server was not asked (give --base URL)";
  if (d.site->served && FetchHead(url, d.options->timeoutMs, &status, &head, &problem)) {
    if (status == 200) return;
    problem = "the server answers status " + std::to_string(status);
  }
  Report(kWarning, list, line,
         "%s differs only in case from the site's file %s: a server that tells names apart by "
         "case does not find it, and the control fails to download it on every page load (%s)",
         name, actual.c_str(), problem.c_str());
}

// How the server sends a list: the control takes its bytes as they arrive,
// and proxies' filters go by the type.
void CheckListAnswer(Deployment& d, const std::string& url, const std::string& list) {
  int status = 0;
  std::string head, problem;
  if (!FetchHead(url, d.options->timeoutMs, &status, &head, &problem) || status != 200) return;
  const std::string encoding = HeaderValue(head, "Content-Encoding");
  if (!encoding.empty() && CompareTextNoCase(encoding.c_str(), "identity") != 0) {
    Report(kWarning, list, 0,
           "the server sends the list compressed (Content-Encoding: %s) to a client that "
           "accepts it: a proxy may hand that copy to the control, which reads the compressed "
           "bytes as its list; switch compression off for lists",
           encoding.c_str());
  }
  const std::string type = HeaderValue(head, "Content-Type");
  if (!StartsWithNoCase(type.c_str(), "text/")) {
    Report(kWarning, list, 0,
           "the server sends the list %s%s, not as text: proxies and content filters may hold "
           "it as a download; serve lists as text/plain",
           type.empty() ? "without a type" : "as ", type.c_str());
  }
}

void CheckEntry(Deployment& d, const DistributionEntry& entry, const std::string& list, int line) {
  const char* namePart = ComponentNamePart(entry.FileName);
  if (!IsUsableNamePart(namePart)) {
    Report(kError, list, line, "%s names no file the control can keep: it is ignored",
           entry.FileName);
    return;
  }
  if (entry.Integrity == kIntegrityMalformed) {
    Report(kError, list, line,
           "%s: the field after the version is not SIZE:SHA256 (64 hex digits): the control "
           "refuses the entry",
           entry.FileName);
    return;
  }
  std::string relative, url;
  if (!ServerFile(d, entry.FileName, list, line, &relative, &url)) return;
  bool present = SiteFileExists(*d.site, relative);
  std::string actual;
  if (!present && FindSiteFileInOtherCase(*d.site, relative, &actual)) {
    CheckNameCase(d, entry.FileName, url, actual.substr(actual.rfind('/') + 1), list, line);
    relative = actual;
    present = true;
  }
  if (!present) {
    Report(kError, list, line,
           "%s is not in the site: the control fails to download it on every page load",
           entry.FileName);
  } else if (entry.Integrity == kIntegrityGiven) {
    CheckIntegrity(d, entry, relative, list, line);
  }
  if (entry.Version == 0) {
    Report(kWarning, list, line,
           "%s has version 0 (or none): the control downloads it on every page load",
           entry.FileName);
  }
  char expanded[kPathCapacity];
  switch (ExpandCompressedName(namePart, expanded, sizeof expanded)) {
    case kUnknownCompressed:
      Report(kError, list, line,
             "%s is a compressed name the control has no expansion for: it is downloaded on "
             "every page load and never installed",
             entry.FileName);
      return;
    case kExpandedName:
      if (present && IsProgramName(expanded)) {
        std::string scratch = MakeScratchFolder();
        std::string target = scratch + "/" + WithoutLeadingSeparators(expanded);
        if (scratch.empty() || !ExpandCompressedFile(SiteFilePath(*d.site, relative), target)) {
          Report(kError, list, line, "%s does not expand (msexpand fails on it)",
                 entry.FileName);
        } else {
          CheckProgramSignature(d, target, std::string(entry.FileName) + " (expanded)", list,
                                line);
        }
        RemoveScratchFolder(scratch);
      }
      return;
    case kNotCompressed:
      break;
  }
  if (!present) return;
  if (IsProgramName(namePart)) {
    CheckProgramSignature(d, SiteFilePath(*d.site, relative), entry.FileName, list, line);
  }
  if (IsCabinetName(namePart)) CheckCabinet(d, entry.FileName, namePart, relative, list, line);
}

// --stamp: each line naming a file of the site gets that file's size and
// digest; the list is written back when that changed it, every other byte
// (CR LF included) as it was.
void StampList(Deployment& d, const std::string& relative, const std::string& list,
               std::string* text) {
  std::string stamped;
  size_t copied = 0;
  std::unique_ptr<DistributionList> one(new DistributionList);
  for (const ListLine& line : SplitListLines(*text)) {
    const std::string old = text->substr(line.offset, line.length);
    ParseDistributionText(old.c_str(), one.get());
    if (old.find('\n') != std::string::npos || one->Count != 1) continue;
    const DistributionEntry& entry = one->Entries[0];
    std::string file, url;
    FileIntegrity integrity;
    if (!IsUsableNamePart(ComponentNamePart(entry.FileName)) ||
        !ServerFile(d, entry.FileName, list, line.line, &file, &url) ||
        !SiteFileExists(*d.site, file) ||
        !ReadFileIntegrity(SiteFilePath(*d.site, file), &integrity)) {
      continue;
    }
    const std::string now = StampedLine(old, IntegrityField(integrity));
    if (now.size() >= kDistributionNameCapacity) {
      Report(kWarning, list, line.line,
             "%s is not stamped: with its size and digest the line would be %zu characters, "
             "and the control leaves out lines of %d or more",
             entry.FileName, now.size(), (int)kDistributionNameCapacity);
      continue;
    }
    stamped += text->substr(copied, line.offset - copied) + now;
    copied = line.offset + line.length;
  }
  stamped += text->substr(copied);
  if (stamped == *text) return;
  if (stamped.size() > kTransferBufferSize && text->size() <= kTransferBufferSize) {
    Report(kError, list, 0,
           "the list is not stamped: with the sizes and digests it would be %zu bytes, and the "
           "control reads only its first %d",
           stamped.size(), kTransferBufferSize);
    return;
  }
  FILE* out = fopen(SiteFilePath(*d.site, relative).c_str(), "wb");
  const bool written = out && fwrite(stamped.data(), 1, stamped.size(), out) == stamped.size();
  if (out && fclose(out) != 0) out = nullptr;
  if (!written || !out) {
    Report(kError, list, 0, "the stamped list could not be written: %s", strerror(errno));
    return;
  }
  printf("%s: sizes and digests written\n", list.c_str());
  *text = stamped;
}

void CheckList(Deployment& d, const PageParamLine& param) {
  std::string relative, url, text;
  if (!ServerFile(d, param.value, d.page, param.line, &relative, &url)) return;
  if (!ReadSiteFile(*d.site, relative, &text)) {
    Report(kError, d.page, param.line,
           "the distribution list %s is not in the site: the control updates none of its "
           "kind's files",
           param.value.c_str());
    return;
  }
  const std::string list = ShownPath(*d.site, relative);
  if (d.options->stamp) StampList(d, relative, list, &text);
  if (d.site->served) CheckListAnswer(d, url, list);
  if (text.size() > kTransferBufferSize) {
    Report(kError, list, LineOfOffset(text, kTransferBufferSize),
           "the list is %zu bytes long: the control reads only its first %d, up to here",
           text.size(), kTransferBufferSize);
    text.resize(kTransferBufferSize);
  }
  text = text.c_str();  // the control's buffer ends at the first zero byte
  std::unique_ptr<DistributionList> parsed(new DistributionList);
  ParseDistributionText(text.c_str(), parsed.get());

  int entries = 0;
  bool pastLimit = false;
  for (const ListLine& line : SplitListLines(text)) {
    if (entries >= kDistributionEntries) {
      if (!pastLimit) {
        Report(kError, list, line.line,
               "more than %d entries: the control reads the first %d and ignores %d line(s) "
               "from here",
               (int)kDistributionEntries, (int)kDistributionEntries, parsed->LinesPastLimit);
      }
      pastLimit = true;
      continue;
    }
    const bool joined = JoinsLines(text, line);
    if (joined) {
      Report(kError, list, line.line,
             "the lines end in LF alone: the control reads this line and the ones after it as "
             "one entry%s",
             line.length >= kDistributionNameCapacity ? ", which is too long and left out" : "");
    }
    if (line.length >= kDistributionNameCapacity) {
      if (!joined) {
        Report(kError, list, line.line,
               "the line is %zu characters long: the control leaves out lines of %d or more",
               line.length, (int)kDistributionNameCapacity);
      }
      continue;
    }
    if (entries < parsed->Count) CheckEntry(d, parsed->Entries[entries], list, line.line);
    ++entries;
  }
}

}  // namespace

void CheckProgramSignature(Deployment& d, const std::string& path, const std::string& what,
                           const std::string& file, int line) {
  auto known = d.signatures->find(path);
  SignatureState state = known != d.signatures->end()
                             ? (SignatureState)known->second
                             : CheckSignature(path, d.options->trustFile);
  (*d.signatures)[path] = state;
  const char* trust = d.options->trustFile.empty() ? "the system's store" : "the trust file";
  switch (state) {
    case kSignatureTrusted:
      return;
    case kSignatureMissing:
      Report(kError, file, line,
             "%s is not signed: the workstation's publisher check refuses it", what.c_str());
      return;
    case kSignatureAltered:
      Report(kError, file, line,
             "%s was changed after it was signed: its signature does not match it",
             what.c_str());
      return;
    case kSignatureUntrusted:
      Report(kError, file, line,
             "%s is signed by a publisher no root in %s vouches for: the publisher check "
             "refuses it",
             what.c_str(), trust);
      return;
    case kSignatureUnchecked:
      Report(kWarning, file, line, "osslsigncode could not be run: %s is not checked",
             what.c_str());
      return;
  }
}

void CheckDistributionLists(Deployment& d) {
  for (int kind = 0; kind < kSessionKinds; ++kind) {
    char name[32];
    FormatText(name, sizeof name, "%sDistFile", SessionParameterPrefix(kind));
    const PageParamLine* param = FindPageParam(*d.object, name);
    // A value too long has stopped the deployment already.
    if (param && ControlTextLength(param->value) < 64) CheckList(d, *param);
  }
}
