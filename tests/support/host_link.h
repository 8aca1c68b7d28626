// A Unix symbolic link made host-side, for what a Windows program cannot
// make under Wine (CreateSymbolicLinkW makes nothing there). Windows
// programs see it as a folder with the reparse-point attribute.
#pragma once
#include <string>

// Makes `link` (a Windows path that must not exist) a link to `target`.
bool MakeHostLink(const std::string& target, const std::string& link);
// The same to a target named outside the code page.
bool MakeHostLink(const std::wstring& target, const std::string& link);
// Removes such a link (never what it leads to).
bool RemoveHostLink(const std::string& link);
