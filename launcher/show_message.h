#pragma once

class StringTable;

inline constexpr const char* kMessageCaption = "Vantor 3 v1.1.74.3";

// The launcher's one table, or null when it could not be made.
extern StringTable* stringTable;

// Shows the table's text for a label, any other text as it is; nothing for
// an empty text.
void ShowMessage(const char* text, unsigned char information);
