// End of download and update; see lifetime.h.
#include "download/lifetime.h"

#include "download/progress_dialog.h"

void EndDownload() { DestroyProgressDialogAndWait(); }
bool DownloadEnded() { return ProgressDialogGone(); }
