#pragma once
// Identifiers shared by resource scripts and code.

// The application icon.
#define IDI_APP 1

// Window class of the gradient title control, as dialog resources name it.
#define KP_TITLE_GRADIENT_CLASS "MlGradientTitel"
