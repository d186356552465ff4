#pragma once

class QTreeWidget;

// A list in report view: flat rows in insertion order, with grid lines.
void makeReportView(QTreeWidget *list);
