// Running gcab, msexpand and osslsigncode; see external_tools.h.
#include "external_tools.h"

#include <fcntl.h>
#include <ftw.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Runs argv[0] (searched on PATH) with stdin from inputFile (or /dev/null)
// and stdout into outputFile (or, with stderr, into *output). Returns the
// exit code, or -1 when it could not be started or was killed. Started with
// posix_spawnp, which does not copy this process (and its sanitizers'
// shadow memory) the way fork would.
int RunTool(const std::vector<std::string>& arguments, const std::string& inputFile,
            const std::string& outputFile, std::string* output) {
  int pipeEnds[2];
  if (pipe2(pipeEnds, O_CLOEXEC) != 0) return -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, inputFile.empty() ? "/dev/null" : inputFile.c_str(),
                                   O_RDONLY, 0);
  if (outputFile.empty()) {
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
  } else {
    posix_spawn_file_actions_addopen(&actions, 1, outputFile.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
  }
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 2);
  std::vector<char*> argv;
  for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t child = -1;
  int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeEnds[1]);
  if (spawned != 0) {
    close(pipeEnds[0]);
    return -1;
  }
  std::string captured;
  char buffer[4096];
  ssize_t n;
  while ((n = read(pipeEnds[0], buffer, sizeof buffer)) > 0) captured.append(buffer, (size_t)n);
  close(pipeEnds[0]);
  int status = 0;
  if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  if (output) *output = captured;
  return WEXITSTATUS(status) == 127 ? -1 : WEXITSTATUS(status);
}

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) { return remove(path); }

}  // namespace

bool ListCabinet(const std::string& path, std::vector<std::string>* names, std::string* problem) {
  std::string output;
  names->clear();
  int code = RunTool({"gcab", "-t", path}, "", "", &output);
  if (code != 0) {
    *problem = code < 0 ? "gcab could not be run" : output.substr(0, output.find('\n'));
    return false;
  }
  size_t at = 0;
  while (at < output.size()) {
    size_t end = output.find('\n', at);
    if (end == std::string::npos) end = output.size();
    if (end > at) names->push_back(output.substr(at, end - at));
    at = end + 1;
  }
  return true;
}

bool ExtractCabinetTo(const std::string& path, const std::string& folder) {
  return RunTool({"gcab", "-x", "-C", folder, path}, "", "", nullptr) == 0;
}

bool ExpandCompressedFile(const std::string& path, const std::string& target) {
  return RunTool({"msexpand"}, path, target, nullptr) == 0;
}

SignatureState CheckSignature(const std::string& path, const std::string& trustFile) {
  std::vector<std::string> arguments = {"osslsigncode", "verify"};
  if (!trustFile.empty()) {
    arguments.push_back("-CAfile");
    arguments.push_back(trustFile);
  }
  arguments.push_back("-in");
  arguments.push_back(path);
  std::string output;
  int code = RunTool(arguments, "", "", &output);
  if (code < 0) return kSignatureUnchecked;
  if (code == 0) return kSignatureTrusted;
  if (output.find("No signature found") != std::string::npos ||
      output.find("Unrecognized file type") != std::string::npos ||
      output.find("unsupported input file type") != std::string::npos) {
    return kSignatureMissing;
  }
  if (output.find("MISMATCH") != std::string::npos) return kSignatureAltered;
  return kSignatureUntrusted;
}

std::string MakeScratchFolder() {
  const char* temp = getenv("TMPDIR");
  std::string pattern = std::string(temp && *temp ? temp : "/tmp") + "/wevelink-check.XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  if (!mkdtemp(name.data())) return "";
  return name.data();
}

void RemoveScratchFolder(const std::string& folder) {
  if (!folder.empty()) nftw(folder.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
}
