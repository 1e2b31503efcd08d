// Running the setup program that a cabinet names, once it is extracted.
#ifndef WEVELINK_DOWNLOAD_RUN_PROGRAM_H
#define WEVELINK_DOWNLOAD_RUN_PROGRAM_H

// Checks programPath's publisher first: an untrusted program is not
// started, "Security error %X executing program %s:\r\n%s" is logged and
// shown through ThreadedMessageBox. A trusted one is started in
// workingFolder, with its path (quoted) as the whole command line, and the
// call returns once it is idle and waiting for input, has ended, or a
// minute has passed; the page's messages go on being dispatched meanwhile.
// A program that cannot be started is logged with its code.
void RunProgram(const char* workingFolder, const char* programPath);

#endif
