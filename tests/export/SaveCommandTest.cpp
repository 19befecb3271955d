// The save command: refusal, dialog set-up, the overwrite question and what a save changes.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "ExportFakes.h"
#include "export/SaveCommand.h"

namespace yb {
namespace {

using test::FakeDialogs;
using test::FakeView;
using test::ReadAll;
using test::WriteAll;

const QString kProgramDir = QStringLiteral("/opt/yb");
QDateTime Written() {
    return QDateTime(QDate(2006, 5, 21), QTime(9, 3, 27));
}

class SaveCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        data.InitData();
        data.DataCount1 = 1;
        data.Data1Solar.at(0) = 1.5f;
        data.fData_Saved = false;
        view.setText(Field::Status, QStringLiteral("before"));
    }
    void click(bool csv) { Command1_Click(data, csv, view, dialogs, kProgramDir, Written); }
    QString pathOf(const QString& name) const { return dir.filePath(name); }
    QString status() const { return view.text(Field::Status); }

    QTemporaryDir dir;
    LoggedData data;
    FakeDialogs dialogs;
    FakeView view;
};

TEST_F(SaveCommandTest, NoMainDataRefusesBeforeTheDialog) {
    data.DataCount1 = 0;
    click(true);
    EXPECT_EQ(dialogs.messages, std::vector<QString>{QStringLiteral("データ１がありません")});
    EXPECT_TRUE(dialogs.setups.empty());

    data.DataCount1 = -1;  // only zero refuses
    dialogs.messages.clear();
    click(true);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(dialogs.setups.size(), 1u);
}

TEST_F(SaveCommandTest, DialogProposalFollowsTheCsvChoiceAndStartsInTheProgramFolder) {
    dialogs.chosenFiles = {pathOf(QStringLiteral("first.csv")), FakeDialogs::kCancel};
    click(true);
    click(false);
    ASSERT_EQ(dialogs.setups.size(), 2u);
    EXPECT_EQ(dialogs.setups[0].filter, QStringLiteral("(CSVファイル) | *.csv"));
    EXPECT_EQ(dialogs.setups[0].fileName, QStringLiteral("YB_Data.csv"));
    EXPECT_EQ(dialogs.setups[1].filter, QStringLiteral("(テキストファイル) | *.txt"));
    EXPECT_EQ(dialogs.setups[1].fileName, QStringLiteral("YB_Data.txt"));
    for (const SaveDialogSetup& setup : dialogs.setups) {
        EXPECT_EQ(setup.title, QStringLiteral("データファイル"));
        EXPECT_EQ(setup.initialDir, kProgramDir);  // not the folder chosen the first time
    }
}

TEST_F(SaveCommandTest, CancelOrEmptyNameDoesNothing) {
    dialogs.chosenFiles = {FakeDialogs::kCancel, QString()};
    click(true);
    click(true);
    EXPECT_EQ(dialogs.setups.size(), 2u);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(dialogs.questions.empty());
    EXPECT_EQ(status(), QStringLiteral("before"));
    EXPECT_FALSE(data.fData_Saved);
}

TEST_F(SaveCommandTest, SuccessReportsThePathAndMarksTheDataSaved) {
    const QString path = pathOf(QStringLiteral("YB_Data.txt"));  // .txt, but CSV ticked
    dialogs.chosenFiles = {path};
    click(true);
    EXPECT_EQ(status(), QStringLiteral("データファイルに保存しました : ") + path);
    EXPECT_TRUE(data.fData_Saved);
    EXPECT_TRUE(ReadAll(path).contains("\r\n1,1.50,,,,,,\r\n"));
    EXPECT_TRUE(dialogs.questions.empty());
}

TEST_F(SaveCommandTest, ExistingFileWithDataIsOnlyReplacedAfterYes) {
    const QString path = pathOf(QStringLiteral("YB_Data.csv"));
    const QByteArray old = "1,2,3\r\n";
    WriteAll(path, old);

    dialogs.answerYes = false;
    dialogs.chosenFiles = {path};
    click(true);
    EXPECT_EQ(dialogs.questions,
              std::vector<QString>{path + QStringLiteral(" に上書きしますか？")});
    EXPECT_EQ(ReadAll(path), old);
    EXPECT_EQ(status(), QStringLiteral("before"));
    EXPECT_FALSE(data.fData_Saved);

    dialogs.answerYes = true;
    dialogs.chosenFiles = {path};
    click(false);
    EXPECT_EQ(dialogs.questions.size(), 2u);
    EXPECT_TRUE(ReadAll(path).contains("\r\n1\t1.50\t\t\t\t\t\t\r\n"));
    EXPECT_TRUE(data.fData_Saved);
}

TEST_F(SaveCommandTest, ExistingEmptyFileIsWrittenWithoutQuestion) {
    const QString path = pathOf(QStringLiteral("YB_Data.csv"));
    WriteAll(path, QByteArray());
    EXPECT_TRUE(SaveDataFile(data, true, path, dialogs, Written));
    EXPECT_TRUE(dialogs.questions.empty());
    EXPECT_TRUE(ReadAll(path).startsWith("YB Download Data\r\n2006/05/21 9:03:27\r\n"));
}

TEST_F(SaveCommandTest, FailedWriteLeavesStatusAndFlag) {
    dialogs.chosenFiles = {pathOf(QStringLiteral("missing/YB_Data.csv"))};
    click(true);
    EXPECT_EQ(dialogs.messages, std::vector<QString>{kSaveFailedText});
    EXPECT_EQ(status(), QStringLiteral("before"));
    EXPECT_FALSE(data.fData_Saved);
}

}  // namespace
}  // namespace yb
