// Messages of the string table, translated, in a ring of eight 256-byte buffers: a returned
// text stays valid until eight further calls have been made.
#pragma once

const char* MessageText(int id);

// Loads the built-in text of a message into buffer (capacity bytes; empty when no table holds
// it): from the program's own table when programOnly, else from the resource module first and
// the program's table for what it lacks or spoils.
void LoadBuiltInMessage(int id, char* buffer, int capacity, bool programOnly);

// Loads string id of the resource module's string table (fromResourceModule) or of the
// program's own into buffer (capacity bytes); returns the characters loaded, 0 when the table
// lacks it (message_text_win32.cpp).
int LoadTableString(int id, char* buffer, int capacity, bool fromResourceModule);

// Messages that the program uses as printf formats with one string argument.
bool IsFormatMessage(int id);
