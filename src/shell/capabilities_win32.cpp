// Default Programs registrations. From Windows 8 on, writing an extension's class no longer
// makes the archiver its handler once the user has chosen one; Windows offers the archiver
// only through these lists, and under "Open with".
#include <windows.h>

#include "lang/message_text.h"
#include "registry/reg_text.h"
#include "registry/registry.h"
#include "resources/resource.h"
#include "shell/capabilities.h"
#include "support/system.h"

// Below the program's class, written under HKEY_LOCAL_MACHINE itself, as RegisteredApplications
// names a path below it. A 32-bit program's HKLM\Software lands in Wow6432Node on 64-bit
// Windows, where the 64-bit shell would look the path up in vain; the machine's classes are
// one key for both views from Windows 7 on (Vista copies them across). The class itself is
// written value by value and deleted after these by uninstall, so they share its key safely.
static const char CapabilitiesKey[] = "Software\\Classes\\Krelvo\\Capabilities";
static const char FileAssociationsKey[] = "Software\\Classes\\Krelvo\\Capabilities\\FileAssociations";
// Where the previous release kept them, below the product's machine key.
static const char* const ProductMachineKey = "Software\\Krelvo";
static const char PreviousCapabilitiesKey[] = "Software\\Krelvo\\Capabilities";
static const char RegisteredApplicationsKey[] = "Software\\RegisteredApplications";

static bool HasDefaultPrograms() { return NtMajorVersion() >= 6; }

// Whether the key exists with no subkey and at most count values, so that deleting it takes
// nothing but what is ours. A value too large to look at counts as another program's.
static bool HoldsAtMost(HKEY root, const char* path, DWORD count) {
    unsigned char bytes[16];
    return RegKeyExists(root, path) && !RegKeyHasSubkeys(root, path) &&
           CopyRegValues(root, path, root, path, count, bytes, sizeof(bytes), false);
}

// The previous release's capabilities, and the product's machine key when nothing else is
// left in it.
static void RemovePreviousCapabilities() {
    DeleteRegTree(HKEY_LOCAL_MACHINE, PreviousCapabilitiesKey);
    DeleteRegKeyIfEmpty(HKEY_LOCAL_MACHINE, ProductMachineKey);
}

void RegisterCapabilities() {
    if (!HasDefaultPrograms())
        return;
    const char* name = MessageText(IDS_DISPLAY_NAME);
    WriteRegString(HKEY_LOCAL_MACHINE, CapabilitiesKey, "ApplicationName", name);
    WriteRegString(HKEY_LOCAL_MACHINE, CapabilitiesKey, "ApplicationDescription", name);
    WriteRegString(HKEY_LOCAL_MACHINE, RegisteredApplicationsKey, "Krelvo", CapabilitiesKey);
    // Only once the entry names the new key: it never names a key that is gone.
    RemovePreviousCapabilities();
}

void RemoveCapabilities() {
    if (!HasDefaultPrograms())
        return;
    // The entry first: it never names a key that is gone.
    DeleteRegValue(HKEY_LOCAL_MACHINE, RegisteredApplicationsKey, "Krelvo");
    DeleteRegTree(HKEY_LOCAL_MACHINE, CapabilitiesKey);
    RemovePreviousCapabilities();
}

void AddCapabilityExtension(const char* extension, const char* className) {
    char progIds[32];
    if (!HasDefaultPrograms() || !ConcatText(progIds, sizeof(progIds), extension, "\\OpenWithProgids"))
        return;
    WriteRegString(HKEY_LOCAL_MACHINE, FileAssociationsKey, extension, className);
    WriteRegString(HKEY_CLASSES_ROOT, progIds, className, "");
}

void RemoveCapabilityExtension(const char* extension, const char* className) {
    char progIds[32];
    if (!HasDefaultPrograms() || !ConcatText(progIds, sizeof(progIds), extension, "\\OpenWithProgids"))
        return;
    // Ours the only thing in the key: key and value go in one step, so that a run cut off
    // between the two cannot leave an empty key that a second run would take for another's.
    char text[256];
    DWORD size = 0;
    if (HoldsAtMost(HKEY_CLASSES_ROOT, progIds, 1) &&
        ReadRegValue(HKEY_CLASSES_ROOT, progIds, className, text, sizeof(text), &size, nullptr))
        DeleteRegKey(HKEY_CLASSES_ROOT, progIds);
    else
        DeleteRegValue(HKEY_CLASSES_ROOT, progIds, className);
    DeleteRegValue(HKEY_LOCAL_MACHINE, FileAssociationsKey, extension);
}
