#pragma once

class QWidget;

// Gives the fields and lists under `root` that have no text of their own the
// name a screen reader announces: a field in a titled box is named after the
// box, a list after the tab page it fills. Called again after a change of
// language, it renames what it named before and leaves names given otherwise.
void nameFieldsAfterTheirBoxes(QWidget *root);
