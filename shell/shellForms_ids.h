#pragma once
// Control ids of the shell's record forms (shell/shellForms.rc).
#include "resources/tabForm_ids.h"

#define ID_FORM_PSHVORHER 103
#define ID_FORM_PSHWEITER 104

// Fields of the pages, one id each across all pages.
#define ID_ADR_ADRESSNR 301
#define ID_ADR_ANREDE 302
#define ID_ADR_TITEL 303
#define ID_ADR_VNAME 304
#define ID_ADR_NNAME 305
#define ID_ADR_STRASSE 306
#define ID_ADR_PLZ 307
#define ID_ADR_ORT 308
#define ID_ADR_TELEFON 311
#define ID_ADR_GEBDATUM 312
#define ID_ADR_KUNDE 313
#define ID_ADR_BETREUNR 314
#define ID_ADR_ANGELEGT 315
#define ID_ADR_NOTIZ 321

#define ID_GES_GESNR 401
#define ID_GES_GESELL 402
#define ID_GES_GKURZ 403
#define ID_GES_SPARTE 404
#define ID_GES_GESNAME 405
#define ID_GES_STRASSE 411
#define ID_GES_PLZ 412
#define ID_GES_ORT 413
#define ID_GES_TELEFON 414
#define ID_GES_AGENTURNR 415

#define ID_VER_BETREUNR 501
#define ID_VER_ANREDE 502
#define ID_VER_TITEL 503
#define ID_VER_VNAME 504
#define ID_VER_NNAME 505
#define ID_VER_STRASSE 511
#define ID_VER_PLZ 512
#define ID_VER_ORT 513
#define ID_VER_TELEFON 514
#define ID_VER_PROVSATZ 515
#define ID_VER_AKTIV 516

// The pop-up menu of the record forms.
#define ID_POPUP_SPEICHERN 601
#define ID_POPUP_LESEN 602
#define ID_POPUP_BEARBEITEN 603
#define ID_POPUP_START 604
#define ID_POPUP_VERWERFEN 605
