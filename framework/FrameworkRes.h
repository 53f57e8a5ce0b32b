// Ids of the strings that the framework itself shows; the program's resource
// script provides their texts.
#pragma once

#define IDP_FAILED_TO_LAUNCH_HELP 61703
