// The yes/no question: what it shows and what each key sequence answers.
#include "browser/velto_UI_DlgMsgBox.h"
#include "support/ui_screen_test.h"
#include "tests/browser/screen_script.h"

namespace {

class MsgBoxTest : public CVeltoUiScreenTest {
protected:
    void SetUp() override {
        CVeltoUiScreenTest::SetUp();
        m_hOwner = Solid(nullptr, 0xFF010101u, 0, 0, 320, 240, false);
    }
    // Asks the delete question, pressing keys from 100 ms on.
    int Ask(std::vector<UINT> keys) {
        CScreenScript script;
        DWORD at = 100;
        for (UINT vk : keys) {
            script.Key(at, vk);
            at += 100;
        }
        return VeltoMessageBox(m_hOwner, "Are you sure to delete the file?", "Delete", MB_YESNO);
    }
    HWND m_hOwner = nullptr;
};

TEST_F(MsgBoxTest, KeysMoveTheChoiceAndConfirmIt) {
    EXPECT_EQ(IDYES, Ask({VK_RETURN}));  // Yes is preselected
    EXPECT_EQ(IDNO, Ask({VK_RIGHT, VK_RETURN}));
    EXPECT_EQ(IDYES, Ask({VK_RIGHT, VK_RIGHT, VK_RETURN}));
    EXPECT_EQ(IDYES, Ask({VK_LEFT, VK_UP, VK_DOWN, VK_F2, VK_RETURN}));  // only Right moves
    EXPECT_EQ(IDNO, Ask({VK_F1}));
    // The owner is usable again afterwards.
    EXPECT_TRUE(IsWindowEnabled(m_hOwner));
}

TEST_F(MsgBoxTest, CommandsAnswerLikeTheirKeys) {
    auto ask = [&](std::vector<std::function<void(HWND)>> steps) {
        CScreenScript script;
        DWORD at = 100;
        for (auto& step : steps) {
            script.At(at, [step] { step(GetActiveWindow()); });
            at += 100;
        }
        return VeltoMessageBox(m_hOwner, "Format?", "Format", MB_YESNO);
    };
    auto ok = [](HWND dlg) { SendMessage(dlg, WM_COMMAND, IDOK, 0); };
    auto cancel = [](HWND dlg) { SendMessage(dlg, WM_COMMAND, IDCANCEL, 0); };
    auto right = [](HWND dlg) { SendMessage(dlg, WM_KEYDOWN, VK_RIGHT, 0); };
    EXPECT_EQ(IDYES, ask({ok}));
    EXPECT_EQ(IDNO, ask({right, ok}));
    EXPECT_EQ(IDNO, ask({cancel}));
}

TEST_F(MsgBoxTest, ShowsTheQuestionWithPicturedChoicesOnWhite) {
    std::string tree;
    RECT yesPic{0, 0, 0, 0}, noPic{0, 0, 0, 0};
    int yesGreen = 0, noRed = 0, yesGreenAfter = 0, noRedAfter = 0;
    COLORREF background = 0, caption = 0;
    CScreenScript script;
    script
        .At(100,
            [&] {
                tree = MwDumpWindowTree();
                HWND dlg = GetActiveWindow();
                CVeltoUIDlgMsgBox* box =
                    reinterpret_cast<CVeltoUIDlgMsgBox*>(GetWindowLong(dlg, 8));
                GetWindowRect(box->m_hStaticImgYesOK, &yesPic);
                GetWindowRect(box->m_hStaticImgNoCancel, &noPic);
                SaveScreen("msgbox_320x240");
                background = Ui(5, 60);
                caption = Ui(5, 5);
                yesGreen = CountNot(yesPic, 0xFFFFFFu);
                noRed = CountNot(noPic, 0xFFFFFFu);
            })
        .Key(200, VK_RIGHT)
        .At(300,
            [&] {
                yesGreenAfter = CountNot(yesPic, 0xFFFFFFu);
                noRedAfter = CountNot(noPic, 0xFFFFFFu);
                SaveScreen("msgbox_320x240_no");
            })
        .Key(400, VK_F1);
    EXPECT_EQ(IDNO, VeltoMessageBox(m_hOwner, "Are you sure to delete the file?", "Delete", 4));
    // Caption, question and the two choices, in the dialog.
    EXPECT_NE(std::string::npos, tree.find("'Delete'")) << tree;
    EXPECT_NE(std::string::npos, tree.find("'Are you sure to delete the file?'")) << tree;
    EXPECT_NE(std::string::npos, tree.find("'Yes'")) << tree;
    EXPECT_NE(std::string::npos, tree.find("'No'")) << tree;
    EXPECT_EQ(0xFFFFFFu, background);
    EXPECT_EQ(0x734216u, caption);
    // 320 wide: pictures 62 x 62, Yes at x 49, No at 209, 108 into the frame.
    EXPECT_EQ(49, yesPic.left);
    EXPECT_EQ(209, noPic.left);
    EXPECT_EQ(62, yesPic.right - yesPic.left);
    EXPECT_EQ(38 + 108, yesPic.top);
    // The chosen side shows its picture, the other the blank square; Right
    // swaps them.
    EXPECT_GT(yesGreen, noRed);
    EXPECT_GT(noRedAfter, yesGreenAfter);
}

TEST_F(MsgBoxTest, ChoiceTextsComeFromTheLanguageTable) {
    CVeltoSCSetting::GetInstance().SaveXMLConfItemVal("Languages", "en", 10009, "Sure");
    std::string tree;
    CScreenScript script;
    script.At(100, [&] { tree = MwDumpWindowTree(); }).Key(150, VK_RETURN);
    EXPECT_EQ(IDYES, VeltoMessageBox(m_hOwner, "Q", "C", MB_YESNO));
    EXPECT_NE(std::string::npos, tree.find("'Sure'")) << tree;
}

TEST_F(MsgBoxTest, WithoutAWorkingOwnerTheAnswerIsNo) {
    HWND gone = Solid(nullptr, 0, 0, 0, 5, 5, false);
    DestroyWindow(gone);
    EXPECT_EQ(IDNO, VeltoMessageBox(gone, "Delete?", "Delete", MB_YESNO));
}

TEST_F(MsgBoxTest, OnTheTvScreen) {
    Reopen(720, 576);
    m_hOwner = Solid(nullptr, 0xFF010101u, 0, 0, 720, 576, false);
    CScreenScript script;
    script.At(100, [] { SaveScreen("msgbox_720x576"); }).Key(150, VK_RETURN);
    EXPECT_EQ(IDYES,
              VeltoMessageBox(m_hOwner, "Are you sure to format the SD card?", "Format", MB_YESNO));
}

}  // namespace
