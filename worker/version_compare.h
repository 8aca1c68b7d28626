#pragma once

// Whether the new version string is greater than the installed one, byte by
// byte as unsigned values, the way strcmp orders them: this compares text,
// not numbers ("1.10" is older than "1.9").
bool VersionTextIsNewer(const char* newVersion, const char* installedVersion);
