#include <gtest/gtest.h>
#include <QSettings>
#include <QTemporaryDir>

#include "placement/regini.h"
#include "placement/tregisterforms.h"
#include "store/usererror.h"

namespace {

using placement::ParseRegInteger;

TEST(ParseRegInteger, decimalAndHexadecimalText_convertWithinSigned32Bit) {
  EXPECT_EQ(ParseRegInteger("32"), 32);
  EXPECT_EQ(ParseRegInteger("-15"), -15);
  EXPECT_EQ(ParseRegInteger("+7"), 7);
  EXPECT_EQ(ParseRegInteger("  12"), 12);
  EXPECT_EQ(ParseRegInteger("0x20"), 32);
  EXPECT_EQ(ParseRegInteger("0X1f"), 31);
  EXPECT_EQ(ParseRegInteger("$FF"), 255);
  EXPECT_EQ(ParseRegInteger("2147483647"), 2147483647);
  EXPECT_EQ(ParseRegInteger("-2147483648"), -2147483647 - 1);
  EXPECT_EQ(ParseRegInteger("0x7FFFFFFF"), 2147483647);
}

TEST(ParseRegInteger, textThatIsNoSigned32BitInteger_givesNothing) {
  for (const char* text : {"", "abc", "12a", "12 ", "0x", "$", "0xG1", "1.5", "--1", "-", "1,2",
                           "2147483648", "-2147483649", "0x80000000", "99999999999999999999"}) {
    EXPECT_FALSE(ParseRegInteger(QString::fromLatin1(text)).has_value()) << text;
  }
}

TEST(TRegIniFile, readInteger_defaultsForMissingOrNonNumericText_andRaisesForOtherTypes) {
  QTemporaryDir dir;
  QSettings key(dir.filePath("key.ini"), QSettings::IniFormat);
  placement::TRegIniFile regIni(key);
  regIni.WriteInteger("Forms\\Form1", "Top", -40);
  key.setValue("Forms/Form1/Width", "Breite");
  key.setValue("Forms/Form1/Left", QByteArray("\x01\x02", 2));
  key.setValue("Forms/Form1/Height", QStringList{"1", "2"});
  key.sync();

  EXPECT_EQ(key.value("Forms/Form1/Top").toString(), "-40");
  EXPECT_EQ(regIni.ReadInteger("Forms\\Form1", "Top", 5), -40);
  EXPECT_EQ(regIni.ReadInteger("Forms\\Form1", "Width", 811), 811);
  EXPECT_EQ(regIni.ReadInteger("Forms\\Form1", "Tag", 3), 3);
  EXPECT_EQ(regIni.ReadInteger("Forms\\Form9", "Top", 4), 4);
  for (const char* ident : {"Left", "Height"}) {
    try {
      regIni.ReadInteger("Forms\\Form1", ident, 0);
      ADD_FAILURE() << "no error for " << ident;
    } catch (const store::UserError& error) {
      EXPECT_EQ(error.message(), QString("Ung\u00fcltiger Datentyp f\u00fcr '%1'").arg(ident));
    }
  }
}

TEST(AppNameFromTitle, cutsAtVerAndTrimsBlanksOnly) {
  using placement::AppNameFromTitle;
  EXPECT_EQ(AppNameFromTitle("Pellumo! NetworkEdition"), "Pellumo! NetworkEdition");
  EXPECT_EQ(AppNameFromTitle("Pellumo ver. 2.0"), "Pellumo");
  EXPECT_EQ(AppNameFromTitle("Pellumo VER.2"), "Pellumo");
  EXPECT_EQ(AppNameFromTitle("Server 1 Ver.3 ver.4"), "Server 1");
  EXPECT_EQ(AppNameFromTitle("Version 2"), "Version 2");
  EXPECT_EQ(AppNameFromTitle("   "), "");
  EXPECT_EQ(AppNameFromTitle("  Adressen  "), "Adressen");
  EXPECT_EQ(AppNameFromTitle("\tAdressen"), "\tAdressen");
}

}  // namespace
