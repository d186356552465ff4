#pragma once

class SchedulingEngine;
class TForm1;

// What the engine reports, to the window that shows it. The composition root
// (main, and the tests that build the program's parts) calls it once, before
// the window's saved settings are restored, so that nothing recorded meanwhile
// misses the history.
void connectEngineAndWindow(SchedulingEngine &engine, TForm1 &form1);
