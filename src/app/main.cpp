#include "app/GrovewrightApp.h"

wxIMPLEMENT_APP(GrovewrightApp);
