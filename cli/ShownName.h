// Names as the tool prints them: a name can hold any byte but '/' and NUL, and
// printed as it is, a line feed in it makes lines the tool never wrote and an ESC
// commands the terminal.
#pragma once
#include <string>

// The name with its control bytes escaped as C writes them ("\n", "\t", "\033");
// natively also the control characters 0x80-0x9F written in UTF-8 ("\302\233"),
// which a terminal may take for ESC sequences. Every other byte stays as it is.
std::string ShownName(const std::string& strName);
