#pragma once

class QWidget;

// A window keeps its designed size and place where they fit in the available
// area of its screen (task bars and panels left out); where they do not, it
// is made smaller to fit and moved inside, so that no button is left off the
// edge. Called just before the window first shows.
void fitInsideScreen(QWidget *window);
