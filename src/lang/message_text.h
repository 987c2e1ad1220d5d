// Messages of the string table, translated, in a ring of eight 256-byte buffers: a returned
// text stays valid until eight further calls have been made.
#pragma once

const char* MessageText(int id);
