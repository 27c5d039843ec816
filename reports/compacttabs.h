#pragma once

class QTabWidget;

namespace reports {

// Gives the tabs of notebook a narrow margin beside their captions, so that tabs designed for a
// narrow notebook all fit in its width instead of hiding behind scroll arrows. Only the tab
// bar is affected; it keeps the look of the application's style.
void UseCompactTabs(QTabWidget& notebook);

}  // namespace reports
