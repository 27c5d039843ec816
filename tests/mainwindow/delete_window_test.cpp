// Deleting and purging through the real main window; the data files are compared as bytes.
#include "store/messages.h"
#include "tests/mainwindow/mainwindowfixture.h"
#include "tests/mainwindow/views_fixtures.h"

namespace mainwindowtest {
namespace {

using viewsfixtures::Person;

const QByteArray kStore = Person("Alt", "Bea", "A", "12") + Person("Berg", "Ute", "B") +
                          Person("Carl", "Max", "C") + Person("Dorn", "Ida", "D");

class DeleteTest : public MainWindowTest {
 protected:
  QByteArray Secure() const { return data.Read(QStringLiteral("secure.qdx")); }
  // Makes every read of the named file fail, as a file held by another workstation does.
  void MakeUnreadable(const QString& name) {
    store::SetFaultHook([name](store::FileOp op, const QString& path) {
      return (op == store::FileOp::Open || op == store::FileOp::Read) && path.endsWith(name);
    });
  }
};

// Answers the purge question, after another workstation deleted a record meanwhile.
class DeleteDuringQuestion : public testsupport::ScriptedDialogs {
 public:
  explicit DeleteDuringQuestion(const testsupport::TempDataDir& data) : data_(data) {}
  int ShowMessageBox(QWidget* parent, const platform::MessageBoxSpec& request) override {
    data_.Write(QStringLiteral("names.qdx"), "Alt,Bea\r\n");
    data_.Write(QStringLiteral("secure.qdx"), "Berg,Ute\r\nCarl,Max\r\n");
    ScriptedDialogs::ShowMessageBox(parent, request);
    return request.buttons.indexOf(QStringLiteral("&Ja"));
  }

 private:
  const testsupport::TempDataDir& data_;
};

TEST_F(DeleteTest, delete_movesExactlyOneKey_keepsTheSection_emptiesTheFields) {
  data.Write(QStringLiteral("secure.qdx"), "Zorn,Udo\r\n");
  Open("Alt,Bea\r\nBerg,Ute\r\nCarl,Max\r\n", kStore);
  ClickRow(1);
  ASSERT_EQ(Edit(store::kName)->text(), "Berg");
  Click("ToolbarButton979");

  EXPECT_EQ(Names(), "Alt,Bea\r\nCarl,Max\r\n");
  EXPECT_EQ(Secure(), "Zorn,Udo\r\nBerg,Ute\r\n");
  EXPECT_EQ(Store(), kStore);
  EXPECT_EQ(Entries(), (QStringList{"Alt,Bea", "Carl,Max"}));
  EXPECT_TRUE(FieldTexts().join(QString()).isEmpty());
  EXPECT_TRUE(dialogs.boxes.isEmpty());
}

TEST_F(DeleteTest, firstDelete_createsTheDeletedRecordsFile) {
  Open("Alt,Bea\r\nBerg,Ute\r\n", kStore);
  ClickRow(0);
  Trigger("Lschen2");

  EXPECT_EQ(Names(), "Berg,Ute\r\n");
  EXPECT_EQ(Secure(), "Alt,Bea\r\n");
  EXPECT_TRUE(dialogs.boxes.isEmpty());
}

TEST_F(DeleteTest, unreadableDeletedRecordsFile_stopsTheDelete_nothingWritten) {
  data.Write(QStringLiteral("secure.qdx"), "Zorn,Udo\r\n");
  Open("Alt,Bea\r\nBerg,Ute\r\n", kStore);
  ClickRow(0);
  MakeUnreadable(QStringLiteral("secure.qdx"));
  Click("ToolbarButton979");
  store::SetFaultHook({});

  EXPECT_EQ(Names(), "Alt,Bea\r\nBerg,Ute\r\n");
  EXPECT_EQ(Secure(), "Zorn,Udo\r\n");
  EXPECT_EQ(dialogs.Texts(), QStringList{store::LoadFailureMessage()});
  EXPECT_EQ(Entries(), (QStringList{"Alt,Bea", "Berg,Ute"}));
}

TEST_F(DeleteTest, deleteInTheInternalNumberView_deletesNothing) {
  Open("Alt,Bea\r\nBerg,Ute\r\n", kStore);
  Click("Button3");
  ClickRow(0);
  Click("ToolbarButton979");

  EXPECT_EQ(Names(), "Alt,Bea\r\nBerg,Ute\r\n");
  EXPECT_FALSE(data.Exists(QStringLiteral("secure.qdx")));
  EXPECT_EQ(Entries(), QStringList{"Alt,Bea @ 12"});
  EXPECT_EQ(Edit(store::kName)->text(), "Alt");
}

TEST_F(DeleteTest, purge_asksWithTheCount_erasesTheListedSections_emptiesTheFile) {
  data.Write(QStringLiteral("secure.qdx"), "Carl,Max\r\nBerg,Ute\r\n");
  Open("Alt,Bea\r\nDorn,Ida\r\n", kStore);
  dialogs.AnswerNext(QStringLiteral("&Ja"));
  Trigger("GelschteDatenstzeendgltigverwerfen1");

  ASSERT_EQ(dialogs.boxes.size(), 1);
  EXPECT_EQ(dialogs.boxes[0].caption, QString::fromUtf8("Bestätigen"));
  EXPECT_EQ(dialogs.boxes[0].text,
            QString::fromUtf8("Sind Sie sicher, daß Sie 2 Datensätze verwerfen wollen ?"));
  EXPECT_TRUE(data.Exists(QStringLiteral("secure.qdx")));
  EXPECT_EQ(Secure(), "");
  EXPECT_EQ(Store(), Person("Alt", "Bea", "A", "12") + Person("Dorn", "Ida", "D"));
  EXPECT_EQ(Names(), "Alt,Bea\r\nDorn,Ida\r\n");
}

TEST_F(DeleteTest, purgeAnsweredNo_changesNothing) {
  data.Write(QStringLiteral("secure.qdx"), "Berg,Ute\r\n");
  Open("Alt,Bea\r\n", kStore);
  dialogs.AnswerNext(QStringLiteral("&Nein"));
  Trigger("GelschteDatenstzeendgltigverwerfen1");

  EXPECT_EQ(Secure(), "Berg,Ute\r\n");
  EXPECT_EQ(Store(), kStore);
}

TEST_F(DeleteTest, purgeOfAnEmptyFile_asksWithZero_leavesAnEmptyFile) {
  data.Write(QStringLiteral("secure.qdx"), "");
  Open("Alt,Bea\r\n", kStore);
  dialogs.AnswerNext(QStringLiteral("&Ja"));
  Trigger("GelschteDatenstzeendgltigverwerfen1");

  EXPECT_EQ(
      dialogs.Texts(),
      QStringList{QString::fromUtf8("Sind Sie sicher, daß Sie 0 Datensätze verwerfen wollen ?")});
  EXPECT_TRUE(data.Exists(QStringLiteral("secure.qdx")));
  EXPECT_EQ(Secure(), "");
  EXPECT_EQ(Store(), kStore);
}

TEST_F(DeleteTest, purgeWithoutADeletedRecordsFile_countsItAsEmpty) {
  Open("Alt,Bea\r\n", kStore);
  dialogs.AnswerNext(QStringLiteral("&Ja"));
  Trigger("GelschteDatenstzeendgltigverwerfen1");

  EXPECT_EQ(
      dialogs.Texts(),
      QStringList{QString::fromUtf8("Sind Sie sicher, daß Sie 0 Datensätze verwerfen wollen ?")});
  EXPECT_TRUE(data.Exists(QStringLiteral("secure.qdx")));
  EXPECT_EQ(Secure(), "");
  EXPECT_EQ(Store(), kStore);
}

TEST_F(DeleteTest, purge_keepsARecordDeletedElsewhereWhileTheQuestionWasOpen) {
  data.Write(QStringLiteral("secure.qdx"), "Berg,Ute\r\n");
  Open("Alt,Bea\r\nCarl,Max\r\n", kStore);
  {
    DeleteDuringQuestion answering(data);
    Trigger("GelschteDatenstzeendgltigverwerfen1");
    EXPECT_EQ(
        answering.Texts(),
        QStringList{QString::fromUtf8("Sind Sie sicher, daß Sie 1 Datensätze verwerfen wollen ?")});
  }
  platform::Dialogs::Install(&dialogs);

  EXPECT_EQ(Secure(), "Carl,Max\r\n");
  EXPECT_EQ(Store(), Person("Alt", "Bea", "A", "12") + Person("Carl", "Max", "C") +
                         Person("Dorn", "Ida", "D"));
}

TEST_F(DeleteTest, unreadableDeletedRecordsFile_stopsThePurgeBeforeTheQuestion) {
  data.Write(QStringLiteral("secure.qdx"), "Berg,Ute\r\n");
  Open("Alt,Bea\r\n", kStore);
  MakeUnreadable(QStringLiteral("secure.qdx"));
  Trigger("GelschteDatenstzeendgltigverwerfen1");
  store::SetFaultHook({});

  EXPECT_EQ(dialogs.Texts(), QStringList{store::LoadFailureMessage()});
  EXPECT_EQ(Secure(), "Berg,Ute\r\n");
  EXPECT_EQ(Store(), kStore);
}

}  // namespace
}  // namespace mainwindowtest
