// Messages of the string table, translated, in a ring of eight 256-byte buffers: a returned
// text stays valid until eight further calls have been made.
#pragma once

const char* MessageText(int id);

// Loads the built-in text of a message into buffer (capacity bytes; empty when no table holds
// it): from the program's own table when programOnly, else from the resource module first and
// the program's table for what it lacks (message_text_win32.cpp).
void LoadBuiltInMessage(int id, char* buffer, int capacity, bool programOnly);

// Messages that the program uses as printf formats with one string argument.
bool IsFormatMessage(int id);
