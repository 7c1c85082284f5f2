#pragma once
// Numbers of the resources embedded in the executable, shared by the resource script and the code.
// A window's background picture is 100 plus the window's number.

#define IDI_PROGRAM 1
#define IDI_TERMS 2

#define IDP_FORM1 101
#define IDP_FORM2 102
#define IDP_FORM3 103
#define IDP_FORM4 104
#define IDP_FORM5 105
#define IDP_FORM6 106
#define IDP_FORM7 107
#define IDP_FORM8 108
