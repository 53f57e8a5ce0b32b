// The tool's lines, put together as strings: the Windows tool carries no printf (see
// ListFormat.cpp).
#pragma once
#include <cstdio>
#include <string>

void Say(std::FILE* pStream, const std::string& strLine);

// "PROGRAM: WHAT: REASON" on standard error, WHAT shown escaped.
void ReportError(const std::string& strWhat, const std::string& strReason);
