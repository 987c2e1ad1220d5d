// The entry point: shared resources, the switch scan, the dispatch of setup, wait, warning and
// uninstall runs, and the clean-up.
#include <objbase.h>

#include "driver/program.h"
#include "driver/switches.h"
#include "lang/ext_resource.h"
#include "lang/language_resources.h"
#include "lang/message_text.h"
#include "registry/registry.h"
#include "resources/resource.h"
#include "shell/desktop_launch.h"
#include "support/run_log.h"

// ExitNotDone without the rights, when the setup dialog could not be made, or when the system
// refused a change (the entry's included, after which setup changed nothing); ExitAlreadyRunning
// beside another setup or uninstall; else ExitDone (also when the user cancels the dialog).
static int RunSetup() {
    if (!TakeRunGuard())
        return RefuseSecondRun(MessageText(IDS_DISPLAY_NAME));
    if (!MayChangeSystemSettings()) {
        // Nothing is changed; a silent setup has nobody to tell but its exit code.
        if (!SilentSetup)
            MessageBoxA(nullptr, MessageText(IDS_NEED_ADMIN), MessageText(IDS_DISPLAY_NAME),
                        MB_ICONERROR | MB_SETFOREGROUND);
        return ExitNotDone;
    }
    INT_PTR result = RunSetupDialog();
    // -1 means the dialog could not be created at all: that is no confirmation, and nothing
    // was set up.
    if (result == -1)
        return ExitNotDone;
    if (result != 0) {
        RunCompletionDialog();
        if (ProgramGroupPath[0] && !SilentSetup)
            OpenAsDesktopUser(ProgramGroupPath);
    }
    return FailedRegistryChanges() ? ExitNotDone : ExitDone;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    g_extResource.Load(instance, nullptr);
    g_language.Load("uninstall.lng");
    OleInitialize(nullptr);
    HMODULE richEdit = LoadLibraryA("riched32.dll");
    ProgramIcon = LoadIconA(ResourceModule, "KVOICON");
    BoldFont = CreateBoldFont();

    // The log, wherever its switch stands, is opened before the run changes anything.
    for (const char* word = FindSwitchWord(commandLine); word; word = FindSwitchWord(word)) {
        if (ClassifySwitch(word) == SwitchLog && !RunLogOpen())
            StartLogOfRun(commandLine);
    }
    // Switches other than "s" and "log" suppress the uninstall; "s" alone makes it silent.
    int others = 0;
    int exitCode = ExitDone;
    for (const char* word = FindSwitchWord(commandLine); word; word = FindSwitchWord(word)) {
        SwitchKind kind = ClassifySwitch(word);
        switch (kind) {
        case SwitchSetup: exitCode = RunSetup(); break;
        case SwitchSilent: SilentSetup = true; break;
        case SwitchWait: Sleep(2000); break;
        case SwitchWarning: ShowManualDeletionWarning(); break;
        case SwitchLog:
        case SwitchIgnored: break;
        }
        others += kind != SwitchSilent && kind != SwitchLog;
    }
    if (others == 0)
        exitCode = UninstallProduct();
    EndRunLog(exitCode);

    if (richEdit)
        FreeLibrary(richEdit);
    OleUninitialize();
    DeleteObject(BoldFont);
    return exitCode;
}
