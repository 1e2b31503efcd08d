/* Resource and control ids of the progress dialog and the product icon.
   Shared by the resource script and the code, so only #defines here. */
#ifndef WEVELINK_RESOURCES_PROGRESS_IDS_H
#define WEVELINK_RESOURCES_PROGRESS_IDS_H

#define IDI_WEVELINK            100

#define IDD_PROGRESS_WEB        101
#define IDD_PROGRESS_DESKTOP    102
#define IDB_PROGRESS_WEB        103
#define IDB_PROGRESS_DESKTOP    104

#define IDC_PROGRESS_MESSAGE    1001
#define IDC_COMPONENT_LINE      1002
#define IDC_DOWNLOAD_BAR        1003
#define IDC_VERSION_LABEL       1004
#define IDC_STATUS_LINE         1006
#define IDC_OVERALL_BAR         1007
#define IDC_KILOBYTES           1008
#define IDC_PERCENTAGE          1009

#endif
