#pragma once
// Identifiers shared by the test resources and the tests.

#define IDI_TEST 1

// Window class of the tests' custom title control, as the dialogs name it.
#define KP_TEST_TITLE_CLASS "KpTestTitel"

// testForm
#define ID_PSHOK 100
#define ID_PSHRECHNEN 101
#define ID_SLENAME 102
#define ID_CCTITEL 103
#define ID_TXTLABEL 104
#define ID_PSHOHNE 105

// testDialog
#define ID_DLG_OK 100
#define ID_DLG_TEXT 101

// testMenu
#define ID_MENU_NEU 200
#define ID_MENU_ENDE 201
#define ID_MENU_OHNE 202

// demoForm
#define ID_DEMO_TITEL 101
#define ID_DEMO_TXTNAME 102
#define ID_DEMO_SLENAME 103
#define ID_DEMO_TXTBETRAG 104
#define ID_DEMO_SLEBETRAG 105
#define ID_DEMO_GRPSPARTE 106
#define ID_DEMO_RDBHAUSRAT 107
#define ID_DEMO_RDBWOHN 108
#define ID_DEMO_CHKAKTIV 109
#define ID_DEMO_MLENOTIZ 110
#define ID_DEMO_LSTORT 111
#define ID_DEMO_CMBART 112
#define ID_DEMO_ICON 113
#define ID_DEMO_BALKEN 114
#define ID_DEMO_PSHANPASSEN 115
#define ID_DEMO_PSHSCHLIESSEN 116
