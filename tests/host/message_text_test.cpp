// MessageText over the host's stand-in string tables: the ring, the choice of table, the guard
// on format messages, and that neither it nor a lookup touches the heap.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "heap_counter.h"
#include "host_platform.h"
#include "lang/language_resources.h"
#include "lang/message_text.h"
#include "support/error_state.h"
#include "language_test_util.h"

namespace {

class MessageTextTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_programTable = {4, {5104, 5105, 5106, 5108},
                          {"Uninstall Krelvo", "Done", "Delete %s manually", "Cannot open %s"}};
        g_libraryTable = {2, {5104, 5106}, {"Library title", "Library %d"}};
        g_libraryLoaded = false;
        g_language.Unload();
    }
    void TearDown() override {
        g_language.Unload();
        g_libraryLoaded = false;
    }
};

TEST_F(MessageTextTest, RingOfEightBuffers) {
    const char* first = MessageText(5104);
    EXPECT_STREQ("Uninstall Krelvo", first);
    const char* seen[8] = {first};
    for (int i = 1; i < 8; i++) {
        seen[i] = MessageText(5105);
        for (int j = 0; j < i; j++)
            EXPECT_NE(seen[j], seen[i]);
    }
    EXPECT_STREQ("Uninstall Krelvo", first) << "still valid after seven further calls";
    const char* ninth = MessageText(5105);
    EXPECT_EQ(first, ninth);
    EXPECT_STREQ("Done", first);
    EXPECT_STREQ("", MessageText(4242)) << "an id no table holds";
}

TEST_F(MessageTextTest, TableChoiceAndTranslation) {
    g_libraryLoaded = true;
    EXPECT_STREQ("Library title", MessageText(5104));
    EXPECT_STREQ("Done", MessageText(5105)) << "missing in the library";
    EXPECT_STREQ("Delete %s manually", MessageText(5106)) << "the library's format is unsafe";

    // With a language file, messages start from the program's texts even with a library.
    g_language.LoadFile(WriteTestFile("messages.lng", kMarker +
        Entry('s', nullptr, "Done", "Fertig") +
        Entry('s', nullptr, "Library title", "never used")).c_str());
    EXPECT_STREQ("Uninstall Krelvo", MessageText(5104));
    EXPECT_STREQ("Fertig", MessageText(5105));
}

TEST_F(MessageTextTest, FormatMessagesTakeOnlySafeTranslations) {
    g_language.LoadFile(WriteTestFile("formats.lng", kMarker +
        Entry('s', nullptr, "Delete %s manually", "%s von Hand l\xF6schen (100%%)") +
        Entry('s', nullptr, "Cannot open %s", "%s: %n crash") +
        Entry('s', nullptr, "Done", "%d %s")).c_str());
    EXPECT_STREQ("%s von Hand l\xF6schen (100%%)", MessageText(5106));
    EXPECT_STREQ("Cannot open %s", MessageText(5108));
    EXPECT_STREQ("%d %s", MessageText(5105)) << "not a format message: taken as it is";
}

#if KVO_HEAP_COUNTER
TEST_F(MessageTextTest, LookupAndMessageTextMakeNoHeapAllocation) {
    g_language.LoadFile(WriteTestFile("alloc.lng", kMarker +
        Entry('s', nullptr, "Done", "Fertig") + Entry('$', "SETUPDLG", "", "115*100")).c_str());
    char buffer[1024];
    int sx, sy;
    int before = g_heapAllocations;
    g_language.Translate(buffer, sizeof(buffer), "Done", nullptr, 's');
    g_language.Translate(buffer, sizeof(buffer), "missing", "SETUPDLG", '$');
    g_language.DialogScale("SETUPDLG", &sx, &sy);
    const char* message = MessageText(5105);
    MessageText(5106);
    int after = g_heapAllocations;
    EXPECT_EQ(before, after);
    EXPECT_STREQ("Fertig", message);
    // The counter itself works.
    free(malloc(16));
    EXPECT_EQ(after + 1, g_heapAllocations);
}

TEST(IndexArray, FailedGrowthStopsWithExitCode8) {
    Array<int> array;
    EXPECT_EXIT(
        {
            g_failHeapAllocations = true;
            array.Add(1);
            g_failHeapAllocations = false;
        },
        ::testing::ExitedWithCode(8), "");
}
#endif

}  // namespace
