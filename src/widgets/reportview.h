#pragma once

class QTreeWidget;

// A list in report view: flat rows in insertion order, with grid lines.
void makeReportView(QTreeWidget *list);

// The rows whose `role` in `column` names a file that is there show a file
// icon in that cell, and its name in the cell's tooltip: a run that wrote
// nothing left none, and the mark says so when the row is drawn.
void markOutputs(QTreeWidget *list, int column, int role);
