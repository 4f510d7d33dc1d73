// Resource IDs of the station-details dialog: its template and its controls.
#pragma once

// Included by the resource script as well: plain #defines only.
#define IDD_STATION_DETAILS 101

#define IDC_LOCATION 1000           // one-line edit
#define IDC_SOAPBOX 1001            // multi-line edit, Enter starts a new line
#define IDC_ADDRESS 1002            // multi-line edit, Enter starts a new line
#define IDC_EMAIL 1004              // one-line edit
#define IDC_CLUB 1005               // one-line edit
#define IDC_OPERATORS 1006          // multi-line edit, Enter presses OK
#define IDC_NAME 1007               // one-line edit
#define IDC_CLAIMED 1008            // one-line edit
#define IDC_CONTEST 1009            // one-line edit
#define IDC_CALLSIGN 1010           // one-line edit
#define IDC_CATEGORY 1013           // editable drop-down, list in given order
#define IDC_CATEGORY_OPERATOR 1014  // editable drop-down, sorted list
