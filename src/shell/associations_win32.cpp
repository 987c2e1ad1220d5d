// Taking archive extensions over (with a record of the previous handler) and handing them back.
#include <windows.h>

#include <string.h>

#include "registry/reg_text.h"
#include "registry/registry.h"
#include "shell/associations.h"
#include "shell/capabilities.h"
#include "shell/program_file.h"
#include "shell/shell.h"
#include "support/run_log.h"
#include "support/system.h"
#include "support/text.h"

static bool IsProductClass(const char* className) {
    return CompareIgnoreCase(className, "Krelvo") == 0 ||
           CompareIgnoreCase(className, "Krelvo.ZIP") == 0;
}

bool IsOwnClass(const char* extension) {
    char className[80];
    ReadRegString(HKEY_CLASSES_ROOT, extension, "", className, "", sizeof(className));
    return IsProductClass(className);
}

// The empty archive that the shell's "New" entry of .kvo (index 0) or .zip (index 1) creates.
struct NewFileTemplate {
    const unsigned char* bytes;
    DWORD size;
    const char* fileName;
};

static NewFileTemplate TemplateOf(int index) {
    NewFileTemplate entry;
    entry.bytes = index == 0 ? KvoTemplate : ZipTemplate;
    entry.size = index == 0 ? KvoTemplateSize : ZipTemplateSize;
    entry.fileName = index == 0 ? "kvonew.dat" : "zipnew.dat";
    return entry;
}

// The record of an extension, below HKEY_LOCAL_MACHINE like the classes it gives back: an
// uninstall run by another account (a deployment tool's, as SYSTEM) must find it. On 64-bit
// Windows this is the 32-bit view, where every release of this 32-bit program looks.
const char RecordsKey[] = "Software\\Krelvo\\Setup";

static void RecordPath(const char* extension, char* path /* 48 bytes */) {
    ConcatText(path, 48, RecordsKey, "\\", extension);
}

// Where a record keeps the values of the ShellNew key that our entry replaced.
static void KeptShellNewPath(const char* savedPath, char* path /* 48 bytes */) {
    ConcatText(path, 48, savedPath, "\\ShellNewKey");
}

// Values being copied or compared, one at a time (one thread).
static unsigned char valueBytes[ShellNewValueSize];

// Copies every value of a ShellNew key to another key; only checks, writing nothing, unless
// write. False when the key holds more or larger values than the bounds: it cannot be kept.
static bool CopyValues(HKEY fromRoot, const char* from, HKEY toRoot, const char* to, bool write) {
    return CopyRegValues(fromRoot, from, toRoot, to, ShellNewValueCount, valueBytes,
                         sizeof(valueBytes), write);
}

// Whether the key holds the value (one larger than valueBytes counts as none).
static bool HasValue(HKEY root, const char* path, const char* name) {
    DWORD count = 0;
    return ReadRegValue(root, path, name, valueBytes, sizeof(valueBytes), &count, nullptr);
}

// The values of a record, and of its class part; "Exist" last, as the value that makes a copy
// of one whole.
static const char* const RecordValues[] = {"Type", "Content", "ShellNew", "ShellNewData", "NewFile", "Exist"};
static const char* const ClassRecordValues[] = {"Type", "ClassKey", "Content", "Exist"};
enum {
    RecordValueCount = sizeof(RecordValues) / sizeof(RecordValues[0]),
    ClassRecordValueCount = sizeof(ClassRecordValues) / sizeof(ClassRecordValues[0]),
};

// Copies the named values that a record holds into the machine's record to, in that order.
static void CopyRecordValues(HKEY fromRoot, const char* from, const char* to, const char* const* names, int count) {
    for (int i = 0; i < count; i++) {
        DWORD size = 0;
        DWORD type = REG_NONE;
        if (ReadRegValue(fromRoot, from, names[i], valueBytes, sizeof(valueBytes), &size, &type))
            WriteRegValue(HKEY_LOCAL_MACHINE, to, names[i], type, valueBytes, size);
    }
}

// Earlier releases kept an extension's record below the product settings key, in the profile
// of the account that ran setup, where another account's uninstall cannot see it. Such a record
// of the running account moves to the machine's: copied with "Exist" last (1 where it had only
// a class, as a missing "Exist" always read), then deleted. A machine record with "Exist" (or,
// for a record of the new-file entry alone, with "NewFile") is whole and governs; the account's
// then only goes. So a run cut off anywhere finds one whole record. False when the system
// refused a change: the extension is then left as it is, its record where it was.
static bool AdoptEarlierRecord(const char* extension, const char* savedPath) {
    char earlier[32];
    char earlierKept[48];
    char kept[48];
    ConcatText(earlier, sizeof(earlier), "Setup\\", extension);
    KeptShellNewPath(earlier, earlierKept);
    KeptShellNewPath(savedPath, kept);
    bool exist = HasValue(HKEY_CURRENT_USER, earlier, "Exist");
    bool withClass = exist || HasValue(HKEY_CURRENT_USER, earlier, "Type");
    if (!withClass && !HasValue(HKEY_CURRENT_USER, earlier, "NewFile"))
        return true;
    int failures = FailedRegistryChanges();
    if (!HasValue(HKEY_LOCAL_MACHINE, savedPath, "Exist") &&
        (withClass || !HasValue(HKEY_LOCAL_MACHINE, savedPath, "NewFile"))) {
        DeleteRegTree(HKEY_LOCAL_MACHINE, savedPath);
        CopyValues(HKEY_CURRENT_USER, earlierKept, HKEY_LOCAL_MACHINE, kept, true);
        CopyRecordValues(HKEY_CURRENT_USER, earlier, savedPath, RecordValues, RecordValueCount);
        if (withClass && !exist)
            WriteRegDword(HKEY_LOCAL_MACHINE, savedPath, "Exist", 1);
        if (FailedRegistryChanges() != failures)
            return false;
    }
    // "Type" last: while it stays, the record is still found, and the machine's is whole.
    // The kind's "Set" stays with the user's choices.
    for (int i = RecordValueCount - 1; i >= 0; i--)
        DeleteRegValue(HKEY_CURRENT_USER, earlier, RecordValues[i]);
    DeleteRegTree(HKEY_CURRENT_USER, earlierKept);
    return FailedRegistryChanges() == failures;
}

static const DWORD Unrecorded = 0xFFFFFFFF;

static DWORD NewFileState(const char* savedPath) {
    return ReadRegDword(HKEY_LOCAL_MACHINE, savedPath, "NewFile", Unrecorded);
}

// Whether the record says that our new-file entry is in the ShellNew key.
static bool RecordedAsInstalled(DWORD state) {
    if (state != Unrecorded)
        state &= ~NewFileRestoring;
    return state == NewFileReplacedKey || state == NewFileAddedKey || state == NewFileEarlierRecord;
}

// What of ours the ShellNew key holds, as InstallNewFileEntry writes it: a "FileName" naming
// our template file, or our template's bytes as "Data".
enum OurEntry { NoEntryOfOurs, OurTemplateFile, OurTemplateBytes };

static OurEntry NewFileEntryOfOurs(int index, const char* shellNewPath) {
    NewFileTemplate entry = TemplateOf(index);
    char fileName[1024];
    if (ReadRegString(HKEY_CLASSES_ROOT, shellNewPath, "FileName", fileName, "", sizeof(fileName)))
        return CompareIgnoreCase(FileNamePart(fileName), entry.fileName) == 0 ? OurTemplateFile
                                                                              : NoEntryOfOurs;
    DWORD count = 0;
    DWORD type = REG_NONE;
    if (ReadRegValue(HKEY_CLASSES_ROOT, shellNewPath, "Data", valueBytes, sizeof(valueBytes),
                     &count, &type) &&
        type == REG_BINARY && count == entry.size && memcmp(valueBytes, entry.bytes, count) == 0)
        return OurTemplateBytes;
    return NoEntryOfOurs;
}

// An extension that is ours already, with an earlier version's record ("Exist" but no
// "NewFile"): whether that version's entry of ours is what the ShellNew key holds. Then the
// record still says what our entry replaced. The empty archive of our .zip template is the
// system's own "Data" too: as bytes alone it counts as ours only where the record kept what
// ours replaced, as that version did whenever it installed its entry over another.
static bool EarlierEntryOfOurs(int index, const char* shellNewPath, const char* savedPath) {
    if (ReadRegDword(HKEY_LOCAL_MACHINE, savedPath, "Exist", Unrecorded) == Unrecorded)
        return false;
    OurEntry entry = NewFileEntryOfOurs(index, shellNewPath);
    if (entry == OurTemplateFile || (entry == OurTemplateBytes && index == 0))
        return true;
    if (entry == NoEntryOfOurs)
        return false;
    char shellNew[1024];
    DWORD count = 0;
    return (ReadRegString(HKEY_LOCAL_MACHINE, savedPath, "ShellNew", shellNew, "", sizeof(shellNew)) && shellNew[0]) ||
           ReadRegValue(HKEY_LOCAL_MACHINE, savedPath, "ShellNewData", valueBytes,
                        SavedShellNewDataSize, &count, nullptr);
}

// Marks the record when an earlier version's entry of ours is in place (above).
static bool MarkEarlierEntryOfOurs(int index, const char* shellNewPath, const char* savedPath) {
    if (!EarlierEntryOfOurs(index, shellNewPath, savedPath))
        return false;
    WriteRegDword(HKEY_LOCAL_MACHINE, savedPath, "NewFile", NewFileEarlierRecord);
    return true;
}

// A key that we added (an extension's, or its ShellNew key), with our value in it (null: none of
// ours is left). It goes whole when nothing else is in it, in one step, so that a run cut off
// in between cannot leave an empty key that no later run knows as ours; where another program
// has put a value or key of its own into it, only our value goes.
static void DeleteAddedKey(const char* path, const char* value) {
    if (!RegKeyHasSubkeys(HKEY_CLASSES_ROOT, path) &&
        CopyRegValues(HKEY_CLASSES_ROOT, path, HKEY_CLASSES_ROOT, path, value ? 1 : 0, valueBytes,
                      sizeof(valueBytes), false))
        DeleteRegKey(HKEY_CLASSES_ROOT, path);
    else if (value)
        DeleteRegValue(HKEY_CLASSES_ROOT, path, value);
}

// The run's log names each extension taken and given back, with its record's class.
static const char RecordLine[] = "%s %s: class \"%s\", content type \"%s\"";

// The class part of a record: "Exist"; "Type" only where the extension had a default value, and
// "ClassKey" 1 where that class had a key of its own; "Content".
static void SaveClass(const char* extension, const char* savedPath) {
    char className[512];
    char contentType[512];
    bool hasClass = ReadRegString(HKEY_CLASSES_ROOT, extension, "", className, "", sizeof(className));
    // Taken from us since (a record is there only while we hold or held it) without a content
    // type of its own: the one that setup deleted is still the one to come back.
    if (!ReadRegString(HKEY_CLASSES_ROOT, extension, "Content Type", contentType, "", sizeof(contentType)))
        ReadRegString(HKEY_LOCAL_MACHINE, savedPath, "Content", contentType, "", sizeof(contentType));
    WriteRegDword(HKEY_LOCAL_MACHINE, savedPath, "Exist", RegKeyExists(HKEY_CLASSES_ROOT, extension) ? 1 : 0);
    if (hasClass)
        WriteRegString(HKEY_LOCAL_MACHINE, savedPath, "Type", className);
    else
        DeleteRegValue(HKEY_LOCAL_MACHINE, savedPath, "Type");
    if (hasClass && className[0] && RegKeyExists(HKEY_CLASSES_ROOT, className))
        WriteRegDword(HKEY_LOCAL_MACHINE, savedPath, "ClassKey", 1);
    else
        DeleteRegValue(HKEY_LOCAL_MACHINE, savedPath, "ClassKey");
    WriteRegString(HKEY_LOCAL_MACHINE, savedPath, "Content", contentType);
    RunLog(RecordLine, "taking", extension, className, contentType);
}

// A record as read back: a class of our own reads as none, for it is never restored.
struct SavedClass {
    DWORD exist;
    bool hasClass;  // the extension had a default value (records before "ClassKey" always say so)
    bool classKey;  // and its class a key of its own
    char className[512];
    char contentType[512];
};

// False when there is no record at all; "Exist" then reads as 1, a key that existed.
static bool ReadSavedClass(const char* savedPath, SavedClass* saved) {
    const DWORD missing = 0xFFFFFFFF;
    saved->exist = ReadRegDword(HKEY_LOCAL_MACHINE, savedPath, "Exist", missing);
    bool found = saved->exist != missing;
    if (!found)
        saved->exist = 1;
    saved->hasClass = ReadRegString(HKEY_LOCAL_MACHINE, savedPath, "Type", saved->className, "", sizeof(saved->className));
    saved->classKey = ReadRegDword(HKEY_LOCAL_MACHINE, savedPath, "ClassKey", 0) == 1;
    ReadRegString(HKEY_LOCAL_MACHINE, savedPath, "Content", saved->contentType, "", sizeof(saved->contentType));
    if (IsProductClass(saved->className))
        saved->className[0] = '\0';
    return found;
}

// Records the extension's class, content type and new-file entry in its record. Where
// another program took only the class and left our new-file entry in place, the record of what
// our entry replaced stays: that entry is not the new handler's.
static void SaveAssociation(int index, const char* extension, const char* shellNewPath,
                            const char* savedPath) {
    DWORD state = index <= 1 ? NewFileState(savedPath) : DWORD(NewFileNotInstalled);
    bool ourEntryStays = RecordedAsInstalled(state)
                             ? NewFileEntryOfOurs(index, shellNewPath) != NoEntryOfOurs
                             : state == Unrecorded && MarkEarlierEntryOfOurs(index, shellNewPath, savedPath);
    SaveClass(extension, savedPath);
    if (ourEntryStays)
        return;
    char fileName[1024];
    char nullFile[10];
    bool hasFileName =
        ReadRegString(HKEY_CLASSES_ROOT, shellNewPath, "FileName", fileName, "", sizeof(fileName));
    bool hasNullFile =
        ReadRegString(HKEY_CLASSES_ROOT, shellNewPath, "NullFile", nullFile, "", sizeof(nullFile));
    WriteRegString(HKEY_LOCAL_MACHINE, savedPath, "ShellNew", !hasFileName && hasNullFile ? "*" : fileName);
    if (index <= 1) {
        // What an earlier takeover kept of its handler's new-file entry must not come back
        // with this one.
        char kept[48];
        KeptShellNewPath(savedPath, kept);
        DeleteRegValue(HKEY_LOCAL_MACHINE, savedPath, "ShellNewData");
        DeleteRegTree(HKEY_LOCAL_MACHINE, kept);
        WriteRegDword(HKEY_LOCAL_MACHINE, savedPath, "NewFile", NewFileNotInstalled);
    }
}

// Before our new-file entry replaces the ShellNew key of .kvo or .zip, every value of that key
// is kept with its type below the record, and "NewFile" says what our entry replaced. What is
// ours is told by that record, never by the bytes: the system's own "Data" of .zip is the very
// empty archive of our template. False: the key holds what the record cannot keep (a subkey,
// more or larger values than the bounds); it stays as it is, and gets no entry of ours.
static bool KeepPreviousNewFileEntry(int index, const char* shellNewPath, const char* savedPath) {
    DWORD state = NewFileState(savedPath);
    // Ours is in place, or was being put there or taken away when a run was cut off: what it
    // replaced is kept. An entry that another program has put in place of ours since is the
    // one ours now replaces.
    if (RecordedAsInstalled(state) && ((state & NewFileRestoring) || RegKeyIsEmpty(HKEY_CLASSES_ROOT, shellNewPath) ||
                                       NewFileEntryOfOurs(index, shellNewPath) != NoEntryOfOurs))
        return true;
    // An earlier version's entry is in place; its record restores what that one replaced.
    if (state == Unrecorded && MarkEarlierEntryOfOurs(index, shellNewPath, savedPath))
        return true;
    if (!RegKeyExists(HKEY_CLASSES_ROOT, shellNewPath)) {
        WriteRegDword(HKEY_LOCAL_MACHINE, savedPath, "NewFile", NewFileAddedKey);
        return true;
    }
    char kept[48];
    KeptShellNewPath(savedPath, kept);
    if (RegKeyHasSubkeys(HKEY_CLASSES_ROOT, shellNewPath) ||
        !CopyValues(HKEY_CLASSES_ROOT, shellNewPath, HKEY_LOCAL_MACHINE, kept, false))
        return false;
    DeleteRegTree(HKEY_LOCAL_MACHINE, kept);
    CopyValues(HKEY_CLASSES_ROOT, shellNewPath, HKEY_LOCAL_MACHINE, kept, true);
    WriteRegDword(HKEY_LOCAL_MACHINE, savedPath, "NewFile", NewFileReplacedKey);
    return true;
}

// The shell's "New" entry for .kvo (index 0) or .zip (index 1), as the system version wants it.
static void InstallNewFileEntry(int index, const char* shellNewPath) {
    NewFileTemplate entry = TemplateOf(index);
    // The key that ours replaces is kept in the record; once ours is in it, what another
    // program adds to it is theirs.
    if (NewFileEntryOfOurs(index, shellNewPath) == NoEntryOfOurs && !RegKeyHasSubkeys(HKEY_CLASSES_ROOT, shellNewPath))
        DeleteRegKey(HKEY_CLASSES_ROOT, shellNewPath);

    OSVERSIONINFOA version;
    ZeroMemory(&version, sizeof(version));
    version.dwOSVersionInfoSize = sizeof(version);  // 148
    GetVersionExA(&version);
    if (!UsesTemplateFile(version.dwMajorVersion, version.dwMinorVersion)) {
        WriteRegBinary(HKEY_CLASSES_ROOT, shellNewPath, "Data", entry.bytes, entry.size);
        return;
    }
    char path[1024];
    if (!ProgramFolderFile(entry.fileName, path))
        return;
    // An existing template file is left as it is, whatever it holds.
    if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) {
        HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            BOOL ok = WriteFile(file, entry.bytes, entry.size, &written, nullptr) &&
                      written == entry.size;
            CloseHandle(file);
            if (!ok)  // a cut template would stay broken: it is never rewritten
                DeleteFileA(path);
        }
    }
    WriteRegString(HKEY_CLASSES_ROOT, shellNewPath, "FileName", path);
}

// .r00 onward (30 on the NT family, else 100), each taken like a single extension with a
// record of its own: these are the multi-volume extensions of other archivers too. A volume
// that an earlier release took without a record gets one now: that of .kvo when .kvo was ours
// at the start of this run (kvoRecord, else null), which is what that release went by; else
// one that restores nothing but takes our class away.
static void TakeVolumes(const char* kvoRecord) {
    int volumes = AssociatedVolumeCount(NtMajorVersion() != 0);
    for (int number = 0; number < volumes; number++) {
        char volume[8];
        char savedPath[48];
        VolumeExtension(number, volume);
        RecordPath(volume, savedPath);
        int failures = FailedRegistryChanges();
        if (!AdoptEarlierRecord(volume, savedPath))
            continue;
        if (!IsOwnClass(volume)) {
            SaveClass(volume, savedPath);
        } else if (!HasValue(HKEY_LOCAL_MACHINE, savedPath, "Exist")) {
            if (kvoRecord)
                CopyRecordValues(HKEY_LOCAL_MACHINE, kvoRecord, savedPath, ClassRecordValues, ClassRecordValueCount);
            else
                WriteRegDword(HKEY_LOCAL_MACHINE, savedPath, "Exist", 1);
        }
        if (FailedRegistryChanges() != failures)
            continue;  // taken without its record, its handler could not come back
        WriteRegString(HKEY_CLASSES_ROOT, volume, "", "Krelvo");
        if (FailedRegistryChanges() == failures)  // not taken: left as it is
            DeleteRegValue(HKEY_CLASSES_ROOT, volume, "Content Type");
    }
}

// A released extension's class goes back last, and only when every change before it was
// made: until then the extension stays ours, and so does the record that says what comes back
// (the uninstall keeps the records while a change has failed), so that running the uninstall
// again finishes it.
static void RestoreClass(const char* extension, const char* className, int failuresBefore) {
    if (FailedRegistryChanges() == failuresBefore)
        WriteRegString(HKEY_CLASSES_ROOT, extension, "", className);
}

// Our class as an extension's value, where nothing is to come back in its place: the value
// goes, never written empty, and the key with whatever else it holds stays.
static void DeleteOurClass(const char* extension, int failuresBefore) {
    if (FailedRegistryChanges() == failuresBefore)
        DeleteRegValue(HKEY_CLASSES_ROOT, extension, "");
}

// The class part of a released extension or volume, each part by its record while it still
// holds what setup left there, whoever holds the class now: the content type that setup deleted
// comes back while none has been set since; the class, the last write, while the extension is
// still ours, where one was there before, and while its key is there where it had one (a
// program that has removed itself since gets no pointer to nothing back). A key that setup
// made goes, with our class, unless another program has put something of its own into it.
static void ReleaseClassPart(const char* extension, const SavedClass& saved, bool ours, int failures) {
    RunLog(RecordLine, "giving back", extension, saved.className, saved.contentType);
    if (!saved.exist) {
        if (ours && FailedRegistryChanges() == failures)
            DeleteAddedKey(extension, "");
        return;
    }
    bool classGone = saved.classKey && saved.className[0] && !RegKeyExists(HKEY_CLASSES_ROOT, saved.className);
    if (saved.contentType[0] && !(ours && classGone) && !HasValue(HKEY_CLASSES_ROOT, extension, "Content Type"))
        WriteRegString(HKEY_CLASSES_ROOT, extension, "Content Type", saved.contentType);
    if (!ours)
        return;
    if (saved.hasClass && !classGone)
        RestoreClass(extension, saved.className, failures);
    else
        DeleteOurClass(extension, failures);
}

// Each volume goes back by its own record, which then goes; one taken before volumes had
// records follows the record of .kvo, as long as .kvo is ours and has one; without either
// record only our class goes. A volume never taken, or taken by another program since, keeps
// what that program gave it.
static void ReleaseVolumes(const SavedClass& kvo, bool kvoRecordApplies) {
    for (int number = 0; number < ReleasedVolumeCount; number++) {
        char volume[8];
        char savedPath[48];
        VolumeExtension(number, volume);
        RecordPath(volume, savedPath);
        int failures = FailedRegistryChanges();
        if (!AdoptEarlierRecord(volume, savedPath))
            continue;
        bool ours = IsOwnClass(volume);
        SavedClass saved;
        if (ReadSavedClass(savedPath, &saved)) {
            ReleaseClassPart(volume, saved, ours, failures);
            if (FailedRegistryChanges() == failures)
                DeleteRegTree(HKEY_LOCAL_MACHINE, savedPath);
        } else if (ours && kvoRecordApplies && kvo.exist && kvo.className[0]) {
            if (kvo.contentType[0])
                WriteRegString(HKEY_CLASSES_ROOT, volume, "Content Type", kvo.contentType);
            RestoreClass(volume, kvo.className, failures);
        } else if (ours && kvoRecordApplies) {
            DeleteAddedKey(volume, "");
        } else if (ours) {
            DeleteOurClass(volume, failures);
        }
    }
}

static void Release(int index, const char* extension, const char* shellNewPath,
                    const char* savedPath);

static void Associate(const SetupOptions& options, int index, const char* extension,
                      const char* shellNewPath, const char* savedPath) {
    int failures = FailedRegistryChanges();
    if (!AdoptEarlierRecord(extension, savedPath))
        return;
    // Already ours: the record of the handler from before the first run stays.
    bool wasOurs = IsOwnClass(extension);
    bool earlierRecord = wasOurs && HasValue(HKEY_LOCAL_MACHINE, savedPath, "Exist");
    if (!wasOurs)
        SaveAssociation(index, extension, shellNewPath, savedPath);
    // The whole record before the class is taken: cut off after that write, a rerun finds the
    // extension ours and goes by the record as it stands.
    bool newFileEntry =
        options.ShellExt && index <= 1 && KeepPreviousNewFileEntry(index, shellNewPath, savedPath);
    // Without its whole record the extension is not taken: its handler could not come back.
    if (FailedRegistryChanges() != failures)
        return;
    WriteRegString(HKEY_CLASSES_ROOT, extension, "", index == 1 ? "Krelvo.ZIP" : "Krelvo");
    // The class refused: the extension is as it was, and stays so.
    if (FailedRegistryChanges() != failures)
        return;
    DeleteRegValue(HKEY_CLASSES_ROOT, extension, "Content Type");
    if (index == 0)
        TakeVolumes(earlierRecord ? savedPath : nullptr);
    if (newFileEntry)
        InstallNewFileEntry(index, shellNewPath);
    AddCapabilityExtension(extension, index == 1 ? "Krelvo.ZIP" : "Krelvo");
    // Taken half-way: handed back by its record, not left half ours.
    if (FailedRegistryChanges() != failures)
        Release(index, extension, shellNewPath, savedPath);
}

// The new-file entry of a released .kvo or .zip, by its record while ours is in it, whoever
// holds the class now; an entry that another program has put in its place since stays, and so
// does what another program has added to ours. An entry that setup never touched stays as it is.
static void ReleaseNewFileEntry(int index, const char* shellNewPath, const char* savedPath) {
    DWORD state = NewFileState(savedPath);
    OurEntry entry = NewFileEntryOfOurs(index, shellNewPath);
    const char* ours = entry == OurTemplateFile ? "FileName" : entry == OurTemplateBytes ? "Data" : nullptr;
    if (state == Unrecorded && EarlierEntryOfOurs(index, shellNewPath, savedPath))
        state = NewFileEarlierRecord;
    if (state == Unrecorded) {
        // No record of it: ours alone goes (the bytes of .zip's template are the system's too).
        if (entry == OurTemplateFile || (entry == OurTemplateBytes && index == 0))
            DeleteRegValue(HKEY_CLASSES_ROOT, shellNewPath, ours);
        return;
    }
    if (state == NewFileNotInstalled)
        return;
    if (state == NewFileAddedKey) {
        DeleteAddedKey(shellNewPath, ours);
        return;
    }
    // While the entry it replaced comes back, the record says so: ours is gone by then, and a
    // run cut off meanwhile finishes the restore. Without ours, an empty or missing key is a
    // setup cut off before it wrote ours; one with an entry in it is another program's.
    if (ours) {
        state |= NewFileRestoring;
        WriteRegDword(HKEY_LOCAL_MACHINE, savedPath, "NewFile", state);
        DeleteRegValue(HKEY_CLASSES_ROOT, shellNewPath, ours);
    } else if (!(state & NewFileRestoring) && !RegKeyIsEmpty(HKEY_CLASSES_ROOT, shellNewPath)) {
        return;
    }
    if ((state & ~NewFileRestoring) == NewFileReplacedKey) {
        // The key it replaced comes back value by value.
        char kept[48];
        KeptShellNewPath(savedPath, kept);
        CopyValues(HKEY_LOCAL_MACHINE, kept, HKEY_CLASSES_ROOT, shellNewPath, true);
        return;
    }
    // An earlier version's record: a file name, "*" for a null file, or template bytes, back
    // with their type (REG_BINARY in the oldest records).
    char shellNew[1024];
    ReadRegString(HKEY_LOCAL_MACHINE, savedPath, "ShellNew", shellNew, "", sizeof(shellNew));
    DWORD count = 0;
    DWORD type = REG_BINARY;
    if (shellNew[0] == '*')
        WriteRegString(HKEY_CLASSES_ROOT, shellNewPath, "NullFile", "");
    else if (shellNew[0])
        WriteRegString(HKEY_CLASSES_ROOT, shellNewPath, "FileName", shellNew);
    else if (ReadRegValue(HKEY_LOCAL_MACHINE, savedPath, "ShellNewData", valueBytes, SavedShellNewDataSize, &count, &type))
        WriteRegValue(HKEY_CLASSES_ROOT, shellNewPath, "Data", type, valueBytes, count);
}

static void Release(int index, const char* extension, const char* shellNewPath,
                    const char* savedPath) {
    int failures = FailedRegistryChanges();
    // Our Default Programs values go whoever holds the extension now, before its class.
    RemoveCapabilityExtension(extension, index == 1 ? "Krelvo.ZIP" : "Krelvo");
    if (!AdoptEarlierRecord(extension, savedPath))
        return;
    bool ours = IsOwnClass(extension);
    SavedClass saved;
    bool recorded = ReadSavedClass(savedPath, &saved);
    // The volume extensions and the new-file entry first, and the extension's own class last:
    // cut off before that write, the extension is still ours, and running the uninstall again
    // releases it anew.
    if (index == 0)
        ReleaseVolumes(saved, ours && recorded);
    if (index <= 1)
        ReleaseNewFileEntry(index, shellNewPath, savedPath);
    if (recorded)
        ReleaseClassPart(extension, saved, ours, failures);
    else if (ours)
        DeleteOurClass(extension, failures);  // no record anywhere: our class alone goes
    // All given back that could be: the record goes, and a later release finds nothing to do.
    if (FailedRegistryChanges() == failures)
        DeleteRegTree(HKEY_LOCAL_MACHINE, savedPath);
}

void SetAssociations(const SetupOptions& options) {
    PlaceTemplateSignatures();
    for (int index = 0; index < ArchiveKindCount; index++) {
        const char* rest = AssociationList[index];
        while (*rest) {
            char extension[16];
            rest = NextExtension(rest, extension, sizeof(extension));
            char shellNewPath[32];
            char savedPath[48];
            ConcatText(shellNewPath, sizeof(shellNewPath), extension, "\\ShellNew");
            RecordPath(extension, savedPath);
            if (options.Associate[index])
                Associate(options, index, extension, shellNewPath, savedPath);
            else
                Release(index, extension, shellNewPath, savedPath);
        }
    }
}
