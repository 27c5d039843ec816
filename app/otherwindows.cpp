#include "app/otherwindows.h"

#include <QApplication>

#include "mainwindow/tform1.h"
#include "mainwindow/tform3.h"
#include "placement/tregisterforms.h"
#include "platform/dialogs.h"
#include "reports/tform12.h"
#include "reports/tform8.h"
#include "reports/tquickreport11.h"
#include "widgets/configuration.h"
#include "widgets/taboutbox.h"
#include "widgets/tform4.h"
#include "widgets/tform5.h"
#include "widgets/tform7.h"

namespace app {

void CreateOtherWindows(TForm1& form) {
  QApplication::setWindowIcon(widgets::ProgramIcon());

  auto* registerForms = new placement::TRegisterForms(&form);
  registerForms->setObjectName(QStringLiteral("RegisterForms1"));
  registerForms->SetCompany(QStringLiteral("Tavrel"));
  registerForms->SetRootKey(placement::THKEY::CurrentUser);
  registerForms->SetEnabled(true);
  registerForms->AddWindow(&form, QStringLiteral("Form1"));
  registerForms->Loaded();

  // The table layout is no window, so placement skips it.
  auto* quickReport11 = new TQuickReport11(&form);
  quickReport11->setObjectName(QStringLiteral("QuickReport11"));
  auto* form12 = new TForm12(&form);
  registerForms->AddWindow(form12, QStringLiteral("Form12"));
  registerForms->AddWindow(form.findChild<TForm3*>(), QStringLiteral("Form3"));
  registerForms->AddWindow(new widgets::TForm4(&form), QStringLiteral("Form4"));
  registerForms->AddWindow(new widgets::TForm5(&form), QStringLiteral("Form5"));
  registerForms->AddWindow(new widgets::TForm7(&form, &form), QStringLiteral("Form7"));

  auto* form8 = new TForm8([&form] { return form.ListEntries(); }, form.Book(), &form);
  form8->SetPrintWindows(form12, quickReport11);
  registerForms->AddWindow(form8, QStringLiteral("Form8"));
  form.SetReportGeneratorHook([form8] { platform::Dialogs::Get().ExecModal(*form8); });

  auto* aboutBox = new widgets::TAboutBox(&form);
  registerForms->AddWindow(aboutBox, QStringLiteral("AboutBox"));
  form.SetInfoHook([aboutBox] { platform::Dialogs::Get().ExecModal(*aboutBox); });
}

}  // namespace app
