// Reading a record while browsing: long values from their first character, the disabled
// fields in the normal text colour, and every view of the list from its top.
#include <QApplication>
#include <QImage>
#include <QScrollBar>

#include "tests/mainwindow/mainwindowfixture.h"
#include "tests/mainwindow/views_fixtures.h"

namespace mainwindowtest {
namespace {

using viewsfixtures::Person;
using viewsfixtures::Section;

using ReadingTest = MainWindowTest;

// The darkest grey level of the widget as drawn.
int DarkestGrey(QWidget* widget) {
  const QImage image = widget->grab().toImage();
  int darkest = 255;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x)
      darkest = qMin(darkest, qGray(image.pixel(x, y)));
  }
  return darkest;
}

TEST_F(ReadingTest, longValuesAreShownFromTheirFirstCharacter) {
  Open("Lindner,Lena\r\n",
       Section("Lindner,Lena", {{"Vorname", "Lena"},
                                {"Name", "Lindner"},
                                {"Firma", "Lindner M\xF6\x62\x65lwerkst\xE4tten GmbH"},
                                {"Strasse", "Hauptstra\xDF\x65 123, Hinterhaus, 3. Stock"},
                                {"EMail", "lena.lindner@lindner-moebelwerkstaetten.example"}}));
  ClickRow(0);
  ASSERT_EQ(Edit(store::kFirma)->text(), QStringLiteral("Lindner Möbelwerkstätten GmbH"));
  for (int i = 0; i < store::kFieldCount; ++i)
    EXPECT_EQ(Edit(i)->cursorPosition(), 0) << store::Fields()[i].control;
}

TEST_F(ReadingTest, disabledFieldsDrawTheirTextInTheNormalColour) {
  Open("Meier,Anna\r\n", Person("Meier", "Anna", "MMMMMMMM"));
  ClickRow(0);
  QLineEdit* company = Edit(store::kFirma);
  ASSERT_EQ(company->text(), QStringLiteral("MMMMMMMM"));
  // Still read-only and out of the tab chain.
  for (int i = 0; i < store::kFieldCount; ++i) {
    EXPECT_FALSE(Edit(i)->isEnabled()) << i;
    const QPalette& colors = Edit(i)->palette();
    EXPECT_EQ(colors.color(QPalette::Disabled, QPalette::Text).name(),
              colors.color(QPalette::Active, QPalette::Text).name())
        << store::Fields()[i].control;
  }
  // As drawn: the strokes of the text are as dark as normal text, not pale grey.
  const int normal = qGray(company->palette().color(QPalette::Active, QPalette::Text).rgb());
  EXPECT_LE(DarkestGrey(company), normal + 60);
}

class ListFromTopTest : public MainWindowTest {
 protected:
  void OpenMany() {
    QByteArray names;
    QByteArray records;
    for (int i = 0; i < 200; ++i) {
      const QByteArray name = "Name" + QByteArray::number(1000 + i);
      names += name + ",Vor\r\n";
      records += Person(name.constData(), "Vor", "Firma", QByteArray::number(i).constData());
    }
    Open(names, records);
  }
  QScrollBar* Scroll() const { return List()->verticalScrollBar(); }
  void ScrollToEnd() {
    QApplication::processEvents();
    Scroll()->setValue(Scroll()->maximum());
    ASSERT_GT(Scroll()->value(), 0);
  }
  void ExpectTop() {
    QApplication::processEvents();
    EXPECT_EQ(Scroll()->value(), 0);
    EXPECT_EQ(List()->indexAt(QPoint(5, 5)).row(), 0);
  }
};

TEST_F(ListFromTopTest, enteringAndLeavingEitherViewShowsTheListFromItsTop) {
  OpenMany();
  ScrollToEnd();
  Click("Button3");
  ExpectTop();
  ScrollToEnd();
  Click("Button3");
  ExpectTop();

  ScrollToEnd();
  Click("ToolbarButton9712");
  Click("ToolbarButton9712");
  ExpectTop();
}

}  // namespace
}  // namespace mainwindowtest
