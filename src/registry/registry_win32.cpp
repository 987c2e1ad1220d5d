#include "registry/registry.h"

#include "registry/reg_text.h"
#include "support/run_log.h"
#include "support/system.h"

#include <string.h>

// Keys deleted in the current pass of DeleteRegTree (one thread; tree deletions never nest).
static int deletedKeyCount;

// Writes and deletes that the system refused, since the start of the run.
static int failedChangeCount;

int FailedRegistryChanges() { return failedChangeCount; }

// The interruption test's build of the program counts every write and delete, and may refuse
// one (or the check for write access, operation 'R') as a system refuses it without the rights.
// The shipped program has no such build option.
#ifdef KVO_INTERRUPTIBLE
void NoteRegistryChange(char operation, HKEY root, const char* path, const char* valueName);
bool RegistryChangeRefused(char operation);
#else
static inline void NoteRegistryChange(char, HKEY, const char*, const char*) {}
static inline bool RegistryChangeRefused(char) { return false; }
#endif

// Counts a change that did not happen. A key or value that is not there is no failure: it
// was to go, and it is gone.
static LONG Checked(LONG status) {
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
        failedChangeCount++;
    return status;
}

// What the value being changed held before, as the run's log shows it.
static char valueBefore[RegValueTextSize];

// Reads what a value holds into valueBefore, when a log is open: just before it is changed.
static void RememberValue(HKEY root, const char* fullPath, const char* valueName) {
    BYTE bytes[1024];
    DWORD type = REG_NONE;
    DWORD count = sizeof(bytes);
    HKEY key;
    if (!RunLogOpen())
        return;
    LONG status = RegOpenKeyExA(root, fullPath, 0, KEY_QUERY_VALUE, &key);
    if (status == ERROR_SUCCESS) {
        status = RegQueryValueExA(key, valueName, nullptr, &type, bytes, &count);
        RegCloseKey(key);
    }
    if (status == ERROR_SUCCESS || status == ERROR_MORE_DATA)
        DescribeRegValue(valueBefore, type, bytes, count, status == ERROR_SUCCESS ? count : 0);
    else
        memcpy(valueBefore, "none", 5);
}

// Every write and delete passes here once it has been made, with its key's full path below the
// root and the system's answer: the run's log names each change made or refused ('W' a value
// set to type, bytes and count, 'V' a value deleted, with valueBefore; 'K' a key deleted, 'T' a
// tree, 'N' a key created); a value or key that was not there to delete changed nothing. The
// test build counts the values and keys, each key of a tree as the tree deletion makes it.
static void NoteChange(char operation, HKEY root, const char* fullPath, const char* valueName, LONG status,
                       DWORD type = 0, const void* bytes = nullptr, DWORD count = 0) {
    if (status != ERROR_FILE_NOT_FOUND && RunLogOpen()) {
        char now[RegValueTextSize];
        now[0] = '\0';
        if (operation == 'W')
            DescribeRegValue(now, type, static_cast<const unsigned char*>(bytes), count, count);
        // The roots' names in one text, 5 bytes apart.
        const char* rootName = "HKCR\0HKCU\0HKLM" + (root == HKEY_CLASSES_ROOT ? 0 : root == HKEY_CURRENT_USER ? 5 : 10);
        const char* refused = "REFUSED " + (status == ERROR_SUCCESS ? 8 : 0);
        if (!valueName)
            RunLog("%s%s key %s\\%s", refused, operation == 'N' ? "new" : "delete", rootName, fullPath);
        else
            RunLog("%s%s %s\\%s [%s]%s%s (was %s)", refused, now[0] ? "set" : "delete", rootName, fullPath,
                   valueName[0] ? valueName : "(default)", now[0] ? " = " : "", now, valueBefore);
    }
    if (operation != 'N' && operation != 'T')
        NoteRegistryChange(operation, root, fullPath, valueName);
}

static bool FullPath(HKEY root, const char* path, char* fullPath) {
    return BuildRegPath(root == HKEY_CURRENT_USER, path, fullPath, RegPathSize);
}

static LONG OpenKey(HKEY root, const char* fullPath, REGSAM access, bool create, HKEY* key) {
    if (!create)
        return RegOpenKeyExA(root, fullPath, 0, access, key);
    DWORD disposition = 0;
    LONG status = RegCreateKeyExA(root, fullPath, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, key,
                                  &disposition);
    if (status == ERROR_SUCCESS && disposition == REG_CREATED_NEW_KEY)
        NoteChange('N', root, fullPath, nullptr, status);
    return status;
}

static HKEY CreateKeyForWrite(HKEY root, const char* fullPath) {
    HKEY key;
    return OpenKey(root, fullPath, KEY_WRITE, true, &key) == ERROR_SUCCESS ? key : nullptr;
}

static void CloseKey(HKEY key) { RegCloseKey(key); }

// Within a batch the last key opened by a full path stays open for the reads and changes that
// follow on the same key: every open and close is a call into the system (under Wine a round
// trip to the wineserver), and setup and the uninstall make most of theirs several to a key in
// a row. It is opened for reading and writing alike where the system allows it. Any key
// deletion closes it first, as a handle to a deleted key refuses every change.
static bool inBatch;
static struct {
    HKEY root;
    HKEY key;  // null: none kept
    REGSAM access;
    char path[RegPathSize];
} kept;

static void DropKeptKey() {
    if (kept.key)
        CloseKey(kept.key);
    kept.key = nullptr;
}

void BeginRegistryBatch() { inBatch = true; }

void EndRegistryBatch() {
    inBatch = false;
    DropKeptKey();
}

// The key at a full path with at least the access asked for, created when missing with create;
// the system's status when it cannot be had. The caller lets go of it with ReleaseKey.
static LONG AcquireKey(HKEY root, const char* fullPath, REGSAM access, bool create, HKEY* key) {
    if (kept.key && kept.root == root && (kept.access & access) == access &&
        strcmp(kept.path, fullPath) == 0) {
        *key = kept.key;
        return ERROR_SUCCESS;
    }
    DropKeptKey();
    // Outside a batch, or where the system grants only what was asked for, exactly that.
    REGSAM granted = inBatch ? KEY_READ | KEY_WRITE : access;
    LONG status = OpenKey(root, fullPath, granted, create, key);
    if (status == ERROR_ACCESS_DENIED && granted != access) {
        granted = access;
        status = OpenKey(root, fullPath, granted, create, key);
    }
    if (status != ERROR_SUCCESS)
        return status;
    if (inBatch) {
        kept.root = root;
        kept.key = *key;
        kept.access = granted;
        strcpy(kept.path, fullPath);  // both RegPathSize bytes
    }
    return ERROR_SUCCESS;
}

static void ReleaseKey(HKEY key) {
    if (key != kept.key)
        CloseKey(key);
}

static HKEY OpenKeyForRead(HKEY root, const char* path) {
    char fullPath[RegPathSize];
    HKEY key;
    if (!FullPath(root, path, fullPath) ||
        AcquireKey(root, fullPath, KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS, false, &key) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

// Reached at run time: the import table holds only functions checked against the export tables
// of Windows 95 and NT 4.0, and 95/98/Me have no working wide registry calls.
static void* RegistryFunction(const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("advapi32.dll"), name));
}

void WriteRegValue(HKEY root, const char* path, const char* valueName, DWORD type,
                   const void* bytes, DWORD count) {
    char fullPath[RegPathSize];
    if (!FullPath(root, path, fullPath))
        return;
    RememberValue(root, fullPath, valueName);
    // Without the rights the key cannot even be opened for writing.
    HKEY key = nullptr;
    LONG status = ERROR_ACCESS_DENIED;
    if (!RegistryChangeRefused('W') && AcquireKey(root, fullPath, KEY_WRITE, true, &key) != ERROR_SUCCESS)
        key = nullptr;
    if (key) {
        status = Checked(RegSetValueExA(key, valueName, 0, type, static_cast<const BYTE*>(bytes), count));
        ReleaseKey(key);
    } else {
        failedChangeCount++;
    }
    NoteChange('W', root, fullPath, valueName, status, type, bytes, count);
}

void WriteRegString(HKEY root, const char* path, const char* valueName, const char* text) {
    // The terminating zero is stored too: an empty text is one zero byte.
    WriteRegValue(root, path, valueName, REG_SZ, text, lstrlenA(text) + 1);
}

void WriteSettingString(const char* path, const char* valueName, const char* text) {
    WriteRegString(HKEY_CURRENT_USER, path, valueName, text);
}

void WriteRegDword(HKEY root, const char* path, const char* valueName, DWORD value) {
    WriteRegValue(root, path, valueName, REG_DWORD, &value, sizeof(value));
}

void WriteSettingDword(const char* path, const char* valueName, DWORD value) {
    WriteRegDword(HKEY_CURRENT_USER, path, valueName, value);
}

void WriteRegBinary(HKEY root, const char* path, const char* valueName, const void* bytes,
                    DWORD count) {
    WriteRegValue(root, path, valueName, REG_BINARY, bytes, count);
}

bool ReadRegString(HKEY root, const char* path, const char* valueName, char* buffer,
                   const char* defaultText, DWORD bufferSize) {
    HKEY key = OpenKeyForRead(root, path);
    if (key) {
        DWORD size = bufferSize;
        LONG result = RegQueryValueExA(key, valueName, nullptr, nullptr,
                                       reinterpret_cast<BYTE*>(buffer), &size);
        ReleaseKey(key);
        // Whatever was stored (no terminator, another type, the buffer filled exactly), the
        // caller gets a terminated text inside its buffer or its default.
        if (result == ERROR_SUCCESS && TerminateReadText(buffer, size, bufferSize))
            return true;
    }
    CopyDefaultText(buffer, defaultText, bufferSize);
    return false;
}

bool ReadSettingString(const char* path, const char* valueName, char* buffer,
                       const char* defaultText, DWORD bufferSize) {
    return ReadRegString(HKEY_CURRENT_USER, path, valueName, buffer, defaultText, bufferSize);
}

DWORD ReadRegDword(HKEY root, const char* path, const char* valueName, DWORD defaultValue) {
    HKEY key = OpenKeyForRead(root, path);
    if (!key)
        return defaultValue;
    DWORD value = 0;
    DWORD size = sizeof(value);
    LONG result = RegQueryValueExA(key, valueName, nullptr, nullptr,
                                   reinterpret_cast<BYTE*>(&value), &size);
    ReleaseKey(key);
    // Shorter than 4 bytes would fill only part of the number: treated as absent.
    if (result != ERROR_SUCCESS || size != sizeof(value))
        return defaultValue;
    return value;
}

DWORD ReadSettingDword(const char* path, const char* valueName, DWORD defaultValue) {
    return ReadRegDword(HKEY_CURRENT_USER, path, valueName, defaultValue);
}

bool ReadRegValue(HKEY root, const char* path, const char* valueName, void* buffer,
                  DWORD bufferSize, DWORD* count, DWORD* type) {
    HKEY key = OpenKeyForRead(root, path);
    if (!key)
        return false;
    DWORD size = bufferSize;
    DWORD storedType = REG_NONE;
    LONG result = RegQueryValueExA(key, valueName, nullptr, &storedType,
                                   static_cast<BYTE*>(buffer), &size);
    ReleaseKey(key);
    if (result != ERROR_SUCCESS || size > bufferSize)
        return false;
    *count = size;
    if (type)
        *type = storedType;
    return true;
}

bool ReadRegBinary(HKEY root, const char* path, const char* valueName, void* buffer,
                   DWORD bufferSize, DWORD* count) {
    return ReadRegValue(root, path, valueName, buffer, bufferSize, count, nullptr);
}

void DeleteRegValue(HKEY root, const char* path, const char* valueName) {
    char fullPath[RegPathSize];
    if (!FullPath(root, path, fullPath))
        return;
    HKEY key;
    if (Checked(AcquireKey(root, fullPath, KEY_WRITE, false, &key)) != ERROR_SUCCESS)
        return;
    RememberValue(root, fullPath, valueName);
    LONG status = Checked(RegistryChangeRefused('V') ? ERROR_ACCESS_DENIED : RegDeleteValueA(key, valueName));
    ReleaseKey(key);
    NoteChange('V', root, fullPath, valueName, status);
}

void DeleteRegKey(HKEY root, const char* path) {
    char fullPath[RegPathSize];
    // An empty full path would name the root itself.
    if (!FullPath(root, path, fullPath) || !fullPath[0])
        return;
    DropKeptKey();
    // NT family: fails while the key has subkeys, and the key stays as meant. 95/98/Me: removes
    // the whole subtree.
    LONG status = RegistryChangeRefused('K') ? ERROR_ACCESS_DENIED : RegDeleteKeyA(root, fullPath);
    if (status != ERROR_SUCCESS && RegKeyHasSubkeys(root, path))
        status = ERROR_FILE_NOT_FOUND;  // stays as meant: no change, and no failure
    NoteChange('K', root, fullPath, nullptr, Checked(status));
}

bool RegKeyExists(HKEY root, const char* path) {
    char fullPath[RegPathSize];
    if (!FullPath(root, path, fullPath))
        return false;
    HKEY key;
    if (AcquireKey(root, fullPath, KEY_QUERY_VALUE, false, &key) != ERROR_SUCCESS)
        return false;
    ReleaseKey(key);
    return true;
}

bool CopyRegValues(HKEY fromRoot, const char* from, HKEY toRoot, const char* to, DWORD maxCount,
                   void* buffer, DWORD bufferSize, bool write) {
    typedef LONG(WINAPI * EnumValueWide)(HKEY, DWORD, LPWSTR, LPDWORD, LPDWORD, LPDWORD, LPBYTE,
                                         LPDWORD);
    typedef LONG(WINAPI * SetValueWide)(HKEY, LPCWSTR, DWORD, DWORD, const BYTE*, DWORD);
    typedef LONG(WINAPI * EnumValueNarrow)(HKEY, DWORD, LPSTR, LPDWORD, LPDWORD, LPDWORD, LPBYTE,
                                           LPDWORD);
    HKEY source = OpenKeyForRead(fromRoot, from);
    if (!source)
        return true;
    bool wide = NtMajorVersion() != 0;
    EnumValueWide enumWide = nullptr;
    SetValueWide setWide = nullptr;
    EnumValueNarrow enumNarrow = nullptr;
    if (wide) {
        enumWide = reinterpret_cast<EnumValueWide>(RegistryFunction("RegEnumValueW"));
        setWide = reinterpret_cast<SetValueWide>(RegistryFunction("RegSetValueExW"));
    } else {
        enumNarrow = reinterpret_cast<EnumValueNarrow>(RegistryFunction("RegEnumValueA"));
    }
    bool whole = wide ? enumWide && setWide : enumNarrow != nullptr;
    HKEY target = nullptr;
    char toPath[RegPathSize];
    if (whole && write) {
        target = FullPath(toRoot, to, toPath) ? CreateKeyForWrite(toRoot, toPath) : nullptr;
        whole = target != nullptr;
        failedChangeCount += whole ? 0 : 1;
    }
    BYTE* bytes = static_cast<BYTE*>(buffer);
    for (DWORD index = 0; whole; index++) {
        WCHAR wideName[256];
        char name[256];  // the narrow name; on the NT family only for the change log
        DWORD nameLength = 256;
        DWORD size = bufferSize;
        DWORD type = REG_NONE;
        LONG status = wide ? enumWide(source, index, wideName, &nameLength, nullptr, &type, bytes, &size)
                           : enumNarrow(source, index, name, &nameLength, nullptr, &type, bytes, &size);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        whole = status == ERROR_SUCCESS && size <= bufferSize && nameLength < 256 && index < maxCount;
        if (!whole || !target)
            continue;
        LONG set = ERROR_ACCESS_DENIED;
        bool refused = RegistryChangeRefused('W');
        if (wide) {
            wideName[nameLength] = 0;
            if (!WideCharToMultiByte(CP_ACP, 0, wideName, -1, name, sizeof(name), nullptr, nullptr))
                name[0] = '\0';
        } else {
            name[nameLength] = '\0';
        }
        RememberValue(toRoot, toPath, name);
        if (!refused)
            set = wide ? setWide(target, wideName, 0, type, bytes, size) : RegSetValueExA(target, name, 0, type, bytes, size);
        NoteChange('W', toRoot, toPath, name, Checked(set), type, bytes, size);
    }
    if (target)
        CloseKey(target);
    ReleaseKey(source);
    return whole;
}

bool RegKeyHasSubkeys(HKEY root, const char* path) {
    HKEY key = OpenKeyForRead(root, path);
    if (!key)
        return false;
    char child[RegKeyNameSize];
    DWORD childSize = sizeof(child);
    LONG result = RegEnumKeyExA(key, 0, child, &childSize, nullptr, nullptr, nullptr, nullptr);
    ReleaseKey(key);
    return result != ERROR_NO_MORE_ITEMS;
}

bool RegKeyIsEmpty(HKEY root, const char* path) {
    unsigned char bytes[4];  // no value is read: one is already too many
    return !RegKeyHasSubkeys(root, path) && CopyRegValues(root, path, root, path, 0, bytes, sizeof(bytes), false);
}

void DeleteRegKeyIfEmpty(HKEY root, const char* path) {
    if (RegKeyExists(root, path) && RegKeyIsEmpty(root, path))
        DeleteRegKey(root, path);
}

// One pass over the key name below parent: each child found is deleted with its own subtree,
// then the key itself. Children are opened and deleted through their parent's handle, so that
// no call ever needs a path longer than one name (long paths are refused by some systems).
// Deleting a child shifts the indexes of the rest, so a pass may skip some; the caller repeats
// passes until one deletes nothing.
static void DeletionPass(HKEY parent, const char* name) {
    if (!name[0])
        return;  // never the root itself
    HKEY key;
    if (RegOpenKeyExA(parent, name, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    char child[RegKeyNameSize];
    for (DWORD index = 0;; index++) {
        DWORD childSize = sizeof(child);
        LONG result =
            RegEnumKeyExA(key, index, child, &childSize, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_MORE_DATA)
            continue;  // cannot be had whole: pass over it, keep the siblings
        if (result != ERROR_SUCCESS)
            break;
        DeletionPass(key, child);
    }
    CloseKey(key);
    if ((RegistryChangeRefused('K') ? ERROR_ACCESS_DENIED : RegDeleteKeyA(parent, name)) == ERROR_SUCCESS)
        deletedKeyCount++;
    NoteRegistryChange('K', parent, name, nullptr);
}

// The run's log names the tree, with its subkeys, in one line: deleted, or refused where any of
// it is left.
void DeleteRegTree(HKEY root, const char* path) {
    char fullPath[RegPathSize];
    if (!FullPath(root, path, fullPath) || !fullPath[0])
        return;
    DropKeptKey();
    // The 95/98/Me family deletes a whole tree in one call.
    LONG status = ERROR_FILE_NOT_FOUND;
    if (NtMajorVersion() == 0) {
        status = RegistryChangeRefused('K') ? ERROR_ACCESS_DENIED : RegDeleteKeyA(root, fullPath);
        NoteRegistryChange('K', root, fullPath, nullptr);
    }
    if (status != ERROR_SUCCESS) {
        int deleted = 0;
        do {
            deletedKeyCount = 0;
            DeletionPass(root, fullPath);
            deleted += deletedKeyCount;
        } while (deletedKeyCount != 0);
        status = deleted ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
        // What is left resisted deletion.
        HKEY key;
        if (RegOpenKeyExA(root, fullPath, 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
            CloseKey(key);
            failedChangeCount++;
            status = ERROR_ACCESS_DENIED;
        }
    }
    NoteChange('T', root, fullPath, nullptr, status);
}

bool MayWriteRegKey(HKEY root, const char* path) {
    HKEY key;
    if (RegistryChangeRefused('R') ||
        RegOpenKeyExA(root, path, 0, KEY_CREATE_SUB_KEY | KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return false;
    CloseKey(key);
    return true;
}
