// The archiver in Default Programs (Windows Vista and later): its capabilities under
// HKEY_LOCAL_MACHINE\Software\Classes\Krelvo\Capabilities, which the 32-bit and the 64-bit
// view of the registry share, named in RegisteredApplications, and its class under each
// associated extension's OpenWithProgids. On 95 to XP each does nothing.
#pragma once

// The application's name and description, and its entry in RegisteredApplications. Both
// take back the previous release's key HKEY_LOCAL_MACHINE\Software\Krelvo\Capabilities, and
// the product's machine key Software\Krelvo when nothing else is left in it.
void RegisterCapabilities();
// The entry in RegisteredApplications and the whole capabilities key.
void RemoveCapabilities();

// One extension taken over for className ("Krelvo" or "Krelvo.ZIP"), or handed back: its
// value under "FileAssociations" and className's value under its OpenWithProgids. Other
// programs' OpenWithProgids values stay; an OpenWithProgids key that held only ours goes.
void AddCapabilityExtension(const char* extension, const char* className);
void RemoveCapabilityExtension(const char* extension, const char* className);
