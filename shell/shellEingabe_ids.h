#pragma once
// Control ids of the shell's contract input form and appointment calendar
// (shell/shellEingabe.rc), and their menu items.
#define ID_VE_VERSNR 701
#define ID_VE_NNAME 702
#define ID_VE_VERSSPARTE 703
#define ID_VE_VSTEUER 704
#define ID_VE_BEITRAG 705
#define ID_VE_BEGINN 706
#define ID_VE_AKTIV 707
#define ID_VE_NOTIZ 708
#define ID_VE_HINWEIS 709
#define ID_VE_PSHVORHER 711
#define ID_VE_PSHWEITER 712
#define ID_VE_PSHSPEICHERN 713
#define ID_VE_PSHSCHLIESSEN 714

#define ID_TK_CALENDAR 751
#define ID_TK_DATUM 752
#define ID_TK_TAG 753
#define ID_TK_WIEDERVORLAGEN 754

// The shell's own menu item of the input form (in the Datei menu).
#define ID_MENU_VERTRAEGE 24590
// Snippets of the line-of-insurance field's context menu.
#define ID_SNIPPET_FIRST 24600
