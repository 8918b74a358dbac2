// Comma-separated fields as the formula files' lines and the resume argument split them: a run
// of commas is one separator, and commas at either end of a text make no field.
#pragma once

// The start of the next field at or after p: past any commas (the end of the text when none).
inline const char *skipCommas(const char *p) {
    while (*p == ',') ++p;
    return p;
}

// The end of the field that starts at p: its first comma, or the end of the text.
inline const char *fieldEnd(const char *p) {
    while (*p != ',' && *p != '\0') ++p;
    return p;
}
