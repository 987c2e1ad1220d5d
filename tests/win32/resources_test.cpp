// The program's resources under ANSI code page 950: the string table and the dialog texts come
// out as the Big5 bytes of the built-in texts.
#include <windows.h>

#include <gtest/gtest.h>

#include "resource.h"
#include "test_support.h"

TEST(Resources, CodePageIs950) { EXPECT_EQ(950u, GetACP()); }

TEST(Resources, StringTableYieldsBig5) {
    char text[256];
    ASSERT_GT(LoadStringA(GetModuleHandleA(nullptr), IDS_UNINSTALL_TITLE, text, sizeof(text)), 0);
    // "解除安裝 Krelvo" in Big5.
    EXPECT_STREQ("\xB8\xD1\xB0\xA3\xA6\x77\xB8\xCB Krelvo", text);
}

namespace {

struct Control {
    int id;
    const char* className;  // as GetClassName reports it
    const char* text;       // UTF-8; null: not checked
};

INT_PTR CALLBACK IgnoringDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

HWND OpenTemplate(const char* name) {
    LoadLibraryA("riched32.dll");  // the RICHEDIT class of the setup dialog
    return CreateDialogParamA(GetModuleHandleA(nullptr), name, nullptr, IgnoringDialogProc, 0);
}

// Walks the dialog's children in template order and compares ids, classes and texts.
void ExpectControls(HWND dialog, const Control* controls, size_t count) {
    HWND child = GetWindow(dialog, GW_CHILD);
    for (size_t i = 0; i < count; i++, child = GetWindow(child, GW_HWNDNEXT)) {
        ASSERT_NE(nullptr, child) << "control " << i << " missing";
        EXPECT_EQ(controls[i].id, static_cast<int>(static_cast<short>(GetDlgCtrlID(child)))) << i;
        EXPECT_STRCASEEQ(controls[i].className, ClassName(child).c_str()) << i;
        if (controls[i].text) {
            EXPECT_EQ(Ansi(controls[i].text), WindowText(child)) << "control " << controls[i].id;
        }
    }
    EXPECT_EQ(nullptr, child) << "more controls than expected";
}

TEST(Resources, SetupDialogTemplate) {
    HWND dialog = OpenTemplate("SETUPDLG");
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(Ansi("Krelvo 安裝程式"), WindowText(dialog));
    const Control controls[] = {
        {1, "Button", "確定"}, {-1, "Button", "關聯 Krelvo 給"},
        {5101, "Button", "KVO(&R)"}, {5102, "Button", "ZIP(&Z)"}, {5103, "Button", "CAB"},
        {5104, "Button", "ARJ"}, {5105, "Button", "LZH"}, {5106, "Button", "ACE"},
        {5107, "Button", "TAR"}, {5108, "Button", "GZip"}, {5109, "Button", "UUE"},
        {5110, "Button", "BZ2"}, {5111, "Button", "JAR"}, {5112, "Button", "ISO"},
        {-1, "Static", ""}, {5119, "Button", "全選(&A)"}, {-1, "Button", "顯示介面"},
        {5113, "Button", "將 Krelvo 放到桌面(&D)"}, {5114, "Button", "將 Krelvo 放到開始功能表(&S)"},
        {5115, "Button", "建立 Krelvo 程式組(&P)"}, {5116, "Button", "整合 Krelvo 到系統介面(&I)"},
        {-1, "Button", "介面整合"}, {5117, "Button", "使用階層式內容功能表(&T)"},
        {5118, "Button", "選單內容顯示圖示(&N)"}, {9, "Button", "說明"}, {-1, "Button", ""},
        {5120, "RichEdit", nullptr}, {5121, "Button", "內容選單項目(&C)..."},
    };
    ExpectControls(dialog, controls, sizeof(controls) / sizeof(controls[0]));
    for (int id = 5101; id <= 5118; id++) {
        if (id == 5119 || id == 5120) continue;
        EXPECT_EQ(BS_AUTOCHECKBOX, GetWindowLongA(GetDlgItem(dialog, id), GWL_STYLE) & 0xF) << id;
    }
    // No default push button, and nothing answers to id 2.
    EXPECT_EQ(BS_PUSHBUTTON, GetWindowLongA(GetDlgItem(dialog, 1), GWL_STYLE) & 0xF);
    EXPECT_EQ(nullptr, GetDlgItem(dialog, 2));
    // The explanation: two paragraphs, each beginning with three blanks.
    std::string explanation = ItemText(dialog, 5120);
    EXPECT_EQ(0u, explanation.find(Ansi("   這些選項控制 Krelvo")));
    EXPECT_NE(std::string::npos, explanation.find(Ansi("   請按 [說明] 按鈕來讀取這些選項的進一步敘述。")));
    // Geometry in dialog units: the archive-kind group and the OK button.
    // The dialog manager converts position and size separately.
    RECT unit = {7, 5, 127, 132};
    MapDialogRect(dialog, &unit);
    unit.right += unit.left;
    unit.bottom += unit.top;
    RECT group;
    HWND groupBox = GetWindow(GetDlgItem(dialog, 1), GW_HWNDNEXT);
    GetWindowRect(groupBox, &group);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&group), 2);
    EXPECT_EQ(unit.left, group.left);
    EXPECT_EQ(unit.top, group.top);
    EXPECT_EQ(unit.right, group.right);
    EXPECT_EQ(unit.bottom, group.bottom);
    DestroyWindow(dialog);
}

TEST(Resources, ContextItemsTemplate) {
    HWND dialog = OpenTemplate("CONTEXTITEMS");
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(Ansi("內容選單項目"), WindowText(dialog));
    const Control controls[] = {
        {-1, "Button", "請選擇要顯示在檔案總管內容功能表中的項目"},
        {101, "Button", "解壓縮檔案(&A)..."}, {102, "Button", "解壓縮至此(&X)"},
        {103, "Button", "解壓縮成 <資料夾\\(&E)>"}, {104, "Button", "解開每個壓縮檔至個別資料夾(&S)"},
        {105, "Button", "以 Krelvo 開啟 (用於自解檔)"}, {106, "Button", "加到壓縮檔(&A)..."},
        {107, "Button", "加到 <壓縮檔名稱(&T)>"}, {108, "Button", "壓縮成 <壓縮檔名稱> 並發郵件"},
        {109, "Button", "壓縮並發郵件..."}, {110, "Button", "測試壓縮檔(&R)"},
        {111, "Button", "轉換壓縮檔格式(&V)..."}, {1, "Button", "確定"}, {2, "Button", "取消"},
        {9, "Button", "說明"},
    };
    ExpectControls(dialog, controls, sizeof(controls) / sizeof(controls[0]));
    EXPECT_EQ(BS_DEFPUSHBUTTON, GetWindowLongA(GetDlgItem(dialog, 1), GWL_STYLE) & 0xF);
    DestroyWindow(dialog);
}

TEST(Resources, CompletionDialogTemplate) {
    HWND dialog = OpenTemplate("DONEDLG");
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(Ansi("Krelvo 安裝程式"), WindowText(dialog));
    const Control controls[] = {
        {1, "Button", "完成"}, {-1, "Static", "Krelvo 已經成功的安裝至資料夾。"},
        {5101, "Static", ""}, {-1, "Static", "從 Krelvo 的 [選項] 中使用 [設定] 命令做進一步的手動設置。"},
        {-1, "Static", "如果您是第一次安裝 Krelvo，請不要忘記先閱讀線上說明。"}, {-1, "Button", ""},
        {5102, "Button", "執行 Krelvo(&R)"}, {5103, "Button", "讀取說明(&H)"},
        {5104, "Button", "檢視使用權(&L)"}, {5105, "Button", "價格表(&P)"}, {5106, "Button", "首頁(&M)"},
        {-1, "Button", ""}, {5107, "Static", "謝謝您使用 Krelvo!"},
    };
    ExpectControls(dialog, controls, sizeof(controls) / sizeof(controls[0]));
    EXPECT_EQ(SS_CENTER, GetWindowLongA(GetDlgItem(dialog, 5107), GWL_STYLE) & SS_TYPEMASK);
    // An "&" in the folder ("C:\Tools & Co") is shown, not taken as an underline.
    EXPECT_EQ(SS_LEFT | SS_NOPREFIX,
              GetWindowLongA(GetDlgItem(dialog, 5101), GWL_STYLE) & (SS_TYPEMASK | SS_NOPREFIX));
    DestroyWindow(dialog);
}

TEST(Resources, EveryMessageOfTheStringTable) {
    const char* texts[] = {
        "Krelvo 壓縮工具", "Krelvo 說明", "KVO 命令平台操作手冊", "解除安裝 Krelvo", "解除安裝完成",
        "您必須手動刪除 %s", "繼續解除安裝 Krelvo", "無法開啟清單檔案 %s", "Krelvo 壓縮檔",
        "Krelvo ZIP 壓縮檔", "KVO 恢復分割檔",
    };
    for (int id = 5101; id <= 5111; id++) {
        char text[256];
        LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof(text));
        EXPECT_EQ(Ansi(texts[id - 5101]), std::string(text)) << id;
    }
    char home[256];
    EXPECT_GT(LoadStringA(GetModuleHandleA(nullptr), 5112, home, sizeof(home)), 0);
}

// The icon holds an image of each size the system asks for: 16 and 32 pixels, and 48 at 144 DPI,
// where it would otherwise stretch the 32-pixel image.
TEST(Resources, ProgramIcon) {
    HMODULE module = GetModuleHandleA(nullptr);
    EXPECT_NE(nullptr, LoadIconA(module, "KVOICON"));
    HRSRC group = FindResourceA(module, "KVOICON", RT_GROUP_ICON);
    ASSERT_NE(nullptr, group);
    BYTE* directory = static_cast<BYTE*>(LockResource(LoadResource(module, group)));
    for (int size : {16, 32, 48}) {
        int id = LookupIconIdFromDirectoryEx(directory, TRUE, size, size, LR_DEFAULTCOLOR);
        HRSRC image = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(3));  // RT_ICON
        ASSERT_NE(nullptr, image) << size;
        auto* header = static_cast<BITMAPINFOHEADER*>(LockResource(LoadResource(module, image)));
        EXPECT_EQ(size, header->biWidth) << "the image chosen for " << size << " pixels";
    }
}

}  // namespace
