// End of download and update; see lifetime.h.
#include "download/lifetime.h"

#include "download/cache_file.h"
#include "download/internet_session.h"
#include "download/progress_dialog.h"

void EndDownload() {
  DestroyProgressDialogAndWait();
  ReleaseTransferSpace();
}
bool DownloadEnded() { return ProgressDialogGone() && !InternetRequestsOutstanding(); }
