// Resource and control ids, shared by setup.rc and the code.
#ifndef KOVRA_RESOURCE_IDS_H
#define KOVRA_RESOURCE_IDS_H

#define IDI_SETUP            163
#define IDB_SIDE_PICTURE     179
#define IDR_PAYLOAD          144
#define PAYLOAD_TYPE         "TEMPLATE"

#define IDD_WELCOME          168
#define IDD_TARGET           167
#define IDD_CONFIRM          169
#define IDD_PROGRESS         180

// Buttons of the wizard pages.
#define IDC_NEXT             1   // "Weiter", on the confirmation page "INSTALL"
#define IDC_CANCEL           2   // "Abbrechen"; Esc raises it too
#define IDC_BACK             4   // "Zurück"

#define IDC_WELCOME_TEXT     1014
#define IDC_TARGET_TEXT      1015
#define IDC_CONFIRM_TEXT     1016
#define IDC_TARGET_EDIT      1000
#define IDC_BROWSE           1005
#define IDC_FREE_SPACE       1008
#define IDC_SPACE_NEEDED     1009
#define IDC_FREE_CAPTION     1010
#define IDC_TARGET_DISPLAY   1011
#define IDC_PROGRESS_BAR     1012
#define IDC_PROGRESS_LABEL   1013
#define IDC_PROGRESS_NOTE    -1

#endif
