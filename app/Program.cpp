// The program's one application object.
#include "app/MainApp.h"

CMainApp theApp;
