// The association list and the new-file templates: data and text rules without Win32.
#pragma once
#include <stddef.h>

#include "setup/setup_options.h"

// Entry i holds the extensions of archive kind i, one after another (".gz.tgz").
extern const char* const AssociationList[ArchiveKindCount];

// Copies the first extension of rest into out (cut to outSize) and returns where the next one
// begins: at its dot, or at the terminator after the last.
const char* NextExtension(const char* rest, char* out, size_t outSize);

enum { KvoTemplateSize = 20, ZipTemplateSize = 22 };

// The previous ShellNew key of .kvo or .zip is kept whole in the record before our new-file
// entry replaces it: at most this many values of at most this many bytes each, and no subkey.
// A key beyond that stays as it is, and that extension gets no entry of ours.
enum { ShellNewValueCount = 32, ShellNewValueSize = 16384 };
// Records written before the whole key was kept hold a "Data" value of at most this size.
enum { SavedShellNewDataSize = 4096 };
// The record's "NewFile": whether our entry is installed, and what it replaced. An earlier
// version's record has no "NewFile"; where our entry from that version is in place, the record
// is marked NewFileEarlierRecord and its "ShellNew" (or "ShellNewData") still says what ours
// replaced.
// While the uninstall gives the replaced entry back, NewFileRestoring is added to the state: our
// entry is gone by then, and a run cut off in between finishes the restore.
enum { NewFileNotInstalled = 0, NewFileReplacedKey = 1, NewFileAddedKey = 2, NewFileEarlierRecord = 3,
       NewFileRestoring = 0x10 };

// Empty archives for the shell's "New" menu, which PlaceTemplateSignatures fills: the program
// file never holds a complete archive signature.
extern unsigned char KvoTemplate[KvoTemplateSize];
extern unsigned char ZipTemplate[ZipTemplateSize];
void PlaceTemplateSignatures();

// Windows Me, 2000 and later take a template file named by "FileName"; 95, 98 and NT 4.0 the
// bytes themselves as "Data". Unsigned comparisons, as GetVersionExA reports the numbers.
bool UsesTemplateFile(unsigned long majorVersion, unsigned long minorVersion);

// Volume extensions .r00 onward that associating .kvo writes: 30 on the NT family, else 100.
// Releasing always treats all 100.
int AssociatedVolumeCount(bool ntFamily);
enum { ReleasedVolumeCount = 100 };

// ".r00" to ".r99" into a buffer of at least 5 bytes.
void VolumeExtension(int number, char* out);
