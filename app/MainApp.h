// The application object: start-up, the two batch runs and the interactive run.
#pragma once
#include "framework/WinApp.h"
#include <string>
#include <vector>

class CMainApp : public CWinApp {
public:
    // The whole life of the program; returns FALSE in every run so that no message
    // loop runs outside the main window's modal dialog.
    BOOL InitInstance() override;

    // Expands every named file beside its source (bBesideSource) or into a folder asked
    // for first. True when every file was expanded.
    bool ExpandFiles(const std::vector<std::string>& arrFiles, BOOL bBesideSource);
};
