#include "store/sharedaccess.h"

#include <gtest/gtest.h>

#include "store/fileio.h"
#include "store/profiletext.h"
#include "tests/support/datadir.h"
#include "tests/support/scripteddialogs.h"

namespace {

using testsupport::RecordingSink;
using testsupport::TempDataDir;

class SharedAccess : public ::testing::Test {
 protected:
  void SetUp() override { store::ResetLoadFailureFlagForTesting(); }
  void TearDown() override {
    store::SetFaultHook({});
    store::ResetLoadFailureFlagForTesting();
  }
  TempDataDir dir;
  RecordingSink sink;
};

TEST_F(SharedAccess, sortKeys_germanCaseInsensitive_tiesByCodePoint) {
  QStringList keys{"meier,anna", QString::fromUtf8("Äbel,Karl"), "Meier,Anna", "Abt,Zoe",
                   "Mast,Ute",   QString::fromUtf8("Maß,Ute"),   "Masr,Udo",   "MEIER,ANNA",
                   "zander,Ina"};
  store::SortKeys(keys);
  EXPECT_EQ(keys, (QStringList{QString::fromUtf8("Äbel,Karl"), "Abt,Zoe", "Masr,Udo",
                               QString::fromUtf8("Maß,Ute"), "Mast,Ute", "MEIER,ANNA", "Meier,Anna",
                               "meier,anna", "zander,Ina"}));
  EXPECT_LT(store::CompareKeys("MEIER,ANNA", "meier,anna"), 0);
  EXPECT_GT(store::CompareKeys("Zander,Ina", QString::fromUtf8("Äbel,Karl")), 0);
}

TEST_F(SharedAccess, sortKeys_agreesWithCompareKeys) {
  // The name index is sorted with collation keys and kept sorted by comparisons: both must
  // give one order.
  const QStringList parts{"a",
                          "A",
                          QString::fromUtf8("ä"),
                          QString::fromUtf8("Ä"),
                          "ss",
                          QString::fromUtf8("ß"),
                          "-",
                          " ",
                          ",",
                          "o",
                          QString::fromUtf8("Ö"),
                          "z",
                          "1",
                          "e",
                          QString::fromUtf8("é")};
  QStringList keys;
  quint32 x = 12345;
  for (int i = 0; i < 400; ++i) {
    QString key;
    for (int n = 0; n < 4; ++n) {
      x = x * 1103515245u + 12345u;
      key += parts[(x >> 16) % parts.size()];
    }
    keys.append(key);
  }
  store::SortKeys(keys);
  for (qsizetype i = 1; i < keys.size(); ++i) {
    ASSERT_LE(store::CompareKeys(keys[i - 1], keys[i]), 0)
        << keys[i - 1].toStdString() << " / " << keys[i].toStdString();
  }

  // A sorted list with keys appended out of order (as restores of older programs leave a name
  // index) is merged, not sorted whole: the result must be the same.
  const QStringList sorted = keys;
  QStringList appended = keys;
  for (int i = 0; i < 20; ++i) {
    x = x * 1103515245u + 12345u;
    appended.append(appended.takeAt(qsizetype((x >> 16) % (appended.size() - i))));
  }
  store::SortKeys(appended);
  EXPECT_EQ(appended, sorted);
}

TEST_F(SharedAccess, loadSortedList_sortsTheLines) {
  dir.Write("names.qdx",
            "Zander,Ina\r\n\xC4"
            "bel,Karl\r\nMeier,Anna\r\n");
  const store::LoadResult r = store::LoadSortedList(dir.File("names.qdx"), sink);
  EXPECT_TRUE(r.loaded);
  EXPECT_EQ(r.lines, (QStringList{QString::fromUtf8("Äbel,Karl"), "Meier,Anna", "Zander,Ina"}));
  EXPECT_TRUE(sink.texts.isEmpty());
  EXPECT_FALSE(store::LoadFailureFlag());
}

TEST_F(SharedAccess, loadSortedList_missingFile_oneMessageAfterAllAttemptsAndFlag) {
  int opens = 0;
  store::SetFaultHook([&](store::FileOp op, const QString&) {
    opens += op == store::FileOp::Open;
    return false;
  });
  const store::LoadResult r = store::LoadSortedList(dir.File("names.qdx"), sink, 7);
  EXPECT_FALSE(r.loaded);
  EXPECT_TRUE(r.missing);
  EXPECT_EQ(opens, 7);
  EXPECT_EQ(sink.texts, QStringList{store::LoadFailureMessage()});
  EXPECT_TRUE(store::LoadFailureFlag());
  EXPECT_EQ(store::LoadFailureMessage(),
            QString::fromUtf8("Daten können nicht geladen werden. Sollte dies mehrfach "
                              "vorkommen, setzen Sie sich bitte mit Ihrem Systemadministrator "
                              "in Verbindung"));
}

TEST_F(SharedAccess, loadSortedList_fileBusyForAWhile_isLoadedByALaterAttempt) {
  dir.Write("names.qdx", "b\r\na\r\n");
  int failures = 3;
  store::SetFaultHook([&](store::FileOp op, const QString&) {
    return op == store::FileOp::Read && failures-- > 0;
  });
  const store::LoadResult r = store::LoadSortedList(dir.File("names.qdx"), sink, 5);
  EXPECT_TRUE(r.loaded);
  EXPECT_EQ(r.lines, (QStringList{"a", "b"}));
  EXPECT_TRUE(sink.texts.isEmpty());
  EXPECT_FALSE(store::LoadFailureFlag());
}

TEST_F(SharedAccess, openRecordStore_readsFieldsCaseInsensitively) {
  dir.Write("adresse.qdx",
            "[Meier,Anna]\r\nVorname=Anna\r\nName=Meier\r\nPLZ=12345\r\nEMail=a@b.de\r\n"
            "IRuf=123\r\nOrt=\r\n");
  const store::RecordStore rs = store::OpenRecordStore(dir.Path(), sink);
  EXPECT_EQ(rs.Value("MEIER,ANNA", u"Plz"), "12345");
  EXPECT_EQ(rs.Value("meier,anna", u"email"), "a@b.de");
  EXPECT_EQ(rs.Value("Meier,Anna", u"IRUF"), "123");
  EXPECT_EQ(rs.Value("Meier,Anna", u"Ort"), "");
  EXPECT_EQ(rs.Value("Meier,Anna", u"Fax"), "Error");
  const store::RecordValues v = rs.Record("Meier,Anna");
  EXPECT_EQ(v[store::kVorname], "Anna");
  EXPECT_EQ(v[store::kPLZ], "12345");
  EXPECT_EQ(v[store::kOrt], "");
  EXPECT_EQ(v[store::kFax], "Error");
  EXPECT_TRUE(sink.texts.isEmpty());
}

TEST_F(SharedAccess, openRecordStore_missingStore_probeMessageOnceAndEveryFieldError) {
  int opens = 0;
  store::SetFaultHook([&](store::FileOp op, const QString&) {
    opens += op == store::FileOp::Open;
    return false;
  });
  const store::RecordStore rs = store::OpenRecordStore(dir.Path(), sink, 9);
  EXPECT_EQ(opens, 9);
  EXPECT_EQ(sink.texts, QStringList{store::StoreProbeFailureMessage()});
  EXPECT_FALSE(store::LoadFailureFlag());
  for (const QString& value : rs.Record("Meier,Anna"))
    EXPECT_EQ(value, "Error");
  EXPECT_EQ(rs.Value("Meier,Anna", u"Name"), "Error");
}

// A new address book has an empty name index and no record store until its first record is
// saved: that is an empty store, read at once, and no failure to report. A record store that is
// missing while a list names a key, or with the name index gone too, is still reported.
TEST_F(SharedAccess, openRecordStore_newAddressBook_emptyStoreAtOnceWithoutMessage) {
  int opens = 0;
  store::SetFaultHook([&](store::FileOp op, const QString& path) {
    opens += op == store::FileOp::Open && path.endsWith(QLatin1String("adresse.qdx"));
    return false;
  });
  const QByteArray none;  // the file does not exist
  struct Case {
    QByteArray names, secure;
    bool reported;
  };
  const Case cases[] = {
      {"", none, false},       {"\r\n", none, false},          {"", "", false},
      {"\r\n", "\r\n", false}, {"Meier,Anna\r\n", none, true}, {"", "Meier,Anna\r\n", true},
      {none, none, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << "names " << c.names.toStdString() << ", secure " << c.secure.toStdString());
    TempDataDir book;
    if (!c.names.isNull())
      book.Write("names.qdx", c.names);
    if (!c.secure.isNull())
      book.Write("secure.qdx", c.secure);
    sink.texts.clear();
    opens = 0;
    const store::RecordStore rs = store::OpenRecordStore(book.Path(), sink, 9);
    EXPECT_EQ(sink.texts,
              c.reported ? QStringList{store::StoreProbeFailureMessage()} : QStringList());
    EXPECT_EQ(opens, c.reported ? 9 : 1);
    EXPECT_EQ(rs.Value("Meier,Anna", u"Name"), "Error");
  }
}

TEST_F(SharedAccess, recordStore_manyLookups_indexAgreesWithTheScan) {
  QByteArray bytes("before=1\r\n");
  for (int i = 0; i < 300; ++i) {
    bytes += "[Name" + QByteArray::number(i) + ",Vor]\r\nName=" + QByteArray::number(i) + "\r\n";
  }
  bytes += "[name7,VOR]\r\nName=duplicate\r\n  [ Last ]\r\nName=last";
  const store::RecordStore rs(bytes);
  for (int i = 299; i >= 0; --i) {
    ASSERT_EQ(rs.Value(QStringLiteral("NAME%1,vor").arg(i), u"name"), QString::number(i));
  }
  EXPECT_EQ(rs.Value("name7,vor", u"Name"), "7");
  EXPECT_EQ(rs.Value("Last", u"Name"), "last");
  EXPECT_FALSE(rs.HasSection("Name300,Vor"));
  EXPECT_EQ(rs.Record("Last")[store::kName], "last");
}

TEST_F(SharedAccess, recordStore_wholeRecordReadsAsSingleValues) {
  const QByteArray bytes(
      "[x]\r\n[ Meier,Anna ]junk\r\n;Name=comment\r\n\tName = \"Meier\" \r\nplain\r\n"
      "name=second\rPLZ=\r\n[nobracket=1\nIRuf=7\r\nEMAIL='a@b'\n  [next]\r\nOrt=Bonn\r\n");
  const store::RecordStore rs(bytes);
  const store::RecordValues record = rs.Record("meier,anna");
  for (int i = 0; i < store::kFieldCount; ++i) {
    const QString key = QString::fromLatin1(store::Fields()[i].storeKey);
    EXPECT_EQ(record[i], store::ProfileText(bytes).Read(u"Meier,Anna", key, "Error"))
        << key.toStdString();
  }
  EXPECT_EQ(record[store::kName], "Meier");
  EXPECT_EQ(record[store::kPLZ], "");
  EXPECT_EQ(record[store::kIRuf], "7");
  EXPECT_EQ(record[store::kEMail], "a@b");
  EXPECT_EQ(record[store::kOrt], "Error");
}

TEST_F(SharedAccess, refresh_nothingSelected_readsNoFile) {
  int opens = 0;
  store::SetFaultHook([&](store::FileOp, const QString&) {
    ++opens;
    return false;
  });
  const store::RefreshResult r = store::RefreshNameList({"a", "b"}, -1, dir.Path(), sink);
  EXPECT_FALSE(r.changed);
  EXPECT_EQ(opens, 0);
  EXPECT_TRUE(sink.texts.isEmpty());
}

TEST_F(SharedAccess, refresh_keyAddedBeforeSelected_reloadsAndReselects) {
  dir.Write("names.qdx", "Meier,Anna\r\nAbel,Karl\r\nZander,Ina\r\n");
  const store::RefreshResult r =
      store::RefreshNameList({"Meier,Anna", "Zander,Ina"}, 1, dir.Path(), sink);
  EXPECT_TRUE(r.changed);
  EXPECT_EQ(r.entries, (QStringList{"Abel,Karl", "Meier,Anna", "Zander,Ina"}));
  EXPECT_EQ(r.selectedIndex, 2);
}

TEST_F(SharedAccess, refresh_selectedDeletedElsewhere_reloadsWithoutSelection) {
  dir.Write("names.qdx", "Abel,Karl\r\nZander,Ina\r\n");
  const store::RefreshResult r =
      store::RefreshNameList({"Abel,Karl", "Meier,Anna", "Zander,Ina"}, 1, dir.Path(), sink);
  EXPECT_TRUE(r.changed);
  EXPECT_EQ(r.entries, (QStringList{"Abel,Karl", "Zander,Ina"}));
  EXPECT_EQ(r.selectedIndex, -1);
}

TEST_F(SharedAccess, refresh_unchangedOrShownHoldsMore_isUnchanged) {
  dir.Write("names.qdx", "Abel,Karl\r\n");
  EXPECT_FALSE(store::RefreshNameList({"Abel,Karl", "Extra,X"}, 0, dir.Path(), sink).changed);
  dir.Write("names.qdx", "");
  EXPECT_FALSE(store::RefreshNameList({"Abel,Karl"}, 0, dir.Path(), sink).changed);
}

TEST_F(SharedAccess, refresh_sameKeyInOtherCase_reselectsIgnoringCase) {
  dir.Write("names.qdx", "Abel,Karl\r\nMEIER,ANNA\r\n");
  const store::RefreshResult r = store::RefreshNameList({"Meier,Anna"}, 0, dir.Path(), sink);
  EXPECT_TRUE(r.changed);
  EXPECT_EQ(r.selectedIndex, 1);
}

}  // namespace
