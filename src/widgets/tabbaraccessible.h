#pragma once

// Qt's own tab bar tells the accessibility bus of every tab, a hidden one
// too, as showing: a screen reader would announce a page no one can reach.
// Once installed, tab bars tell of their visible tabs only, each pressed
// through its action as a click selects it.
void installVisibleTabsAccessibility();
