#pragma once
// Control ids of the tab form frame "tabForm_layout" (forms/tabForm.h).
#define ID_TABFORM_TABS 100
#define ID_TABFORM_PSHSPEICHERN 101
#define ID_TABFORM_PSHSCHLIESSEN 102
